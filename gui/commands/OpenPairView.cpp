#include "commands/OpenPairView.h"

#include "pairview/TfrmPairView.h"

bool PairsTwoFiles(const TCursorRow& row) {
    const TSearchRecEx* m = row.Entry(TSide::M);
    const TSearchRecEx* s = row.Entry(TSide::S);
    return m && s && !m->IsFolder() && !s->IsFolder();
}

TfrmPairView* OpenPairView(QWidget* owner, const TCursorRow& row, const TPairDiffOptions& options) {
    if (!PairsTwoFiles(row))
        return nullptr;
    // The paths are copied: the engine's entries go with its next run, the
    // view may stay open longer.
    auto* view = new TfrmPairView(row.Entry(TSide::M)->FullPath(), row.Entry(TSide::S)->FullPath(),
                                  options, owner);
    view->show();
    return view;
}

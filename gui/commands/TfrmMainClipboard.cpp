// The cursor row or an entry's full path to the clipboard.
#include <QMessageBox>

#include "CopyTextToClipboard.h"
#include "RowText.h"
#include "ShowMessageBox.h"
#include "TSameGridModel.h"
#include "TSearchRec.h"
#include "TfrmMain.h"

namespace {

void CopyPathOf(TfrmMain* frm, TSide side) {
    const TSearchRecEx* entry = frm->RowEntry(frm->CurrentGridRow(), side);
    if (entry == nullptr) {
        ShowMessageBox(frm, QMessageBox::Warning, QStringLiteral("コピーできません"));
        return;
    }
    CopyTextToClipboard(QString::fromUtf8(entry->FullPath()));
}

}  // namespace

QString TfrmMain::RowClipboardText(int row, char separator) const {
    std::vector<std::string> cells;
    cells.reserve(TSameGridModel::ColumnCount);
    for (int column = 0; column < TSameGridModel::ColumnCount; ++column)
        cells.push_back(GridCell(row, column).toStdString());
    return QString::fromStdString(RowLine(cells, separator, '"'));
}

void TfrmMain::mnEditCopyRowExecute() {
    const int row = CurrentGridRow();
    if (RowEntry(row, TSide::M) == nullptr && RowEntry(row, TSide::S) == nullptr) {
        ShowMessageBox(this, QMessageBox::Warning, QStringLiteral("コピーできません"));
        return;
    }
    CopyTextToClipboard(RowClipboardText(row, '\t'));
}

void TfrmMain::mnEditCopyMExecute() {
    CopyPathOf(this, TSide::M);
}

void TfrmMain::mnEditCopySExecute() {
    CopyPathOf(this, TSide::S);
}

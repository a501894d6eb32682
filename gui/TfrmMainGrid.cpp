// The result grid as the rest of the window reads it, and its selection rule.
#include <QTableView>

#include "TCompare.h"
#include "TSameGridModel.h"
#include "TSameGridSelection.h"
#include "TfrmMain.h"

int TfrmMain::GridRowCount() const {
    return sgrdSameModel->rowCount() + 1;
}

int TfrmMain::CurrentGridRow() const {
    const QModelIndex current = sgrdSame->currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

QString TfrmMain::GridCell(int row, int column) const {
    if (column < 0 || column >= TSameGridModel::ColumnCount)
        return {};
    if (row == 0)
        return TSameGridModel::HeaderTexts().at(column);
    return sgrdSameModel->CellText(row - 1, column);
}

TVerdict TfrmMain::GridRowVerdict(int row) const {
    return row >= 1 ? sgrdSameModel->Verdict(row - 1) : TVerdict::Different;
}

int TfrmMain::ResultRowCount() const {
    return sgrdSameModel->ResultCount();
}

bool TfrmMain::sgrdSameSelectCell(int, int row) {
    // While rows arrive, the row being delivered (n + 1) may be selected too,
    // written or still empty; nothing is selectable before the first result.
    const int n = ResultRowCount();
    if (n == 0 || row < 1 || row > n + 1)
        return false;
    ShowEntryInfo(stbFileInfoM, RowEntry(row, TSide::M));
    ShowEntryInfo(stbFileInfoS, RowEntry(row, TSide::S));
    return true;
}

const TSearchRecEx* TfrmMain::RowEntry(int row, TSide side) const {
    return sgrdSameModel->Entry(row - 1, side);
}

TCursorRow TfrmMain::CursorRow() const {
    const int row = CurrentGridRow();
    return {row, sgrdSameModel->Row(row - 1)};
}

void TfrmMain::ShowHiddenRows() {
    const std::optional<TVerdict> hidden = Option.SameOff   ? TVerdict::Equal
                                           : Option.DiffOff ? std::optional(TVerdict::Different)
                                                            : std::nullopt;
    if (hidden == sgrdSameModel->Hidden())
        return;
    if (sgrdSameModel->ShownRows() == 0) {
        sgrdSameModel->SetHidden(hidden);
        return;
    }
    // The cursor's result, or one past the last for a row beyond them.
    int result = sgrdSameModel->ResultOf(CurrentGridRow() - 1);
    if (result < 0)
        result = sgrdSameModel->ShownRows();
    sgrdSameModel->SetHidden(hidden);
    // The cursor stays on its row when that stays, else goes to the nearest.
    const int row = sgrdSameModel->NearestRow(result);
    if (row < 0 || !SelectGridRow(row + 1)) {
        sgrdSameSelection->ForceCurrentRow(0);
        ShowEntryInfo(stbFileInfoM, nullptr);
        ShowEntryInfo(stbFileInfoS, nullptr);
    }
    sgrdSame->viewport()->update();
}

std::vector<const TResultRow*> TfrmMain::ShownResults() const {
    const TCompare* engine = Engine();
    const int count = engine->GetRowCount();
    std::vector<const TResultRow*> rows;
    rows.reserve(count);
    for (int r = 0; r < count; ++r) {
        const TResultRow* row = engine->GetRow(r);
        if (row != nullptr && !sgrdSameModel->IsHiddenResult(r))
            rows.push_back(row);
    }
    return rows;
}

bool TfrmMain::SelectGridRow(int row) {
    const int column = std::max(sgrdSame->currentIndex().column(), 0);
    const QModelIndex cell = sgrdSameModel->index(row - 1, column);
    if (!cell.isValid())
        return false;
    sgrdSame->setCurrentIndex(cell);
    return CurrentGridRow() == row;
}

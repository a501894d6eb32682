// The result grid as the rest of the window reads it, and its selection rule.
#include <QTableView>

#include "TCompare.h"
#include "TSameGridModel.h"
#include "TfrmMain.h"

namespace {

// A cell's text as a decimal number; -1 when it is empty or not a number.
int EntryNumber(const QString& text) {
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok ? number : -1;
}

}  // namespace

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

bool TfrmMain::IsEqualGridRow(int row) const {
    return row >= 1 && sgrdSameModel->IsEqualRow(row - 1);
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
    const int numberM = EntryNumber(GridCell(row, 5));
    const int numberS = EntryNumber(GridCell(row, 6));
    ShowEntryInfo(stbFileInfoM, CompareEngine->GetEntryM(numberM));
    ShowEntryInfo(stbFileInfoS, CompareEngine->GetEntryS(numberS));
    return true;
}

bool TfrmMain::SelectGridRow(int row) {
    const int column = std::max(sgrdSame->currentIndex().column(), 0);
    const QModelIndex cell = sgrdSameModel->index(row - 1, column);
    if (!cell.isValid())
        return false;
    sgrdSame->setCurrentIndex(cell);
    return CurrentGridRow() == row;
}

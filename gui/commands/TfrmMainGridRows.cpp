// The entries behind a grid row's two number cells, as the commands find them.
#include "TCompare.h"
#include "TfrmMain.h"

namespace {
constexpr int NumberColumnM = 5;
constexpr int NumberColumnS = 6;
}  // namespace

int TfrmMain::RowEntryNumber(int row, TSide side) const {
    // Row 0 is the header: its texts are no numbers.
    bool ok = false;
    const int number =
        GridCell(row, side == TSide::M ? NumberColumnM : NumberColumnS).toInt(&ok, 10);
    return ok && number >= 0 ? number : -1;
}

const TSearchRecEx* TfrmMain::RowEntry(int row, TSide side) const {
    const int number = RowEntryNumber(row, side);
    if (number < 0)
        return nullptr;
    return side == TSide::M ? CompareEngine->GetEntryM(number) : CompareEngine->GetEntryS(number);
}

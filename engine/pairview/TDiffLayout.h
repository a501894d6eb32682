#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "pairview/DiffSequences.h"

// What a row of the side-by-side view shows.
enum class TRowKind : uint8_t {
    Same,     // equal lines (or a line the comparison leaves out, on its side only)
    Changed,  // a line of each side, within a difference
    Removed,  // a line of the source only
    Added,    // a line of the target only
};

struct TDisplayRow {
    int64_t LineM = -1;  // -1: nothing on that side
    int64_t LineS = -1;
    TRowKind Kind = TRowKind::Same;
};

// The rows of the side-by-side view made from the edit runs of two texts:
// equal lines side by side, and each difference as rows that pair its lines
// in order, the longer side's surplus against empty rows. Nothing is stored
// per row: a row is found from the runs (a binary search), so a file of
// millions of lines costs only its differences.
class TDiffLayout {
public:
    TDiffLayout() = default;
    // countM and countS: the lines compared on each side; extraM and extraS:
    // lines after them that the comparison left out, shown as equal rows.
    TDiffLayout(std::vector<TEditRun> runs, size_t countM, size_t countS, size_t extraM = 0,
                size_t extraS = 0);

    size_t RowCount() const { return Rows; }
    TDisplayRow Row(size_t row) const;
    // The differences: each run's first row and its number of rows.
    size_t DifferenceCount() const { return Runs.size(); }
    size_t DifferenceRow(size_t index) const { return FirstRows[index]; }
    size_t DifferenceRows(size_t index) const;
    // The first difference that starts after `row`, or the last one that
    // starts before it; DifferenceCount() when there is none.
    size_t NextDifference(size_t row) const;
    // The first difference that starts at `row` or after it.
    size_t DifferenceFrom(size_t row) const;
    size_t PreviousDifference(size_t row) const;
    const std::vector<TEditRun>& EditRuns() const { return Runs; }

private:
    std::vector<TEditRun> Runs;
    std::vector<size_t> FirstRows;  // display row where each run begins
    size_t ComparedRows = 0;
    size_t ExtraM = 0, ExtraS = 0;
    size_t CountM = 0, CountS = 0;
    size_t Rows = 0;
};

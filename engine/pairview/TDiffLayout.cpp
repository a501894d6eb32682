#include "pairview/TDiffLayout.h"

#include <algorithm>

TDiffLayout::TDiffLayout(std::vector<TEditRun> runs, size_t countM, size_t countS, size_t extraM,
                         size_t extraS)
    : Runs(std::move(runs)), ExtraM(extraM), ExtraS(extraS), CountM(countM), CountS(countS) {
    // Rows before a run: the run's own start on the source side plus the
    // surplus rows of the runs before it.
    size_t surplus = 0;
    FirstRows.reserve(Runs.size());
    for (const TEditRun& run : Runs) {
        FirstRows.push_back(run.StartA + surplus);
        surplus += std::max(run.CountA, run.CountB) - run.CountA;
    }
    ComparedRows = countM + surplus;
    Rows = ComparedRows + std::max(extraM, extraS);
}

size_t TDiffLayout::DifferenceRows(size_t index) const {
    return std::max(Runs[index].CountA, Runs[index].CountB);
}

TDisplayRow TDiffLayout::Row(size_t row) const {
    TDisplayRow shown;
    if (row >= ComparedRows) {
        const size_t k = row - ComparedRows;
        if (k < ExtraM)
            shown.LineM = static_cast<int64_t>(CountM + k);
        if (k < ExtraS)
            shown.LineS = static_cast<int64_t>(CountS + k);
        return shown;
    }
    const auto after = std::upper_bound(FirstRows.begin(), FirstRows.end(), row);
    if (after == FirstRows.begin()) {
        shown.LineM = shown.LineS = static_cast<int64_t>(row);
        return shown;
    }
    const size_t index = static_cast<size_t>(after - FirstRows.begin()) - 1;
    const TEditRun& run = Runs[index];
    const size_t k = row - FirstRows[index];
    if (k < std::max(run.CountA, run.CountB)) {
        if (k < run.CountA)
            shown.LineM = static_cast<int64_t>(run.StartA + k);
        if (k < run.CountB)
            shown.LineS = static_cast<int64_t>(run.StartB + k);
        shown.Kind = shown.LineM < 0   ? TRowKind::Added
                     : shown.LineS < 0 ? TRowKind::Removed
                                       : TRowKind::Changed;
        return shown;
    }
    const size_t equal = k - std::max(run.CountA, run.CountB);
    shown.LineM = static_cast<int64_t>(run.StartA + run.CountA + equal);
    shown.LineS = static_cast<int64_t>(run.StartB + run.CountB + equal);
    return shown;
}

size_t TDiffLayout::NextDifference(size_t row) const {
    return static_cast<size_t>(std::upper_bound(FirstRows.begin(), FirstRows.end(), row) -
                               FirstRows.begin());
}

size_t TDiffLayout::DifferenceFrom(size_t row) const {
    return static_cast<size_t>(std::lower_bound(FirstRows.begin(), FirstRows.end(), row) -
                               FirstRows.begin());
}

size_t TDiffLayout::PreviousDifference(size_t row) const {
    const auto at = std::lower_bound(FirstRows.begin(), FirstRows.end(), row);
    return at == FirstRows.begin() ? Runs.size() : static_cast<size_t>(at - FirstRows.begin()) - 1;
}

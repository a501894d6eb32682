#pragma once

#include "CommandTypes.h"
#include "TResultRow.h"

// The grid's cursor row as the row commands see it: its place and the result
// row it shows.
struct TCursorRow {
    // The grid row (from 0); -1 when the grid has no cursor row.
    int Row = -1;
    // The result row shown there; null for a row that shows no result.
    const TResultRow* Result = nullptr;

    // That side's entry, or null.
    const TSearchRecEx* Entry(TSide side) const {
        if (Result == nullptr)
            return nullptr;
        return side == TSide::M ? Result->EntryM() : Result->EntryS();
    }
    // A row without a result is different.
    TVerdict Verdict() const { return Result ? Result->Verdict() : TVerdict::Different; }
};

#pragma once

#include <utility>
#include <vector>

#include "TEntryList.h"

// One step of the pairing pass: the row it makes and the entries it looks at.
struct TPairingStep {
    // Positions of the row's entries in their sorted lists; -1 for a missing side.
    int RowM = -1;
    int RowS = -1;
    // Positions read at the head of the merge before the row was chosen (-1
    // when the step continues a group). Their Index is set by the step as well,
    // so that a pass stopped after this step leaves the same numbers behind.
    int HeadM = -1;
    int HeadS = -1;
};

// The merge walk of the pairing pass: yields the steps in row order, without
// touching the entries, so that steps can be looked at ahead of the row being
// delivered.
//
// Names equal to the collator but not byte for byte (a.txt and A.TXT in one
// folder) form a group on each side. A group pairs byte-equal RelPaths first;
// the entries left over pair in byte order of RelPath, source with target; the
// surplus of the larger side stands alone. Rows of a group come in byte order
// of the source entries (each paired or alone), then the target entries
// without a partner in byte order. Every entry stands in exactly one row.
// Case sensitively (lists sorted so) only names equal after composition
// (NFC) are the same.
class TPairingSteps {
public:
    TPairingSteps(const TEntryList& listM, const TEntryList& listS, bool caseSensitive = false);

    // The next step; false when both lists are used up.
    bool Next(TPairingStep& step);

private:
    void PlanGroup(int endM, int endS);

    const TEntryList& ListM;
    const TEntryList& ListS;
    const bool CaseSensitive;
    int IM = 0;
    int IS = 0;
    // Rows of the current group (positions, -1 for a missing side), reused.
    std::vector<std::pair<int, int>> Plan;
    size_t PlanNext = 0;
    std::vector<int> Partner;
    std::vector<bool> TakenS;
};

#include "TPairingSteps.h"

TPairingSteps::TPairingSteps(const TEntryList& listM, const TEntryList& listS, bool caseSensitive)
    : ListM(listM), ListS(listS), CaseSensitive(caseSensitive) {}

bool TPairingSteps::Next(TPairingStep& step) {
    step = TPairingStep{};
    if (PlanNext < Plan.size()) {
        std::tie(step.RowM, step.RowS) = Plan[PlanNext++];
        return true;
    }
    const TSearchRecEx* m = ListM.At(IM);
    const TSearchRecEx* s = ListS.At(IS);
    if (!m && !s)
        return false;
    step.HeadM = m ? IM : -1;
    step.HeadS = s ? IS : -1;
    int c = !m ? 1 : !s ? -1 : TEntryList::CompareKeys(*m, *s, CaseSensitive);
    if (c > 0) {
        step.RowS = IS++;
        return true;
    }
    if (c < 0) {
        step.RowM = IM++;
        return true;
    }
    int endM = IM + 1;
    while (endM < ListM.Count() && TEntryList::CompareKeys(*ListM.At(endM), *m, CaseSensitive) == 0)
        ++endM;
    int endS = IS + 1;
    while (endS < ListS.Count() && TEntryList::CompareKeys(*ListS.At(endS), *s, CaseSensitive) == 0)
        ++endS;
    if (endM - IM == 1 && endS - IS == 1) {
        step.RowM = IM++;
        step.RowS = IS++;
        return true;
    }
    // The group's rows take this step and the next ones.
    PlanGroup(endM, endS);
    IM = endM;
    IS = endS;
    std::tie(step.RowM, step.RowS) = Plan[PlanNext++];
    return true;
}

void TPairingSteps::PlanGroup(int endM, int endS) {
    const int beginM = IM, beginS = IS;
    Partner.assign(static_cast<size_t>(endM - beginM), -1);
    TakenS.assign(static_cast<size_t>(endS - beginS), false);
    // Both ranges are in byte order of RelPath: match byte-equal paths by a merge.
    for (int i = beginM, j = beginS; i < endM && j < endS;) {
        int c = TEntryList::CompareRelPathBytes(*ListM.At(i), *ListS.At(j));
        if (c == 0) {
            Partner[static_cast<size_t>(i - beginM)] = j;
            TakenS[static_cast<size_t>(j - beginS)] = true;
        }
        if (c <= 0)
            ++i;
        if (c >= 0)
            ++j;
    }
    // The rest pair in order, source with target.
    int j = beginS;
    for (int i = beginM; i < endM; ++i) {
        int& p = Partner[static_cast<size_t>(i - beginM)];
        if (p >= 0)
            continue;
        while (j < endS && TakenS[static_cast<size_t>(j - beginS)])
            ++j;
        if (j < endS) {
            p = j;
            TakenS[static_cast<size_t>(j - beginS)] = true;
        }
    }
    Plan.clear();
    PlanNext = 0;
    for (int i = beginM; i < endM; ++i)
        Plan.emplace_back(i, Partner[static_cast<size_t>(i - beginM)]);
    for (int k = beginS; k < endS; ++k)
        if (!TakenS[static_cast<size_t>(k - beginS)])
            Plan.emplace_back(-1, k);
}

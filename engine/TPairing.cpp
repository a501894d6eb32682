#include "TPairing.h"

#include "ICompareCallBack.h"

namespace {

constexpr std::string_view TextEqual = "等価";
constexpr std::string_view TextNoSource = "比較元無し";
constexpr std::string_view TextNoTarget = "比較先無し";
constexpr std::string_view TextDifferent = "相違: ";

}  // namespace

TPairing::TPairing(TCompare* sender, ICompareCallBack* callback, const TCompareOption& option,
                   const std::atomic<bool>& stop, TContentComparer& contents)
    : Sender(sender), Callback(callback), Option(option), Stop(stop), Contents(contents) {}

void TPairing::AttributeReason(const TSearchRecEx& m, const TSearchRecEx& s,
                               const TCompareOption& option, std::string& reason) {
    bool folderM = m.IsFolder();
    bool folderS = s.IsFolder();
    if (!(folderM && folderS && option.IgnoreDirTimeSize)) {
        if (!option.IgnoreSize && m.Size != s.Size)
            reason += "サイズ ";
        if (!option.IgnoreTime && m.Time != s.Time)
            reason += "更新日 ";
    }
    if (folderM != folderS)
        reason = "フォルダとファイル ";
    if (!option.IgnoreAttr) {
        uint32_t mask = 0;
        if (!option.IgnoreAttrR)
            mask |= Attr::ReadOnly;
        if (!option.IgnoreAttrH)
            mask |= Attr::Hidden;
        if (!option.IgnoreAttrS)
            mask |= Attr::System;
        if (!option.IgnoreAttrA)
            mask |= Attr::Archive;
        if ((m.Attr ^ s.Attr) & mask)
            reason += "属性 ";
    }
}

const std::string* TPairing::Decide(const TSearchRecEx& m, const TSearchRecEx& s,
                                    TResultList& results) {
    Reason.clear();
    AttributeReason(m, s, Option, Reason);
    if (Reason.empty()) {
        if (Option.SkipContents || (m.IsFolder() && s.IsFolder()))
            return results.Intern(TextEqual);
        if (Contents.Compare(m, s, Reason) == ContentResult::Equal)
            return results.Intern(TextEqual);
    }
    Text.assign(TextDifferent).append(Reason);
    return results.Intern(Text);
}

void TPairing::Emit(TSearchRecEx* m, TSearchRecEx* s, TResultList& results) {
    const std::string* text;
    if (!m) {
        text = results.Intern(TextNoSource);
    } else if (!s) {
        text = results.Intern(TextNoTarget);
    } else {
        text = Decide(*m, *s, results);
    }
    TResultRow row(m, s, text);
    if (*text == TextEqual)
        ++EqualRows;
    if (Callback)
        Callback->OnRowReady(Sender, RowIndex, EqualRows, RowIndex + 1 - EqualRows, m, s, row);
    results.Append(row);
    ++RowIndex;
}

void TPairing::PlanGroup(const TEntryList& listM, int beginM, int endM, const TEntryList& listS,
                         int beginS, int endS, TPlan& plan) {
    // Both ranges are in byte order of RelPath: match byte-equal paths by a merge.
    std::vector<int> partner(static_cast<size_t>(endM - beginM), -1);
    std::vector<bool> takenS(static_cast<size_t>(endS - beginS), false);
    for (int i = beginM, j = beginS; i < endM && j < endS;) {
        int c = TEntryList::CompareRelPathBytes(*listM.At(i), *listS.At(j));
        if (c == 0) {
            partner[static_cast<size_t>(i - beginM)] = j;
            takenS[static_cast<size_t>(j - beginS)] = true;
        }
        if (c <= 0)
            ++i;
        if (c >= 0)
            ++j;
    }
    // The rest pair in order, source with target.
    int j = beginS;
    for (int i = beginM; i < endM; ++i) {
        int& p = partner[static_cast<size_t>(i - beginM)];
        if (p >= 0)
            continue;
        while (j < endS && takenS[static_cast<size_t>(j - beginS)])
            ++j;
        if (j < endS) {
            p = j;
            takenS[static_cast<size_t>(j - beginS)] = true;
        }
    }
    plan.clear();
    for (int i = beginM; i < endM; ++i)
        plan.emplace_back(i, partner[static_cast<size_t>(i - beginM)]);
    for (int k = beginS; k < endS; ++k)
        if (!takenS[static_cast<size_t>(k - beginS)])
            plan.emplace_back(-1, k);
}

void TPairing::EmitPlanned(const TEntryList& listM, const TEntryList& listS, TResultList& results) {
    auto [iM, iS] = Plan[PlanNext++];
    TSearchRecEx* m = listM.At(iM);
    TSearchRecEx* s = listS.At(iS);
    if (m)
        m->Index.store(iM, std::memory_order_relaxed);
    if (s)
        s->Index.store(iS, std::memory_order_relaxed);
    Emit(m, s, results);
}

TPairingResult TPairing::Run(const TEntryList& listM, const TEntryList& listS,
                             TResultList& results) {
    const int countM = listM.Count();
    const int countS = listS.Count();
    int iM = 0, iS = 0;
    TPairingResult result;
    RowIndex = 0;
    EqualRows = 0;
    Plan.clear();
    PlanNext = 0;

    while (true) {
        if (Stop.load(std::memory_order_relaxed)) {
            result.Stopped = true;
            break;
        }
        if (PlanNext < Plan.size()) {
            EmitPlanned(listM, listS, results);
            continue;
        }
        TSearchRecEx* m = listM.At(iM);
        TSearchRecEx* s = listS.At(iS);
        if (!m && !s)
            break;
        if (m)
            m->Index.store(iM, std::memory_order_relaxed);
        if (s)
            s->Index.store(iS, std::memory_order_relaxed);
        int c = !m ? 1 : !s ? -1 : TEntryList::CompareKeys(*m, *s);
        if (c > 0) {
            Emit(nullptr, s, results);
            ++iS;
        } else if (c < 0) {
            Emit(m, nullptr, results);
            ++iM;
        } else {
            int endM = iM + 1;
            while (endM < countM && TEntryList::CompareKeys(*listM.At(endM), *m) == 0)
                ++endM;
            int endS = iS + 1;
            while (endS < countS && TEntryList::CompareKeys(*listS.At(endS), *s) == 0)
                ++endS;
            if (endM - iM == 1 && endS - iS == 1) {
                Emit(m, s, results);
            } else {
                // The group's rows take this step and the next ones.
                PlanGroup(listM, iM, endM, listS, iS, endS, Plan);
                PlanNext = 0;
                EmitPlanned(listM, listS, results);
            }
            iM = endM;
            iS = endS;
        }
    }
    result.Rows = RowIndex;
    result.Equal = EqualRows;
    return result;
}

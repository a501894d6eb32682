#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "TCompareOption.h"
#include "TContentComparer.h"
#include "TEntryList.h"
#include "TResultList.h"

class TCompare;
class ICompareCallBack;

// What a pairing pass leaves behind.
struct TPairingResult {
    int Rows = 0;
    int Equal = 0;
    bool Stopped = false;
};

// The pairing pass: walks two sorted entry lists side by side and makes one
// result row per step: two entries with the same RelPath (to the collator), or
// one entry without a partner. The stop flag is read before every step; each
// row is reported through OnRowReady before it is appended.
//
// Names equal to the collator but not byte for byte (a.txt and A.TXT in one
// folder) form a group on each side. A group pairs byte-equal RelPaths first;
// the entries left over pair in byte order of RelPath, source with target; the
// surplus of the larger side stands alone. Rows of a group come in byte order
// of the source entries (each paired or alone), then the target entries
// without a partner in byte order. Every entry stands in exactly one row and
// the rows are the same on every run.
class TPairing {
public:
    TPairing(TCompare* sender, ICompareCallBack* callback, const TCompareOption& option,
             const std::atomic<bool>& stop, TContentComparer& contents);

    TPairingResult Run(const TEntryList& listM, const TEntryList& listS, TResultList& results);

    // Appends the reason tokens for two entries with the same RelPath, in
    // check order: "サイズ ", "更新日 ", then "フォルダとファイル " (which
    // replaces the others), then "属性 ". Empty when nothing but the contents
    // could tell them apart.
    static void AttributeReason(const TSearchRecEx& m, const TSearchRecEx& s,
                                const TCompareOption& option, std::string& reason);

private:
    // Positions in the two lists of the rows of a group, -1 for a missing side.
    using TPlan = std::vector<std::pair<int, int>>;

    void Emit(TSearchRecEx* m, TSearchRecEx* s, TResultList& results);
    // Emits the next row of the group plan, with its entries' Index set.
    void EmitPlanned(const TEntryList& listM, const TEntryList& listS, TResultList& results);
    const std::string* Decide(const TSearchRecEx& m, const TSearchRecEx& s, TResultList& results);
    static void PlanGroup(const TEntryList& listM, int beginM, int endM, const TEntryList& listS,
                          int beginS, int endS, TPlan& plan);

    TCompare* Sender;
    ICompareCallBack* Callback;
    const TCompareOption Option;  // a copy: the owner may change its own during a run
    const std::atomic<bool>& Stop;
    TContentComparer& Contents;
    int RowIndex = 0;
    int EqualRows = 0;
    TPlan Plan;
    size_t PlanNext = 0;
    // Reused for every pair.
    std::string Reason;
    std::string Text;
};

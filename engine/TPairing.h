#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "TCompareOption.h"
#include "TContentComparer.h"
#include "TEntryList.h"
#include "TLineEndComparer.h"
#include "TPairingSteps.h"
#include "TResultList.h"
#include "TUnreadableFolders.h"

class TCompare;
class ICompareCallBack;

// What a pairing pass leaves behind.
struct TPairingResult {
    int Rows = 0;
    int Equal = 0;
    bool Stopped = false;
};

// How far the pass looks ahead of the row being delivered.
struct TLookahead {
    // Steps planned at most, the one being delivered included.
    size_t Window = 1;
    // Threads comparing contents besides the one that runs the pass.
    int Workers = 0;

    // Every comparison when its row is due, on the thread of the pass.
    static TLookahead Sequential() { return {1, 0}; }
    // Contents of later pairs compared ahead on other threads.
    static TLookahead Pipelined();
};

// The pairing pass: walks two sorted entry lists side by side (TPairingSteps)
// and makes one result row per step. The stop flag is read before every step;
// each row is reported through OnRowReady before it is appended, on the
// thread that runs the pass, in row order.
//
// With lookahead, the contents of later pairs are compared on worker threads
// while earlier rows are delivered. The rows are those of the sequential pass
// stopped at some moment: the pass ends at the first step that finds the stop
// flag set, and a pair whose comparison saw the stop is delivered as
// "不明(キャンセルされた)" only when it is the row due, after which the next
// step ends the pass. Comparisons cut short further ahead are thrown away, and
// an entry's Index is set only when its step is delivered.
class TPairing {
public:
    // contents compares the pairs that the pass's own thread compares.
    TPairing(TCompare* sender, ICompareCallBack* callback, const TCompareOption& option,
             const std::atomic<bool>& stop, TContentComparer& contents,
             TLookahead lookahead = TLookahead::Sequential());

    // Files that moved (may be null, and must outlive the pass): a source
    // file that moved makes the row of both, "相違: 移動 " followed by the
    // reason tokens of the two, and its target file makes no row of its own.
    void SetMoved(const class TMovedFiles* moved) { Moved = moved; }
    // Before the first row, tells the sources of every pair whose contents
    // the pass will compare that their digests will be asked for, rather
    // than a window's worth ahead of the row: a far side then digests them
    // all at once, and the network's round trip is waited for once.
    void SetAnnounceAll(bool announce) { AnnounceAll = announce; }

    TPairingResult Run(const TEntryList& listM, const TEntryList& listS, TResultList& results);

    // The result of one pair with the same RelPath, judged as the pass judges
    // it, its contents compared on the calling thread: for a pair examined
    // again after the pass (a copy between the sides). The text is results'.
    const TResultText* JudgeNow(const TSearchRecEx& m, const TSearchRecEx& s, TResultList& results);

    // Appends the reason tokens for two entries with the same RelPath, in
    // check order: "サイズ ", "更新日 ", then "フォルダとファイル " (which
    // replaces the others), then "属性 ". Empty when nothing but the contents
    // could tell them apart.
    static void AttributeReason(const TSearchRecEx& m, const TSearchRecEx& s,
                                const TCompareOption& option, std::string& reason);

private:
    // A planned step and what is known of its result before it is due.
    struct TPlanned {
        // LineEnds: two files that differ by size alone, compared under the
        // rule of IgnoreLineEnds when due. Moved: a source file with its
        // target MovedTo; Merged: a target file whose row is that of the
        // source file that moved to it.
        enum class TKind {
            NoSource,
            NoTarget,
            Equal,
            Different,
            Contents,
            LineEnds,
            Moved,
            Merged
        };
        TPairingStep Step;
        TKind Kind = TKind::Equal;
        int MovedTo = -1;
        std::string Reason;  // for Different; for Contents once compared
    };

    void PlanStep(TPlanned& planned, const TEntryList& listM, const TEntryList& listS,
                  class TContentPipeline& pipeline);
    // The kind of a step whose two entries share a RelPath, with its reason:
    // Different, LineEnds, Equal, or Contents when their bytes decide.
    TPlanned::TKind JudgePair(const TSearchRecEx& m, const TSearchRecEx& s,
                              std::string& reason) const;
    // The announcements of SetAnnounceAll; false when a stop ended them.
    bool AnnounceContents(const TEntryList& listM, const TEntryList& listS) const;
    // True when IgnoreLineEnds is set and the two files are alike under it.
    bool AlikeIgnoringLineEnds(const TSearchRecEx& m, const TSearchRecEx& s);
    void Emit(const TSearchRecEx* m, const TSearchRecEx* s, const TResultText* text,
              TResultList& results);

    TCompare* Sender;
    ICompareCallBack* Callback;
    const TCompareOption Option;  // a copy: the owner may change its own during a run
    const std::atomic<bool>& Stop;
    TContentComparer& Contents;
    const TLookahead Lookahead;
    TLineEndComparer LineEndContents;
    TUnreadableFolders UnreadableM, UnreadableS;
    const TMovedFiles* Moved = nullptr;
    bool AnnounceAll = false;
    int RowIndex = 0;
    int EqualRows = 0;
    // Reused for every row.
    std::string Text;
};

#include "TPairing.h"

#include <algorithm>
#include <thread>

#include "ICompareCallBack.h"
#include "TContentPipeline.h"
#include "TDigestComparer.h"
#include "TEntryFacts.h"
#include "TEntrySource.h"
#include "TMovedFiles.h"

namespace {

constexpr std::string_view TextEqual = "等価";
constexpr std::string_view TextEqualLineEnds = "等価 (改行・空白)";
constexpr std::string_view TextSizeOnly = "サイズ ";
constexpr std::string_view TextNoSource = "比較元無し";
constexpr std::string_view TextNoTarget = "比較先無し";
constexpr std::string_view TextDifferent = "相違: ";
constexpr std::string_view TokenMoved = "移動 ";

// Steps planned ahead: enough to keep the workers busy through a run of rows
// that need no comparison, small enough to cost nothing.
constexpr size_t PipelineWindow = 128;

void SetIndex(const TEntryList& list, int position) {
    if (TSearchRecEx* entry = list.At(position))
        entry->Index.store(position, std::memory_order_relaxed);
}

// Two modification times (2-second slots of local time) that count as equal:
// the same slot, or apart by k whole hours (0 <= k <= TimeShift, a copy made
// under another zone or across a daylight-saving change) give or take
// TimeTolerance seconds. The hour nearest the difference is the only one that
// can be close enough.
bool SameTime(int64_t a, int64_t b, const TCompareOption& option) {
    if (a == b)
        return true;
    constexpr uint64_t Hour = 3600;
    // Unsigned, so that no two times overflow the difference.
    const uint64_t apart = a > b ? uint64_t(a) - uint64_t(b) : uint64_t(b) - uint64_t(a);
    const uint64_t hours = std::min<uint64_t>(apart / Hour + (apart % Hour >= Hour / 2 ? 1 : 0),
                                              static_cast<uint64_t>(std::max(0, option.TimeShift)));
    const uint64_t shifted = hours * Hour;
    const uint64_t off = apart > shifted ? apart - shifted : shifted - apart;
    return off <= static_cast<uint64_t>(std::max(0, option.TimeTolerance));
}

// True when either entry is known by name only, or (a link a snapshot
// recorded as a link) by its target text only.
bool Unexamined(const TSearchRecEx& m, const TSearchRecEx& s) {
    auto unknown = [](TFileKind kind) {
        return kind == TFileKind::Unexamined || kind == TFileKind::Link;
    };
    return unknown(m.Kind) || unknown(s.Kind);
}

// True when both entries know a fact (a snapshot may not have recorded it).
bool BothRecorded(const TSearchRecEx& m, const TSearchRecEx& s, uint8_t fact) {
    return Recorded(m, fact) && Recorded(s, fact);
}

}  // namespace

TLookahead TLookahead::Pipelined() {
    // The pass's own thread compares too whenever it would otherwise wait, so
    // one worker per further core keeps every core reading.
    int cores = static_cast<int>(std::thread::hardware_concurrency());
    return {PipelineWindow, std::clamp(cores - 1, 1, 3)};
}

TPairing::TPairing(TCompare* sender, ICompareCallBack* callback, const TCompareOption& option,
                   const std::atomic<bool>& stop, TContentComparer& contents, TLookahead lookahead)
    : Sender(sender),
      Callback(callback),
      Option(option),
      Stop(stop),
      Contents(contents),
      Lookahead(lookahead),
      LineEndContents([&stop] { return stop.load(std::memory_order_relaxed); }) {}

void TPairing::AttributeReason(const TSearchRecEx& m, const TSearchRecEx& s,
                               const TCompareOption& option, std::string& reason) {
    bool folderM = m.IsFolder();
    bool folderS = s.IsFolder();
    // Of an entry known by name only nothing but the name is known: no size,
    // time or attribute can tell it apart, and its row says what reading it gives.
    const bool unknown = Unexamined(m, s);
    if (!(folderM && folderS && option.IgnoreDirTimeSize) && !unknown) {
        if (!option.IgnoreSize && m.Size != s.Size && BothRecorded(m, s, TEntryFacts::HasSize))
            reason += "サイズ ";
        if (!option.IgnoreTime && !SameTime(m.Time, s.Time, option) &&
            BothRecorded(m, s, TEntryFacts::HasTime))
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
        if (unknown)
            mask &= Attr::Hidden;  // the one bit the name itself gives
        if (!BothRecorded(m, s, TEntryFacts::HasMode))
            mask &= ~Attr::ReadOnly;
        if ((m.Attr ^ s.Attr) & mask)
            reason += "属性 ";
    }
}

void TPairing::PlanStep(TPlanned& planned, const TEntryList& listM, const TEntryList& listS,
                        TContentPipeline& pipeline) {
    using TKind = TPlanned::TKind;
    const TSearchRecEx* m = listM.At(planned.Step.RowM);
    const TSearchRecEx* s = listS.At(planned.Step.RowS);
    planned.Reason.clear();
    planned.MovedTo = -1;
    if (!m) {
        planned.Kind = TKind::NoSource;
        if (!UnreadableM.Empty() && UnreadableM.HoldsAncestorOf(*s)) {
            planned.Kind = TKind::Different;
            planned.Reason = TUnreadableFolders::OtherSideReason(true);
        } else if (Moved && Moved->IsTarget(planned.Step.RowS)) {
            planned.Kind = TKind::Merged;
        }
    } else if (!s) {
        planned.Kind = TKind::NoTarget;
        const int target = Moved ? Moved->TargetOf(planned.Step.RowM) : -1;
        if (!UnreadableS.Empty() && UnreadableS.HoldsAncestorOf(*m)) {
            planned.Kind = TKind::Different;
            planned.Reason = TUnreadableFolders::OtherSideReason(false);
        } else if (target >= 0) {
            planned.Kind = TKind::Moved;
            planned.MovedTo = target;
            planned.Reason.assign(TokenMoved);
            AttributeReason(*m, *listS.At(target), Option, planned.Reason);
        }
    } else {
        // Entries do not change during the pass (but for Index), so the
        // attribute checks can be made ahead of the row.
        planned.Kind = JudgePair(*m, *s, planned.Reason);
        if (planned.Kind == TKind::Contents) {
            TDigestComparer::Announce(*m, *s);
            pipeline.Post(*m, *s);
        }
    }
}

TPairing::TPlanned::TKind TPairing::JudgePair(const TSearchRecEx& m, const TSearchRecEx& s,
                                              std::string& reason) const {
    using TKind = TPlanned::TKind;
    AttributeReason(m, s, Option, reason);
    TUnreadableFolders::AppendReason(m, s, reason);
    if (!reason.empty()) {
        // Under IgnoreLineEnds two files that differ by size alone may
        // still be alike: their lines decide, when the row is due. Only
        // where both files can be read here.
        const bool lineEnds = Option.IgnoreLineEnds && !Option.SkipContents &&
                              reason == TextSizeOnly && m.Kind == TFileKind::Regular &&
                              s.Kind == TFileKind::Regular && HasFile(m) && HasFile(s);
        return lineEnds ? TKind::LineEnds : TKind::Different;
    }
    if ((Option.SkipContents && !Unexamined(m, s)) || (m.IsFolder() && s.IsFolder()))
        return TKind::Equal;
    return TKind::Contents;
}

const TResultText* TPairing::JudgeNow(const TSearchRecEx& m, const TSearchRecEx& s,
                                      TResultList& results) {
    using TKind = TPlanned::TKind;
    std::string reason;
    int code = ContentResult::Different;
    switch (JudgePair(m, s, reason)) {
        case TKind::Equal:
            return results.Intern(TextEqual, TVerdict::Equal);
        case TKind::Contents:
            code = Contents.Compare(m, s, reason);
            if (code == ContentResult::Equal)
                return results.Intern(TextEqual, TVerdict::Equal);
            [[fallthrough]];
        case TKind::LineEnds:
            if (code == ContentResult::Different && AlikeIgnoringLineEnds(m, s))
                return results.Intern(TextEqualLineEnds, TVerdict::Equal);
            break;
        default:
            break;
    }
    Text.assign(TextDifferent).append(reason);
    return results.Intern(Text, TVerdict::Different);
}

bool TPairing::AnnounceContents(const TEntryList& listM, const TEntryList& listS) const {
    TPairingSteps steps(listM, listS, Option.CaseSensitive);
    TPairingStep step;
    std::string reason;
    for (size_t i = 1; steps.Next(step); ++i) {
        if (i % 4096 == 0 && Stop.load(std::memory_order_relaxed))
            return false;
        const TSearchRecEx* m = listM.At(step.RowM);
        const TSearchRecEx* s = listS.At(step.RowS);
        reason.clear();
        if (m && s && JudgePair(*m, *s, reason) == TPlanned::TKind::Contents)
            TDigestComparer::Announce(*m, *s);
    }
    return true;
}

bool TPairing::AlikeIgnoringLineEnds(const TSearchRecEx& m, const TSearchRecEx& s) {
    // Only files that can be read here: an entry of a snapshot or a far side
    // has no file at its path on this machine (another file may be there).
    if (!Option.IgnoreLineEnds || m.Kind != TFileKind::Regular || s.Kind != TFileKind::Regular ||
        !HasFile(m) || !HasFile(s))
        return false;
    return LineEndContents.Alike(m.FullPath(), s.FullPath());
}

void TPairing::Emit(const TSearchRecEx* m, const TSearchRecEx* s, const TResultText* text,
                    TResultList& results) {
    TResultRow row(m, s, text);
    if (row.Verdict() == TVerdict::Equal)
        ++EqualRows;
    if (Callback)
        Callback->OnRowReady(Sender, RowIndex, EqualRows, RowIndex + 1 - EqualRows, m, s, row);
    results.Append(row);
    ++RowIndex;
}

TPairingResult TPairing::Run(const TEntryList& listM, const TEntryList& listS,
                             TResultList& results) {
    using TKind = TPlanned::TKind;
    RowIndex = 0;
    EqualRows = 0;
    TPairingResult result;
    TPairingSteps steps(listM, listS, Option.CaseSensitive);
    UnreadableM.Reset(listM, Option.CaseSensitive);
    UnreadableS.Reset(listS, Option.CaseSensitive);
    if (AnnounceAll)
        AnnounceContents(listM, listS);
    const size_t window = std::max<size_t>(1, Lookahead.Window);
    // Declared after the ring so that the workers are joined before it goes.
    std::vector<TPlanned> ring(window);
    TContentPipeline pipeline(Stop, window, Lookahead.Workers);
    size_t head = 0, planned = 0;
    bool planning = true;

    while (true) {
        // Plan ahead: nothing a reader can see changes here.
        while (planning && planned - head < window) {
            TPlanned& next = ring[planned % window];
            if (!steps.Next(next.Step)) {
                planning = false;
                pipeline.PostingEnded();
                break;
            }
            PlanStep(next, listM, listS, pipeline);
            ++planned;
        }
        if (Stop.load(std::memory_order_relaxed)) {
            result.Stopped = true;
            break;
        }
        if (head == planned)
            break;
        TPlanned& due = ring[head % window];
        SetIndex(listM, due.Step.HeadM);
        SetIndex(listS, due.Step.HeadS);
        SetIndex(listM, due.Step.RowM);
        SetIndex(listS, due.Step.RowS);
        const TSearchRecEx* m = listM.At(due.Step.RowM);
        const TSearchRecEx* s = listS.At(due.Step.RowS);
        const TResultText* text = nullptr;
        switch (due.Kind) {
            case TKind::Merged:
                break;
            case TKind::Moved:
                SetIndex(listS, due.MovedTo);
                s = listS.At(due.MovedTo);
                Text.assign(TextDifferent).append(due.Reason);
                text = results.Intern(Text, TVerdict::Different);
                break;
            case TKind::NoSource:
                text = results.Intern(TextNoSource, TVerdict::Different);
                break;
            case TKind::NoTarget:
                text = results.Intern(TextNoTarget, TVerdict::Different);
                break;
            case TKind::Equal:
                text = results.Intern(TextEqual, TVerdict::Equal);
                break;
            case TKind::Contents: {
                // A stop seen by this comparison came after this step's stop
                // check: the sequential pass would have cut this very pair.
                const int code = pipeline.TakeNext(Contents, due.Reason);
                if (code == ContentResult::Equal) {
                    text = results.Intern(TextEqual, TVerdict::Equal);
                    break;
                }
                if (code == ContentResult::Different && AlikeIgnoringLineEnds(*m, *s)) {
                    text = results.Intern(TextEqualLineEnds, TVerdict::Equal);
                    break;
                }
                [[fallthrough]];
            }
            case TKind::LineEnds:
                if (due.Kind == TKind::LineEnds && AlikeIgnoringLineEnds(*m, *s)) {
                    text = results.Intern(TextEqualLineEnds, TVerdict::Equal);
                    break;
                }
                [[fallthrough]];
            case TKind::Different:
                Text.assign(TextDifferent).append(due.Reason);
                text = results.Intern(Text, TVerdict::Different);
                break;
        }
        if (text)
            Emit(m, s, text, results);
        ++head;
    }
    result.Rows = RowIndex;
    result.Equal = EqualRows;
    return result;
}

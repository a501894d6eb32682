#include "TCompare.h"

#include <exception>
#include <optional>
#include <thread>
#include <utility>

#include "TContentComparer.h"
#include "TEntryList.h"
#include "TEntrySource.h"
#include "TExcludeFilter.h"
#include "TMovedFiles.h"
#include "TPairing.h"
#include "TRemoteSource.h"
#include "TRemoteUrl.h"
#include "TResultList.h"
#include "platform/Collator.h"
#include "platform/Directory.h"

namespace {

constexpr const char* TextBadPathM = "比較元のパスが不正です";
constexpr const char* TextBadPathS = "比較先のパスが不正です";
constexpr const char* TextUnreadableM = "比較元のフォルダを読めません";
constexpr const char* TextUnreadableS = "比較先のフォルダを読めません";
constexpr const char* TextListStoppedM = "比較元のファイルリスト取得中に処理が中断されました";
constexpr const char* TextListStoppedS = "比較先のファイルリスト取得中に処理が中断されました";
constexpr const char* TextPairingStopped = "処理が中断されました";
constexpr const char* TextNoDifference = "相違はありませんでした";
constexpr const char* TextDifferences = " 件の相違が見つかりました";

}  // namespace

TCompare::TCompare(ICompareCallBack* callback) {
    Reset();
    Callback = callback;
}

TCompare::~TCompare() = default;

namespace {

// A far side is checked for its form only: whether its folder exists is
// known once the far side answers. A local side is a folder or a snapshot file.
bool ValidSide(const std::string& path) {
    return IsValidSide(path);
}

// Empty when a local folder can be opened for listing, else the system's
// reason. A snapshot file was found readable by ValidSide.
std::string UnreadableReason(const std::string& path) {
    if (IsRemoteUrl(path) || !platform::IsFolder(path))
        return {};
    platform::TDirectory folder;
    return folder.OpenPath(path) ? std::string() : folder.LastErrorText();
}

}  // namespace

int TCompare::TestPaths() const {
    if (!ValidSide(PathM))
        return CompareStatus::BadPathM;
    if (!ValidSide(PathS))
        return CompareStatus::BadPathS;
    return CompareStatus::Success;
}

TPathCheck CheckFolders(const std::string& pathM, const std::string& pathS) {
    if (!ValidSide(pathM))
        return {CompareStatus::BadPathM, TextBadPathM};
    if (!ValidSide(pathS))
        return {CompareStatus::BadPathS, TextBadPathS};
    // A root that cannot be read would list as empty: the run would find its
    // whole tree equal to an empty one, or everything of the other side missing.
    if (std::string reason = UnreadableReason(pathM); !reason.empty())
        return {CompareStatus::BadPathM, TextUnreadableM + ("(" + reason + ")")};
    if (std::string reason = UnreadableReason(pathS); !reason.empty())
        return {CompareStatus::BadPathS, TextUnreadableS + ("(" + reason + ")")};
    return {};
}

int TCompare::CheckPaths() {
    Reset();
    TPathCheck check = CheckFolders(PathM, PathS);
    Status = check.Status;
    ErrorMessage = std::move(check.Message);
    return Status;
}

int TCompare::Compare() noexcept {
    Reset();
    Retired.clear();
    // An exception from a step (or from the caller's callbacks) ends the run
    // as a runtime failure with its text; the end is reported all the same.
    auto fail = [this](const char* text) noexcept {
        Status = CompareStatus::RuntimeFailure;
        try {
            ErrorMessage = text;
        } catch (...) {
            // No memory for the text: this one fits in the string's own
            // storage, so assigning it cannot fail.
            ErrorMessage = "std::bad_alloc";
        }
    };
    auto run = [&fail](auto&& step) noexcept {
        try {
            step();
        } catch (const std::exception& e) {
            fail(e.what());
        } catch (...) {
            fail("unknown exception");
        }
    };
    run([this] {
        if (Callback)
            Callback->OnCompareBegin(this);
        ListAndPair();
    });
    run([this] {
        if (Callback)
            Callback->OnCompareEnd(this);
    });
    return Status;
}

namespace {

// One side listed (and sorted, unless a stop is pending), with what went wrong.
struct TListing {
    std::shared_ptr<TEntryList> List;
    TListOutcome Outcome;
    std::exception_ptr Failure;
};

void ListAndSort(TListing& out, const std::shared_ptr<TEntrySource>& source,
                 const std::atomic<bool>& stop, const TExcludeFilter* exclude,
                 bool caseSensitive) noexcept {
    try {
        out.List = std::make_shared<TEntryList>(source);
        out.Outcome = source->List(*out.List, TListRequest{stop, exclude, false, caseSensitive});
        // Sorted before it is published, so that a list another thread can see
        // is complete and never changes order. After a stop nothing is paired.
        if (out.Outcome.Result != -1 && out.Outcome.Status == 0 && !out.Outcome.Sorted &&
            !stop.load(std::memory_order_relaxed)) {
            platform::TCollator collator;
            out.List->Sort(collator, &stop, caseSensitive);
        }
    } catch (...) {
        out.Failure = std::current_exception();
    }
}

}  // namespace

void TCompare::ListAndPair() {
    // The same patterns for both trees, compiled once; none costs nothing.
    std::optional<TExcludeFilter> filter;
    if (!Option.Exclude.empty())
        filter.emplace(Option.Exclude, Option.CaseSensitive);
    const TExcludeFilter* exclude = filter ? &*filter : nullptr;
    // Whatever ends the run, the far sides end with it.
    struct TEndRemote {
        TCompare* Self;
        ~TEndRemote() { Self->EndRemoteSides(); }
    } endRemote{this};
    const std::shared_ptr<TEntrySource> sourceM = MakeSide(PathM);
    const std::shared_ptr<TEntrySource> sourceS = MakeSide(PathS);
    // The two sides are listed at once, the target on a second thread.
    TListing m, s;
    std::thread worker;
    try {
        worker = std::thread(ListAndSort, std::ref(s), std::cref(sourceS), std::cref(StopFlag),
                             exclude, Option.CaseSensitive);
    } catch (...) {
        // No thread to be had: the target is listed after the source.
    }
    ListAndSort(m, sourceM, StopFlag, exclude, Option.CaseSensitive);
    if (worker.joinable()) {
        worker.join();
    } else {
        ListAndSort(s, sourceS, StopFlag, exclude, Option.CaseSensitive);
    }
    if (m.Failure) {
        // The target list is not replaced: it would not have been listed yet.
        Publish(std::move(m.List), nullptr);
        std::rethrow_exception(m.Failure);
    }
    Publish(std::move(m.List), std::move(s.List));
    if (s.Failure)
        std::rethrow_exception(s.Failure);

    // A snapshot that cannot be read ends the run (the source's first).
    for (const TListing* side : {&m, &s}) {
        if (side->Outcome.Status != CompareStatus::Success) {
            Status = side->Outcome.Status;
            ErrorMessage = side->Outcome.Message;
            // A far folder that is none: the side's own bad-path status.
            if (Status == CompareStatus::BadPathM || Status == CompareStatus::BadPathS) {
                Status = side == &m ? CompareStatus::BadPathM : CompareStatus::BadPathS;
                ErrorMessage = std::string(side == &m ? TextBadPathM : TextBadPathS) + " (" +
                               side->Outcome.Message + ")";
            }
            return;
        }
    }
    // The result is that of listing one tree after the other: a stop during
    // the source listing, still pending, would have stopped the target at its
    // first name, unless the target root delivers none.
    bool stoppedM = m.Outcome.Result == -1;
    bool stoppedS = s.Outcome.Result == -1 || (stoppedM && s.Outcome.Delivered);
    if (stoppedM) {
        Status = CompareStatus::ListStoppedM;
        ErrorMessage = TextListStoppedM;
    }
    if (stoppedS) {
        Status = CompareStatus::ListStoppedS;
        ErrorMessage = TextListStoppedS;
    }
    if (Status == CompareStatus::Success)
        Pair();
}

void TCompare::Pair() {
    if (Callback)
        Callback->OnListReady(this, ListM->Count(), ListS->Count());
    auto results = std::make_shared<TResultList>(ListM, ListS);
    Retired.reserve(Retired.size() + 1);
    ResultsView.store(results.get(), std::memory_order_release);
    Retire(std::exchange(Results, std::move(results)));

    TContentComparer contents([this] { return IsStopRequested(); });
    const TCompareOption option = Option;
    const TLookahead lookahead = Sequential ? TLookahead::Sequential() : TLookahead::Pipelined();
    TPairing pairing(this, Callback, option, StopFlag, contents, lookahead);
    TMovedFiles moved(StopFlag);
    if (option.DetectMoved) {
        moved.Find(*ListM, *ListS, option, lookahead.Workers);
        pairing.SetMoved(&moved);
    }
    // A far side digests every pair's file at once, asked for before the pass.
    pairing.SetAnnounceAll(!RemoteSides.empty());
    TPairingResult result = pairing.Run(*ListM, *ListS, *Results);
    if (result.Stopped) {
        Status = CompareStatus::PairingStopped;
        ErrorMessage = TextPairingStopped;
    }
    // A far side lost during the pass ended it: the run says so before its
    // counts are reported.
    EndRemoteSides();
    int different = result.Rows - result.Equal;
    if (Callback)
        Callback->OnCompareDone(this, result.Rows, result.Equal, different);
    Summary = different == 0 ? TextNoDifference : std::to_string(different) + TextDifferences;
}

std::shared_ptr<TEntrySource> TCompare::MakeSide(const std::string& path) {
    if (!IsRemoteUrl(path))
        return MakeEntrySource(path);
    auto remote =
        std::make_shared<TRemoteSource>(path, Remote, Option.Exclude, Option.CaseSensitive);
    // A far side lost during the pass stops it; EndRemoteSides says why.
    remote->SetOnFailure([this] { RequestStop(true); });
    RemoteSides.push_back(remote);
    return remote;
}

void TCompare::EndRemoteSides() noexcept {
    for (const std::shared_ptr<TRemoteSource>& remote : RemoteSides) {
        remote->Close();
        // The loss is what stopped the run (the pass, or a listing still
        // under way), so it is what the run reports.
        const bool stopped =
            Status == CompareStatus::Success || Status == CompareStatus::ListStoppedM ||
            Status == CompareStatus::ListStoppedS || Status == CompareStatus::PairingStopped;
        std::string message;
        if (const int status = remote->FailureStatus(message); status != 0 && stopped) {
            Status = status;
            ErrorMessage = std::move(message);
        }
    }
    RemoteSides.clear();
}

void TCompare::Retire(std::shared_ptr<void> old) noexcept {
    if (!old)
        return;
    try {
        Retired.push_back(std::move(old));
    } catch (...) {
        // Without room to keep it, it is freed now; only a reader racing this
        // very moment could notice.
    }
}

void TCompare::Publish(std::shared_ptr<TEntryList> listM,
                       std::shared_ptr<TEntryList> listS) noexcept {
    if (listM) {
        ViewM.store(listM.get(), std::memory_order_release);
        Retire(std::exchange(ListM, std::move(listM)));
    }
    if (listS) {
        ViewS.store(listS.get(), std::memory_order_release);
        Retire(std::exchange(ListS, std::move(listS)));
    }
}

void TCompare::RequestStop(bool stop) {
    if (!StopFlag.load())
        StopFlag.store(stop);
}

int TCompare::GetRowCount() const {
    const TResultList* results = ResultsView.load(std::memory_order_acquire);
    return results ? results->Count() : 0;
}

const TResultRow* TCompare::GetRow(int index) const {
    const TResultList* results = ResultsView.load(std::memory_order_acquire);
    return results ? results->Row(index) : nullptr;
}

const TSearchRecEx* TCompare::GetEntryM(int index) const {
    const TEntryList* list = ViewM.load(std::memory_order_acquire);
    return list ? list->At(index) : nullptr;
}

const TSearchRecEx* TCompare::GetEntryS(int index) const {
    const TEntryList* list = ViewS.load(std::memory_order_acquire);
    return list ? list->At(index) : nullptr;
}

// String 5 (6) of a row is its source (target) entry's Index in decimal, or
// empty; reading the Index directly gives the same number without the text.
const TSearchRecEx* TCompare::GetRowEntryM(int index) const {
    const TResultRow* row = GetRow(index);
    if (!row || !row->EntryM())
        return nullptr;
    return GetEntryM(row->EntryM()->Index.load(std::memory_order_relaxed));
}

const TSearchRecEx* TCompare::GetRowEntryS(int index) const {
    const TResultRow* row = GetRow(index);
    if (!row || !row->EntryS())
        return nullptr;
    return GetEntryS(row->EntryS()->Index.load(std::memory_order_relaxed));
}

void TCompare::Clear() {
    Reset();
    ResultsView.store(nullptr, std::memory_order_release);
    ViewM.store(nullptr, std::memory_order_release);
    ViewS.store(nullptr, std::memory_order_release);
    Results.reset();
    ListM.reset();
    ListS.reset();
    Retired.clear();
}

void TCompare::Reset() {
    StopFlag.store(false);
    Status = CompareStatus::Success;
    ErrorMessage.clear();
    Summary.clear();
}

#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "ICompareCallBack.h"
#include "TCompareOption.h"
#include "TRemoteSettings.h"
#include "TResultRow.h"
#include "TSearchRec.h"

class TEntryList;
class TEntrySource;
class TRemoteSource;
class TResultList;

// Status codes of CheckPaths and Compare.
namespace CompareStatus {
constexpr int Success = 0;
constexpr int BadPathM = 1;  // "比較元のパスが不正です" (or its folder cannot be read)
constexpr int BadPathS = 2;  // "比較先のパスが不正です" (or its folder cannot be read)
constexpr int ListStoppedM = 11;  // "比較元のファイルリスト取得中に処理が中断されました"
constexpr int ListStoppedS = 12;  // "比較先のファイルリスト取得中に処理が中断されました"
// A side given as a snapshot file that cannot be read as one (cut off,
// malformed, hostile): "スナップショット <file> の <line> 行目: <reason>".
constexpr int BadSnapshot = 13;
constexpr int PairingStopped = 100;  // "処理が中断されました"
constexpr int RuntimeFailure = -1;   // the failure's own message
// A side on another machine (ssh://...): each failure of the connection has a
// status of its own; the message names the host and what failed.
constexpr int RemoteSshFailed = 21;  // ssh could not start, or failed (its own message)
constexpr int RemoteRefused = 22;    // the host refused the connection or cannot be reached
constexpr int RemoteHostKey = 23;    // the host's key is unknown or changed: ssh would ask
constexpr int RemoteNoProgram = 24;  // the far side has no such program
constexpr int RemoteVersion = 25;    // the far program is another version
constexpr int RemoteDropped = 26;    // the connection ended before the run did
constexpr int RemoteBadData = 27;    // the far side sent what breaks the stream's rules
}  // namespace CompareStatus

// The outcome of checking two sides: a status of CheckPaths with its message.
struct TPathCheck {
    int Status = CompareStatus::Success;
    std::string Message;
};

// The check of CheckPaths for two given sides, as a value: it touches no
// engine, so that a caller can check folders before it changes anything.
TPathCheck CheckFolders(const std::string& pathM, const std::string& pathS);

// The comparison engine: lists two folder trees, pairs their entries by path
// relative to each root, judges every pair under TCompareOption and keeps one
// result row per pairing step. Either side may also be a snapshot file
// (TEntrySource): its entries then stand for the tree it was made of. No failure escapes its
// operations: they end in a status code and message (runs) or in a row's result text (content
// reads).
//
// Threads: Compare and every callback run on the caller's thread. The target
// tree is listed on a helper thread meanwhile, joined before OnListReady, and
// during pairing worker threads compare the contents of later pairs; they are
// joined before OnCompareDone and never call back. From another
// thread, during a run, it is safe to call RequestStop, IsStopRequested,
// GetRowCount, GetRow (for an index below GetRowCount), GetPathM, GetPathS,
// TestPaths, GetEntryM and GetEntryS (the lists are complete before
// OnListReady; pairing changes only the entries' Index).
class TCompare {
public:
    explicit TCompare(ICompareCallBack* callback);
    ~TCompare();
    TCompare(const TCompare&) = delete;
    TCompare& operator=(const TCompare&) = delete;

    void SetOption(const TCompareOption& option) { Option = option; }
    const TCompareOption& GetOption() const { return Option; }
    // Sequential: every content comparison runs on the thread of Compare when
    // its row is due. Otherwise (the default) contents of later pairs are
    // compared ahead on worker threads; the rows, their order and the stop
    // behaviour are the same either way. Takes effect at the next Compare.
    void SetSequential(bool sequential) { Sequential = sequential; }
    void SetPathM(const std::string& path) { PathM = path; }
    void SetPathS(const std::string& path) { PathS = path; }
    std::string GetPathM() const { return PathM; }
    std::string GetPathS() const { return PathS; }
    // How far sides (ssh://...) are reached; takes effect at the next Compare.
    void SetRemoteSettings(const TRemoteSettings& settings) { Remote = settings; }
    const TRemoteSettings& GetRemoteSettings() const { return Remote; }

    // Reset, then tests that PathM and PathS are existing folders or readable
    // regular files, read as snapshots (source first), then that each folder
    // can be read. Returns the status: 0, 1 or 2, with its message; a folder
    // that is there but cannot be opened gives 1 or 2 with
    // "比較元のフォルダを読めません(<reason>)" or "比較先のフォルダを読めません(<reason>)".
    int CheckPaths();  // CheckFolders(PathM, PathS), kept as Status and ErrorMessage
    // The same test without touching any state, so that it cannot disturb a
    // running comparison: 0, 1 or 2.
    int TestPaths() const;
    // One run: list both trees, pair them, report through the callback. Returns
    // Status. Nothing escapes it: a failure anywhere, an exception from a
    // callback and running out of memory too, ends the run with Status -1 and
    // the failure's text.
    int Compare() noexcept;

    // Stores the value only while the stop flag is clear: the first request stands.
    void RequestStop(bool stop);
    bool IsStopRequested() const { return StopFlag.load(std::memory_order_relaxed); }

    int GetStatus() const { return Status; }
    std::string GetErrorMessage() const { return ErrorMessage; }
    std::string GetSummary() const { return Summary; }

    // Rows appended so far; never counts a row that is not yet appended.
    int GetRowCount() const;
    // Row `index`, or null below 0 or at or past GetRowCount.
    const TResultRow* GetRow(int index) const;
    // Entry at that position of the sorted source (target) list, or null.
    const TSearchRecEx* GetEntryM(int index) const;
    const TSearchRecEx* GetEntryS(int index) const;
    // The entry whose number stands in string 5 (6) of row `index`; null when
    // there is no such row or the string is not a decimal number.
    const TSearchRecEx* GetRowEntryM(int index) const;
    const TSearchRecEx* GetRowEntryS(int index) const;

    // After entries were copied from one side to the other, between runs:
    // examines the entries of `row` (one of GetRow's) again on both sides,
    // for a folder those of every row below it, and those of the folders
    // above it (which the copy may have made), and judges each pair as the
    // run judged it (its options; contents compared on this thread). An entry
    // that the copy made on a side that had none becomes an entry of that
    // side's list. A row with a side still missing keeps its result, as does
    // a row of a moved file. Returns the indexes of the rows whose result
    // changed, in order.
    std::vector<int> CompareRowsAgain(const TResultRow* row);

    // Reset, then frees the results and both lists.
    void Clear();
    // Clears the stop flag, Status 0, empty ErrorMessage and Summary.
    void Reset();

private:
    void ListAndPair();
    // The source of a side: a far side (ssh://...) made with the remote
    // settings and the patterns and kept in RemoteSides, otherwise
    // MakeEntrySource's.
    std::shared_ptr<TEntrySource> MakeSide(const std::string& path);
    // Ends the far sides' connections (and so their work), and takes over the
    // failure of one that was lost during the run.
    void EndRemoteSides() noexcept;
    void Pair();
    // Makes new entry lists (either may be null: keep that side's list) the
    // ones that GetEntryM and GetEntryS read.
    void Publish(std::shared_ptr<TEntryList> listM, std::shared_ptr<TEntryList> listS) noexcept;
    void Retire(std::shared_ptr<void> old) noexcept;

    ICompareCallBack* Callback = nullptr;
    std::shared_ptr<TResultList> Results;
    std::shared_ptr<TEntryList> ListM;
    std::shared_ptr<TEntryList> ListS;
    // What other threads read during a run, each published once complete.
    std::atomic<TResultList*> ResultsView{nullptr};
    std::atomic<TEntryList*> ViewM{nullptr};
    std::atomic<TEntryList*> ViewS{nullptr};
    // Lists and rows replaced during this run, freed at the next run or Clear,
    // so that a reader on another thread never has them freed under it.
    std::vector<std::shared_ptr<void>> Retired;
    TCompareOption Option;
#ifdef TANDRIL_SEQUENTIAL_ENGINE
    bool Sequential = true;  // the benchmark's reference build
#else
    bool Sequential = false;
#endif
    std::atomic<bool> StopFlag{false};
    std::string Summary;
    int Status = 0;
    std::string ErrorMessage;
    std::string PathM;
    std::string PathS;
    TRemoteSettings Remote;
    std::vector<std::shared_ptr<TRemoteSource>> RemoteSides;  // of the run under way
};

#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>

#include "TDigestComparer.h"
#include "TSearchRec.h"
#include "platform/AlignedBuffer.h"
#include "platform/BatchReader.h"
#include "platform/Directory.h"
#include "platform/FileReader.h"

// Result codes of a content comparison.
namespace ContentResult {
constexpr int Equal = 0;
constexpr int Different = -1;  // "内容が不一致" or "内容が不一致(サイズが一致しなかった)"
constexpr int OpenFailed = -101;  // "バイナリ比較失敗>open file error!!>" + message
constexpr int OpenError = -102;   // "比較失敗>open file error!!"
constexpr int ReadFailed = -111;  // "バイナリ比較失敗>check file error!!>" + message
constexpr int Cancelled = -999;  // "不明(キャンセルされた)", or the message of another failure
}  // namespace ContentResult

// Decides whether two files hold the same bytes, with the outcome of a
// comparison in 1024-byte cycles: cycle k reads min(1024, size - 1024k) bytes
// of each file; different counts end it with "内容が不一致(サイズが一致しなかった)",
// a differing byte in equal counts with "内容が不一致", two empty reads with
// equal. The stop probe is asked before every cycle.
//
// The files are read in blocks of 256 KiB (a system call per KiB would dominate
// the time) and each block is walked in 1024-byte cycles, which gives the same
// texts and the same stop points. The buffers belong to the comparer and are
// reused for every pair of a run.
//
// FIFOs, devices and sockets are never opened: two special files of the same
// kind are equal, a special file against anything else differs. A read failure
// is reported as a failure, never taken for the end of a file.
class TContentComparer {
public:
    static constexpr size_t CycleSize = 1024;
    static constexpr size_t BlockSize = 256 * 1024;

    // stopRequested is asked before every cycle; true ends with -999.
    explicit TContentComparer(std::function<bool()> stopRequested);
    ~TContentComparer();

    // Compares the files at pathM and pathS; kindM and kindS are what the
    // listing found. Returns a ContentResult code and sets reason (empty for
    // equal). Never throws.
    int Compare(const std::string& pathM, TFileKind kindM, const std::string& pathS,
                TFileKind kindS, std::string& reason);

    // The same for two listed entries (their FullPaths). Files are opened
    // relative to a handle of their folder, kept while consecutive pairs
    // share the folder, so no path is resolved from the root per pair. A
    // pair with a side that has no file here (a snapshot's entry) is
    // compared by digest instead (TDigestComparer).
    int Compare(const TSearchRecEx& m, const TSearchRecEx& s, std::string& reason);

    // A pair of a batch and where its outcome goes.
    struct TJob {
        const TSearchRecEx* M;
        const TSearchRecEx* S;
        int* Code;
        std::string* Reason;
    };
    // Pairs compared together at most.
    static constexpr size_t BatchPairs = platform::TBatchReader::MaxFiles / 2;
    // True when this comparer reads small files in batches (io_uring is
    // there): then gathering pairs for CompareBatch pays.
    bool Batches() { return Batch.Available(); }
    // The room a pair takes in a batch, or 0 when it does not join one: only
    // two regular files of 1 byte to 64 KiB, which are read whole at once.
    // The rooms of a batch add up to at most BlockSize.
    static size_t BatchRoom(const TSearchRecEx& m, const TSearchRecEx& s);
    // Compares every pair of jobs, each with the outcome Compare would give:
    // the files of all pairs are opened, read and closed together, each
    // into its own piece of the two buffers; a pair whose reads did not give
    // the listed sizes (changed, failed, not cached, no regular file) is then
    // compared as Compare does.
    void CompareBatch(std::span<const TJob> jobs);

    // True when the last comparison read bytes that were not in the page
    // cache yet: the files come from the disk.
    bool ReadUncached() const { return Uncached; }

    // The two read buffers, made once with the comparer.
    const platform::TAlignedBuffer& BufferOfM() const { return BufferM; }
    const platform::TAlignedBuffer& BufferOfS() const { return BufferS; }

private:
    // One side of a pair: where the file is and what the listing found.
    struct TSide {
        platform::TFileReader& Reader;
        const platform::TDirectory* Folder;  // null: open by path
        const char* Name;
        const std::string& Path;
        TFileKind Kind;
        int64_t ListedSize;  // of a listed regular file; -1: examine it when opened
    };
    int Run(TSide& m, TSide& s, std::string& reason);
    int Open(TSide& m, TSide& s, std::string& reason);
    int CompareBytes(std::string& reason);
    // Walks one block of each file in 1024-byte cycles. True with code and
    // reason set when the comparison ends in this block.
    bool CompareBlock(const char* blockM, int64_t countM, const char* blockS, int64_t countS,
                      int& code, std::string& reason);
    // Asks the stop probe; when it says stop, sets the outcome of a
    // comparison cut short.
    bool Stopped(int& code, std::string& reason);
    // Reads the queued files of jobs[first, last) and compares the pairs
    // read whole (done); the others are left to Compare.
    void RunBatch(std::span<const TJob> jobs, size_t first, size_t last, const bool* queued,
                  bool* done, bool& uncached);
    // A file turned out to be a FIFO, a device or a socket while it was read:
    // the pair compares by kind, as if the listing had found it so.
    int CompareKinds(std::string& reason);
    // Handles of the folders whose files were compared last, one cache per
    // side. Two are kept, not one: with contents compared ahead, a thread
    // moves between pairs near the row being delivered and pairs far ahead.
    // Not more, so that a process with few descriptors still has them for
    // the files.
    class TFolderCache {
    public:
        // The open handle of the folder, or null when it cannot be opened.
        const platform::TDirectory* Get(const TFolder& folder);
        // Whether Get for `folder` keeps the handle of `kept` open.
        bool Keeps(const TFolder& folder, const TFolder& kept) const;

    private:
        static constexpr size_t Size = 2;
        const TFolder* Folders[Size] = {};
        platform::TDirectory Handles[Size];
        size_t Next = 0;
    };

    std::function<bool()> StopRequested;
    platform::TAlignedBuffer BufferM;
    platform::TAlignedBuffer BufferS;
    platform::TFileReader ReaderM;
    platform::TFileReader ReaderS;
    std::string PathM;
    std::string PathS;
    TFolderCache FoldersM;
    TFolderCache FoldersS;
    bool Uncached = false;
    // Made at the first pair that needs it; reads with ReaderM and BufferM.
    std::unique_ptr<TDigestComparer> Digests;
    platform::TBatchReader Batch;
    // Where each queued pair's files go in the two buffers.
    size_t Offsets[BatchPairs] = {};
};

// Pairs of small files compared together: their files are opened, read and
// closed with one system call for the whole batch (platform::TBatchReader)
// instead of three per file.
#include <algorithm>
#include <cerrno>

#include "TContentComparer.h"

namespace {

// Larger files are few and cost their bytes more than their calls.
constexpr int64_t BatchFileLimit = 64 * 1024;
// Each file's piece starts on a cache line: some processors copy into memory
// that is not 64-byte aligned several times more slowly.
constexpr size_t PieceAlignment = 64;

// A file's piece: its listed size and one byte more, so that a file that grew
// since it was listed reads more than its size.
size_t Piece(int64_t size) {
    return (static_cast<size_t>(size) + PieceAlignment) / PieceAlignment * PieceAlignment;
}

bool Batchable(const TSearchRecEx& e) {
    return e.Kind == TFileKind::Regular && e.Size > 0 && e.Size <= BatchFileLimit;
}

}  // namespace

size_t TContentComparer::BatchRoom(const TSearchRecEx& m, const TSearchRecEx& s) {
    // A side without files here (a snapshot) is compared by digest.
    if (!Batchable(m) || !Batchable(s) || TDigestComparer::Needed(m, s))
        return 0;
    return std::max(Piece(m.Size), Piece(s.Size));
}

void TContentComparer::CompareBatch(std::span<const TJob> jobs) {
    bool done[BatchPairs] = {};
    const size_t count = std::min(jobs.size(), BatchPairs);
    bool uncached = false;
    bool queued[BatchPairs] = {};
    try {
        size_t first = 0;
        size_t used = 0;
        for (size_t k = 0; count >= 2 && Batch.Available() && k < count; ++k) {
            const TSearchRecEx& m = *jobs[k].M;
            const TSearchRecEx& s = *jobs[k].S;
            const size_t room = BatchRoom(m, s);
            if (room == 0)
                continue;
            // The queued files are opened relative to their folders' handles,
            // which must stay open until the batch runs, and the buffers must
            // hold every queued file: otherwise the queued ones run first.
            bool fits = used + room <= BlockSize;
            for (size_t q = first; fits && q < k; ++q)
                fits = !queued[q] || (FoldersM.Keeps(*m.Folder, *jobs[q].M->Folder) &&
                                      FoldersS.Keeps(*s.Folder, *jobs[q].S->Folder));
            if (!fits) {
                RunBatch(jobs, first, k, queued, done, uncached);
                first = k;
                used = 0;
            }
            const platform::TDirectory* folderM = FoldersM.Get(*m.Folder);
            const platform::TDirectory* folderS = FoldersS.Get(*s.Folder);
            if (!folderM || !folderS)
                continue;
            Offsets[k] = used;
            Batch.Add(*folderM, m.Name.c_str(), BufferM.Data() + used, Piece(m.Size));
            Batch.Add(*folderS, s.Name.c_str(), BufferS.Data() + used, Piece(s.Size));
            queued[k] = true;
            used += room;
        }
        RunBatch(jobs, first, count, queued, done, uncached);
    } catch (...) {
        // No memory for a folder handle or a text: what is queued is run
        // (the ring must not keep it) and every pair not done is compared
        // alone.
        if (Batch.Count() > 0)
            Batch.Run();
    }
    // The buffers held the batch's files until now: the pairs that need
    // them for reads of their own come last.
    for (size_t k = 0; k < jobs.size(); ++k) {
        if (k < count && done[k])
            continue;
        *jobs[k].Code = Compare(*jobs[k].M, *jobs[k].S, *jobs[k].Reason);
        uncached = uncached || Uncached;
    }
    Uncached = uncached;
}

void TContentComparer::RunBatch(std::span<const TJob> jobs, size_t first, size_t last,
                                const bool* queued, bool* done, bool& uncached) {
    if (Batch.Count() == 0)
        return;
    Batch.Run();
    size_t file = 0;
    for (size_t k = first; k < last; ++k) {
        if (!queued[k])
            continue;
        const int64_t countM = Batch.Result(file++);
        const int64_t countS = Batch.Result(file++);
        const TJob& job = jobs[k];
        // Anything but the listed sizes (a file changed, failed, is no
        // regular file, or is not cached) is left to Compare.
        if (countM != job.M->Size || countS != job.S->Size) {
            uncached = uncached || countM == -EAGAIN || countS == -EAGAIN;
            continue;
        }
        std::string& reason = *job.Reason;
        reason.clear();
        int code = ContentResult::Equal;
        // As in CompareBytes: the probe before the block is that of its
        // first cycle, and files that end with a block are found equal at
        // the first cycle of the next one.
        if (!Stopped(code, reason) &&
            !CompareBlock(BufferM.Data() + Offsets[k], countM, BufferS.Data() + Offsets[k], countS,
                          code, reason))
            Stopped(code, reason);
        *job.Code = code;
        done[k] = true;
    }
}

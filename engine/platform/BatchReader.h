#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

class TDirectory;

// Opens, reads and closes several small files with one system call
// (io_uring), where a file read alone costs three. Each file is opened
// relative to its folder's handle (without updating its access time), read
// once from its start into its own piece of memory, taking only what the page
// cache holds, and closed again; its descriptor never enters the process's
// table.
//
// Nothing here decides what a short or failed read means: a caller that finds
// a result it did not expect reads that file again the ordinary way, which
// names the failure. Where io_uring cannot be had (an old kernel, a seccomp
// filter, kernel.io_uring_disabled, a low descriptor limit, or
// TANDRIL_NO_IO_URING set to anything but "0" in the environment) Available is
// false and the caller reads file by file.
class TBatchReader {
public:
    static constexpr size_t MaxFiles = 32;

    TBatchReader();
    ~TBatchReader();
    TBatchReader(const TBatchReader&) = delete;
    TBatchReader& operator=(const TBatchReader&) = delete;

    // Sets the ring up on first use; false when it cannot be.
    bool Available();
    // Queues the file `name` in dir, to be read into buffer (at most size
    // bytes). At most MaxFiles files per batch; dir must stay open until Run.
    void Add(const TDirectory& dir, const char* name, char* buffer, size_t size);
    // Files queued and not run yet.
    size_t Count() const { return Queued; }
    // Opens, reads and closes every queued file and waits until all are
    // done; the next Add starts a new batch.
    void Run();
    // After Run: the bytes read from the batch's file i, or a negative error
    // number when it could not be opened or read, or the page cache did not
    // hold it.
    int64_t Result(size_t i) const { return Results[i]; }

private:
    struct TRing;
    std::unique_ptr<TRing> Ring;
    bool Tried = false;
    size_t Queued = 0;
    int64_t Results[MaxFiles] = {};
};

}  // namespace platform

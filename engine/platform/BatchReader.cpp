#include "platform/BatchReader.h"

#include <fcntl.h>
#include <liburing.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/Directory.h"

namespace platform {

namespace {

// Three steps per file: open into a slot of the ring's own table, read, close.
enum TStep : uint64_t { Open = 0, Read = 1, Close = 2 };

// Files opened directly into the ring's table cannot ask for O_CLOEXEC; they
// are never in the process's table, so nothing could inherit them.
constexpr int OpenFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOATIME;

bool SwitchedOff() {
    const char* value = std::getenv("TANDRIL_NO_IO_URING");
    return value && *value && std::strcmp(value, "0") != 0;
}

// The ring's descriptor and its table of files are taken from the process's
// descriptor limit: under a low one every descriptor is left to the files.
constexpr size_t LeastDescriptors = 256;

}  // namespace

struct TBatchReader::TRing {
    io_uring Ring{};
};

TBatchReader::TBatchReader() = default;

TBatchReader::~TBatchReader() {
    if (Ring)
        io_uring_queue_exit(&Ring->Ring);
}

bool TBatchReader::Available() {
    if (Tried)
        return Ring != nullptr;
    Tried = true;
    if (SwitchedOff() || DescriptorLimit() < LeastDescriptors)
        return false;
    auto ring = std::make_unique<TRing>();
    io_uring_params params{};
    // Every queued step is submitted even when one of them fails, so that no
    // step is left behind for the next batch.
    params.flags = IORING_SETUP_SUBMIT_ALL;
    if (io_uring_queue_init_params(3 * MaxFiles, &ring->Ring, &params) != 0)
        return false;
    bool usable = io_uring_register_files_sparse(&ring->Ring, MaxFiles) == 0;
    if (usable) {
        io_uring_probe* probe = io_uring_get_probe_ring(&ring->Ring);
        usable = probe && io_uring_opcode_supported(probe, IORING_OP_OPENAT) &&
                 io_uring_opcode_supported(probe, IORING_OP_READ) &&
                 io_uring_opcode_supported(probe, IORING_OP_CLOSE);
        if (probe)
            io_uring_free_probe(probe);
    }
    if (!usable) {
        io_uring_queue_exit(&ring->Ring);
        return false;
    }
    Ring = std::move(ring);
    return true;
}

void TBatchReader::Add(const TDirectory& dir, const char* name, char* buffer, size_t size) {
    io_uring* ring = &Ring->Ring;
    const auto slot = static_cast<unsigned>(Queued);
    const uint64_t tag = uint64_t(Queued) << 2;
    // Hard links: each step waits for the one before it, and a failed open
    // or a short read does not cancel the close after it.
    io_uring_sqe* sqe = io_uring_get_sqe(ring);
    io_uring_prep_openat_direct(sqe, dir.Handle(), name, OpenFlags, 0, slot);
    sqe->flags |= IOSQE_IO_HARDLINK;
    sqe->user_data = tag | Open;
    sqe = io_uring_get_sqe(ring);
    io_uring_prep_read(sqe, static_cast<int>(slot), buffer, static_cast<unsigned>(size), 0);
    sqe->flags |= IOSQE_FIXED_FILE | IOSQE_IO_HARDLINK;
    // Only what the page cache holds: a file that must come from the disk is
    // left to the ordinary reads, which keep two files reading at once.
    sqe->rw_flags = RWF_NOWAIT;
    sqe->user_data = tag | Read;
    sqe = io_uring_get_sqe(ring);
    io_uring_prep_close_direct(sqe, slot);
    sqe->user_data = tag | Close;
    Results[Queued++] = -ECANCELED;
}

void TBatchReader::Run() {
    io_uring* ring = &Ring->Ring;
    const unsigned expected = 3 * static_cast<unsigned>(Queued);
    const size_t queued = Queued;
    Queued = 0;
    int submitted = io_uring_submit_and_wait(ring, expected);
    while (submitted == -EINTR)
        submitted = io_uring_submit_and_wait(ring, expected);
    if (submitted < 0) {
        // What was queued may still be in the ring: the ring is given up.
        for (size_t i = 0; i < queued; ++i)
            Results[i] = submitted;
        io_uring_queue_exit(ring);
        Ring.reset();
        return;
    }
    bool openFailed[MaxFiles] = {};
    size_t refused = 0;
    unsigned seen = 0;
    while (seen < expected) {
        io_uring_cqe* cqe = nullptr;
        int waited = io_uring_wait_cqe(ring, &cqe);
        if (waited == -EINTR)
            continue;
        if (waited < 0)
            break;
        const size_t i = cqe->user_data >> 2;
        const auto step = static_cast<TStep>(cqe->user_data & 3);
        if (step == Open && cqe->res < 0) {
            openFailed[i] = true;
            Results[i] = cqe->res;
            refused += cqe->res == -EPERM;
        } else if (step == Read && !openFailed[i]) {
            Results[i] = cqe->res;
        }
        io_uring_cqe_seen(ring, cqe);
        ++seen;
    }
    // Steps not reaped would answer for the next batch: the ring is given
    // up. So it is where every file belongs to another user, whose access
    // times the kernel will not leave alone: the ordinary reads open those
    // files a second time.
    if (seen < expected || refused == queued) {
        io_uring_queue_exit(ring);
        Ring.reset();
    }
}

}  // namespace platform

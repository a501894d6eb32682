#include "FaultHooks.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <liburing.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <mutex>

namespace {

struct THooks {
    std::mutex Lock;
    std::map<std::string, std::function<void()>> Open;
    std::map<std::string, std::function<void()>> Stat;
    std::string FailingPath;
    int64_t FailAfter = 0;
    int ReadError = 0;
    int CopyError = 0;
    bool CopyNothing = false;
    // Set while a read or copy fault is armed: other calls pass at once.
    std::atomic<bool> Reads{false};
};

THooks& Hooks() {
    static THooks hooks;
    return hooks;
}

// Set while an action runs, so that its own calls pass straight through.
thread_local bool InAction = false;

std::string FdPath(int fd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[4096];
    ssize_t n = readlink(link, target, sizeof target - 1);
    return n < 0 ? std::string() : std::string(target, static_cast<size_t>(n));
}

// What a read of `count` bytes from fd meets: the error to fail with (0 for
// none) and how many bytes may be read before the failing point.
int ReadFault(int fd, size_t& count) {
    THooks& hooks = Hooks();
    std::lock_guard<std::mutex> lock(hooks.Lock);
    if (hooks.ReadError == 0 || FdPath(fd) != hooks.FailingPath)
        return 0;
    const off_t offset = lseek(fd, 0, SEEK_CUR);
    if (offset >= hooks.FailAfter)
        return hooks.ReadError;
    count = std::min<size_t>(count, static_cast<size_t>(hooks.FailAfter - offset));
    return 0;
}

std::string AbsolutePath(int dirfd, const char* path) {
    if (!path || path[0] == '/' || dirfd == AT_FDCWD)
        return path ? path : "";
    const std::string folder = FdPath(dirfd);
    return folder.empty() ? path : folder + "/" + path;
}

void RunHook(std::map<std::string, std::function<void()>>& table, int dirfd, const char* path) {
    if (InAction)
        return;
    std::function<void()> action;
    {
        std::lock_guard<std::mutex> lock(Hooks().Lock);
        if (table.empty())
            return;
        auto it = table.find(AbsolutePath(dirfd, path));
        if (it == table.end())
            return;
        action = std::move(it->second);
        table.erase(it);
    }
    InAction = true;
    action();
    InAction = false;
}

// The comparer opens, reads and closes small files in batches through
// io_uring, whose steps never pass the functions below. Before a batch is
// submitted, a read of the failing file that reaches the failing point is
// pointed at a slot of the ring's table that holds no file, so that it fails
// there too.
void FaultRingReads(io_uring* ring) {
    THooks& hooks = Hooks();
    std::lock_guard<std::mutex> lock(hooks.Lock);
    if (hooks.ReadError == 0)
        return;
    std::map<unsigned, std::string> opened;  // slot of the ring's table: path
    for (unsigned i = ring->sq.sqe_head; i != ring->sq.sqe_tail; ++i) {
        io_uring_sqe* sqe = &ring->sq.sqes[i & ring->sq.ring_mask];
        if (sqe->opcode == IORING_OP_OPENAT && sqe->file_index > 0)
            opened[sqe->file_index - 1] =
                AbsolutePath(sqe->fd, reinterpret_cast<const char*>(sqe->addr));
        else if (sqe->opcode == IORING_OP_READ && (sqe->flags & IOSQE_FIXED_FILE) &&
                 opened[static_cast<unsigned>(sqe->fd)] == hooks.FailingPath &&
                 static_cast<int64_t>(sqe->off + sqe->len) > hooks.FailAfter)
            sqe->fd = 1 << 30;
    }
}

template <typename T>
T Real(const char* name) {
    return reinterpret_cast<T>(dlsym(RTLD_NEXT, name));
}

}  // namespace

void BeforeOpen(const std::string& path, std::function<void()> action) {
    std::lock_guard<std::mutex> lock(Hooks().Lock);
    Hooks().Open[path] = std::move(action);
}

void BeforeStat(const std::string& path, std::function<void()> action) {
    std::lock_guard<std::mutex> lock(Hooks().Lock);
    Hooks().Stat[path] = std::move(action);
}

void FailReads(const std::string& path, int64_t after, int error) {
    std::lock_guard<std::mutex> lock(Hooks().Lock);
    Hooks().FailingPath = path;
    Hooks().FailAfter = after;
    Hooks().ReadError = error;
    Hooks().Reads = true;
}

void RefuseKernelCopies(int error) {
    std::lock_guard<std::mutex> lock(Hooks().Lock);
    Hooks().CopyError = error;
    Hooks().CopyNothing = error == 0;
    Hooks().Reads = true;
}

void ClearHooks() {
    std::lock_guard<std::mutex> lock(Hooks().Lock);
    Hooks().Open.clear();
    Hooks().Stat.clear();
    Hooks().ReadError = 0;
    Hooks().CopyError = 0;
    Hooks().CopyNothing = false;
    Hooks().Reads = false;
}

extern "C" int openat(int dirfd, const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    RunHook(Hooks().Open, dirfd, path);
    static auto real = Real<int (*)(int, const char*, int, ...)>("openat");
    return real(dirfd, path, flags, mode);
}

extern "C" int statx(int dirfd, const char* path, int flags, unsigned mask, struct statx* out) {
    RunHook(Hooks().Stat, dirfd, path);
    static auto real = Real<int (*)(int, const char*, int, unsigned, struct statx*)>("statx");
    return real(dirfd, path, flags, mask, out);
}

extern "C" ssize_t read(int fd, void* buffer, size_t count) {
    static auto real = Real<ssize_t (*)(int, void*, size_t)>("read");
    if (Hooks().Reads.load(std::memory_order_relaxed)) {
        if (const int error = ReadFault(fd, count)) {
            errno = error;
            return -1;
        }
    }
    return real(fd, buffer, count);
}

// The comparer reads with preadv2 first (what the page cache holds), then
// with read: both meet the same fault.
extern "C" ssize_t preadv2(int fd, const struct iovec* pieces, int count, off_t offset, int flags) {
    static auto real = Real<ssize_t (*)(int, const struct iovec*, int, off_t, int)>("preadv2");
    if (Hooks().Reads.load(std::memory_order_relaxed) && count == 1 && offset == -1) {
        struct iovec piece = pieces[0];
        if (const int error = ReadFault(fd, piece.iov_len)) {
            errno = error;
            return -1;
        }
        return real(fd, &piece, 1, offset, flags);
    }
    return real(fd, pieces, count, offset, flags);
}

extern "C" ssize_t copy_file_range(int in, off64_t* inOffset, int out, off64_t* outOffset,
                                   size_t count, unsigned flags) {
    static auto real =
        Real<ssize_t (*)(int, off64_t*, int, off64_t*, size_t, unsigned)>("copy_file_range");
    if (Hooks().Reads.load(std::memory_order_relaxed)) {
        int error = 0;
        {
            std::lock_guard<std::mutex> lock(Hooks().Lock);
            if (Hooks().CopyNothing)
                return 0;
            error = Hooks().CopyError;
        }
        if (error == 0)
            error = ReadFault(in, count);
        if (error != 0) {
            errno = error;
            return -1;
        }
    }
    return real(in, inOffset, out, outOffset, count, flags);
}

extern "C" int io_uring_submit_and_wait(struct io_uring* ring, unsigned waitCount) {
    static auto real = Real<int (*)(struct io_uring*, unsigned)>("io_uring_submit_and_wait");
    if (Hooks().Reads.load(std::memory_order_relaxed))
        FaultRingReads(ring);
    return real(ring, waitCount);
}

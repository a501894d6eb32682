#include "OutputFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace platform {

OutputFile::~OutputFile() {
    if (!Temporary.empty())
        Abandon();
    else if (IsOpen())
        Close();
}

void OutputFile::Fail(const char* call) {
    if (!Failed) {
        Failed = true;
        Error = std::string(call) + "(" + FileName + "): " + std::strerror(errno);
    }
}

bool OutputFile::Open(const std::string& name) {
    if (IsOpen())
        Close();
    FileName = name;
    Failed = false;
    Error.clear();
    Used = 0;

    // A FIFO opened for reading and writing would be its own reader: it would
    // never wait for the real one, and once the pipe is full it would block
    // for ever. So whatever exists and is not a regular file is opened
    // write-only, as a shell's ">" does.
    struct stat existing;
    const bool special = ::stat(name.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode);
    // No O_TRUNC: the file must not lose a byte before the lock is ours.
    const int flags = special ? O_WRONLY : O_RDWR | O_CREAT;
    int fd;
    do {
        fd = ::open(name.c_str(), flags | O_CLOEXEC | O_NOCTTY, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        Fail("open");
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        Fail("fstat");
        ::close(fd);
        return false;
    }
    if (S_ISREG(st.st_mode)) {
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            Fail("flock");
            ::close(fd);
            return false;
        }
        if (::ftruncate(fd, 0) != 0) {
            Fail("ftruncate");
            ::close(fd);
            return false;
        }
    }
    Fd = fd;
    Failed = false;
    Buffer.Reserve(BufferSize);
    return true;
}

bool OutputFile::OpenReplacing(const std::string& name) {
    struct stat existing;
    if (::stat(name.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
        return Open(name);
    if (IsOpen())
        Close();
    FileName = name;
    Failed = false;
    Error.clear();
    Used = 0;
    // O_EXCL under a name of its own: never another file's bytes. The mode
    // is that of a file the shell would create (0666 less the umask).
    const auto seed =
        static_cast<unsigned long>(::getpid()) * 2654435761u ^
        static_cast<unsigned long>(std::chrono::steady_clock::now().time_since_epoch().count());
    int fd = -1;
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%08lx.part", (seed + attempt * 7919u) & 0xffffffffu);
        Temporary = name + suffix;
        fd = ::open(Temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        Temporary.clear();
        Fail("open");
        return false;
    }
    Fd = fd;
    Buffer.Reserve(BufferSize);
    return true;
}

void OutputFile::Abandon() {
    if (Temporary.empty()) {
        Close();
        return;
    }
    if (IsOpen())
        ::close(Fd);
    Fd = -1;
    ::unlink(Temporary.c_str());
    Temporary.clear();
}

void OutputFile::OpenStandardOutput(const std::string& name) {
    if (IsOpen())
        Close();
    FileName = name;
    Failed = false;
    Error.clear();
    Used = 0;
    Fd = STDOUT_FILENO;
    Borrowed = true;
    Buffer.Reserve(BufferSize);
}

bool OutputFile::WriteAll(const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(Fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("write");
            return false;
        }
        if (n == 0) {
            // A write that takes nothing and names no error would loop forever.
            errno = EIO;
            Fail("write");
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool OutputFile::Flush() {
    if (Used == 0)
        return !Failed;
    bool ok = !Failed && WriteAll(Buffer.Data(), Used);
    Used = 0;
    return ok;
}

bool OutputFile::Write(std::string_view bytes) {
    if (!IsOpen() || Failed)
        return false;
    if (Used + bytes.size() > BufferSize) {
        if (!Flush())
            return false;
        // A piece as large as the buffer gains nothing from being copied into it.
        if (bytes.size() >= BufferSize)
            return WriteAll(bytes.data(), bytes.size());
    }
    std::memcpy(Buffer.Data() + Used, bytes.data(), bytes.size());
    Used += bytes.size();
    return true;
}

bool OutputFile::Close() {
    if (!IsOpen())
        return false;
    bool ok = Flush();
    // The lock goes with the descriptor. A failing close can still mean lost
    // data (NFS reports deferred write errors here), so it counts as a failure.
    if (Borrowed) {
        Borrowed = false;
    } else if (::close(Fd) != 0) {
        Fail("close");
        ok = false;
    }
    Fd = -1;
    if (!Temporary.empty()) {
        if (ok && !Failed && ::rename(Temporary.c_str(), FileName.c_str()) != 0) {
            Fail("rename");
            ok = false;
        }
        if (!ok || Failed)
            ::unlink(Temporary.c_str());
        Temporary.clear();
    }
    return ok && !Failed;
}

void ReportFileSizeLimitAsWriteFailure() {
    std::signal(SIGXFSZ, SIG_IGN);
}

void ReportClosedPipeAsWriteFailure() {
    std::signal(SIGPIPE, SIG_IGN);
}

bool IsStandardOutput(const std::string& name) {
    struct stat file, out;
    return ::fstat(STDOUT_FILENO, &out) == 0 && ::stat(name.c_str(), &file) == 0 &&
           file.st_dev == out.st_dev && file.st_ino == out.st_ino;
}

}  // namespace platform

#include "OutputFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace platform {

OutputFile::~OutputFile() {
    if (IsOpen())
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
    Buffer.clear();

    // No O_TRUNC: the file must not lose a byte before the lock is ours.
    int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
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
    Buffer.reserve(BufferSize);
    return true;
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
    if (Buffer.empty())
        return !Failed;
    bool ok = !Failed && WriteAll(Buffer.data(), Buffer.size());
    Buffer.clear();
    return ok;
}

bool OutputFile::Write(std::string_view bytes) {
    if (!IsOpen() || Failed)
        return false;
    if (Buffer.size() + bytes.size() > BufferSize) {
        if (!Flush())
            return false;
        // A piece as large as the buffer gains nothing from being copied into it.
        if (bytes.size() >= BufferSize)
            return WriteAll(bytes.data(), bytes.size());
    }
    Buffer.append(bytes);
    return true;
}

bool OutputFile::Close() {
    if (!IsOpen())
        return false;
    bool ok = Flush();
    // The lock goes with the descriptor. A failing close can still mean lost
    // data (NFS reports deferred write errors here), so it counts as a failure.
    if (::close(Fd) != 0) {
        Fail("close");
        ok = false;
    }
    Fd = -1;
    return ok && !Failed;
}

void ReportFileSizeLimitAsWriteFailure() {
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace platform

#pragma once

// Path and descriptor helpers, mostly of the program's own copy (FileCopy):
// names split and joined as bytes, the identities of a path's folders, and a
// descriptor closed when it goes out of scope.
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>
#include <utility>

namespace platform {

// "call(path): reason" for a failed system call.
std::string CallError(const char* call, const std::string& path, int error);
std::string StripTrailingDelimiters(std::string path);
// The part after the last "/".
std::string BaseName(const std::string& path);
// The part before the last "/": "/" for "/a", "." for "a".
std::string DirName(const std::string& path);
std::string Join(const std::string& folder, const std::string& name);

using TIdentity = std::pair<dev_t, ino_t>;
TIdentity IdentityOf(const struct stat& st);
// The identities of path and every folder above it that can be examined.
std::set<TIdentity> IdentitiesUpFrom(std::string path);

// A descriptor closed when it goes out of scope.
struct TFd {
    int Fd = -1;
    explicit TFd(int fd = -1) : Fd(fd) {}
    ~TFd() {
        if (Fd >= 0)
            ::close(Fd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    // Closes now; false (errno set) when the close reports a failure.
    bool Close() {
        const int fd = std::exchange(Fd, -1);
        return fd < 0 || ::close(fd) == 0;
    }
    void Reset(int fd) {
        Close();
        Fd = fd;
    }
};

}  // namespace platform

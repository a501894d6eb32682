#include "platform/LongPath.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace platform {

namespace {

// Largest piece handed to one openat: well below PATH_MAX so that the kernel
// never sees a name that is too long.
constexpr size_t PieceLimit = PATH_MAX / 2;

}  // namespace

int OpenLongPath(const std::string& path, int flags) {
    flags |= O_CLOEXEC;
    int fd = open(path.c_str(), flags);
    if (fd >= 0 || errno != ENAMETOOLONG)
        return fd;

    int base = AT_FDCWD;
    size_t start = 0;
    if (path[0] == '/') {
        base = open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (base < 0)
            return -1;
        start = 1;
    }
    while (true) {
        while (start < path.size() && path[start] == '/')
            ++start;
        size_t rest = path.size() - start;
        bool last = rest <= PieceLimit;
        size_t end = path.size();
        if (!last) {
            size_t cut = path.rfind('/', start + PieceLimit);
            if (cut == std::string::npos || cut <= start) {
                // One component longer than any name can be.
                if (base != AT_FDCWD)
                    close(base);
                errno = ENAMETOOLONG;
                return -1;
            }
            end = cut;
        }
        std::string piece = path.substr(start, end - start);
        int next = openat(base, piece.c_str(), last ? flags : (O_PATH | O_DIRECTORY | O_CLOEXEC));
        int saved = errno;
        if (base != AT_FDCWD)
            close(base);
        if (next < 0 || last) {
            errno = saved;
            return next;
        }
        base = next;
        start = end;
    }
}

}  // namespace platform

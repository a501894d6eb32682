#include "TextFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "LongPath.h"

namespace platform {

bool ReadWholeFile(const std::string& path, size_t limit, std::string& text, int& error) {
    text.clear();
    error = 0;
    const int fd = OpenLongPath(path, O_RDONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    char buffer[65536];
    while (true) {
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            error = errno;
            break;
        }
        if (count == 0)
            break;
        if (text.size() + static_cast<size_t>(count) > limit) {
            error = EFBIG;
            break;
        }
        text.append(buffer, static_cast<size_t>(count));
    }
    close(fd);
    if (error != 0)
        text.clear();
    return error == 0;
}

}  // namespace platform

#include "platform/FileAt.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileReader.h"
#include "platform/LongPath.h"

namespace platform {

bool TFileAt::Open(const std::string& path) {
    Close();
    Path = path;
    ErrorText.clear();
    // O_NONBLOCK: a FIFO named like a file must not hang the view.
    const int fd = OpenLongPath(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        ErrorText = "open(" + path + "): " + ErrorString(errno);
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        ErrorText = "fstat(" + path + "): " + ErrorString(errno);
        close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        ErrorText = "open(" + path + "): " + ErrorString(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        close(fd);
        return false;
    }
    Fd = fd;
    FileSize = st.st_size;
    Modified = st.st_mtim.tv_sec;
    return true;
}

int64_t TFileAt::ReadAt(int64_t offset, char* buffer, size_t size) const {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = pread(Fd, buffer + done, size - done, offset + int64_t(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ErrorText = "read(" + Path + "): " + ErrorString(errno);
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
}

bool TFileAt::ReadAll(std::string& text) const {
    // The size when opened; a file that grew since is read as it was.
    text.resize(static_cast<size_t>(FileSize));
    const int64_t count = ReadAt(0, text.data(), text.size());
    if (count < 0)
        return false;
    text.resize(static_cast<size_t>(count));
    return true;
}

void TFileAt::Close() {
    if (Fd >= 0)
        close(Fd);
    Fd = -1;
}

}  // namespace platform

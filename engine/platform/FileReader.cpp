#include "platform/FileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/LongPath.h"

namespace platform {

std::string ErrorString(int error) {
    char buffer[256];
    // The GNU strerror_r returns the text, which need not be in buffer.
    return strerror_r(error, buffer, sizeof buffer);
}

static TFileKind KindOf(mode_t mode) {
    switch (mode & S_IFMT) {
        case S_IFDIR:
            return TFileKind::Directory;
        case S_IFIFO:
            return TFileKind::Fifo;
        case S_IFCHR:
            return TFileKind::CharDevice;
        case S_IFBLK:
            return TFileKind::BlockDevice;
        case S_IFSOCK:
            return TFileKind::Socket;
        default:
            return TFileKind::Regular;
    }
}

TFileReader::TOpenResult TFileReader::Open(const std::string& path, TFileKind& kind) {
    Close();
    Path = path;
    ErrorText.clear();
    // O_NONBLOCK: a FIFO that became one after the listing must not block the run.
    constexpr int Flags = O_RDONLY | O_NONBLOCK | O_NOCTTY;
    int fd = OpenLongPath(path, Flags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = OpenLongPath(path, Flags);
    if (fd < 0) {
        ErrorText = "open(" + path + "): " + ErrorString(errno);
        return TOpenResult::Failed;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        ErrorText = "fstat(" + path + "): " + ErrorString(errno);
        close(fd);
        return TOpenResult::Failed;
    }
    kind = KindOf(st.st_mode);
    if (kind != TFileKind::Regular && kind != TFileKind::Directory) {
        close(fd);
        return TOpenResult::Special;
    }
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    Fd = fd;
    return TOpenResult::Opened;
}

int64_t TFileReader::ReadFull(char* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = read(Fd, buffer + done, size - done);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ErrorText = "read(" + Path + "): " + ErrorString(errno);
            return -1;
        }
        done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
}

void TFileReader::Close() {
    if (Fd >= 0)
        close(Fd);
    Fd = -1;
}

}  // namespace platform

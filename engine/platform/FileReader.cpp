#include "platform/FileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Directory.h"
#include "platform/LongPath.h"

namespace platform {

std::string ErrorString(int error) {
    char buffer[256];
    // The GNU strerror_r returns the text, which need not be in buffer.
    return strerror_r(error, buffer, sizeof buffer);
}

// O_NONBLOCK: a file that became a FIFO after the listing must not block the run.
constexpr int OpenFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

TFileReader::TOpenResult TFileReader::Open(const std::string& path, TFileKind& kind) {
    Close();
    Path = path;
    int fd = OpenLongPath(path, OpenFlags | O_NOATIME);
    // O_NOATIME is refused on files of other owners.
    if (fd < 0 && errno == EPERM)
        fd = OpenLongPath(path, OpenFlags);
    return Opened(fd, kind);
}

TFileReader::TOpenResult TFileReader::OpenAt(const TDirectory& dir, const char* name,
                                             const std::string& path, TFileKind& kind) {
    Close();
    Path = path;
    int fd = openat(dir.Handle(), name, OpenFlags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = openat(dir.Handle(), name, OpenFlags);
    return Opened(fd, kind);
}

TFileReader::TOpenResult TFileReader::Opened(int fd, TFileKind& kind) {
    ErrorText.clear();
    if (fd < 0) {
        ErrorText = "open(" + Path + "): " + ErrorString(errno);
        return TOpenResult::Failed;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        ErrorText = "fstat(" + Path + "): " + ErrorString(errno);
        close(fd);
        return TOpenResult::Failed;
    }
    kind = FileKindOfMode(st.st_mode);
    if (kind != TFileKind::Regular && kind != TFileKind::Directory) {
        close(fd);
        return TOpenResult::Special;
    }
    Size = st.st_size;
    Offset = 0;
    // Read-ahead pays off only for files that take several blocks.
    if (Size > 4 * 1024 * 1024)
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
        Offset += n;
        // Everything the file held is read: spare the call that would return 0.
        if (done < size && Offset >= Size && Size > 0)
            break;
    }
    return static_cast<int64_t>(done);
}

void TFileReader::Close() {
    if (Fd >= 0)
        close(Fd);
    Fd = -1;
}

}  // namespace platform

#include "platform/FileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
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
    return Opened(fd, kind, -1);
}

TFileReader::TOpenResult TFileReader::OpenAt(const TDirectory& dir, const char* name,
                                             const std::string& path, TFileKind& kind,
                                             int64_t listedSize) {
    Close();
    Path = path;
    int fd = openat(dir.Handle(), name, OpenFlags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = openat(dir.Handle(), name, OpenFlags);
    return Opened(fd, kind, listedSize);
}

TFileReader::TOpenResult TFileReader::Opened(int fd, TFileKind& kind, int64_t listedSize) {
    ErrorText.clear();
    if (fd < 0) {
        ErrorText = "open(" + Path + "): " + ErrorString(errno);
        return TOpenResult::Failed;
    }
    Offset = 0;
    Kind = TFileKind::Regular;
    if (listedSize >= 0) {
        // The listing's status stands until a read disagrees with it.
        Size = listedSize;
        Examined = false;
        Fd = fd;
        if (Size > 4 * 1024 * 1024)
            posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        return TOpenResult::Opened;
    }
    Examined = true;
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
    // Read-ahead pays off only for files that take several blocks.
    if (Size > 4 * 1024 * 1024)
        posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    Fd = fd;
    return TOpenResult::Opened;
}

int64_t TFileReader::ReadFull(char* buffer, size_t size) {
    Block = buffer;
    Wanted = size;
    Done = 0;
    Ended = Failed = BlockMissed = false;
    return Finish();
}

void TFileReader::Start(char* buffer, size_t size) {
    Block = buffer;
    Wanted = size;
    Done = 0;
    Ended = Failed = BlockMissed = false;
    if (NoWait)
        Failed = !Fill(true);
}

int64_t TFileReader::Finish() {
    if (Failed || !Fill(false))
        return IsSpecial(Kind) ? NotAFile : -1;
    return static_cast<int64_t>(Done);
}

bool TFileReader::Examine() {
    Examined = true;
    struct stat st;
    if (fstat(Fd, &st) != 0) {
        ErrorText = "fstat(" + Path + "): " + ErrorString(errno);
        return false;
    }
    Kind = FileKindOfMode(st.st_mode);
    Size = st.st_size;
    return !IsSpecial(Kind);
}

TFileKind TFileReader::FoundKind() {
    if (!Examined && Fd >= 0)
        Examine();
    return Kind;
}

bool TFileReader::Fill(bool noWait) {
    while (Done < Wanted && !Ended) {
        ssize_t n;
        if (noWait) {
            // RWF_NOWAIT: a page not yet cached ends the call with EAGAIN,
            // after the kernel has started reading it.
            struct iovec piece = {Block + Done, Wanted - Done};
            n = ::preadv2(Fd, &piece, 1, -1, RWF_NOWAIT);
        } else {
            n = ::read(Fd, Block + Done, Wanted - Done);
        }
        if (n == 0) {
            // A FIFO without a writer and /dev/null end at once, like an
            // empty file; a file that shrank ends early.
            if (!Examined && (Offset == 0 || Offset != Size) && !Examine())
                return false;
            Ended = true;
            break;
        }
        if (n < 0) {
            const int error = errno;
            if (error == EINTR)
                continue;
            if (noWait && error == EAGAIN) {
                BlockMissed = true;
                return true;
            }
            // A FIFO or a device may refuse what a file allows: its kind
            // decides, not the error.
            if (!Examined && !Examine())
                return false;
            if (noWait && (error == EOPNOTSUPP || error == ENOSYS)) {
                NoWait = false;
                return true;
            }
            ErrorText = "read(" + Path + "): " + ErrorString(error);
            return false;
        }
        Done += static_cast<size_t>(n);
        Offset += n;
        // Bytes past the listed size: the file grew, or is a device that
        // never ends.
        if (!Examined && Offset > Size && !Examine())
            return false;
        // Everything the file held is read: spare the call that would return 0.
        if (Done < Wanted && Offset >= Size && Size > 0)
            Ended = true;
    }
    return true;
}

void TFileReader::Close() {
    if (Fd >= 0)
        close(Fd);
    Fd = -1;
}

}  // namespace platform

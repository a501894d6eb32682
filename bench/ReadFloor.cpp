// ReadFloor: the cost of reading two trees once, the floor that every exact
// comparison of them pays. One process, one thread: it walks each tree, opens
// every file and reads it to its end with 128 KiB reads into a page-aligned
// buffer, and prints how many files, folders and bytes it read.
//
//   ReadFloor [--offset N] TREE...
//
// --offset N puts the buffer N bytes past a page boundary (N below 4096): the
// same floor with --offset 16 shows whether the processor copies into memory
// that is not 64-byte aligned more slowly, as some do several times over.
//
// Exit status 0, or 1 when an entry could not be opened or read (the walk goes
// on and names each failure on standard error), 2 on wrong usage.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/AlignedBuffer.h"

namespace {

constexpr size_t ReadSize = 128 * 1024;

struct TFloorCount {
    int64_t Files = 0, Folders = 0, Bytes = 0, Failures = 0;
};

void Failure(TFloorCount& count, const char* call, const std::string& path) {
    std::fprintf(stderr, "%s(%s): %s\n", call, path.c_str(), std::strerror(errno));
    ++count.Failures;
}

// Opens without updating the access time where the kernel allows it (the
// caller owns the file), otherwise plainly.
int OpenAt(int dir, const char* name, int flags) {
    int fd = ::openat(dir, name, flags | O_NOATIME | O_CLOEXEC);
    if (fd < 0 && errno == EPERM)
        fd = ::openat(dir, name, flags | O_CLOEXEC);
    return fd;
}

// Where the reads land: ReadSize bytes at Offset past a page boundary.
struct TFloorBuffer {
    platform::TAlignedBuffer Memory;
    size_t Offset = 0;
    char* Data() { return Memory.Data() + Offset; }
};

void ReadFile(int dir, const char* name, const std::string& path, TFloorBuffer& buffer,
              TFloorCount& count) {
    int fd = OpenAt(dir, name, O_RDONLY);
    if (fd < 0)
        return Failure(count, "open", path);
    ++count.Files;
    while (true) {
        ssize_t n = ::read(fd, buffer.Data(), ReadSize);
        if (n > 0) {
            count.Bytes += n;
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            Failure(count, "read", path);
            break;
        }
    }
    ::close(fd);
}

// Reads every file below the folder open as `fd` (which this call closes).
void ReadFolder(int fd, const std::string& path, TFloorBuffer& buffer, TFloorCount& count) {
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return Failure(count, "fdopendir", path);
    }
    while (struct dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        std::string child = path + "/" + name;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN || type == DT_LNK) {
            struct stat st;
            if (::fstatat(::dirfd(dir), name, &st, 0) != 0) {
                Failure(count, "stat", child);
                continue;
            }
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR) {
            int sub = OpenAt(::dirfd(dir), name, O_RDONLY | O_DIRECTORY);
            if (sub < 0) {
                Failure(count, "open", child);
                continue;
            }
            ++count.Folders;
            ReadFolder(sub, child, buffer, count);
        } else if (type == DT_REG) {
            ReadFile(::dirfd(dir), name, child, buffer, count);
        }
    }
    ::closedir(dir);
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    TFloorBuffer buffer;
    if (argc > 2 && std::strcmp(argv[1], "--offset") == 0) {
        char* end = nullptr;
        const unsigned long offset = std::strtoul(argv[2], &end, 10);
        if (*argv[2] == '\0' || *end != '\0' || offset >= platform::TAlignedBuffer::PageSize()) {
            std::fprintf(stderr, "ReadFloor: --offset needs a number of bytes below a page\n");
            return 2;
        }
        buffer.Offset = offset;
        first = 3;
    }
    if (argc <= first) {
        std::fprintf(stderr, "usage: ReadFloor [--offset N] TREE...\n");
        return 2;
    }
    buffer.Memory.Reserve(buffer.Offset + ReadSize);
    TFloorCount count;
    for (int i = first; i < argc; ++i) {
        int fd = OpenAt(AT_FDCWD, argv[i], O_RDONLY | O_DIRECTORY);
        if (fd < 0) {
            Failure(count, "open", argv[i]);
            continue;
        }
        ReadFolder(fd, argv[i], buffer, count);
    }
    std::printf("files %lld folders %lld bytes %lld\n", static_cast<long long>(count.Files),
                static_cast<long long>(count.Folders), static_cast<long long>(count.Bytes));
    return count.Failures == 0 ? 0 : 1;
}

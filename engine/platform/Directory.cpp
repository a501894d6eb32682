#include "platform/Directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>

#include "platform/FileReader.h"
#include "platform/LongPath.h"

namespace platform {

void TNameList::Clear() {
    Text.clear();
    Starts.assign(1, 0);
    Hints.clear();
}

void TNameList::Add(std::string_view name, THint hint) {
    Text.append(name);
    Text.push_back('\0');
    Starts.push_back(static_cast<uint32_t>(Text.size()));
    Hints.push_back(hint);
}

TDirectory& TDirectory::operator=(TDirectory&& other) noexcept {
    if (this != &other) {
        Close();
        Fd = other.Fd;
        other.Fd = -1;
    }
    return *this;
}

void TDirectory::Close() {
    if (Fd >= 0)
        close(Fd);
    Fd = -1;
}

// Reading a folder would set its access time: a comparison must leave both
// trees as they were. O_NOATIME is refused on folders of other owners, whose
// access times only their owner (or the administrator) can spare.
constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

bool TDirectory::OpenPath(const std::string& path) {
    Close();
    if (path.empty())
        return false;
    Fd = OpenLongPath(path, FolderFlags | O_NOATIME);
    if (Fd < 0 && errno == EPERM)
        Fd = OpenLongPath(path, FolderFlags);
    LastError = Fd < 0 ? errno : 0;
    return Fd >= 0;
}

bool TDirectory::OutOfHandles() const {
    return LastError == EMFILE || LastError == ENFILE;
}

bool TDirectory::Unreadable() const {
    return LastError != 0 && LastError != ENOENT && LastError != ENOTDIR && !OutOfHandles();
}

std::string TDirectory::LastErrorText() const {
    return ErrorString(LastError);
}

static bool SameFolder(int fd, uint64_t device, uint64_t inode) {
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_dev == device && st.st_ino == inode;
}

bool TDirectory::OpenChild(const TDirectory& parent, const char* name, uint64_t device,
                           uint64_t inode) {
    Close();
    int fd = openat(parent.Fd, name, FolderFlags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = openat(parent.Fd, name, FolderFlags);
    LastError = fd < 0 ? errno : 0;
    if (fd < 0)
        return false;
    // The name may have been replaced between the status call and the open.
    if (!SameFolder(fd, device, inode)) {
        close(fd);
        return false;
    }
    Fd = fd;
    return true;
}

bool TDirectory::OpenParentOf(const TDirectory& child, uint64_t device, uint64_t inode) {
    return OpenChild(child, "..", device, inode);
}

bool TDirectory::ReadNames(TNameList& names) {
    names.Clear();
    names.Add(".", TNameList::THint::Directory);
    names.Add("..", TNameList::THint::Directory);
    // The records come straight from the handle: no directory stream, which
    // would need a descriptor of its own and a buffer for every folder.
    alignas(struct dirent64) char buffer[32 * 1024];
    bool any = false;
    while (true) {
        const ssize_t count = getdents64(Fd, buffer, sizeof buffer);
        if (count <= 0) {
            LastError = count < 0 ? errno : 0;
            const bool failed = count < 0 && !any;
            if (failed)
                names.Clear();
            return !failed;
        }
        for (ssize_t offset = 0; offset < count;) {
            const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + offset);
            offset += entry->d_reclen;
            any = true;
            std::string_view name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            TNameList::THint hint = TNameList::THint::Other;
            if (entry->d_type == DT_DIR)
                hint = TNameList::THint::Directory;
            if (entry->d_type == DT_LNK)
                hint = TNameList::THint::Link;
            if (entry->d_type == DT_UNKNOWN)
                hint = TNameList::THint::Unknown;
            names.Add(name, hint);
        }
    }
}

TFileKind FileKindOfMode(uint32_t mode) {
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

static TTimeSpec TimeOf(const struct statx_timestamp& t) {
    return TTimeSpec{t.tv_sec, t.tv_nsec};
}

// Everything TFileStatus holds.
constexpr unsigned StatMask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_ATIME |
                              STATX_BTIME | STATX_INO | STATX_UID | STATX_GID | STATX_NLINK;

static void Fill(const struct statx& stx, TFileStatus& status) {
    status.Kind = FileKindOfMode(stx.stx_mode);
    status.OwnerWritable = (stx.stx_mode & S_IWUSR) != 0;
    status.Size = static_cast<int64_t>(stx.stx_size);
    status.ModifyTime = TimeOf(stx.stx_mtime);
    status.AccessTime = TimeOf(stx.stx_atime);
    status.HasBirthTime = (stx.stx_mask & STATX_BTIME) != 0;
    status.BirthTime = status.HasBirthTime ? TimeOf(stx.stx_btime) : TTimeSpec{};
    status.Device = makedev(stx.stx_dev_major, stx.stx_dev_minor);
    status.Inode = stx.stx_ino;
    status.Mode = stx.stx_mode & 07777;
    status.Uid = stx.stx_uid;
    status.Gid = stx.stx_gid;
    status.Links = stx.stx_nlink;
}

bool TDirectory::Stat(const char* name, TNameList::THint hint, TFileStatus& status) const {
    constexpr unsigned Mask = StatMask;
    struct statx stx;
    status = TFileStatus{};
    if (hint == TNameList::THint::Unknown) {
        // The folder did not say whether the name is a link: ask about the name itself.
        if (statx(Fd, name, AT_SYMLINK_NOFOLLOW, Mask, &stx) != 0) {
            status.Error = errno;
            status.Gone = errno == ENOENT;
            return false;
        }
        if ((stx.stx_mode & S_IFMT) != S_IFLNK) {
            Fill(stx, status);
            return true;
        }
        hint = TNameList::THint::Link;
    }
    status.IsLink = hint == TNameList::THint::Link;
    if (statx(Fd, name, 0, Mask, &stx) == 0) {
        Fill(stx, status);
        return true;
    }
    // The target cannot be reached (missing, a loop of links, no access): the
    // entry stands for the link itself, a file without contents.
    if (statx(Fd, name, AT_SYMLINK_NOFOLLOW, Mask, &stx) != 0) {
        status.Error = errno;
        status.Gone = errno == ENOENT;
        return false;
    }
    if ((stx.stx_mode & S_IFMT) != S_IFLNK) {
        Fill(stx, status);
        return true;
    }
    Fill(stx, status);
    status.IsLink = true;
    status.Kind = TFileKind::Dangling;
    status.Size = 0;
    return true;
}

bool TDirectory::Identity(uint64_t& device, uint64_t& inode) const {
    struct stat st;
    if (fstat(Fd, &st) != 0)
        return false;
    device = st.st_dev;
    inode = st.st_ino;
    return true;
}

static bool ReadLinkAt(int fd, const char* name, std::string& target) {
    // A target is at most PATH_MAX bytes; one more tells a cut-off reading.
    char buffer[PATH_MAX + 1];
    ssize_t n = readlinkat(fd, name, buffer, sizeof buffer);
    if (n < 0 || static_cast<size_t>(n) == sizeof buffer)
        return false;
    target.assign(buffer, static_cast<size_t>(n));
    return true;
}

bool TDirectory::ReadLink(const char* name, std::string& target) const {
    return ReadLinkAt(Fd, name, target);
}

size_t DescriptorLimit() {
    // Standard streams, a report or export, and room for a library or two.
    constexpr rlim_t Reserved = 16;
    struct rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return SIZE_MAX;
    return limit.rlim_cur > Reserved ? static_cast<size_t>(limit.rlim_cur - Reserved) : 0;
}

bool Exists(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
    if (path.empty())
        return false;
    struct stat st;
    if (stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    if (errno != ENAMETOOLONG)
        return false;
    int fd = OpenLongPath(path, O_PATH | O_DIRECTORY);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

bool StatPath(const std::string& path, TFileStatus& status) {
    constexpr unsigned Mask = StatMask;
    struct statx stx;
    status = TFileStatus{};
    if (path.empty())
        return false;
    if (statx(AT_FDCWD, path.c_str(), 0, Mask, &stx) != 0) {
        if (errno != ENAMETOOLONG)
            return false;
        int fd = OpenLongPath(path, O_PATH | O_CLOEXEC);
        if (fd < 0)
            return false;
        int result = statx(fd, "", AT_EMPTY_PATH, Mask, &stx);
        close(fd);
        if (result != 0)
            return false;
    }
    Fill(stx, status);
    return true;
}

bool IsReadableFile(const std::string& path) {
    if (path.empty())
        return false;
    int fd = OpenLongPath(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    close(fd);
    return regular;
}

bool ReadLinkPath(const std::string& path, std::string& target) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    int fd = OpenLongPath(folder, O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool read = ReadLinkAt(fd, name.c_str(), target);
    close(fd);
    return read;
}

}  // namespace platform

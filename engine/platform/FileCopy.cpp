#include "platform/FileCopy.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <set>

#include "platform/AlignedBuffer.h"
#include "platform/CopyPaths.h"
#include "platform/FileReader.h"

namespace platform {

namespace {

// One step of the copy, in the order it is taken: folders before their contents.
struct TItem {
    bool Folder = false;
    bool Exists = false;  // a folder that is there already (merged into)
    std::string From;
    std::string To;
    int64_t Size = 0;
    mode_t Mode = 0;
    struct timespec Access {};
    struct timespec Modify {};
};

class TCopyRun {
public:
    TCopyRun(ICopyHandler& handler, bool unnamedFiles, bool kernelCopies)
        : Handler(handler),
          UnnamedFiles(unnamedFiles),
          Random(std::random_device{}()),
          KernelCopy(kernelCopies) {}

    TCopyResult Run(const std::string& origin, const std::string& destination,
                    bool createDestination);

private:
    bool Fail(std::string text) {
        Result.Status = TCopyStatus::Failed;
        Result.Error = std::move(text);
        return false;
    }
    bool Cancel() {
        Result.Status = TCopyStatus::Cancelled;
        return false;
    }
    bool Plan(const std::string& from, const std::string& to, const struct stat& st,
              std::set<TIdentity>& above);
    bool Execute();
    bool CopyFolder(const TItem& item, size_t index);
    bool CopyFile(const TItem& item);
    // Copies in, of size bytes when it was opened, to out, from their
    // current offsets; a failure names the file read (from) or written (to).
    bool WriteContents(int in, int out, int64_t size, const std::string& from,
                       const std::string& to);
    // The same inside the kernel, for a file of `size` bytes when it was
    // opened: true once that many bytes are copied (or the file ended
    // sooner); false at a refusal or failure of the call, or a cancel. What
    // it copied stays copied, and in and out stand after it.
    bool CopyInKernel(int in, int out, int64_t size, const std::string& from);
    bool Advance(uint64_t bytes, const std::string& from);
    // Opens a new file in folder for writing: unnamed where the file system
    // allows it (name stays empty), otherwise under a hidden temporary name.
    int OpenTemporary(int folder, std::string& name);
    std::string TemporaryName();
    void Finish();

    ICopyHandler& Handler;
    bool UnnamedFiles;
    std::mt19937_64 Random;
    TCopyResult Result;
    std::vector<TItem> Items;
    uint64_t Total = 0;
    uint64_t Done = 0;
    bool YesToAll = false;
    // Folders this copy made: those of the destination path, then those of
    // the tree (with their item, to give them the origin's mode and times).
    std::vector<std::string> MadeFolders;
    std::vector<size_t> MadeItems;
    TAlignedBuffer Buffer;
    // The destination folder of the last file copied, and its handle.
    std::string IntoPath;
    TFd Into;
    // Cleared once the kernel has no copy_file_range at all.
    bool KernelCopy;
};

TCopyResult TCopyRun::Run(const std::string& originPath, const std::string& destinationPath,
                          bool createDestination) {
    const std::string origin = StripTrailingDelimiters(originPath);
    const std::string destination = StripTrailingDelimiters(destinationPath);
    struct stat originStat;
    if (::stat(origin.c_str(), &originStat) != 0) {
        Fail(CallError("stat", origin, errno));
        return Result;
    }
    std::string target = destination;
    struct stat destinationStat;
    if (createDestination ||
        (::stat(destination.c_str(), &destinationStat) == 0 && S_ISDIR(destinationStat.st_mode)))
        target = Join(destination, BaseName(origin));

    if (S_ISDIR(originStat.st_mode) &&
        IdentitiesUpFrom(DirName(target)).count(IdentityOf(originStat)) != 0) {
        Fail("コピー先がコピー元のフォルダの中にあります: " + target);
        return Result;
    }
    // A link back to a folder above is a loop, also above the origin.
    std::set<TIdentity> above = IdentitiesUpFrom(DirName(origin));
    if (!Plan(origin, target, originStat, above))
        return Result;

    if (createDestination) {
        std::string error;
        if (!MakeFolders(destination, MadeFolders, error)) {
            Fail(error);
            Finish();
            return Result;
        }
    }
    Execute();
    Finish();
    return Result;
}

bool TCopyRun::Plan(const std::string& from, const std::string& to, const struct stat& st,
                    std::set<TIdentity>& above) {
    struct stat existing;
    const bool exists = ::stat(to.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        return Fail(CallError("stat", to, errno));
    if (exists && IdentityOf(existing) == IdentityOf(st))
        return Fail("コピー元とコピー先が同じです: " + to);

    TItem item;
    item.From = from;
    item.To = to;
    item.Mode = st.st_mode & 07777;
    item.Access = st.st_atim;
    item.Modify = st.st_mtim;

    if (S_ISREG(st.st_mode)) {
        if (exists && S_ISDIR(existing.st_mode))
            return Fail("同じ名前のフォルダがあるためファイルをコピーできません: " + to);
        item.Size = st.st_size;
        Total += static_cast<uint64_t>(st.st_size);
        Items.push_back(std::move(item));
        return true;
    }
    if (!S_ISDIR(st.st_mode)) {
        Result.NotCopied.push_back(from);
        return true;
    }

    if (exists && !S_ISDIR(existing.st_mode))
        return Fail("同じ名前のファイルがあるためフォルダをコピーできません: " + to);
    item.Folder = true;
    item.Exists = exists;
    Items.push_back(std::move(item));
    const TIdentity id = IdentityOf(st);
    if (above.count(id) != 0)
        return true;  // a loop: the folder is made, not entered

    DIR* folder = ::opendir(from.c_str());
    if (folder == nullptr)
        return Fail(CallError("opendir", from, errno));
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
        errno = 0;
    }
    const int readError = errno;
    ::closedir(folder);
    if (readError != 0)
        return Fail(CallError("readdir", from, readError));
    std::sort(names.begin(), names.end());

    above.insert(id);
    for (const std::string& name : names) {
        const std::string child = Join(from, name);
        struct stat childStat;
        if (::stat(child.c_str(), &childStat) != 0) {
            // A link whose target is missing has no contents to copy.
            if (errno == ENOENT || errno == ELOOP) {
                if (Handler.LeaveOut(child, false))
                    ++Result.LeftOut;
                else
                    Result.NotCopied.push_back(child);
                continue;
            }
            return Fail(CallError("stat", child, errno));
        }
        if (Handler.LeaveOut(child, S_ISDIR(childStat.st_mode))) {
            ++Result.LeftOut;
            continue;
        }
        if (!Plan(child, Join(to, name), childStat, above))
            return false;
    }
    above.erase(id);
    return true;
}

bool TCopyRun::Execute() {
    Handler.Progress(0, Total, {});
    for (size_t i = 0; i < Items.size(); ++i) {
        if (Handler.StopRequested())
            return Cancel();
        const TItem& item = Items[i];
        if (!(item.Folder ? CopyFolder(item, i) : CopyFile(item)))
            return false;
    }
    return true;
}

bool TCopyRun::CopyFolder(const TItem& item, size_t index) {
    if (::mkdir(item.To.c_str(), 0700) == 0) {
        MadeFolders.push_back(item.To);
        MadeItems.push_back(index);
        return true;
    }
    const int error = errno;
    struct stat st;
    if (error == EEXIST && ::stat(item.To.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return true;  // made since the tree was examined: merged into
    return Fail(CallError("mkdir", item.To, error));
}

bool TCopyRun::CopyFile(const TItem& item) {
    struct stat existing;
    const bool replacing = ::stat(item.To.c_str(), &existing) == 0;
    if (replacing) {
        if (S_ISDIR(existing.st_mode))
            return Fail("同じ名前のフォルダがあるためファイルをコピーできません: " + item.To);
        if (!YesToAll) {
            TReplaceQuestion question;
            question.Origin = item.From;
            question.Destination = item.To;
            question.OriginSize = item.Size;
            question.DestinationSize = existing.st_size;
            question.OriginTime = item.Modify.tv_sec;
            question.DestinationTime = existing.st_mtim.tv_sec;
            switch (Handler.AskReplace(question)) {
                case ICopyHandler::TAnswer::Yes:
                    break;
                case ICopyHandler::TAnswer::YesToAll:
                    YesToAll = true;
                    break;
                case ICopyHandler::TAnswer::No:
                    ++Result.FilesDeclined;
                    Done += static_cast<uint64_t>(item.Size);
                    Handler.Progress(Done, Total, item.From);
                    return true;
                case ICopyHandler::TAnswer::Cancel:
                    return Cancel();
            }
        }
    } else if (errno != ENOENT) {
        return Fail(CallError("stat", item.To, errno));
    }

    TFd in(::open(item.From.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (in.Fd < 0)
        return Fail(CallError("open", item.From, errno));
    struct stat st;
    if (::fstat(in.Fd, &st) != 0)
        return Fail(CallError("fstat", item.From, errno));
    if (!S_ISREG(st.st_mode)) {
        Result.NotCopied.push_back(item.From);
        return true;
    }
    const std::string folderPath = DirName(item.To);
    // The files of one folder come one after the other: its handle is kept.
    if (folderPath != IntoPath || Into.Fd < 0) {
        IntoPath = folderPath;
        Into.Reset(::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (Into.Fd < 0)
            return Fail(CallError("open", folderPath, errno));
    }
    const TFd& folder = Into;

    std::string temporary;  // the temporary name, once the file has one
    TFd out(OpenTemporary(folder.Fd, temporary));
    if (out.Fd < 0)
        return Fail(CallError("open", folderPath, errno));
    // Takes the temporary file away again; the destination was never touched.
    const auto abandon = [&](const char* call) {
        const int error = errno;
        if (!temporary.empty())
            ::unlinkat(folder.Fd, temporary.c_str(), 0);
        return call == nullptr ? false : Fail(CallError(call, item.To, error));
    };

    if (!WriteContents(in.Fd, out.Fd, st.st_size, item.From, item.To))
        return abandon(nullptr);
    if (::fchmod(out.Fd, st.st_mode & 0777) != 0)
        return abandon("fchmod");
    // A file that replaces another is on disk before it takes the name, so
    // that a crash of the system never leaves an empty file where the old one
    // was. A new file replaces nothing: it is left to the system's own
    // writing, which keeps copies of many small files fast.
    if (replacing && ::fdatasync(out.Fd) != 0 && errno != EINVAL)
        return abandon("fdatasync");
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::futimens(out.Fd, times) != 0)
        return abandon("futimens");
    if (temporary.empty()) {
        // An unnamed file gets its temporary name only now that it is whole.
        const std::string self = "/proc/self/fd/" + std::to_string(out.Fd);
        while (true) {
            const std::string name = TemporaryName();
            if (::linkat(AT_FDCWD, self.c_str(), folder.Fd, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                temporary = name;
                break;
            }
            if (errno != EEXIST)
                return abandon("linkat");
        }
    }
    if (!out.Close())
        return abandon("close");
    const std::string name = BaseName(item.To);
    if (::renameat(folder.Fd, temporary.c_str(), folder.Fd, name.c_str()) != 0)
        return abandon("rename");
    ++Result.FilesCopied;
    return true;
}

bool TCopyRun::Advance(uint64_t bytes, const std::string& from) {
    Done += bytes;
    Handler.Progress(Done, Total, from);
    return !Handler.StopRequested() || Cancel();
}

bool TCopyRun::CopyInKernel(int in, int out, int64_t size, const std::string& from) {
    int64_t copied = 0;
    while (copied < size) {
        const ssize_t n =
            ::copy_file_range(in, nullptr, out, nullptr, TFileCopy::KernelBlockSize, 0);
        if (n > 0) {
            copied += n;
            if (!Advance(static_cast<uint64_t>(n), from))
                return false;
            continue;
        }
        // The file ended early: it shrank. Nothing at all copied of a file
        // that is not empty can also be a file system that copies nothing
        // in the kernel (sysfs, some FUSE ones): reading finds out.
        if (n == 0)
            return copied > 0;
        if (errno == EINTR)
            continue;
        if (errno == ENOSYS)
            KernelCopy = false;
        return false;
    }
    return true;
}

bool TCopyRun::WriteContents(int in, int out, int64_t size, const std::string& from,
                             const std::string& to) {
    // copy_file_range lets the file system copy without the bytes passing
    // through this process: a shared extent on btrfs and XFS, a copy on the
    // server over NFS, a copy between cached pages elsewhere. Where it is
    // refused (between file systems on older kernels, or a file system
    // without it), and after any failure, read and write go on from where it
    // stopped: a real failure then fails there again and is named by the call
    // that meets it, the read of from or the write of to. A file of size 0
    // is read: files whose size the kernel does not know (in /proc) say 0,
    // and copy_file_range would copy nothing of them.
    if (KernelCopy && size > 0) {
        if (CopyInKernel(in, out, size, from))
            return true;
        if (Result.Status == TCopyStatus::Cancelled)
            return false;
    }
    Buffer.Reserve(TFileCopy::BlockSize);
    while (true) {
        const ssize_t got = ::read(in, Buffer.Data(), TFileCopy::BlockSize);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return Fail(CallError("read", from, errno));
        }
        if (got == 0)
            return true;
        for (ssize_t put = 0; put < got;) {
            const ssize_t n = ::write(out, Buffer.Data() + put, static_cast<size_t>(got - put));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return Fail(CallError("write", to, errno));
            }
            put += n;
        }
        if (!Advance(static_cast<uint64_t>(got), from))
            return false;
    }
}

int TCopyRun::OpenTemporary(int folder, std::string& name) {
    // An unnamed file needs /proc to get a name later.
    static const bool procUsable = ::access("/proc/self/fd", X_OK) == 0;
    if (UnnamedFiles && procUsable) {
        const int fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
            return fd;
    }
    // Where unnamed files are not supported: a hidden name of our own.
    while (true) {
        name = TemporaryName();
        const int fd =
            ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) {
            if (fd < 0)
                name.clear();
            return fd;
        }
    }
}

std::string TCopyRun::TemporaryName() {
    char text[40];
    std::snprintf(text, sizeof text, ".tandril-%016llx.tmp",
                  static_cast<unsigned long long>(Random()));
    return text;
}

void TCopyRun::Finish() {
    if (Result.Status != TCopyStatus::Done) {
        // Folders made for nothing are taken away again; rmdir removes only
        // empty ones.
        for (auto it = MadeFolders.rbegin(); it != MadeFolders.rend(); ++it)
            ::rmdir(it->c_str());
    }
    // Made folders take the origin's mode and times last, once nothing more
    // is written into them (mode 0700 until then, so a read-only folder can
    // be filled).
    for (auto it = MadeItems.rbegin(); it != MadeItems.rend(); ++it) {
        const TItem& item = Items[*it];
        struct stat st;
        if (::stat(item.To.c_str(), &st) != 0)
            continue;
        ::chmod(item.To.c_str(), item.Mode & 0777);
        const struct timespec times[2] = {item.Access, item.Modify};
        ::utimensat(AT_FDCWD, item.To.c_str(), times, 0);
    }
}

}  // namespace

TCopyResult TFileCopy::Copy(const std::string& origin, const std::string& destination,
                            bool createDestination, ICopyHandler& handler) {
    TCopyRun run(handler, UnnamedFiles, KernelCopies);
    return run.Run(origin, destination, createDestination);
}

}  // namespace platform

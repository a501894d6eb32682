#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileStatus.h"

namespace platform {

// The names one folder delivers, in delivery order, read in one go so that the
// folder's stream can be closed before its subfolders are listed.
class TNameList {
public:
    // The kind the folder reported with the name, when it reported one.
    enum class THint : uint8_t { Unknown, Directory, Link, Other };

    void Clear();
    void Add(std::string_view name, THint hint);
    size_t Size() const { return Hints.size(); }
    // Name i; its data is followed by a NUL byte, so it can be passed as a C string.
    std::string_view Name(size_t i) const {
        return std::string_view(Text).substr(Starts[i], Starts[i + 1] - Starts[i] - 1);
    }
    THint Hint(size_t i) const { return Hints[i]; }

private:
    std::string Text;
    std::vector<uint32_t> Starts{0};
    std::vector<THint> Hints;
};

// An open folder, addressed by a handle so that no path is resolved twice and
// trees deeper than PATH_MAX can be listed. Move-only; closes on destruction.
class TDirectory {
public:
    TDirectory() = default;
    ~TDirectory() { Close(); }
    TDirectory(TDirectory&& other) noexcept : Fd(other.Fd) { other.Fd = -1; }
    TDirectory& operator=(TDirectory&& other) noexcept;
    TDirectory(const TDirectory&) = delete;
    TDirectory& operator=(const TDirectory&) = delete;

    // Opens a folder by path, following symbolic links; paths longer than
    // PATH_MAX are walked in pieces. False when it is no readable folder.
    bool OpenPath(const std::string& path);
    // Opens the folder `name` inside parent, following a symbolic link. When
    // device and inode are given, a folder that is not that one (renamed or
    // swapped since it was examined) is refused.
    bool OpenChild(const TDirectory& parent, const char* name, uint64_t device, uint64_t inode);
    // Opens the parent of child through "..", accepted only when it is the
    // folder with that device and inode.
    bool OpenParentOf(const TDirectory& child, uint64_t device, uint64_t inode);
    bool IsOpen() const { return Fd >= 0; }
    // True when the last OpenPath, OpenChild or OpenParentOf failed
    // because the process (or the system) had no descriptor left: the folder
    // itself may be fine, and a caller that gives a handle back can try again.
    bool OutOfHandles() const;
    // The error number of the last failure of those calls or of ReadNames,
    // 0 when the last one succeeded.
    int LastErrorNumber() const { return LastError; }
    // True when that failure means a folder that is there cannot be read (no
    // permission, an I/O error): not that it is gone or was replaced by
    // something else meanwhile, nor that descriptors ran out.
    bool Unreadable() const;
    // The system's text for it.
    std::string LastErrorText() const;
    // The descriptor, for other parts of the platform layer.
    int Handle() const { return Fd; }
    void Close();

    // Every name the folder delivers, "." and ".." first (made up when the
    // file system does not deliver them). False when reading failed at once;
    // names read before a later failure are kept, and LastErrorNumber tells of
    // the failure. Reads from where the handle
    // stands: call it once, right after the folder is opened.
    bool ReadNames(TNameList& names);
    // Status of `name` inside the folder with links followed; a link whose
    // target is missing or a loop gives Kind Dangling with the link's own data.
    // False when not even the name itself can be examined; status.Gone then
    // tells whether that is because the name no longer exists.
    bool Stat(const char* name, TNameList::THint hint, TFileStatus& status) const;
    // Device and inode of the open folder.
    bool Identity(uint64_t& device, uint64_t& inode) const;
    // The target text of the symbolic link `name` inside the folder. False
    // when it is no link or cannot be read.
    bool ReadLink(const char* name, std::string& target) const;

private:
    int Fd = -1;
    int LastError = 0;
};

// The descriptors the process may open (its ulimit -n), less a few kept for
// the files a program writes; 0 when there are hardly any.
size_t DescriptorLimit();

// True when something exists at path (links followed).
bool Exists(const std::string& path);

// True when path names an existing folder (links followed).
bool IsFolder(const std::string& path);

// Status of the file or folder at path (any length), links followed. False
// when it cannot be examined.
bool StatPath(const std::string& path, TFileStatus& status);

// True when path names a regular file (links followed) that this process
// can open for reading.
bool IsReadableFile(const std::string& path);

// The target text of the symbolic link at path (any length). False when it
// is no link or cannot be read.
bool ReadLinkPath(const std::string& path, std::string& target);

}  // namespace platform

#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The few file-system operations the harness needs. Every failure throws
// std::runtime_error naming the call and the path ("open(/x/y): No such file").

// A file written from the start in large pieces; Finish sets its modification
// time and closes it. The destructor closes a file that was not finished.
class TOutputFile {
public:
    explicit TOutputFile(const std::string& path);
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    void Write(std::string_view data);
    // Sets the modification (and access) time to `mtime` seconds since the epoch.
    void Finish(int64_t mtime);

private:
    std::string path_;
    int fd_ = -1;
};

// Creates one folder (its parent must exist).
void MakeFolder(const std::string& path);

// Writes a whole file with the given modification time.
void WriteWholeFile(const std::string& path, std::string_view data, int64_t mtime);

// Files, folders and bytes below a root (the root itself not counted).
struct TTreeCount {
    int64_t Files = 0;
    int64_t Folders = 0;
    int64_t Bytes = 0;
};
TTreeCount CountTree(const std::string& root);

// Flushes the written data of the file system holding `path` to the disk, so
// that write-back does not run during the timed rounds.
void SyncFileSystem(const std::string& path);

// Drops the cached pages of every file below the roots (posix_fadvise with
// POSIX_FADV_DONTNEED), so that the next program reads them from the disk;
// nothing else leaves the machine's cache. Folders stay cached (the kernel
// keeps names and inodes apart from file pages). With `measure`, returns the
// bytes of those files still cached afterwards (pages that are dirty, or
// mapped by a running program), found with mincore; otherwise 0.
int64_t EvictTrees(const std::vector<std::string>& roots, bool measure);

// Bytes of memory the kernel could give to the page cache now (MemAvailable),
// or 0 when unknown.
int64_t AvailableMemory();

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// A file opened for reading at any offset, for the pair view: its size and
// modification time as it was opened, and reads that never move a file
// position, so that the window's thread and a worker may read it at once.
class TFileAt {
public:
    TFileAt() = default;
    ~TFileAt() { Close(); }
    TFileAt(const TFileAt&) = delete;
    TFileAt& operator=(const TFileAt&) = delete;

    // Opens a regular file (links followed, any path length). False with
    // Error() set ("open(<path>): <reason>"; a folder or a special file is
    // refused by its kind).
    bool Open(const std::string& path);
    bool IsOpen() const { return Fd >= 0; }
    int64_t Size() const { return FileSize; }
    // Modification time, seconds since the epoch (UTC).
    int64_t ModifiedTime() const { return Modified; }
    // Reads up to size bytes at offset; the count read (short only at the
    // end of the file), or -1 after a failure (Error() set).
    int64_t ReadAt(int64_t offset, char* buffer, size_t size) const;
    // The whole file into text; false after a failure.
    bool ReadAll(std::string& text) const;
    const std::string& Error() const { return ErrorText; }
    void Close();

private:
    int Fd = -1;
    int64_t FileSize = 0;
    int64_t Modified = 0;
    std::string Path;
    mutable std::string ErrorText;
};

}  // namespace platform

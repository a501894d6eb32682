#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// A file written once from start to end (a report, an export). The caller
// chooses the name and the bytes; this class guards the file and makes every
// write failure visible.
//
// Open creates the file or opens it for reading and writing without truncating
// it, takes an exclusive lock on it (flock, non-blocking) and only then
// truncates it, so that a file that another process holds locked is left
// untouched. Devices, FIFOs and other non-regular files (/dev/null, /dev/full)
// are neither locked nor truncated: many writers may share them and they have
// no length to cut.
//
// Writes go through a buffer of BufferSize bytes. The first failing write,
// flush or close is remembered: every later Write is dropped and returns
// false, and Close returns false, so that an incomplete file is never taken for
// a complete one.
class OutputFile {
public:
    static constexpr size_t BufferSize = 64 * 1024;

    OutputFile() = default;
    // Closes the file when it is still open; the outcome of that close is lost,
    // so callers that care call Close themselves.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens `name` as described above. False when it cannot be created or
    // opened, is locked by another process, or cannot be truncated; the file
    // is then closed again and ErrorText tells the call and the reason
    // ("flock(out.csv): Resource temporarily unavailable").
    bool Open(const std::string& name);

    // Appends bytes to the file. False when this or an earlier write failed.
    bool Write(std::string_view bytes);

    // Writes out the buffer and closes the file (releasing the lock). True
    // when the file was open and every write, the flush and the close
    // succeeded.
    bool Close();

    bool IsOpen() const { return Fd >= 0; }
    // True once a write, flush or close has failed.
    bool HasFailed() const { return Failed; }
    // The failure's call, file name and reason; empty while nothing failed.
    const std::string& ErrorText() const { return Error; }
    const std::string& Name() const { return FileName; }

private:
    bool Flush();
    bool WriteAll(const char* data, size_t size);
    void Fail(const char* call);

    int Fd = -1;
    bool Failed = false;
    std::string FileName;
    std::string Error;
    std::string Buffer;
};

// Past a file-size limit (ulimit -f) the kernel ends the writing process with
// SIGXFSZ, silently, however carefully its writes are checked. Called once at
// start, this ignores the signal so that such a write fails with EFBIG and is
// reported like any other write failure.
void ReportFileSizeLimitAsWriteFailure();

}  // namespace platform

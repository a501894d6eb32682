#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/AlignedBuffer.h"

namespace platform {

// A file written once from start to end (a report, an export). The caller
// chooses the name and the bytes; this class guards the file and makes every
// write failure visible.
//
// Open creates the file or opens it for reading and writing without truncating
// it, takes an exclusive lock on it (flock, non-blocking) and only then
// truncates it, so that a file that another process holds locked is left
// untouched. Devices, FIFOs, pipes and other non-regular files (/dev/null,
// /dev/full, `>(command)`) are opened write-only, as a shell redirection opens
// them, and are neither locked nor truncated: many writers may share them and
// they have no length to cut. A FIFO's open waits until a reader opens it; a
// reader that goes away makes the next write fail (EPIPE, once
// ReportClosedPipeAsWriteFailure has been called).
//
// Writes go through a page-aligned buffer of BufferSize bytes, made once. The
// first failing write, flush or close is remembered: every later Write is
// dropped and returns false, and Close returns false, so that an incomplete
// file is never taken for a complete one.
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

    // Opens a new file beside `name` under a temporary name; Close renames
    // it to `name` once every byte is written, replacing what stood there,
    // and a failed or abandoned file is removed, so a run that fails never
    // leaves half a file under the name asked for. Where `name` exists and
    // is not a regular file (a FIFO, /dev/null) it is opened as Open does.
    // False when the file cannot be created, with ErrorText naming `name`.
    bool OpenReplacing(const std::string& name);
    // Closes and removes a file opened by OpenReplacing without renaming it;
    // otherwise the same as Close.
    void Abandon();

    // Writes to the process's standard output (descriptor 1) instead of a
    // file of its own: neither locked, truncated nor closed, so that what the
    // process prints there later follows the bytes written here. `name` is
    // the name that ErrorText gives. Close writes out the buffer.
    void OpenStandardOutput(const std::string& name);

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
    bool Borrowed = false;  // Fd is standard output, not this object's to close
    std::string Temporary;  // OpenReplacing's file, renamed to FileName at Close
    bool Failed = false;
    std::string FileName;
    std::string Error;
    TAlignedBuffer Buffer;
    size_t Used = 0;  // bytes waiting in Buffer
};

// Past a file-size limit (ulimit -f) the kernel ends the writing process with
// SIGXFSZ, silently, however carefully its writes are checked. Called once at
// start, this ignores the signal so that such a write fails with EFBIG and is
// reported like any other write failure.
void ReportFileSizeLimitAsWriteFailure();

// A write to a pipe or FIFO whose reader has gone away ends the writing process
// with SIGPIPE, silently. Called once at start, this ignores the signal so that
// such a write fails with EPIPE and is reported like any other write failure.
void ReportClosedPipeAsWriteFailure();

// True when `name` is the file that standard output is open on (the same
// device and inode): a second, independent open of it would write over what
// goes to standard output, or be written over by it.
bool IsStandardOutput(const std::string& name);

}  // namespace platform

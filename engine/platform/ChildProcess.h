#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A program started with its standard input, output and error on pipes, as
// the transport to a far side runs ssh. The program is found in PATH; its
// arguments pass as raw bytes, no shell reads them. It runs in a process
// group of its own, so that a Ctrl+C typed at the terminal reaches only this
// process, which then ends the child in order; signals this process ignores
// are at their defaults in it. Starting one makes this process ignore
// SIGPIPE, so that writing to a child that went away fails rather than ends
// it.
//
// Every wait is cut into slices of SliceMs and reads the stop flag between
// them, and every call has a deadline, so that nothing waits on a far side
// that went silent. What the child writes to standard error is kept (its last
// ErrorKept bytes) for the message of a failure. The bytes that crossed the
// two data pipes are counted.
class TChildProcess {
public:
    static constexpr int SliceMs = 10;
    static constexpr size_t ErrorKept = 8192;

    enum class TIo { Done, End, Stopped, TimedOut, Failed };

    TChildProcess() = default;
    // Ends the child as Finish does when it still runs.
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    // Starts words[0] with the rest as its arguments. 0 once it runs,
    // otherwise the reason (an errno value: ENOENT when no such program).
    int Start(const std::vector<std::string>& words);
    bool Running() const { return Pid > 0; }

    // Writes all of data to the child's standard input. Done, or Stopped,
    // TimedOut (after timeoutMs without progress), Failed (the child no
    // longer reads).
    TIo Write(std::string_view data, const std::atomic<bool>& stop, int timeoutMs);
    // Closes the child's standard input: it reads the end of its input.
    void CloseInput();
    // Appends what the child wrote to its standard output, at most max bytes:
    // Done when bytes came, End at the end of its output, Stopped, TimedOut
    // (timeoutMs without a byte), Failed.
    TIo Read(std::string& out, size_t max, const std::atomic<bool>& stop, int timeoutMs);

    // Ends the child: closes its input, sends SIGTERM to its process group
    // unless it already exited, SIGKILL after graceMs, and reaps it. Returns
    // its exit status (128 + signal number for a signal), or -1 when none ran.
    int Finish(int graceMs);
    // Sends SIGKILL to the child's process group without reaping it or
    // closing a pipe: another thread may still be reading them, and now
    // reads their end.
    void Kill();
    // Waits up to timeoutMs for the child to exit by itself and reaps it;
    // its exit status, or -1 when it still runs (it is then left running).
    int WaitExit(int timeoutMs);

    // The child's standard error so far (its last ErrorKept bytes).
    const std::string& ErrorText();
    uint64_t BytesWritten() const { return Written; }
    uint64_t BytesRead() const { return ReadCount; }
    pid_t ProcessId() const { return Pid; }

private:
    // Moves what standard error holds now into Errors, without waiting.
    void DrainErrors();
    void CloseAll();
    int Reap(int waitStatus);

    pid_t Pid = -1;
    int In = -1;   // the child's standard input (write end)
    int Out = -1;  // its standard output (read end)
    int Err = -1;  // its standard error (read end)
    int ExitStatus = -1;
    std::string Errors;
    uint64_t Written = 0;
    uint64_t ReadCount = 0;
};

// The system's text for an errno value ("No such file or directory").
std::string ErrorText(int error);

}  // namespace platform

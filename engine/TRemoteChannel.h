#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "TRemoteSettings.h"
#include "TRemoteUrl.h"
#include "platform/ChildProcess.h"

// One connection to a far TandrilB: starts ssh, checks the greeting, then
// carries lines both ways. Every failure ends in a status of its own
// (CompareStatus::Remote...) and a message that names the host and what
// failed; every wait reads the stop flag and has a deadline, so nothing hangs
// on a far side that went silent.
class TRemoteChannel {
public:
    // Longest line taken from the far side: a path of 4096 names of 255 bytes
    // each, every byte escaped as \ooo, stays below it.
    static constexpr size_t MaxLine = 4 * 1024 * 1024 + 4096;
    // How long the greeting may take (ssh's own connect and login included),
    // and how long the far side may then stay silent while it lists or
    // digests: ssh's ServerAlive probes end a dead connection well before.
    static constexpr int GreetingTimeoutMs = 60 * 1000;
    static constexpr int SilenceTimeoutMs = 15 * 60 * 1000;

    TRemoteChannel(TRemoteUrl url, TRemoteSettings settings, const std::atomic<bool>& stop);
    ~TRemoteChannel();
    TRemoteChannel(const TRemoteChannel&) = delete;
    TRemoteChannel& operator=(const TRemoteChannel&) = delete;

    // What runs here: the ssh words, the options that keep it from waiting on
    // a prompt or a dead link, [-p port], [user@]host, then the far command:
    // the program and `serverArguments`, each quoted for the far shell.
    std::vector<std::string> CommandWords(const std::vector<std::string>& serverArguments) const;

    // Starts ssh and reads the greeting. 0, or a status with its message.
    int Open(const std::vector<std::string>& serverArguments);

    enum class TRead { Line, End, Stopped, Failed };
    // The next line without its "\n". End when the far side's output ended
    // (cleanly or not: see EndStatus); Failed with the status set for an
    // endless line, silence past the deadline or a broken pipe; Stopped when
    // the stop flag was seen.
    TRead ReadLine(std::string& line);
    // Sends data; false (status set) when the far side no longer reads.
    bool Send(std::string_view data);
    // The far side reads the end of its input.
    void CloseInput();

    // Why the far side's output ended before it should have: waits a moment
    // for ssh to exit and tells the status (dropped connection, ssh's own
    // error, a missing program) and sets it with its message.
    int EndStatus();
    // Marks the stream as refused: line `lineNumber` of what the far side
    // sent broke a rule; the message names host, line and reason.
    int Refuse(size_t lineNumber, std::string_view reason);
    // A failure the far side reported ("#tandril-fail"), taken over as it is
    // when it is one of the engine's own, with the host in front.
    int FarFailure(int code, std::string_view text);

    // Ends ssh (and so the far side) and reaps it: after waitMs for it to
    // exit by itself (once its output ended), then at once. Safe to call twice.
    void Close(int waitMs = 0);
    // Ends ssh without reaping it, while another thread may be in ReadLine
    // (which then sees the end); Close reaps it later.
    void Abort() { Child.Kill(); }

    int GetStatus() const { return Status; }
    const std::string& GetMessage() const { return Message; }
    const TRemoteUrl& Url() const { return UrlValue; }
    // Bytes that crossed ssh's standard input and output.
    uint64_t BytesSent() const { return Child.BytesWritten(); }
    uint64_t BytesReceived() const { return Child.BytesRead(); }
    const std::string& FarVersion() const { return Version; }
    pid_t ProcessId() const { return Child.ProcessId(); }

private:
    int Fail(int status, std::string text);
    // The last non-empty line ssh (or the far shell) wrote to standard error.
    std::string LastErrorLine();

    TRemoteUrl UrlValue;
    TRemoteSettings Settings;
    const std::atomic<bool>& Stop;
    platform::TChildProcess Child;
    std::string Buffer;
    size_t BufferStart = 0;
    size_t ScanFrom = 0;
    bool Greeted = false;
    std::string Version;
    int Status = 0;
    std::string Message;
};

#include "TRemoteChannel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>

#include "TCompare.h"
#include "TRemoteProtocol.h"

#ifndef TANDRIL_VERSION
#error "TANDRIL_VERSION must give the program's version"
#endif

namespace {

using TIo = platform::TChildProcess::TIo;

// How long ssh may take to exit once its output ended, before it is ended.
constexpr int ExitWaitMs = 2000;

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

}  // namespace

TRemoteSettings TRemoteSettings::FromEnvironment() {
    TRemoteSettings settings;
    if (const char* ssh = std::getenv("TANDRIL_SSH"); ssh && *ssh)
        settings.Ssh = ssh;
    if (const char* program = std::getenv("TANDRIL_REMOTE_PROGRAM"); program && *program)
        settings.Program = program;
    return settings;
}

TRemoteChannel::TRemoteChannel(TRemoteUrl url, TRemoteSettings settings,
                               const std::atomic<bool>& stop)
    : UrlValue(std::move(url)), Settings(std::move(settings)), Stop(stop) {}

TRemoteChannel::~TRemoteChannel() {
    Close();
}

std::vector<std::string> TRemoteChannel::CommandWords(
    const std::vector<std::string>& serverArguments) const {
    std::vector<std::string> words = SplitCommandWords(Settings.Ssh);
    if (words.empty())
        words.push_back("ssh");
    // After the user's own words, so that theirs win (ssh takes the first
    // value of each option). BatchMode: a password or host key prompt fails
    // at once instead of waiting for an answer nobody types; the probes end
    // a connection whose far end went away without a word.
    for (const char* option : {"BatchMode=yes", "ConnectTimeout=30", "ServerAliveInterval=15",
                               "ServerAliveCountMax=4"}) {
        words.push_back("-o");
        words.push_back(option);
    }
    if (UrlValue.Port != 0) {
        words.push_back("-p");
        words.push_back(std::to_string(UrlValue.Port));
    }
    words.push_back(UrlValue.Destination());
    // ssh joins the words of the far command with blanks and hands them to
    // the far user's shell: each argument is quoted for it.
    std::string command = Settings.Program.empty() ? "TandrilB" : Settings.Program;
    for (const std::string& argument : serverArguments)
        command += " " + QuoteForShell(argument);
    words.push_back(command);
    return words;
}

int TRemoteChannel::Fail(int status, std::string text) {
    if (Status == 0) {
        Status = status;
        Message = UrlValue.HostText() + ": " + std::move(text);
    }
    return Status;
}

std::string TRemoteChannel::LastErrorLine() {
    std::string_view errors = Child.ErrorText();
    while (!errors.empty()) {
        size_t end = errors.find_last_not_of("\r\n \t");
        if (end == std::string_view::npos)
            return "";
        errors = errors.substr(0, end + 1);
        size_t begin = errors.find_last_of('\n');
        std::string_view line = begin == std::string_view::npos ? errors : errors.substr(begin + 1);
        if (!line.empty())
            return std::string(line.substr(0, 512));
        errors = errors.substr(0, begin);
    }
    return "";
}

int TRemoteChannel::Open(const std::vector<std::string>& serverArguments) {
    std::vector<std::string> words = CommandWords(serverArguments);
    if (int error = Child.Start(words); error != 0)
        return Fail(CompareStatus::RemoteSshFailed,
                    words[0] + " を起動できません (" + platform::ErrorText(error) + ")");
    std::string line;
    TRead read = ReadLine(line);
    if (read == TRead::Stopped || read == TRead::Failed)
        return Status;
    if (read == TRead::End)
        return EndStatus();
    int protocol = 0;
    if (!RemoteProtocol::ParseGreeting(line, protocol, Version)) {
        // Something else answered: an old TandrilB's usage text, a shell's
        // banner, another program of that name.
        return Fail(CompareStatus::RemoteVersion,
                    "リモートプログラム " + Settings.Program + " が Tandril の応答をしません");
    }
    if (protocol != RemoteProtocol::Version || Version != TANDRIL_VERSION)
        return Fail(CompareStatus::RemoteVersion, "リモートプログラムのバージョンが違います (" +
                                                      Version + "、こちらは " + TANDRIL_VERSION +
                                                      ")");
    Greeted = true;
    return 0;
}

TRemoteChannel::TRead TRemoteChannel::ReadLine(std::string& line) {
    if (Status != 0)
        return TRead::Failed;
    while (true) {
        // Bytes before ScanFrom were looked at already: a long line arriving
        // in many reads is scanned once.
        const size_t newline = Buffer.find('\n', std::max(BufferStart, ScanFrom));
        if (newline != std::string::npos) {
            line.assign(Buffer, BufferStart, newline - BufferStart);
            BufferStart = newline + 1;
            return TRead::Line;
        }
        ScanFrom = Buffer.size();
        if (Buffer.size() - BufferStart > MaxLine) {
            Refuse(0, "行が長すぎます");
            return TRead::Failed;
        }
        // What was taken is dropped before more is read, so that the buffer
        // holds at most one line and one read.
        if (BufferStart > 0) {
            Buffer.erase(0, BufferStart);
            ScanFrom -= BufferStart;
            BufferStart = 0;
        }
        const int timeout = Greeted ? SilenceTimeoutMs : GreetingTimeoutMs;
        switch (Child.Read(Buffer, 256 * 1024, Stop, timeout)) {
            case TIo::Done:
                continue;
            case TIo::End:
                if (!Buffer.empty())
                    Refuse(0, "最後の行が途中で切れています");
                return Buffer.empty() ? TRead::End : TRead::Failed;
            case TIo::Stopped:
                return TRead::Stopped;
            case TIo::TimedOut:
                Fail(Greeted ? CompareStatus::RemoteDropped : CompareStatus::RemoteSshFailed,
                     std::to_string((Greeted ? SilenceTimeoutMs : GreetingTimeoutMs) / 1000) +
                         " 秒間応答がありません");
                return TRead::Failed;
            case TIo::Failed:
                Fail(CompareStatus::RemoteDropped, "接続から読めません");
                return TRead::Failed;
        }
    }
}

bool TRemoteChannel::Send(std::string_view data) {
    if (Status != 0)
        return false;
    switch (Child.Write(data, Stop, SilenceTimeoutMs)) {
        case TIo::Done:
            return true;
        case TIo::Stopped:
        case TIo::End:
            return false;
        case TIo::TimedOut:
        case TIo::Failed:
            EndStatus();
            return false;
    }
    return false;
}

void TRemoteChannel::CloseInput() {
    Child.CloseInput();
}

int TRemoteChannel::EndStatus() {
    int exit = Child.WaitExit(ExitWaitMs);
    if (exit < 0)
        exit = Child.Finish(0);
    const std::string line = LastErrorLine();
    const std::string detail = line.empty() ? "" : " (" + line + ")";
    const std::string errors = Child.ErrorText();
    if (!Greeted) {
        // ssh itself ends with 255; the far shell with 127 when it has no
        // such program, 126 when it cannot run it.
        if (exit == 255) {
            if (Contains(errors, "Host key verification failed") ||
                Contains(errors, "HOST IDENTIFICATION HAS CHANGED") ||
                Contains(errors, "host key is known"))
                return Fail(CompareStatus::RemoteHostKey, "ホスト鍵を確認できません" + detail);
            if (Contains(errors, "Connection refused") || Contains(errors, "No route to host") ||
                Contains(errors, "Could not resolve hostname") ||
                Contains(errors, "Network is unreachable") ||
                Contains(errors, "Connection timed out") ||
                Contains(errors, "Name or service not known"))
                return Fail(CompareStatus::RemoteRefused, "接続できません" + detail);
            return Fail(CompareStatus::RemoteSshFailed, "ssh が失敗しました" + detail);
        }
        if (exit == 127 || exit == 126)
            return Fail(CompareStatus::RemoteNoProgram,
                        "リモートプログラム " + Settings.Program + " を実行できません" + detail);
        return Fail(CompareStatus::RemoteVersion, "リモートプログラム " + Settings.Program +
                                                      " が Tandril の応答をしません" + detail);
    }
    return Fail(CompareStatus::RemoteDropped, "接続が途中で切れました" + detail);
}

int TRemoteChannel::Refuse(size_t lineNumber, std::string_view reason) {
    std::string where = lineNumber > 0 ? std::to_string(lineNumber) + " 行目: " : "";
    return Fail(CompareStatus::RemoteBadData,
                "受信したデータが不正です (" + where + std::string(reason) + ")");
}

int TRemoteChannel::FarFailure(int code, std::string_view text) {
    // Only the statuses a far listing can end in are taken over as they are.
    const bool known = code == CompareStatus::BadPathM || code == CompareStatus::RuntimeFailure;
    return Fail(known ? code : CompareStatus::RemoteBadData, std::string(text));
}

void TRemoteChannel::Close(int waitMs) {
    // ssh leaves only once it has written out all it received, and nothing
    // else reads its output any more (a run stopped during the listing left
    // part of the far tree on its way): what still comes is read and dropped
    // while ssh ends.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    const std::atomic<bool> never{false};
    std::string dropped;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || Child.WaitExit(0) >= 0)
            break;
        dropped.clear();
        const platform::TChildProcess::TIo read =
            Child.Read(dropped, 256 * 1024, never, static_cast<int>(std::min<long>(left, 5)));
        if (read == platform::TChildProcess::TIo::End ||
            read == platform::TChildProcess::TIo::Failed) {
            Child.WaitExit(static_cast<int>(left));
            break;
        }
    }
    Child.Finish(200);
}

#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>

extern char** environ;

namespace platform {

namespace {

using TClock = std::chrono::steady_clock;

int MillisecondsLeft(TClock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

void CloseFd(int& fd) {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

}  // namespace

TChildProcess::~TChildProcess() {
    Finish(0);
}

int TChildProcess::Start(const std::vector<std::string>& words) {
    if (words.empty() || Pid > 0)
        return EINVAL;
    // A child that went away makes a write to its input fail (EPIPE) instead
    // of ending this process, the desktop program included. Programs this
    // process starts get the default back.
    std::signal(SIGPIPE, SIG_IGN);
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0)
        return errno;
    if (pipe2(out, O_CLOEXEC) != 0) {
        int error = errno;
        close(in[0]);
        close(in[1]);
        return error;
    }
    if (pipe2(err, O_CLOEXEC) != 0) {
        int error = errno;
        for (int fd : {in[0], in[1], out[0], out[1]})
            close(fd);
        return error;
    }
    std::vector<std::string> copy = words;
    std::vector<char*> argv;
    for (std::string& word : copy)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGXFSZ, SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (error != 0) {
        close(in[1]);
        close(out[0]);
        close(err[0]);
        return error;
    }
    Pid = pid;
    In = in[1];
    Out = out[0];
    Err = err[0];
    for (int fd : {In, Out, Err})
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    ExitStatus = -1;
    Errors.clear();
    Written = 0;
    ReadCount = 0;
    return 0;
}

TChildProcess::TIo TChildProcess::Write(std::string_view data, const std::atomic<bool>& stop,
                                        int timeoutMs) {
    auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    while (!data.empty()) {
        if (stop.load(std::memory_order_relaxed))
            return TIo::Stopped;
        if (In < 0)
            return TIo::Failed;
        ssize_t n = write(In, data.data(), data.size());
        if (n > 0) {
            data.remove_prefix(static_cast<size_t>(n));
            Written += static_cast<uint64_t>(n);
            deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return TIo::Failed;
        int left = MillisecondsLeft(deadline);
        if (left == 0)
            return TIo::TimedOut;
        struct pollfd fd {
            In, POLLOUT, 0
        };
        poll(&fd, 1, std::min(left, SliceMs));
    }
    return TIo::Done;
}

void TChildProcess::CloseInput() {
    CloseFd(In);
}

TChildProcess::TIo TChildProcess::Read(std::string& out, size_t max, const std::atomic<bool>& stop,
                                       int timeoutMs) {
    const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        if (stop.load(std::memory_order_relaxed))
            return TIo::Stopped;
        if (Out < 0)
            return TIo::End;
        char buffer[64 * 1024];
        ssize_t n = read(Out, buffer, std::min(max, sizeof buffer));
        if (n > 0) {
            out.append(buffer, static_cast<size_t>(n));
            ReadCount += static_cast<uint64_t>(n);
            return TIo::Done;
        }
        if (n == 0) {
            CloseFd(Out);
            DrainErrors();
            return TIo::End;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return TIo::Failed;
        int left = MillisecondsLeft(deadline);
        if (left == 0)
            return TIo::TimedOut;
        struct pollfd fds[2] = {{Out, POLLIN, 0}, {Err, POLLIN, 0}};
        poll(fds, Err >= 0 ? 2 : 1, std::min(left, SliceMs));
        if (Err >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)))
            DrainErrors();
    }
}

void TChildProcess::DrainErrors() {
    char buffer[4096];
    while (Err >= 0) {
        ssize_t n = read(Err, buffer, sizeof buffer);
        if (n > 0) {
            Errors.append(buffer, static_cast<size_t>(n));
            if (Errors.size() > ErrorKept)
                Errors.erase(0, Errors.size() - ErrorKept);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            CloseFd(Err);
        return;
    }
}

const std::string& TChildProcess::ErrorText() {
    DrainErrors();
    return Errors;
}

int TChildProcess::Reap(int waitStatus) {
    Pid = -1;
    if (WIFEXITED(waitStatus))
        ExitStatus = WEXITSTATUS(waitStatus);
    else if (WIFSIGNALED(waitStatus))
        ExitStatus = 128 + WTERMSIG(waitStatus);
    return ExitStatus;
}

int TChildProcess::WaitExit(int timeoutMs) {
    if (Pid <= 0)
        return ExitStatus;
    const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        int status = 0;
        pid_t done = waitpid(Pid, &status, WNOHANG);
        if (done == Pid) {
            DrainErrors();
            return Reap(status);
        }
        if (done < 0 && errno != EINTR) {
            Pid = -1;
            return ExitStatus;
        }
        int left = MillisecondsLeft(deadline);
        if (left == 0)
            return -1;
        // Standard error is read meanwhile: a child blocked on a full pipe
        // would never exit.
        struct pollfd fd {
            Err, POLLIN, 0
        };
        poll(&fd, Err >= 0 ? 1 : 0, std::min(left, SliceMs));
        DrainErrors();
    }
}

int TChildProcess::Finish(int graceMs) {
    CloseInput();
    if (Pid > 0) {
        int status = 0;
        pid_t done = waitpid(Pid, &status, WNOHANG);
        if (done == Pid) {
            Reap(status);
        } else {
            // The whole group: ssh may have started helpers (a ProxyCommand).
            kill(-Pid, SIGTERM);
            if (WaitExit(graceMs) < 0 && Pid > 0) {
                kill(-Pid, SIGKILL);
                while (waitpid(Pid, &status, 0) < 0 && errno == EINTR) {
                }
                Reap(status);
            }
        }
    }
    DrainErrors();
    CloseAll();
    return ExitStatus;
}

void TChildProcess::Kill() {
    if (Pid > 0)
        kill(-Pid, SIGKILL);
}

void TChildProcess::CloseAll() {
    CloseFd(In);
    CloseFd(Out);
    CloseFd(Err);
}

std::string ErrorText(int error) {
    char buffer[256];
    // The GNU strerror_r returns the text, which need not be in buffer.
    return strerror_r(error, buffer, sizeof buffer);
}

}  // namespace platform

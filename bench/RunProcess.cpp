#include "RunProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

namespace {

// The path of MeasureChild is fixed at build time (bench/CMakeLists.txt).
constexpr const char* kMeasureChild = TANDRIL_MEASURE_CHILD;

std::string DescribeStatus(int status) {
    if (WIFSIGNALED(status))
        return "signal " + std::to_string(WTERMSIG(status));
    return "exit status " + std::to_string(WEXITSTATUS(status));
}

// In the child: writes the failing call and errno to the pipe and ends.
[[noreturn]] void ChildFailed(int errorPipe, const char* call) {
    int code = errno;
    char text[256];
    int n = std::snprintf(text, sizeof text, "%s: %s", call, std::strerror(code));
    if (n > 0)
        (void)!::write(errorPipe, text, static_cast<size_t>(n));
    ::_exit(127);
}

// In the child: sets up the working folder, the standard files and the
// environment, and execs the program through MeasureChild, which reports its
// resource use on `resultPipe`.
[[noreturn]] void StartChild(const TProcessSpec& spec, int errorPipe, int resultPipe) {
    auto fail = [&](const char* call) { ChildFailed(errorPipe, call); };
    if (!spec.WorkDir.empty() && ::chdir(spec.WorkDir.c_str()) != 0)
        fail("chdir");
    int out = ::open(spec.StdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || ::dup2(out, 1) < 0)
        fail("open standard output");
    int err = ::open(spec.StderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (err < 0 || ::dup2(err, 2) < 0)
        fail("open standard error");
    int in = ::open("/dev/null", O_RDONLY);
    if (in < 0 || ::dup2(in, 0) < 0)
        fail("open standard input");
    for (int fd : {out, err, in})
        if (fd > 2)
            ::close(fd);
    for (const auto& [key, value] : spec.Env)
        ::setenv(key.c_str(), value.c_str(), 1);
    if (::fcntl(resultPipe, F_SETFD, 0) != 0)
        fail("fcntl");
    const std::string resultFd = std::to_string(resultPipe);
    std::vector<char*> argv{const_cast<char*>(kMeasureChild), const_cast<char*>(resultFd.c_str())};
    for (const auto& arg : spec.Argv)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(kMeasureChild, argv.data());
    ChildFailed(errorPipe, kMeasureChild);
}

// Everything readable from `fd` until its writers have closed it.
std::string ReadAll(int fd) {
    std::string text;
    char buffer[256];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    return text;
}

}  // namespace

TProcessResult RunProcess(const TProcessSpec& spec) {
    TProcessResult result;
    int errorPipe[2];
    int resultPipe[2];
    if (spec.Argv.empty()) {
        result.Error = "no program";
        return result;
    }
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) {
        result.Error = std::string("pipe: ") + std::strerror(errno);
        return result;
    }
    if (::pipe2(resultPipe, O_CLOEXEC) != 0) {
        result.Error = std::string("pipe: ") + std::strerror(errno);
        ::close(errorPipe[0]);
        ::close(errorPipe[1]);
        return result;
    }
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(errorPipe[0]);
        ::close(resultPipe[0]);
        StartChild(spec, errorPipe[1], resultPipe[1]);
    }
    ::close(errorPipe[1]);
    ::close(resultPipe[1]);
    if (pid < 0) {
        result.Error = std::string("fork: ") + std::strerror(errno);
        ::close(errorPipe[0]);
        ::close(resultPipe[0]);
        return result;
    }
    // MeasureChild writes its line when the program has ended and then ends
    // itself; the pipe reaches its end when both have closed it.
    const std::string report = ReadAll(resultPipe[0]);
    ::close(resultPipe[0]);
    int shimStatus = 0;
    while (::waitpid(pid, &shimStatus, 0) < 0 && errno == EINTR) {
    }
    result.Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    // The error pipe closes on exec, so it holds text only when the start failed.
    const std::string startError = ReadAll(errorPipe[0]);
    ::close(errorPipe[0]);
    if (!startError.empty()) {
        result.Error = startError;
        return result;
    }
    int status = 0, execErrno = 0;
    long maxRss = 0;
    double user = 0, system = 0;
    if (std::sscanf(report.c_str(), "exec %d", &execErrno) == 1) {
        result.Error = spec.Argv[0] + ": " + std::strerror(execErrno);
        return result;
    }
    if (std::sscanf(report.c_str(), "end %d %ld %lf %lf", &status, &maxRss, &user, &system) != 4) {
        result.Error = "MeasureChild gave no result (" + DescribeStatus(shimStatus) + ")";
        return result;
    }
    result.Started = true;
    if (WIFEXITED(status))
        result.ExitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        result.Signal = WTERMSIG(status);
    result.UserSeconds = user;
    result.SystemSeconds = system;
    result.MaxRssKiB = maxRss;
    return result;
}

std::string DescribeEnd(const TProcessResult& result) {
    if (!result.Started)
        return "could not start: " + result.Error;
    if (result.Signal != 0)
        return "ended by signal " + std::to_string(result.Signal);
    return "exit status " + std::to_string(result.ExitCode);
}

bool FindProgram(const std::string& program) {
    if (program.find('/') != std::string::npos)
        return ::access(program.c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && ::access((dir + "/" + program).c_str(), X_OK) == 0)
            return true;
    return false;
}

TBusyCore::TBusyCore() {
    Pid = ::fork();
    if (Pid == 0) {
        // The child only spins until it is killed.
        volatile unsigned long spin = 0;
        while (true)
            spin = spin + 1;
    }
}

TBusyCore::~TBusyCore() {
    if (Pid <= 0)
        return;
    ::kill(Pid, SIGKILL);
    int status = 0;
    while (::waitpid(Pid, &status, 0) < 0 && errno == EINTR) {
    }
}

#include "RunProcess.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

double Seconds(const timeval& t) {
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
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
// environment, and execs.
[[noreturn]] void StartChild(const TProcessSpec& spec, int errorPipe) {
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
    std::vector<char*> argv;
    for (const auto& arg : spec.Argv)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ChildFailed(errorPipe, spec.Argv[0].c_str());
}

}  // namespace

TProcessResult RunProcess(const TProcessSpec& spec) {
    TProcessResult result;
    int pipeFds[2];
    if (spec.Argv.empty() || ::pipe2(pipeFds, O_CLOEXEC) != 0) {
        result.Error =
            spec.Argv.empty() ? "no program" : std::string("pipe: ") + std::strerror(errno);
        return result;
    }
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        StartChild(spec, pipeFds[1]);
    }
    ::close(pipeFds[1]);
    if (pid < 0) {
        result.Error = std::string("fork: ") + std::strerror(errno);
        ::close(pipeFds[0]);
        return result;
    }
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    result.Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    // The pipe closes on exec, so it holds text only when the start failed.
    char text[256];
    ssize_t n = ::read(pipeFds[0], text, sizeof text);
    ::close(pipeFds[0]);
    if (n > 0) {
        result.Error.assign(text, static_cast<size_t>(n));
        return result;
    }
    result.Started = true;
    if (WIFEXITED(status))
        result.ExitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        result.Signal = WTERMSIG(status);
    result.UserSeconds = Seconds(usage.ru_utime);
    result.SystemSeconds = Seconds(usage.ru_stime);
    result.MaxRssKiB = usage.ru_maxrss;
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

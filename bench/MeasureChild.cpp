// MeasureChild: starts one program and reports its resource use.
//
//   MeasureChild FD PROGRAM [ARGUMENT...]
//
// The benchmark runner starts every timed program through this small process
// instead of forking itself: a child's peak resident memory (wait4's
// ru_maxrss) includes the pages of the process it was forked from, so a
// runner holding a large manifest would be counted into every program it
// times. Forked from this process, the program starts from a few hundred KiB.
//
// On descriptor FD it writes one line: "exec ERRNO" when PROGRAM could not be
// started, otherwise "end STATUS MAXRSS_KIB USER_SECONDS SYSTEM_SECONDS" with
// the raw wait status. Its own exit status carries no meaning.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

double Seconds(const timeval& t) {
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

void Report(int fd, const char* text, int length) {
    if (length > 0)
        (void)!::write(fd, text, static_cast<size_t>(length));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const int fd = std::atoi(argv[1]);
    if (fd < 3 || ::fcntl(fd, F_SETFD, FD_CLOEXEC) != 0)
        return 2;
    char line[128];
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execvp(argv[2], argv + 2);
        Report(fd, line, std::snprintf(line, sizeof line, "exec %d\n", errno));
        ::_exit(127);
    }
    if (pid < 0) {
        Report(fd, line, std::snprintf(line, sizeof line, "exec %d\n", errno));
        return 1;
    }
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR)
            return 1;
    }
    Report(fd, line,
           std::snprintf(line, sizeof line, "end %d %ld %.6f %.6f\n", status, usage.ru_maxrss,
                         Seconds(usage.ru_utime), Seconds(usage.ru_stime)));
    return 0;
}

#include "platform/StartProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

int StartDetached(const std::string& program, const std::vector<std::string>& arguments) {
    // Everything the child needs is made before fork: between fork and exec
    // only async-signal-safe calls are allowed in a program with threads.
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    // The exec's outcome comes back through a pipe that exec closes.
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return errno;
    const pid_t child = fork();
    if (child < 0) {
        const int error = errno;
        close(fds[0]);
        close(fds[1]);
        return error;
    }
    if (child == 0) {
        // A second fork, so that the program is nobody's child here and its
        // end leaves no zombie behind.
        setsid();
        const pid_t grandchild = fork();
        if (grandchild != 0) {
            int error = grandchild < 0 ? errno : 0;
            if (grandchild < 0 && write(fds[1], &error, sizeof error) < 0)
                _exit(2);
            _exit(0);
        }
        struct sigaction defaults {};
        defaults.sa_handler = SIG_DFL;
        sigaction(SIGPIPE, &defaults, nullptr);
        sigaction(SIGXFSZ, &defaults, nullptr);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        execv(argv[0], argv.data());
        int error = errno;
        if (write(fds[1], &error, sizeof error) < 0)
            _exit(2);
        _exit(127);
    }
    close(fds[1]);
    int error = 0;
    ssize_t got;
    while ((got = read(fds[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

}  // namespace platform

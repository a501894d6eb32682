// PipeCount: runs a program (ssh) with its standard input and output relayed
// through pipes and counts the bytes that cross them, as a far side's
// traffic is measured: at the ssh child's pipes, before encryption.
//
//   PipeCount COUNTS PROGRAM [ARGUMENT]...
//
// When the program ends, appends "<bytes in> <bytes out>" to the file COUNTS
// and exits with the program's status.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

void Relay(int from, int to, std::atomic<unsigned long long>& count) {
    char buffer[64 * 1024];
    while (true) {
        ssize_t n = read(from, buffer, sizeof buffer);
        if (n <= 0)
            break;
        count += static_cast<unsigned long long>(n);
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(to, buffer + done, size_t(n - done));
            if (w <= 0)
                goto end;
            done += w;
        }
    }
end:
    close(to);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: PipeCount COUNTS PROGRAM [ARGUMENT]...\n");
        return 2;
    }
    // Ended with its child (TandrilB ends ssh's process group), it still
    // writes the counts once the child is gone.
    signal(SIGTERM, SIG_IGN);
    signal(SIGINT, SIG_IGN);
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
        return 2;
    pid_t child = fork();
    if (child == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    std::atomic<unsigned long long> sent{0}, received{0};
    std::thread up([&] { Relay(0, in[1], sent); });
    up.detach();
    Relay(out[0], 1, received);
    int status = 0;
    waitpid(child, &status, 0);
    if (FILE* counts = std::fopen(argv[1], "a")) {
        std::fprintf(counts, "%llu %llu\n", sent.load(), received.load());
        std::fclose(counts);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

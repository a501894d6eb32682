// DelayProxy: an ssh ProxyCommand that adds a fixed delay to each direction
// of the connection, for measuring a far side over a slow link where the
// kernel has no netem qdisc.
//
//   ssh -o ProxyCommand="DelayProxy %h %p 25" ...
//
// Bytes read from standard input are sent to HOST:PORT, and bytes read from
// there are written to standard output, each block DELAY_MS milliseconds
// after it arrived, in order: 25 ms each way is a round trip of 50 ms.
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace {

using TClock = std::chrono::steady_clock;

// One direction: a reader that stamps each block, a writer that sends it
// when its time has come.
class TDelayedPipe {
public:
    TDelayedPipe(int from, int to, bool socketOut, std::chrono::milliseconds delay)
        : From(from), To(to), SocketOut(socketOut), Delay(delay) {}

    void Run() {
        std::thread writer([this] { Write(); });
        char buffer[64 * 1024];
        while (true) {
            ssize_t n = read(From, buffer, sizeof buffer);
            std::lock_guard<std::mutex> guard(Lock);
            if (n <= 0) {
                Blocks.push_back({TClock::now() + Delay, std::string(), true});
                Ready.notify_one();
                break;
            }
            Blocks.push_back({TClock::now() + Delay, std::string(buffer, size_t(n)), false});
            Ready.notify_one();
        }
        writer.join();
    }

private:
    struct TBlock {
        TClock::time_point Due;
        std::string Data;
        bool End;
    };

    void Write() {
        while (true) {
            TBlock block;
            {
                std::unique_lock<std::mutex> lock(Lock);
                Ready.wait(lock, [this] { return !Blocks.empty(); });
                block = std::move(Blocks.front());
                Blocks.pop_front();
            }
            std::this_thread::sleep_until(block.Due);
            if (block.End) {
                if (SocketOut)
                    shutdown(To, SHUT_WR);
                else
                    close(To);
                return;
            }
            const char* p = block.Data.data();
            size_t left = block.Data.size();
            while (left > 0) {
                ssize_t n = write(To, p, left);
                if (n <= 0)
                    std::_Exit(1);
                p += n;
                left -= size_t(n);
            }
        }
    }

    int From, To;
    bool SocketOut;
    std::chrono::milliseconds Delay;
    std::mutex Lock;
    std::condition_variable Ready;
    std::deque<TBlock> Blocks;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: DelayProxy HOST PORT DELAY_MS\n");
        return 2;
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(argv[1], argv[2], &hints, &found) != 0 || !found) {
        std::fprintf(stderr, "DelayProxy: cannot resolve %s\n", argv[1]);
        return 1;
    }
    int fd = socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (fd < 0 || connect(fd, found->ai_addr, found->ai_addrlen) != 0) {
        std::perror("DelayProxy: connect");
        return 1;
    }
    freeaddrinfo(found);
    const std::chrono::milliseconds delay(std::atoi(argv[3]));
    TDelayedPipe up(0, fd, true, delay);
    TDelayedPipe down(fd, 1, false, delay);
    std::thread upThread([&up] { up.Run(); });
    down.Run();
    // The far end closed: nothing more will be answered.
    std::_Exit(0);
}

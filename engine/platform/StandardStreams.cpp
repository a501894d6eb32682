#include "platform/StandardStreams.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace platform {

TStandardOutput::TStandardOutput() {
    std::signal(SIGPIPE, SIG_IGN);
    Buffer.reserve(BufferSize);
}

bool TStandardOutput::Write(std::string_view data) {
    if (Buffer.size() + data.size() > BufferSize && !Flush())
        return false;
    if (data.size() >= BufferSize) {
        Buffer.assign(data);
        return Flush();
    }
    Buffer.append(data);
    return !Failed;
}

bool TStandardOutput::Flush() {
    std::string_view rest = Buffer;
    while (!rest.empty() && !Failed) {
        ssize_t n = write(STDOUT_FILENO, rest.data(), rest.size());
        if (n > 0)
            rest.remove_prefix(static_cast<size_t>(n));
        else if (n < 0 && errno != EINTR)
            Failed = true;
    }
    Buffer.clear();
    return !Failed;
}

long ReadStandardInput(char* buffer, size_t size) {
    while (true) {
        ssize_t n = read(STDIN_FILENO, buffer, size);
        if (n >= 0 || errno != EINTR)
            return static_cast<long>(n);
    }
}

void ExitNow(int status) {
    _exit(status);
}

}  // namespace platform

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Standard input and output as the far side of a remote comparison uses
// them: ssh's pipes. Output is buffered and written whole; a reader that went
// away makes writes fail (EPIPE), never kills the process.
class TStandardOutput {
public:
    static constexpr size_t BufferSize = 64 * 1024;

    TStandardOutput();
    // Appends to the buffer, writing it out when it is full; false once a
    // write failed.
    bool Write(std::string_view data);
    // Writes out what the buffer holds; false once a write failed.
    bool Flush();

private:
    std::string Buffer;
    bool Failed = false;
};

// Reads up to size bytes of standard input: the count, 0 at its end, -1 on
// a failure. Waits until something comes.
long ReadStandardInput(char* buffer, size_t size);

// Ends the process at once with this status, without running destructors or
// joining threads: the far side's answer to a near side that went away.
[[noreturn]] void ExitNow(int status);

}  // namespace platform

#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Reads a small file whole: a regular file, or a pipe or FIFO until its
// writer closes it (so that a script can pass "<(command)"), for any path
// length. False with error set to the errno value when it cannot be opened or
// read (a folder gives EISDIR) or holds more than limit bytes (EFBIG).
bool ReadWholeFile(const std::string& path, size_t limit, std::string& text, int& error);

}  // namespace platform

#pragma once

#include <string>

namespace platform {

// open(2) for any path length: a path the kernel refuses as too long is
// walked in pieces of whole components with openat. Returns the descriptor,
// or -1 with errno set.
int OpenLongPath(const std::string& path, int flags);

}  // namespace platform

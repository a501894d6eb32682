#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts program (a path) with exactly these arguments, as raw bytes: no
// shell reads them and a file name that is not UTF-8 arrives by its own
// bytes. The program runs on its own (in a session of its own, not a child
// of this process); nothing waits for it. Signals this process ignores
// (SIGPIPE, SIGXFSZ) are at their defaults in the program. Returns 0 once the
// program runs, otherwise the reason it could not be started (an errno value).
int StartDetached(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace platform

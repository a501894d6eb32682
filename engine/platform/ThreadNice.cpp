#include "ThreadNice.h"

#include <cerrno>

#include <sys/resource.h>
#include <unistd.h>

namespace platform {

// On Linux a nice value belongs to a thread, not to the whole process:
// PRIO_PROCESS with a thread's id changes that thread only.
bool SetCurrentThreadNice(int nice) {
    return setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice) == 0;
}

int CurrentThreadNice() {
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    return errno == 0 ? nice : 0;
}

}  // namespace platform

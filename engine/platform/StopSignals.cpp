#include "platform/StopSignals.h"

#include <signal.h>

namespace platform {

namespace {

void (*StopHandler)() = nullptr;

void OnSignal(int) {
    if (StopHandler)
        StopHandler();
}

}  // namespace

void CallOnStopSignals(void (*onStop)()) {
    StopHandler = onStop;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    // SA_RESETHAND: the second signal finds the default again.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace platform

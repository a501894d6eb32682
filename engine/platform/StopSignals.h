#pragma once

namespace platform {

// From now on SIGINT and SIGTERM call onStop (on whatever thread the signal
// lands) instead of ending the process, the first one of them only: a second
// signal ends the process as usual, for a user who will not wait. onStop must
// do nothing but what a signal handler may (store to a lock-free atomic).
void CallOnStopSignals(void (*onStop)());

}  // namespace platform

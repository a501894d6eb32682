#pragma once

namespace platform {

// Gives the calling thread the nice value `nice` (-20 highest to 19 lowest
// priority), for this thread alone; threads it starts afterwards inherit it.
// False when the system refuses, as it does when a thread without the right to
// raise priority asks for less than its current value; the value then stays.
bool SetCurrentThreadNice(int nice);

// The calling thread's nice value.
int CurrentThreadNice();

}  // namespace platform

#pragma once

#include <functional>
#include <string>

// A fault-injecting layer for what real folders cannot do on demand: change
// at the exact moment between two calls of a listing. The test executable
// defines openat and statx itself, so every call the engine makes passes
// here first; an armed hook runs its action once, just before the call on
// that absolute path, then the real call goes on.
//
// Only for trees that change under a run; everything else in the hostile
// suite uses real folders as they are.

// Runs action once, right before the first openat of `path`.
void BeforeOpen(const std::string& path, std::function<void()> action);
// Runs action once, right before the first statx of `path`.
void BeforeStat(const std::string& path, std::function<void()> action);
// Disarms every hook.
void ClearHooks();

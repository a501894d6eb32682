#pragma once

#include <cstdint>
#include <functional>
#include <string>

// A fault-injecting layer for what real folders cannot do on demand: change
// at the exact moment between two calls of a listing, fail a read in the
// middle of a file, refuse copies inside the kernel. The test executable
// defines openat, statx, read, preadv2 and copy_file_range itself, so every call the
// engine makes passes here first (and io_uring_submit_and_wait, whose batched
// reads meet the read faults too); an armed hook runs its action once, just
// before the call on that absolute path, then the real call goes on.
//
// Only for faults that real folders cannot produce; everything else in the
// hostile suite uses real folders as they are.

// Runs action once, right before the first openat of `path`.
void BeforeOpen(const std::string& path, std::function<void()> action);
// Runs action once, right before the first statx of `path`.
void BeforeStat(const std::string& path, std::function<void()> action);
// Reads of the file at `path` (read, preadv2, copy_file_range and reads in an
// io_uring batch alike) fail with
// `error` once `after` bytes of it were read, until the hooks are cleared.
void FailReads(const std::string& path, int64_t after, int error);
// Every copy_file_range fails with `error`, as on a file system or kernel
// that refuses it (EXDEV, EOPNOTSUPP, ENOSYS), or with error 0 copies
// nothing and returns 0, as some kernels do from sysfs, until the hooks are
// cleared.
void RefuseKernelCopies(int error);
// Disarms every hook.
void ClearHooks();

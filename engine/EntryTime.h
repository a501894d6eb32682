#pragma once
// How an entry's modification time is kept, whether it was listed here or read
// from a snapshot or a far side: the even second it is compared by, and the
// file time the report and the detail bars show.
#include <cstdint>

// Seconds between 1601-01-01 and 1970-01-01, the two epochs of file times.
constexpr int64_t FileTimeEpochOffset = 11644473600;

// Floors to an even second, so that two times in one 2-second slot are equal.
inline int64_t EvenSeconds(int64_t seconds) {
    int64_t odd = seconds % 2;
    if (odd < 0)
        odd += 2;
    return seconds - odd;
}

// 100-ns ticks since 1601 UTC; 0 (the "not kept" value) for earlier times.
inline uint64_t FileTime(int64_t seconds, uint32_t nanoseconds) {
    if (seconds < -FileTimeEpochOffset)
        return 0;
    return static_cast<uint64_t>(seconds + FileTimeEpochOffset) * 10000000u + nanoseconds / 100u;
}

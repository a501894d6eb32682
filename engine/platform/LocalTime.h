#pragma once

#include <cstdint>

namespace platform {

// A moment broken down in the user's local time zone.
struct TCalendarTime {
    int64_t Year = 1970;
    int Month = 1;  // 1..12
    int Day = 1;    // 1..31
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
};

// Seconds since the Unix epoch (UTC) in local time, with the offset in force at
// that moment. False when the system cannot represent it.
bool ToLocalTime(int64_t seconds, TCalendarTime& out);

}  // namespace platform

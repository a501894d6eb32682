#pragma once

#include <cstdint>
#include <vector>

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

// The offset of local time from UTC in force at a moment, in seconds (east
// positive); 0 when the system cannot represent the moment.
int64_t LocalOffset(int64_t seconds);

// A local clock reading held as seconds: the seconds from 1970-01-01 00:00:00
// to that reading on the same calendar, with no time zone. False when the
// system cannot represent it.
bool ReadingToCalendar(int64_t reading, TCalendarTime& out);

// The local clock readings of many moments in a row (one per listed file).
// The C library works out an offset from the zone's rules on every call
// (microseconds for times past its table of changes), so offsets are
// remembered per span of 2^16 seconds (about 18 hours) whose two ends have the
// same offset; in a span with a change in it each moment is asked for. A zone
// that changed its offset and back within one span would be missed; none
// has. One per thread.
class TLocalClock {
public:
    // The local reading of a moment (seconds since the Unix epoch, UTC), as
    // ReadingToCalendar takes it.
    int64_t Reading(int64_t seconds);

private:
    static constexpr int SpanBits = 16;
    struct TSpan {
        int64_t Index = INT64_MIN;
        int64_t Offset = 0;
        bool Uniform = false;
    };
    std::vector<TSpan> Spans = std::vector<TSpan>(4096);
};

}  // namespace platform

#include "platform/LocalTime.h"

#include <ctime>

namespace platform {

namespace {

void FromParts(const struct tm& parts, TCalendarTime& out) {
    out.Year = static_cast<int64_t>(parts.tm_year) + 1900;
    out.Month = parts.tm_mon + 1;
    out.Day = parts.tm_mday;
    out.Hour = parts.tm_hour;
    out.Minute = parts.tm_min;
    out.Second = parts.tm_sec > 59 ? 59 : parts.tm_sec;
}

}  // namespace

bool ToLocalTime(int64_t seconds, TCalendarTime& out) {
    time_t t = static_cast<time_t>(seconds);
    struct tm parts;
    if (!localtime_r(&t, &parts))
        return false;
    FromParts(parts, out);
    return true;
}

int64_t LocalOffset(int64_t seconds) {
    time_t t = static_cast<time_t>(seconds);
    struct tm parts;
    if (!localtime_r(&t, &parts))
        return 0;
    return parts.tm_gmtoff;
}

bool ReadingToCalendar(int64_t reading, TCalendarTime& out) {
    // A reading is broken down on the plain calendar: UTC has no offset.
    time_t t = static_cast<time_t>(reading);
    struct tm parts;
    if (!gmtime_r(&t, &parts))
        return false;
    FromParts(parts, out);
    return true;
}

int64_t TLocalClock::Reading(int64_t seconds) {
    const int64_t index = seconds >> SpanBits;  // rounds down, also before 1970
    TSpan& span = Spans[static_cast<size_t>(index) % Spans.size()];
    if (span.Index != index) {
        const int64_t start = index * (int64_t{1} << SpanBits);
        span.Index = index;
        span.Offset = LocalOffset(start);
        span.Uniform = span.Offset == LocalOffset(start + (int64_t{1} << SpanBits) - 1);
    }
    return seconds + (span.Uniform ? span.Offset : LocalOffset(seconds));
}

}  // namespace platform

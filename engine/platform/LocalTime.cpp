#include "platform/LocalTime.h"

#include <ctime>

namespace platform {

bool ToLocalTime(int64_t seconds, TCalendarTime& out) {
    time_t t = static_cast<time_t>(seconds);
    struct tm parts;
    if (!localtime_r(&t, &parts))
        return false;
    out.Year = static_cast<int64_t>(parts.tm_year) + 1900;
    out.Month = parts.tm_mon + 1;
    out.Day = parts.tm_mday;
    out.Hour = parts.tm_hour;
    out.Minute = parts.tm_min;
    out.Second = parts.tm_sec > 59 ? 59 : parts.tm_sec;
    return true;
}

}  // namespace platform

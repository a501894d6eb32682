#include "RowText.h"

#include <cstdio>

#include "TSearchRec.h"
#include "platform/LocalTime.h"

std::string AttributeText(uint32_t attr) {
    std::string text(5, '-');
    if (attr & Attr::Directory)
        text[0] = 'D';
    if (attr & Attr::ReadOnly)
        text[1] = 'R';
    if (attr & Attr::Hidden)
        text[2] = 'H';
    if (attr & Attr::System)
        text[3] = 'S';
    if (attr & Attr::Archive)
        text[4] = 'A';
    return text;
}

namespace {

TDateTime FromCalendar(const platform::TCalendarTime& local) {
    TDateTime value;
    value.Year = static_cast<int>(local.Year);
    value.Month = local.Month;
    value.Day = local.Day;
    value.Hour = local.Hour;
    value.Minute = local.Minute;
    value.Second = local.Second;
    return value;
}

}  // namespace

TDateTime TimeToDateTime(int64_t time) {
    platform::TCalendarTime local;
    if (!platform::ReadingToCalendar(time, local))
        return TDateTime{};
    return FromCalendar(local);
}

TDateTime FileTimeToDateTime(uint64_t fileTime) {
    if (fileTime == 0)
        return TDateTime{};
    // 100-ns ticks since 1601 to whole seconds since 1970; fractions are dropped.
    constexpr int64_t EpochOffset = 11644473600;
    int64_t seconds = static_cast<int64_t>(fileTime / 10000000u) - EpochOffset;
    platform::TCalendarTime local;
    if (!platform::ToLocalTime(seconds, local))
        return TDateTime{};
    return FromCalendar(local);
}

std::string FormatDateTime(const TDateTime& value, TDateFormat format) {
    char text[64];
    bool longYear = format == TDateFormat::LongDateTime || format == TDateFormat::LongDate;
    bool withTime = format == TDateFormat::LongDateTime || format == TDateFormat::ShortDateTime;
    int year = longYear ? value.Year : ((value.Year % 100) + 100) % 100;
    int n = std::snprintf(text, sizeof text, longYear ? "%04d/%02d/%02d" : "%02d/%02d/%02d", year,
                          value.Month, value.Day);
    if (withTime)
        std::snprintf(text + n, sizeof text - static_cast<size_t>(n), " %02d:%02d:%02d", value.Hour,
                      value.Minute, value.Second);
    return text;
}

static bool NeedsQuotes(std::string_view field, char delimiter, char quote) {
    for (char c : field) {
        unsigned char u = static_cast<unsigned char>(c);
        // UTF-8 continuation and lead bytes are all 0x80 or above, so a
        // multibyte character never matches one of these.
        if ((u >= 0x01 && u <= 0x20) || c == quote || c == delimiter)
            return true;
    }
    return false;
}

void AppendRowField(std::string& line, std::string_view field, char delimiter, char quote) {
    if (!NeedsQuotes(field, delimiter, quote)) {
        line.append(field);
        return;
    }
    line.push_back(quote);
    for (char c : field) {
        line.push_back(c);
        if (c == quote)
            line.push_back(quote);
    }
    line.push_back(quote);
}

std::string RowLine(const std::vector<std::string>& list, char delimiter, char quote) {
    std::string line;
    if (list.size() == 1 && list[0].empty()) {
        line.push_back(quote);
        line.push_back(quote);
        return line;
    }
    for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0)
            line.push_back(delimiter);
        AppendRowField(line, list[i], delimiter, quote);
    }
    return line;
}

std::string IncludeTrailingDelimiter(const std::string& path) {
    if (!path.empty() && path.back() == '/')
        return path;
    return path + '/';
}

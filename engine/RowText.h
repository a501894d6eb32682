#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A calendar date and time of day in local time. The zero value stands for
// 1899-12-30 00:00:00, the date-time of a file time that the file system did
// not keep.
struct TDateTime {
    int Year = 1899;
    int Month = 12;
    int Day = 30;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;

    bool operator==(const TDateTime&) const = default;
};

// Five characters: "D" for a folder, then "R", "H", "S", "A" for the bits
// 0x01, 0x02, 0x04, 0x20; "-" for each bit that is clear. "-R--A", "D----".
std::string AttributeText(uint32_t attr);

// The zero date-time for a file time of 0; otherwise the file time (100-ns
// ticks since 1601 UTC) in local time.
TDateTime FileTimeToDateTime(uint64_t fileTime);

// An entry's Time (a local clock reading held as seconds, see TSearchRec) as
// the date and time it reads.
TDateTime TimeToDateTime(int64_t time);

// "yyyy/mm/dd hh:nn:ss", "yyyy/mm/dd", "yy/mm/dd hh:nn:ss" or "yy/mm/dd".
enum class TDateFormat { LongDateTime, LongDate, ShortDateTime, ShortDate };
std::string FormatDateTime(const TDateTime& value, TDateFormat format);

// Joins the strings with the delimiter. A string holding a byte from 0x01 to
// 0x20, the quote or the delimiter is enclosed in quotes with every quote inside
// doubled; an empty string is written as nothing. A list of exactly one empty
// string gives two quotes. Strings are UTF-8 (or raw bytes); a multibyte
// character never counts as a delimiter, quote or space.
std::string RowLine(const std::vector<std::string>& list, char delimiter, char quote);

// Appends one field of a line by the RowLine rule (for writers that build a
// line without a list): the field only, quoted when it must be; the caller
// writes the delimiters between fields and the two quotes of a line that is
// one empty field.
void AppendRowField(std::string& line, std::string_view field, char delimiter, char quote);

// path unchanged when it ends in "/", otherwise path followed by "/".
std::string IncludeTrailingDelimiter(const std::string& path);

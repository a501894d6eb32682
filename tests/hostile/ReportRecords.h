#pragma once

#include <string>
#include <vector>

// The records of a report file: lines end in CR LF outside quotes, fields are
// split at the delimiter outside quotes, a quoted field has its doubled
// quotes made single. Throws when a quote is never closed.
std::vector<std::vector<std::string>> ReadRecords(const std::string& text, char delimiter);

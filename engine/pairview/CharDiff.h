#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

// A stretch of characters (UTF-16 code units) marked as changed.
struct TCharRange {
    size_t Start = 0;
    size_t Length = 0;
    bool operator==(const TCharRange&) const = default;
};

struct TCharDiff {
    std::vector<TCharRange> M;
    std::vector<TCharRange> S;
};

// The characters of two lines that differ, as an edit script on characters
// finds them. Lines longer than a few thousand characters get the stretch
// between their common start and common end instead.
TCharDiff DiffChars(std::u16string_view m, std::u16string_view s);

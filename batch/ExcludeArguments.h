#pragma once

#include <string>
#include <vector>

// The exclude patterns of TandrilB's command line: "/exclude PATTERN" and
// "/excludefrom FILE", kept in the order given and turned into the patterns
// of the comparison options once the other settings are known to be sound.
struct TExcludeArgument {
    bool FromFile = false;  // "/excludefrom": Value names a file of patterns
    std::string Value;      // the pattern or file name; empty when none was given
};

// Appends the patterns of arguments to patterns, in order. A pattern file
// holds one pattern a line (LF or CR LF, UTF-8, an optional byte order mark);
// blank lines and lines beginning with "#" are skipped, and blanks at a line's
// end are dropped unless "\" escapes the last one. Returns BatchResult::Success,
// or the result code of the first argument in error with message set to a
// text naming the option, the value and, for a file, the line.
int CollectExcludePatterns(const std::vector<TExcludeArgument>& arguments,
                           std::vector<std::string>& patterns, std::string& message);

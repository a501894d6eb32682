#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The comparison flags, always handled as one record in this order, and the
// exclude patterns. A set flag switches a check off. Member initialisers are
// the defaults.
struct TCompareOption {
    bool IgnoreSize = false;        // sizes are not compared
    bool IgnoreAttr = false;        // no attribute bit is compared
    bool IgnoreAttrR = true;        // the read-only bit (0x01) is not compared
    bool IgnoreAttrH = false;       // the hidden bit (0x02) is not compared
    bool IgnoreAttrS = false;       // the system bit (0x04) is not compared
    bool IgnoreAttrA = true;        // the archive bit (0x20) is not compared
    bool IgnoreTime = false;        // modification times are not compared
    bool IgnoreDirTimeSize = true;  // two folders: neither size nor time is compared
    bool SkipContents = false;      // the bytes of two files are not compared
    // Two text files whose lines are equal once the CR before each LF and the
    // blanks at each line's end are removed are equal, "等価 (改行・空白)"
    // (LineEnds.h); their sizes then do not count either. Off: byte for byte.
    bool IgnoreLineEnds = false;
    // Entries (and whole folders) left out of both trees: no row, never read,
    // never entered. Patterns as TExcludeFilter reads them; front ends refuse
    // malformed ones first (TExcludeFilter::CheckPattern). Empty: every entry.
    std::vector<std::string> Exclude{};
    // Opt-in verdicts; the defaults leave every row as it is.
    // Files on one side only that hold the same bytes as exactly one file on
    // one side only of the other tree become one row naming both ("相違: 移動 ").
    bool DetectMoved = false;
    int64_t MovedMinSize = 1;  // smaller files are never matched (empty ones never)
    int TimeShift = 0;         // times k whole hours apart, 1 <= k <= TimeShift, are equal
    int TimeTolerance = 0;     // times at most this many seconds apart are equal
    // Names pair only when equal after composition (NFC), letter case kept;
    // exclude patterns then keep letter case too.
    bool CaseSensitive = false;

    bool operator==(const TCompareOption&) const = default;
};

#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// One place where two sequences differ: CountA items of a from StartA are
// replaced by CountB items of b from StartB (either count may be 0).
struct TEditRun {
    size_t StartA = 0;
    size_t CountA = 0;
    size_t StartB = 0;
    size_t CountB = 0;

    bool operator==(const TEditRun&) const = default;
};

// The places where a and b differ, in order, as a shortest edit script
// (a longest common subsequence kept) would have them. Items are numbers:
// callers give each distinct line or character its own. Time grows with the
// product of the lengths and the number of edits: callers keep the inputs
// small (TLineDiff cuts files into regions between equal runs of lines).
std::vector<TEditRun> DiffSequences(std::span<const uint32_t> a, std::span<const uint32_t> b);

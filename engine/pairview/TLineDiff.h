#pragma once

#include <atomic>
#include <vector>

#include "pairview/DiffSequences.h"
#include "pairview/TTextLines.h"

// The places where two texts differ, line by line (StartA/CountA are lines of
// m, StartB/CountB lines of s), over the lines each compares
// (TTextLines::ComparedCount). Two lines are equal when their keys are and
// both or neither end with an LF, so the lines agree exactly when the files
// do (byte for byte, or under the rule of IgnoreLineEnds).
//
// What is left after the equal lines at the start goes to DiffSequences whole
// when it is a few thousand lines, so small files get a shortest script.
// Large files differ in few places, so the work goes where they differ: equal
// lines are walked in step; at a mismatch the nearest place where both go on
// alike for three lines is looked for in windows that grow fourfold, and only
// the region before it goes to DiffSequences, with lines that occur on one
// side only taken out first (they can only be edits). A region too large for
// that (lines moved around in bulk) counts as replaced whole.
//
// cancel, when given, is read between regions; a cancelled diff is incomplete.
std::vector<TEditRun> DiffLines(const TTextLines& m, const TTextLines& s, bool ignoreLineEnds,
                                const std::atomic<bool>* cancel = nullptr);

#pragma once

#include <atomic>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

#include "TCompareOption.h"
#include "TEntryList.h"

// Finds the files that moved: before the pairing pass makes its rows, the
// regular files that stand on one side only are matched by their contents
// with those that stand on the other side only. A source file and a target
// file are a moved pair when their bytes are equal and neither has another
// such match: within the one-sided files of the two trees that hold those
// very bytes there is exactly one on each side. A file whose bytes two or
// more one-sided files of the other side hold (or that shares them with
// another one-sided file of its own side) stays on its own. Folders, special
// files, files known by name only, entries of a snapshot or a far side (whose
// bytes cannot be read here) and files below the option's least size (never
// below one byte) are not matched.
//
// Cost: nothing is read unless a one-sided file of the other side has the
// same size. Where only one file of a size stands on each side their bytes
// are compared at once; otherwise each is digested (TDigest) and only the
// pairs whose digests are alone on each side are compared byte by byte.
// Both are spread over the given worker threads and the caller's. A stop
// request ends the search early (with fewer pairs: the pass that follows
// stops at once).
class TMovedFiles {
public:
    explicit TMovedFiles(const std::atomic<bool>& stop) : Stop(stop) {}

    // Matches the one-sided files of two sorted lists, as the pairing pass
    // with option pairs them. Runtime failures (memory) pass to the caller.
    void Find(const TEntryList& listM, const TEntryList& listS, const TCompareOption& option,
              int workers);

    // Position in the target list of the file that source file `positionM`
    // moved to, or -1.
    int TargetOf(int positionM) const {
        auto found = Targets.find(positionM);
        return found == Targets.end() ? -1 : found->second;
    }
    // True when target file `positionS` is where a source file moved to: its
    // row is that of the source file.
    bool IsTarget(int positionS) const { return MovedS.contains(positionS); }
    size_t Count() const { return Targets.size(); }

private:
    const std::atomic<bool>& Stop;
    std::unordered_map<int, int> Targets;
    std::unordered_set<int> MovedS;
};

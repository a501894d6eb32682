#pragma once

#include <string>
#include <vector>

#include "BenchOptions.h"
#include "RunWorkload.h"

// The snapshot workload, on the trees of few-large and many-small: TandrilB
// writing the snapshot of the source tree (XXH3-128 and SHA-256) against the
// read floor of that tree, `find | xargs sha256sum` and `mtree -c -K
// sha256digest`, warm and cold; and TandrilB comparing the target tree with
// that snapshot against comparing it with the source tree itself and against
// `mtree -p`. The first round checks that NetBSD's mtree verifies the
// snapshot and that the report against the snapshot is the report against
// the tree, byte for byte. Prints medians, the ratios the goals are set in
// and peak memory.
void RunSnapshot(const TBenchOptions& options, const TBenchPrograms& programs,
                 std::vector<std::string>& problems);

#pragma once

#include <string>
#include <vector>

#include "BenchOptions.h"
#include "RunWorkload.h"

// The copy workload: copies the source tree of few-large and of many-small
// (generated as for their own workloads) into a fresh folder with the
// desktop program's copy (CopyRun: in the kernel, and through its buffer) and
// with cp, in interleaved rounds on a warm cache, checks every first copy
// against its origin and prints medians and ratios against cp.
void RunCopy(const TBenchOptions& options, const TBenchPrograms& programs,
             std::vector<std::string>& problems);

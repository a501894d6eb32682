#pragma once

#include <string>
#include <vector>

#include "BenchOptions.h"

// Where the runner finds its programs; all paths absolute.
struct TBenchPrograms {
    std::string TandrilB;   // empty when it is not there (its rows are then skipped)
    std::string Reference;  // empty: no reference program
    std::string ReadFloor;
    std::string StopLatency;
    std::string CopyRun;
};

// Runs one workload: prepares its trees, checks every program's answer against
// the manifest in an untimed first round (which also warms the page cache),
// times the programs in interleaved rounds and prints medians, ratios and peak
// memory (for stop-pair: the stop latency). Problems found by the checks are
// appended to `problems`; speed never counts as a problem.
void RunWorkload(const TBenchOptions& options, const TBenchPrograms& programs,
                 const std::string& workload, std::vector<std::string>& problems);

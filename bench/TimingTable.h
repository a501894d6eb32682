#pragma once

#include <string>
#include <vector>

#include "BenchTool.h"
#include "TManifest.h"

// The runner's tables: the timings of every program in one phase (warm, cold,
// one core busy), and the ratios of their medians against the goals of the
// workload.
void PrintTimings(const std::vector<TTool>& tools, TPhase phase, int rounds);
void PrintRatios(const std::vector<TTool>& tools, const std::string& workload, const TManifest& m,
                 TPhase phase);

// The median time of the tool with this key, or 0 when it has no runs.
double MedianOf(const std::vector<TTool>& tools, const std::string& key, TPhase phase);

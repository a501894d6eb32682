#pragma once

#include <string>
#include <vector>

#include "BenchTool.h"
#include "TManifest.h"

// The runner's tables: the timings of every program on a warm or a cold
// cache, and the ratios of their medians against the goals of the workload.
void PrintTimings(const std::vector<TTool>& tools, bool cold, int rounds);
void PrintRatios(const std::vector<TTool>& tools, const std::string& workload, const TManifest& m,
                 bool cold);

// Flushed at once: the runner's output is often piped through tee.
void Print(const std::string& line);

#pragma once

#include <string>

// One line naming the date, the processor, the number of cores, the memory, the
// kernel and the file system that holds `dataDir`, to head every benchmark
// output so that figures are never quoted without their machine.
std::string DescribeMachine(const std::string& dataDir);

// The load averages over 1, 5 and 15 minutes, as "0.52 0.40 0.31".
std::string LoadAverage();

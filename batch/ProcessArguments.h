#pragma once

#include <string>
#include <vector>

// The process's arguments as the shell split them, argument 0 first. The
// program entry stores them once from argv so that the command-line reader can
// fetch them itself.
void StoreProcessArguments(int argc, const char* const* argv);
const std::vector<std::string>& ProcessArguments();

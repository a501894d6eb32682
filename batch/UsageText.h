#pragma once

#include <string>

// The usage text that TandrilB prints for "/?", "/help" or an empty command
// line: the banner, the option words with their values and defaults, and an
// example. Every line ends with CR LF; programName is the executable's file
// name as it was started.
std::string UsageText(const std::string& programName);

#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Numbers as the runner prints them.

// 105205 -> "105,205".
std::string FormatCount(int64_t value);
// Bytes in decimal units: "1.07 GB", "512 kB".
std::string FormatBytes(int64_t bytes);
// printf-style formatting into a string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Middle value (mean of the two middle ones for an even count); 0 for none.
double Median(std::vector<double> values);
// The whole contents of a file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

#pragma once

#include <cstdio>
#include <string_view>

// Writes a UTF-8 text to standard output (or `stream`) in the console's
// encoding. TandrilB writes to standard error only when its report goes to
// standard output ("/file -").
void PrintConsole(std::string_view utf8, std::FILE* stream = stdout);

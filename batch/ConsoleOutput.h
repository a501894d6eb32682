#pragma once

#include <string_view>

// Writes a UTF-8 text to standard output in the console's encoding. TandrilB
// writes nothing to standard error.
void PrintConsole(std::string_view utf8);

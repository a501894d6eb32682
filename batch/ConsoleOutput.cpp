#include "ConsoleOutput.h"

#include <cstdio>
#include <string>

#include "platform/Encoding.h"

void PrintConsole(std::string_view utf8) {
    std::string text = platform::ToConsoleEncoding(utf8);
    std::fwrite(text.data(), 1, text.size(), stdout);
}

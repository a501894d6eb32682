#include "ConsoleOutput.h"

#include <string>

#include "platform/Encoding.h"

void PrintConsole(std::string_view utf8, std::FILE* stream) {
    std::string text = platform::ToConsoleEncoding(utf8);
    std::fwrite(text.data(), 1, text.size(), stream);
}

#pragma once

#include <string>
#include <string_view>

namespace platform {

// The encodings of the files the programs write.
enum class TTextEncoding { Cp932, Utf8 };

// True when text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

// UTF-8 to CP932 (ICU's "windows-31j"). A character that CP932 cannot hold
// becomes "?". Bytes that are not well-formed UTF-8 (a file name's own bytes)
// are passed through unchanged.
std::string Utf8ToCp932(std::string_view utf8);

// CP932 to UTF-8. A byte sequence that does not decode becomes U+FFFD.
std::string Cp932ToUtf8(std::string_view cp932);

// The bytes a report or export file holds for a UTF-8 text.
std::string EncodeText(std::string_view utf8, TTextEncoding encoding);

// UTF-8 to the console's encoding (the locale's codeset; unchanged when that is
// UTF-8 or unknown).
std::string ToConsoleEncoding(std::string_view utf8);

}  // namespace platform

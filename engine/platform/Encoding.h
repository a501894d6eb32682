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

// A file name's bytes as UTF-16 without loss: well-formed UTF-8 decoded, each
// other byte as the lone surrogate U+DC80..U+DCFF of its value (which no
// UTF-8 text can hold), so that a name that is not UTF-8 can pass through
// text and reach the file system again by its own bytes.
std::u16string NameToUtf16(std::string_view bytes);
// The inverse of NameToUtf16: the bytes again. Any other lone surrogate
// becomes U+FFFD.
std::string Utf16ToName(std::u16string_view text);

// CP932 to UTF-8. A byte sequence that does not decode becomes U+FFFD.
std::string Cp932ToUtf8(std::string_view cp932);

// The bytes a report or export file holds for a UTF-8 text.
std::string EncodeText(std::string_view utf8, TTextEncoding encoding);

// UTF-8 to the console's encoding (the locale's codeset; unchanged when that is
// UTF-8 or unknown).
std::string ToConsoleEncoding(std::string_view utf8);

}  // namespace platform

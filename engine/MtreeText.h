#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The text forms of mtree(5) names and values.

// Appends name with every byte that a reader could take for something else
// written as a three-digit octal escape "\ooo": control bytes, the space,
// bytes from 0x7f up, "\", "#", "=" and the glob characters "*", "?", "[",
// "]" (which NetBSD's mtree would otherwise match as patterns). So every byte
// sequence a Linux name can hold reads back unchanged, in any tool.
void AppendEscapedName(std::string& out, std::string_view name);

// Appends text for a comment line: only control bytes, 0x7f and "\" are
// escaped (as "\ooo"), so that the text stays on one line and reads as it is.
void AppendEscapedText(std::string& out, std::string_view text);

// Decodes one name or value written with vis(3) escapes into out: "\ooo"
// (one to three octal digits), "\\", "\n", "\r", "\t", "\a", "\b", "\f",
// "\v", "\s" (space), "\E" (escape), "\M-c" and "\M^c" (a byte with the high
// bit), "\^c" (a control byte), "\xHH", "\$" (nothing) and "\" before a
// punctuation character (that character). False for any
// other escape, an escape cut short, a value above 0377, or a decoded NUL
// byte, which no name can hold.
bool DecodeVis(std::string_view text, std::string& out);

// A decimal number of at most 19 digits, optionally with a leading "-" when
// negative is true, into out. False for anything else, or past INT64 range.
bool ParseDecimal(std::string_view text, bool negative, int64_t& out);
// An octal number (digits 0-7 only, at most 11 digits) into out.
bool ParseOctal(std::string_view text, uint64_t& out);
// "seconds" or "seconds.nanoseconds" as mtree writes it: the part after the
// dot is a count of nanoseconds (the tools print it as %09ld), so it has one
// to nine digits. False for anything else.
bool ParseTime(std::string_view text, int64_t& seconds, uint32_t& nanoseconds);

// The digest keywords: SHA-256 under the name every mtree tool reads, and
// XXH3-128 under a keyword of Tandril's own (other tools do not read it).
namespace MtreeKeyword {
constexpr std::string_view Sha256 = "sha256digest";
constexpr std::string_view Sha256Short = "sha256";  // NetBSD's mtree -c writes this one
constexpr std::string_view Xxh128 = "tandril_xxh128";
}  // namespace MtreeKeyword

#pragma once

#include <string>
#include <string_view>

// The conversation between TandrilB on the near side and its far copy
// started through ssh with "/serve". Everything is lines ending in "\n".
//
// Far to near, first: the greeting, "#tandril-remote <protocol> <version>".
// The near side checks both before it reads on, so that another version of
// the program never sends what this one would misread. Then either the far
// tree as an mtree stream (entries as they are listed, then the closing
// line), or a failure line "#tandril-fail <code> <text>" when the far root
// cannot be listed.
//
// Near to far, after the listing: one line per file whose digest the
// comparison needs, the number of its entry in the order it was streamed (0
// for the first); the end of the near side's input ends the far side. Far to
// near: one line per request, in the order asked, the digest in hex or
// "!<text>" when the file could not be read.
namespace RemoteProtocol {

constexpr int Version = 1;
constexpr std::string_view GreetingMark = "#tandril-remote ";
constexpr std::string_view FailureMark = "#tandril-fail ";
// The option word that starts the far side.
constexpr std::string_view ServeWord = "/serve";

// The greeting line of this program (without "\n").
std::string Greeting(std::string_view programVersion);
// Reads a greeting: false when line is not one.
bool ParseGreeting(std::string_view line, int& protocol, std::string& programVersion);

// A failure line for a status code and its text (without "\n"); the text's
// line ends are written as blanks.
std::string Failure(int code, std::string_view text);
// Reads a failure line: false when line is not one.
bool ParseFailure(std::string_view line, int& code, std::string& text);

}  // namespace RemoteProtocol

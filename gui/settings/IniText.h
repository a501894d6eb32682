#pragma once

#include <string>
#include <string_view>

// The line rules of the settings file that SimpleIni, which reads it, leaves
// to its callers. Texts are UTF-8.

// The text with every line end made "\n" and a section header that lacks its
// "]" closed at the end of its line, as Windows reads it; a leading UTF-8
// byte-order mark is dropped. Lines inside a "<<<TAG" block stay as they are.
std::string WholeHeaderLines(std::string_view text);

// The comment lines (";" or "#") that open a text of "\n" lines, up to its
// first other line, joined by "\n": what SimpleIni keeps as the file comment.
std::string LeadingComment(std::string_view text);

// Appends the lines of a "\n"-separated text, each ended with CR LF.
void AppendIniLines(std::string& out, std::string_view lines);

// Appends a value so that SimpleIni reads it back unchanged: on the key's line
// when it can stand there, otherwise as a "<<<TAG" block whose tag none of its
// lines equals. A CR in the value comes back as a line feed.
void AppendIniValue(std::string& out, std::string_view value);

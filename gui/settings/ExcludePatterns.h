#pragma once

#include <string>
#include <vector>

#include <QString>

// The exclude patterns as the desktop program shows and keeps them: one
// pattern a line, in the options dialog's box and in the settings file.

// The patterns of a text, one a line (LF, CR LF or CR), read as TandrilB
// reads a pattern file: blanks at the end of a line are dropped unless "\"
// escapes the last one, and blank lines and lines beginning with "#"
// (comments) are skipped.
std::vector<std::string> ExcludePatternsOf(const QString& text);

// The patterns one a line, joined by "\n" (no line break after the last).
QString ExcludePatternsText(const std::vector<std::string>& patterns);

// The first malformed pattern of a text, as ExcludePatternsOf reads it.
struct TExcludeFailure {
    int Line = -1;    // its line, from 0; -1 when every pattern is well formed
    QString Message;  // the pattern and the engine's reason
};
TExcludeFailure CheckExcludeText(const QString& text);

// What the window shows while patterns are in force ("除外: a, b"); empty
// when there are none.
QString ExcludeSummary(const std::vector<std::string>& patterns);

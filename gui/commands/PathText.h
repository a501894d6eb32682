#pragma once

#include <string>

#include <QString>

// A path's bytes as text without loss, for handing it to other programs: a
// byte that is not UTF-8 travels as a lone surrogate (U+DC80..U+DCFF) and
// PathBytes gives the very bytes back. Not for showing: shown names use
// U+FFFD.
QString PathText(const std::string& bytes);
std::string PathBytes(const QString& text);

// Blanks and control characters (codes up to 32): what separates the words of
// a command line and what a typed path or program path is trimmed of.
bool IsBlank(QChar c);
// The text without its blanks and control characters at both ends.
QString TrimBlanks(const QString& text);
// A folder path as the working folder resolves it now: an absolute path as it
// stands, a relative one after the working folder, without "." steps. ".."
// steps stay: through a symbolic link they lead elsewhere than by the name.
QString AbsolutePath(const QString& path);

#pragma once

#include <string>

#include <QString>

// A path's bytes as text without loss, for handing it to other programs: a
// byte that is not UTF-8 travels as a lone surrogate (U+DC80..U+DCFF) and
// PathBytes gives the very bytes back. Not for showing: shown names use
// U+FFFD.
QString PathText(const std::string& bytes);
std::string PathBytes(const QString& text);

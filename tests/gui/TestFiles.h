#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Small helpers over real files for the desktop program's tests.

// How long a test waits for an event it needs (the window's activation, a
// button's delayed click, a started program's output). The suite runs beside
// other work on a shared machine, so the bound is far above the usual
// milliseconds: it only ends a wait for something that never comes.
constexpr int EventTimeoutMs = 30000;

// Writes the lines joined by CR LF (each line UTF-8) to path.
void WriteLines(const QString& path, const QStringList& lines);
// Makes an executable script at path that writes the number of its arguments
// and each argument, one a line, into the file out (whole or not at all).
// Returns path.
QString MakeArgumentRecorder(const QString& path, const QString& out);
// text in another encoding ("CP932", "EUC-JP"), through the C library's
// iconv, independent of the program's own converters.
QByteArray Encoded(const char* code, const QString& text);
// Writes bytes to path unchanged.
void WriteBytes(const QString& path, const QByteArray& bytes);
// The whole file; empty when it cannot be read.
QByteArray ReadBytes(const QString& path);
// The file's lines (split at CR LF, UTF-8).
QStringList ReadLines(const QString& path);
// The section names of an ini file, in file order.
QStringList Sections(const QString& path);
// The "key=value" lines of one section, in file order.
QStringList SectionLines(const QString& path, const QString& section);
// The value of section/key as the file holds it; a null string when missing.
QString IniValue(const QString& path, const QString& section, const QString& key);

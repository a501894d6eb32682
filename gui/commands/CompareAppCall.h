#pragma once

#include <QString>
#include <QStringList>

// Turning the comparison application's command template into a program and
// its arguments. Pure functions of their inputs: nothing here starts anything.

// A program to start and what it gets: Parameters is the text after the
// program on the command line, Arguments the same text split into the argument
// list the program receives (no shell ever reads it).
struct TProgramCall {
    QString Program;
    QString Parameters;
    QStringList Arguments;

    bool operator==(const TProgramCall&) const = default;
};

// Finds the first occurrence of token in line at or after position `from`
// (counting from 1), case-sensitive. Replaces the token's characters with a
// double quote, path and a double quote ("" for an empty path; a double quote
// inside the path is doubled, so that it stays one word) and returns the
// position where the token stood (from 1); returns 0 and leaves line alone when
// the token does not occur.
int ReplacePathToken(QString& line, const QString& token, const QString& path, int from = 1);

// Replaces every "?m" of the template with the quoted source path and every
// "?s" with the quoted target path, in order of position. Tokens are looked for
// in the template's own text only, never inside a path already put in: a path
// holding "?m" or "?s" stays as it is.
QString ReplacePathTokens(const QString& line, const QString& pathM, const QString& pathS);

// Splits a command line into words. Separators are the comma and every
// character of code 1 to 32 outside double quotes. A word that begins with a
// double quote runs to the next single double quote (a doubled quote inside
// stands for one quote; a quote never closed runs to the end of the line);
// any other word runs to the next character of code 32 or less or the next
// comma. A comma that ends the line adds one empty word.
QStringList SplitCommandWords(const QString& line);

// Splits the parameter text into the arguments the program receives: blanks
// and control characters separate arguments outside double quotes; a double
// quote starts or ends a quoted stretch (so "" alone is one empty argument),
// and a doubled quote inside a quoted stretch stands for one quote.
QStringList SplitArguments(const QString& parameters);

// The program and parameters of a command line: the program is the first word
// (SplitCommandWords); the parameters are the line without the first
// occurrence of the program's text, without the two quotes that a quoted
// program leaves behind, and without leading blanks. One word gives no
// parameters; a line without words gives an empty program.
TProgramCall SplitProgramCall(const QString& line);

// The call the comparison application's template makes for a pair of paths
// (an empty path for a missing side).
TProgramCall BuildCompareAppCall(const QString& commandTemplate, const QString& pathM,
                                 const QString& pathS);

#pragma once

#include <string>
#include <vector>

#include "TResultRow.h"
#include "TSearchRec.h"
#include "platform/Encoding.h"
#include "platform/OutputFile.h"

// The column names of a report, left to right: the seven strings of a result
// row, then (appendix) the six detail fields of the source entry and the six of
// the target entry, 19 in all. The grid's header is the first seven.
const std::vector<std::string>& ReportColumnNames(bool appendix);

// Appends the six detail fields of m, then the six of s, in the order of
// ReportColumnNames(true): size, attribute text, modification time, creation
// time, access date, full path. A null entry gives six empty strings.
void AddAppendix(std::vector<std::string>& list, const TSearchRecEx* m, const TSearchRecEx* s);

// Writes a report or export: the TandrilB report and the window's export
// write their column names and rows through this one writer, so both give
// the same bytes for the same rows. A line is its fields joined by RowLine
// with the delimiter and the double quote, in the chosen encoding, ending in
// CR LF.
//
// Failures: the file's first failing open, write, flush or close is
// remembered with its call, file name and reason (ErrorText); every later
// line is dropped, and Close returns false, so an incomplete file never
// passes for a complete one.
class TReportWriter {
public:
    TReportWriter(char delimiter, platform::TTextEncoding encoding, bool appendix)
        : Delimiter(delimiter), Encoding(encoding), Appendix(appendix) {}

    // Opens the file as platform::OutputFile::Open does (regular files locked,
    // then truncated; FIFOs and devices write-only). False with ErrorText set
    // when it cannot.
    bool Open(const std::string& name) { return File.Open(name); }
    // Writes to standard output instead (platform::OutputFile).
    void OpenStandardOutput(const std::string& name) { File.OpenStandardOutput(name); }

    // The column-name line: 7 names, or 19 with the appendix.
    void WriteHeader();
    // The line of one row: its seven strings, and with the appendix the
    // detail fields of m and s (the row's own entries; null for a missing side).
    void WriteRow(const TResultRow& row, const TSearchRecEx* m, const TSearchRecEx* s);
    // The fields joined into one line by RowLine, as UTF-8 without CR LF.
    std::string FieldsLine(const std::vector<std::string>& fields) const;
    // A line of text as it stands (it may hold CR LF of its own), then CR LF.
    void WriteText(const std::string& text);

    // Writes out what is buffered and closes the file. True when it was open
    // and every line reached it.
    bool Close() { return File.Close(); }
    bool IsOpen() const { return File.IsOpen(); }
    bool HasFailed() const { return File.HasFailed(); }
    // The first failure's call, file name and reason; empty while none failed.
    const std::string& ErrorText() const { return File.ErrorText(); }

private:
    char Delimiter;
    platform::TTextEncoding Encoding;
    bool Appendix;
    platform::OutputFile File;
};

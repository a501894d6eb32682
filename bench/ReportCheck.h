#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "TManifest.h"

// Reading the console program's report and diff -rq's output, and checking both
// against a workload's manifest. A check returns a list of problems, each one
// line of text; an empty list means the answer agrees with the manifest.

// A report written with the console program's default switches (csv, header
// and comment lines, no appendix).
struct TReport {
    std::vector<std::vector<std::string>> Rows;  // detail lines split into columns (UTF-8)
    // The three counts of the summary block; -1 when it is missing.
    int64_t SummaryRows = -1, SummaryEqual = -1, SummaryDifferent = -1;
    bool Completed = false;  // the completion line is present
    std::string Error;       // empty unless the file is not a report at all
};

// CP932 bytes as UTF-8 (a sequence that does not decode becomes U+FFFD).
std::string Cp932ToUtf8(std::string_view cp932);

// Splits one line written by the row-line rule (columns joined by `delimiter`;
// a column holding a space, control character, quote or delimiter enclosed in
// double quotes with inner quotes doubled) back into its columns.
std::vector<std::string> SplitRowLine(std::string_view line, char delimiter);

// Parses a whole report file's bytes. Reports in CP932 (the default) and in
// UTF-8 are both understood.
TReport ParseReport(std::string_view bytes);

// Problems of `report` against `manifest`: every changed file must show as
// "相違: 内容が不一致", every deleted one as "比較先無し", every added one as
// "比較元無し", files renamed only in letter case as an equal pair, and every
// other row as "等価"; the row count, the entry numbers (0, 1, 2, ... on each
// side, in row order) and the summary counts must fit.
std::vector<std::string> CheckReport(const TReport& report, const TManifest& manifest);

// Problems of a report made with "/moved" against `manifest`: every moved
// file as one row "相違: 移動 " naming its two paths, every folder only B
// has as "比較元無し", every other row "等価", and the summary counts.
std::vector<std::string> CheckMovedReport(const TReport& report, const TManifest& manifest);

// diff -rq's answer: paths relative to the trees' roots.
struct TDiffList {
    std::set<std::string> Differ, OnlyA, OnlyB;
    std::vector<std::string> Unknown;  // lines of any other form
};

// Parses the output of `diff -rq a b` run in the C locale.
TDiffList ParseDiffOutput(std::string_view output, const std::string& a, const std::string& b);

// Problems of diff's answer against `manifest`: changed files differ; deleted
// files and the old names of renamed ones are only in A; added files and the
// new names are only in B; nothing else is listed.
std::vector<std::string> CheckDiffList(const TDiffList& list, const TManifest& manifest);

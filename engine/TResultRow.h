#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TSearchRec.h"

// Whether a row's two entries count as the same. The counts, the window's
// colours, finds and hide toggles, the exports of equal or different rows and
// the exit status under "/diffstatus" all read this value, never the text.
enum class TVerdict : uint8_t { Equal, Different };

// A row's result text with its verdict, fixed together by whoever makes the
// row: "等価" and "等価 (改行・空白)" are equal, "相違: ..." different; a new
// kind of row may give any text either verdict.
struct TResultText {
    std::string Text;
    TVerdict Verdict = TVerdict::Different;
};

// One result row: an ordered list of exactly seven strings, made by one pairing
// step. The row keeps only the two entries and its result text and derives the
// strings on demand, so a million rows cost a few dozen bytes each.
//   0 source display name ("sub/" for a folder), empty when there is no source entry
//   1 source folder: the folder part of RelPath followed by "/" ("/" directly below the root)
//   2 target display name, 3 target folder, as 0 and 1
//   4 result text: "等価", "等価 (改行・空白)", "比較元無し", "比較先無し" or "相違: "
//     followed by the reasons
//   5 source Index in decimal, empty when missing; 6 target Index likewise
class TResultRow {
public:
    static constexpr int ColumnCount = 7;

    TResultRow() = default;
    // result must outlive the row (the engine keeps its result texts with its rows).
    TResultRow(const TSearchRecEx* m, const TSearchRecEx* s, const TResultText* result)
        : m_(m), s_(s), result_(result) {}

    // String `column` (0..6) of the row; an empty string for any other column.
    std::string operator[](int column) const;
    // Appends string `column` to out without building a temporary.
    void AppendColumn(int column, std::string& out) const;
    // All seven strings in order.
    std::vector<std::string> Strings() const;

    const TSearchRecEx* EntryM() const { return m_; }
    const TSearchRecEx* EntryS() const { return s_; }
    const std::string& Result() const;
    // The verdict made with the text; a row without a result is different.
    TVerdict Verdict() const { return result_ ? result_->Verdict : TVerdict::Different; }

private:
    const TSearchRecEx* m_ = nullptr;
    const TSearchRecEx* s_ = nullptr;
    const TResultText* result_ = nullptr;
};

#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "pairview/TPairDiff.h"
#include "platform/TextDecoder.h"

// A line as a pane draws it: tabs expanded to the next multiple of four
// columns, and with blanks shown, a tab's first column "→" and each trailing
// space "·". Column[i] is where character i of the line begins in Text
// (Column has one more entry: the end).
struct TShownLine {
    QString Text;
    std::vector<qsizetype> Column;
};
TShownLine ShownLine(const QString& line, bool blanks);

// The two sides of the pair view.
enum class TPaneSide { M, S };

// Turns a side's lines into the text its pane shows, in the encoding chosen
// for that side: without the line end (CR LF or LF), without a UTF-8 byte
// order mark, a byte sequence that does not decode as U+FFFD. Decoding is
// done per line as the pane draws it, so a large file costs nothing up front.
class TPaneText {
public:
    TPaneText(std::shared_ptr<const TPairDiff> diff, TPaneSide side, platform::TTextCode code);

    platform::TTextCode Code() const { return Decoder->Code(); }
    QString Line(int64_t line) const;
    // The part of the line that the comparison looks at: under IgnoreLineEnds
    // without its trailing blanks.
    QString ComparedLine(int64_t line) const;
    // "CR LF" or "LF" for a line that ends so, empty for the last line without one.
    QString LineEnd(int64_t line) const;

private:
    std::shared_ptr<const TPairDiff> Diff;
    const TPairSide& Side;
    std::unique_ptr<platform::TTextDecoder> Decoder;
};

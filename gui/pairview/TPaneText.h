#pragma once

#include <QString>
#include <memory>

#include "pairview/TPairDiff.h"
#include "platform/TextDecoder.h"

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

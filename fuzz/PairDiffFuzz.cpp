// The pair view's logic and the line-end rule over arbitrary bytes. The input
// is two texts split at the first 0xFF byte; the byte before the texts picks
// the pieces the normaliser is fed in. Properties:
// - the streaming normaliser gives the text's lines stripped as the view
//   strips them (LineEnds::Strip through TTextLines), in any pieces and room;
// - the line diff is a valid edit script under either rule, and finds no
//   difference exactly when the texts are equal (byte for byte, or after the
//   normaliser): the view and the comparison never disagree;
// - encoding detection, decoding and the character diff take any bytes.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "LineEnds.h"
#include "pairview/CharDiff.h"
#include "pairview/TLineDiff.h"
#include "pairview/TPairDiff.h"

namespace {

std::string Normalised(std::string_view text, size_t piece, size_t room) {
    LineEnds::TNormaliser normaliser;
    std::string out;
    for (size_t at = 0; at < text.size();)
        at += normaliser.Feed(text.substr(at, std::min(piece, text.size() - at)), out, room);
    while (!normaliser.Finish(out, room)) {
    }
    return out;
}

// The lines the view compares, joined as the normaliser joins them.
std::string StrippedLines(const TTextLines& lines) {
    std::string out;
    for (size_t i = 0; i < lines.ComparedCount(true); ++i) {
        out += lines.Key(i, true);
        if (lines.EndsWithLf(i))
            out += '\n';
    }
    return out;
}

void CheckScript(const TTextLines& a, const TTextLines& b, bool ignore) {
    const auto runs = DiffLines(a, b, ignore);
    size_t i = 0, j = 0;
    const auto same = [&](size_t until) {
        for (; i < until; ++i, ++j) {
            FUZZ_CHECK(j < b.ComparedCount(ignore));
            FUZZ_CHECK(a.Key(i, ignore) == b.Key(j, ignore));
            FUZZ_CHECK(a.EndsWithLf(i) == b.EndsWithLf(j));
        }
    };
    for (const TEditRun& run : runs) {
        FUZZ_CHECK(run.StartA >= i && run.StartB - j == run.StartA - i);
        FUZZ_CHECK(run.CountA + run.CountB > 0);
        same(run.StartA);
        i += run.CountA;
        j += run.CountB;
    }
    same(a.ComparedCount(ignore));
    FUZZ_CHECK(j == b.ComparedCount(ignore));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t piece = 1 + data[0] % 7, room = 1 + data[0] / 7 % 5;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t split = rest.find('\xff');
    const std::string_view a = rest.substr(0, split);
    const std::string_view b = split == std::string_view::npos ? a : rest.substr(split + 1);

    const TTextLines linesA(a), linesB(b);
    const std::string normalA = Normalised(a, piece, room);
    FUZZ_CHECK(normalA == Normalised(a, a.size() + 1, a.size() + 1));
    FUZZ_CHECK(normalA == StrippedLines(linesA));
    const std::string normalB = Normalised(b, piece + 1, room + 1);

    CheckScript(linesA, linesB, false);
    CheckScript(linesA, linesB, true);
    FUZZ_CHECK(DiffLines(linesA, linesB, false).empty() == (a == b));
    FUZZ_CHECK(DiffLines(linesA, linesB, true).empty() == (normalA == normalB));

    (void)DetectTextCode(a);
    for (auto code :
         {platform::TTextCode::Utf8, platform::TTextCode::Cp932, platform::TTextCode::EucJp}) {
        platform::TTextDecoder decoder(code);
        const std::u16string textA = decoder.Decode(a), textB = decoder.Decode(b);
        const TCharDiff diff = DiffChars(textA, textB);
        for (const TCharRange& range : diff.M)
            FUZZ_CHECK(range.Start + range.Length <= textA.size());
        for (const TCharRange& range : diff.S)
            FUZZ_CHECK(range.Start + range.Length <= textB.size());
    }
    return 0;
}

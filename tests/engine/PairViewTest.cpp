// The pair view's logic: line and character diffs, the rows they make, the
// encodings found, the byte runs, and the load that picks among them. The
// view must never disagree with the comparison: its lines agree exactly when
// the engine finds the files equal, with and without IgnoreLineEnds.
#include <gtest/gtest.h>

#include "TLineEndComparer.h"
#include "TempTree.h"
#include "pairview/CharDiff.h"
#include "pairview/TLineDiff.h"
#include "pairview/TPairDiff.h"

namespace {

// Lines of text joined with LF after each.
std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// Checks that runs are a valid edit script of a into b: ordered, and the
// lines outside them equal in step. Returns the number of lines edited.
size_t CheckScript(const TTextLines& a, const TTextLines& b, const std::vector<TEditRun>& runs,
                   bool ignore) {
    size_t i = 0, j = 0, edited = 0;
    auto same = [&](size_t until) {
        for (; i < until; ++i, ++j) {
            EXPECT_LT(j, b.ComparedCount(ignore));
            EXPECT_EQ(a.Key(i, ignore), b.Key(j, ignore)) << "line " << i;
        }
    };
    for (const TEditRun& run : runs) {
        EXPECT_GE(run.StartA, i);
        EXPECT_EQ(run.StartB - j, run.StartA - i);
        EXPECT_GT(run.CountA + run.CountB, 0u);
        same(run.StartA);
        i += run.CountA;
        j += run.CountB;
        edited += run.CountA + run.CountB;
    }
    same(a.ComparedCount(ignore));
    EXPECT_EQ(j, b.ComparedCount(ignore));
    return edited;
}

// The length of a longest common subsequence of lines, by dynamic programming.
size_t CommonLines(const TTextLines& a, const TTextLines& b) {
    std::vector<std::vector<size_t>> t(a.Count() + 1, std::vector<size_t>(b.Count() + 1));
    for (size_t i = a.Count(); i-- > 0;)
        for (size_t j = b.Count(); j-- > 0;)
            t[i][j] =
                a.Line(i) == b.Line(j) ? t[i + 1][j + 1] + 1 : std::max(t[i + 1][j], t[i][j + 1]);
    return t[0][0];
}

unsigned Next(unsigned& seed) {
    seed = seed * 1103515245 + 12345;
    return (seed >> 16) & 0x7fff;
}

}  // namespace

TEST(PairView, LineDiffIsAValidScriptAndShortestOnSmallTexts) {
    unsigned seed = 7;
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> a, b;
        const int n = Next(seed) % 30;
        for (int k = 0; k < n; ++k)
            a.push_back(std::string(1, char('a' + Next(seed) % 6)));
        b = a;
        for (int edits = Next(seed) % 5; edits > 0; --edits) {
            const size_t at = b.empty() ? 0 : Next(seed) % b.size();
            switch (Next(seed) % 3) {
                case 0:
                    b.insert(b.begin() + at, std::string(1, char('a' + Next(seed) % 8)));
                    break;
                case 1:
                    if (!b.empty())
                        b.erase(b.begin() + at);
                    break;
                default:
                    if (!b.empty())
                        b[at] = "x";
            }
        }
        const std::string ta = Joined(a), tb = Joined(b);
        const TTextLines la(ta), lb(tb);
        const auto runs = DiffLines(la, lb, false);
        SCOPED_TRACE(ta + "---\n" + tb);
        const size_t edited = CheckScript(la, lb, runs, false);
        // Short texts go to the edit script whole: a shortest one.
        EXPECT_EQ(edited, la.Count() + lb.Count() - 2 * CommonLines(la, lb));
    }
}

TEST(PairView, LargeTextsDifferOnlyWhereTheyWereChanged) {
    std::vector<std::string> a;
    for (int i = 0; i < 20000; ++i)
        a.push_back("line " + std::to_string(i % 997) + " of " + std::to_string(i / 997));
    std::vector<std::string> b = a;
    b[10] = "changed";
    b.insert(b.begin() + 5000, 3000, "inserted");  // a block larger than the first windows
    b.erase(b.begin() + 15000, b.begin() + 15010);
    const std::string ta = Joined(a), tb = Joined(b);
    const TTextLines la(ta), lb(tb);
    const auto runs = DiffLines(la, lb, false);
    CheckScript(la, lb, runs, false);
    const std::vector<TEditRun> expected = {
        {10, 1, 10, 1}, {5000, 0, 5000, 3000}, {12000, 10, 15000, 0}};
    EXPECT_EQ(runs, expected);
}

TEST(PairView, RowsPairTheLinesOfEachDifference) {
    // a b c d e  against  a X c Y Z e f
    const TDiffLayout layout({{1, 1, 1, 1}, {3, 1, 3, 2}, {5, 0, 6, 1}}, 5, 7);
    ASSERT_EQ(layout.RowCount(), 7u);
    const std::vector<std::tuple<int64_t, int64_t, TRowKind>> expected = {
        {0, 0, TRowKind::Same},    {1, 1, TRowKind::Changed}, {2, 2, TRowKind::Same},
        {3, 3, TRowKind::Changed}, {-1, 4, TRowKind::Added},  {4, 5, TRowKind::Same},
        {-1, 6, TRowKind::Added}};
    for (size_t r = 0; r < expected.size(); ++r) {
        const TDisplayRow row = layout.Row(r);
        EXPECT_EQ(std::tuple(row.LineM, row.LineS, row.Kind), expected[r]) << "row " << r;
    }
    EXPECT_EQ(layout.DifferenceRow(1), 3u);
    EXPECT_EQ(layout.DifferenceRows(1), 2u);
    EXPECT_EQ(layout.NextDifference(0), 0u);
    EXPECT_EQ(layout.NextDifference(1), 1u);  // F7 from a difference goes to the next one
    EXPECT_EQ(layout.NextDifference(6), 3u);  // none
    EXPECT_EQ(layout.PreviousDifference(3), 0u);
    EXPECT_EQ(layout.PreviousDifference(1), 3u);  // none
    // Lines the comparison leaves out stand as equal rows at the end.
    const TDiffLayout extra({}, 2, 2, 0, 1);
    EXPECT_EQ(extra.RowCount(), 3u);
    EXPECT_EQ(extra.Row(2).LineM, -1);
    EXPECT_EQ(extra.Row(2).LineS, 2);
    EXPECT_EQ(extra.Row(2).Kind, TRowKind::Same);
}

TEST(PairView, ChangedCharactersAreMarked) {
    const struct {
        std::u16string m, s;
        std::vector<TCharRange> inM, inS;
    } cases[] = {
        {u"int x = 1;", u"int x = 2;", {{8, 1}}, {{8, 1}}},
        {u"abc", u"abXc", {}, {{2, 1}}},
        {u"日本語のテキスト", u"日本語テキスト", {{3, 1}}, {}},
        {u"same", u"same", {}, {}},
        {u"foo(bar)", u"foo(baz)", {{6, 1}}, {{6, 1}}},
        {u"a\tb", u"a b", {{1, 1}}, {{1, 1}}},
    };
    for (const auto& c : cases) {
        const TCharDiff diff = DiffChars(c.m, c.s);
        EXPECT_EQ(diff.M, c.inM);
        EXPECT_EQ(diff.S, c.inS);
    }
    // Very long lines: the stretch between the common start and end.
    const std::u16string longM = std::u16string(10000, u'a') + u"x" + std::u16string(10000, u'b');
    const std::u16string longS = std::u16string(10000, u'a') + u"yz" + std::u16string(10000, u'b');
    EXPECT_EQ(DiffChars(longM, longS).S, std::vector<TCharRange>({{10000, 2}}));
}

TEST(PairView, EncodingsAreFoundFromTheBytes) {
    using platform::TTextCode;
    const struct {
        std::string bytes;
        std::optional<TTextCode> code;
    } cases[] = {
        {"plain ascii\n", TTextCode::Utf8},
        {"\xEF\xBB\xBF\xE6\x97\xA5\xE6\x9C\xAC\n", TTextCode::Utf8},
        {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\n", TTextCode::Utf8},
        {"\x93\xFA\x96\x7B\x8C\xEA\r\n", TTextCode::Cp932},  // 日本語
        {"\xC6\xFC\xCB\xDC\xB8\xEC\n", TTextCode::EucJp},    // 日本語
        {"\x83\x5C\x83\x74\x83\x67\n", TTextCode::Cp932},    // ソフト, 0x5C trail bytes
        {"caf\xE9\n", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DetectTextCode(c.bytes), c.code) << testing::PrintToString(c.bytes);
    }
    platform::TTextDecoder cp932(TTextCode::Cp932), euc(TTextCode::EucJp);
    EXPECT_EQ(cp932.Decode("\x93\xFA\x96\x7B\x8C\xEA"), u"日本語");
    EXPECT_EQ(euc.Decode("\xC6\xFC\xCB\xDC\xB8\xEC"), u"日本語");
    EXPECT_EQ(cp932.Decode("a\x81"), u"a\uFFFD");
}

TEST(PairView, LoadPicksLinesOrBytesAndKeepsReasons) {
    TTempTree tree;
    tree.File("m.txt", "one\r\ntwo\r\nthree\r\n");
    tree.File("s.txt", "one\ntwo\nTHREE\n");
    tree.File("m.bin", std::string("\0\1\2\3\4\5", 6));
    tree.File("s.bin", std::string("\0\1\x09\x09\4\5\6\7", 8));
    tree.Folder("dir");

    auto text = TPairDiff::Load(tree.Path("m.txt"), tree.Path("s.txt"), {});
    ASSERT_EQ(text->Mode, TPairDiff::TMode::Text);
    EXPECT_EQ(text->Layout.DifferenceCount(), 1u);  // every line differs by its CR
    EXPECT_EQ(text->Layout.DifferenceRows(0), 3u);
    EXPECT_EQ(text->M.Lines.Style(), TLineEndStyle::CrLf);
    EXPECT_EQ(text->S.Lines.Style(), TLineEndStyle::Lf);
    auto ignoring = TPairDiff::Load(tree.Path("m.txt"), tree.Path("s.txt"), {true});
    ASSERT_EQ(ignoring->Layout.DifferenceCount(), 1u);
    EXPECT_EQ(ignoring->Layout.DifferenceRow(0), 2u);  // only "three"

    auto bytes = TPairDiff::Load(tree.Path("m.bin"), tree.Path("s.bin"), {});
    ASSERT_EQ(bytes->Mode, TPairDiff::TMode::Bytes);
    EXPECT_EQ(bytes->Bytes.Runs, std::vector<TByteRun>({{2, 2}, {6, 2}}));
    EXPECT_EQ(bytes->Bytes.DifferingBytes, 4);

    TPairDiffOptions small;
    small.TextLimit = 10;
    auto large = TPairDiff::Load(tree.Path("m.txt"), tree.Path("s.txt"), small);
    EXPECT_EQ(large->Mode, TPairDiff::TMode::Bytes);
    EXPECT_NE(large->Message.find("大きすぎる"), std::string::npos);
    EXPECT_EQ(large->Bytes.Runs.front().Offset, 3);  // the first CR

    auto missing = TPairDiff::Load(tree.Path("m.txt"), tree.Path("none"), {});
    EXPECT_EQ(missing->Mode, TPairDiff::TMode::Failed);
    EXPECT_TRUE(missing->M.Error.empty());
    EXPECT_EQ(missing->S.Error, "open(" + tree.Path("none") + "): No such file or directory");
    auto folder = TPairDiff::Load(tree.Path("dir"), tree.Path("s.txt"), {});
    EXPECT_NE(folder->M.Error.find("Is a directory"), std::string::npos);
}

TEST(PairView, ViewAgreesWithTheComparisonUnderEitherRule) {
    TTempTree tree;
    TLineEndComparer comparer(nullptr);
    unsigned seed = 11;
    for (int round = 0; round < 150; ++round) {
        std::string a;
        for (int k = Next(seed) % 12; k > 0; --k)
            a.push_back("ab \t\r\n"[Next(seed) % 6]);
        std::string b = a;
        for (int edits = Next(seed) % 3; edits > 0; --edits) {
            const size_t at = b.empty() ? 0 : Next(seed) % (b.size() + 1);
            b.insert(b.begin() + std::min(at, b.size()), " \t\r\na"[Next(seed) % 5]);
        }
        tree.File("a", a);
        tree.File("b", b);
        const TTextLines la(a), lb(b);
        SCOPED_TRACE(testing::PrintToString(a) + " vs " + testing::PrintToString(b));
        EXPECT_EQ(DiffLines(la, lb, false).empty(), a == b);
        EXPECT_EQ(DiffLines(la, lb, true).empty(), comparer.Alike(tree.Path("a"), tree.Path("b")));
    }
}

// Content comparison: the outcome of 1024-byte cycles at every boundary, the
// stop probe, failures and special files; the rule that ignores line ends.
#include <gtest/gtest.h>

#include <deque>
#include <regex>
#include <tuple>

#include "TContentComparer.h"
#include "TLineEndComparer.h"
#include "TempTree.h"

namespace {

struct TOutcome {
    int Code;
    std::string Reason;
    int Probes;  // stop probes asked
};

// The comparison as 1024-byte cycles describe it, on two byte strings.
TOutcome Reference(const std::string& a, const std::string& b) {
    for (size_t k = 0;; ++k) {
        size_t offset = k * 1024;
        size_t ca = offset < a.size() ? std::min<size_t>(1024, a.size() - offset) : 0;
        size_t cb = offset < b.size() ? std::min<size_t>(1024, b.size() - offset) : 0;
        int probes = static_cast<int>(k) + 1;
        if (ca == 0 && cb == 0)
            return {0, "", probes};
        if (ca != cb)
            return {-1, "内容が不一致(サイズが一致しなかった)", probes};
        if (a.compare(offset, ca, b, offset, cb) != 0)
            return {-1, "内容が不一致", probes};
    }
}

class Content : public ::testing::Test {
protected:
    TTempTree Tree;
    int Probes = 0;
    int StopAtProbe = -1;
    TContentComparer Comparer{[this] { return ++Probes == StopAtProbe; }};

    TOutcome CompareBytes(const std::string& a, const std::string& b) {
        Tree.File("a", a);
        Tree.File("b", b);
        return ComparePaths(Tree.Path("a"), Tree.Path("b"));
    }
    TOutcome ComparePaths(const std::string& pathA, const std::string& pathB,
                          TFileKind kindA = TFileKind::Regular,
                          TFileKind kindB = TFileKind::Regular) {
        Probes = 0;
        std::string reason = "stale";
        int code = Comparer.Compare(pathA, kindA, pathB, kindB, reason);
        return {code, reason, Probes};
    }
};

std::string Bytes(size_t size, size_t flip = std::string::npos) {
    std::string text(size, '\0');
    for (size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>('a' + (i * 7) % 26);
    if (flip < size)
        text[flip] ^= 1;
    return text;
}

}  // namespace

TEST_F(Content, BlockReadsGiveTheOutcomeOfKilobyteCycles) {
    const size_t block = TContentComparer::BlockSize;
    const std::vector<size_t> sizes = {0,    1,    100,       1023,  1024,      1025,        2000,
                                       3000, 4096, block - 1, block, block + 1, block + 1024};
    const size_t none = std::string::npos;
    for (size_t sizeA : sizes) {
        for (size_t sizeB : sizes) {
            if (sizeA > sizeB)
                continue;
            // Same prefix; a difference early, in the last full cycle of the
            // shorter file, and in its partial tail.
            for (size_t flip : {none, size_t(10), (sizeA / 1024) * 1024 - 1, sizeA - 1}) {
                if (flip != none && flip >= sizeA)
                    continue;
                std::string a = Bytes(sizeA, flip), b = Bytes(sizeB);
                TOutcome expected = Reference(a, b);
                TOutcome got = CompareBytes(a, b);
                SCOPED_TRACE(std::to_string(sizeA) + " vs " + std::to_string(sizeB) + " flip " +
                             std::to_string(flip));
                EXPECT_EQ(got.Code, expected.Code);
                EXPECT_EQ(got.Reason, expected.Reason);
                EXPECT_EQ(got.Probes, expected.Probes);
            }
        }
    }
}

// Files whose pages come from the disk: every read starts without waiting
// and finishes later, often in pieces; the outcome must not change.
TEST_F(Content, FilesReadFromTheDiskGiveTheSameOutcome) {
    const size_t block = TContentComparer::BlockSize;
    for (auto [sizeA, sizeB, flip] : {std::tuple{block * 3 + 100, block * 3 + 100, size_t(-1)},
                                      {block * 3 + 100, block * 3 + 100, block * 2 + 5},
                                      {block + 1, block * 2, size_t(-1)},
                                      {5000, 5000, size_t(4999)}}) {
        const std::string a = Bytes(sizeA, flip), b = Bytes(sizeB);
        Tree.File("a", a);
        Tree.File("b", b);
        const bool evicted = Tree.Evict();
        const TOutcome got = ComparePaths(Tree.Path("a"), Tree.Path("b"));
        const TOutcome expected = Reference(a, b);
        EXPECT_EQ(got.Code, expected.Code);
        EXPECT_EQ(got.Reason, expected.Reason);
        EXPECT_EQ(got.Probes, expected.Probes);
        if (evicted) {
            EXPECT_TRUE(Comparer.ReadUncached());
        }
    }
    // Read again, now from the cache.
    ComparePaths(Tree.Path("a"), Tree.Path("b"));
    EXPECT_FALSE(Comparer.ReadUncached());
}

// Some processors copy into memory that is not 64-byte aligned several times
// more slowly, and large heap blocks start 16 bytes into a page.
TEST_F(Content, ReadBuffersStartOnAPage) {
    const size_t page = platform::TAlignedBuffer::PageSize();
    for (const platform::TAlignedBuffer* buffer : {&Comparer.BufferOfM(), &Comparer.BufferOfS()}) {
        EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer->Data()) % page, 0u);
        EXPECT_GE(buffer->Size(), TContentComparer::BlockSize);
    }
}

TEST_F(Content, KnownBoundaryCases) {
    EXPECT_EQ(CompareBytes("", "").Code, 0);
    EXPECT_EQ(CompareBytes(Bytes(1024), Bytes(1024)).Probes, 2);
    EXPECT_EQ(CompareBytes(Bytes(100), Bytes(200)).Reason, "内容が不一致(サイズが一致しなかった)");
    EXPECT_EQ(CompareBytes(Bytes(2000, 10), Bytes(3000)).Reason, "内容が不一致");
    // A difference in the cycle where the lengths part is not seen.
    EXPECT_EQ(CompareBytes(Bytes(2000, 1500), Bytes(3000)).Reason,
              "内容が不一致(サイズが一致しなかった)");
    // The shorter file ends on a cycle boundary: found in the cycle after it.
    EXPECT_EQ(CompareBytes(Bytes(1024), Bytes(1025)).Probes, 2);
}

TEST_F(Content, StopIsSeenBeforeEveryCycle) {
    const std::string big = Bytes(3 * TContentComparer::BlockSize + 5000);
    for (int stopAt : {1, 2, 256, 257, 700}) {
        StopAtProbe = stopAt;
        TOutcome got = CompareBytes(big, big);
        EXPECT_EQ(got.Code, -999);
        EXPECT_EQ(got.Reason, "不明(キャンセルされた)");
        EXPECT_EQ(got.Probes, stopAt);
    }
}

TEST_F(Content, OpenFailureNamesTheFirstFileThatFails) {
    Tree.File("present", "x");
    TOutcome got = ComparePaths(Tree.Path("missing-m"), Tree.Path("missing-s"));
    EXPECT_EQ(got.Code, -101);
    EXPECT_EQ(got.Reason, "バイナリ比較失敗>open file error!!>ファイル " + Tree.Path("missing-m") +
                              " は開けません");
    got = ComparePaths(Tree.Path("present"), Tree.Path("missing-s"));
    EXPECT_EQ(got.Reason, "バイナリ比較失敗>open file error!!>ファイル " + Tree.Path("missing-s") +
                              " は開けません");
}

TEST_F(Content, UnreadableFileFailsToOpen) {
    Tree.File("secret", "x");
    Tree.Mode("secret", 0600);
    Tree.File("open", "x");
    std::string code = RunUnprivileged([&] {
        TContentComparer comparer(nullptr);
        std::string reason;
        int result = comparer.Compare(Tree.Path("secret"), TFileKind::Regular, Tree.Path("open"),
                                      TFileKind::Regular, reason);
        return std::to_string(result) + " " + reason;
    });
    EXPECT_EQ(code, "-101 バイナリ比較失敗>open file error!!>ファイル " + Tree.Path("secret") +
                        " は開けません");
}

TEST_F(Content, ReadFailureIsAFailureNotTheEndOfTheFile) {
    Tree.Folder("dir-m");
    Tree.Folder("dir-s");
    TOutcome got = ComparePaths(Tree.Path("dir-m"), Tree.Path("dir-s"));
    EXPECT_EQ(got.Code, -111);
    EXPECT_EQ(got.Reason, "バイナリ比較失敗>check file error!!>read(" + Tree.Path("dir-m") +
                              "): Is a directory");
}

TEST_F(Content, SpecialFilesAreNeverOpened) {
    Tree.Fifo("fifo-m");
    Tree.Fifo("fifo-s");
    Tree.File("plain", "");
    EXPECT_EQ(
        ComparePaths(Tree.Path("fifo-m"), Tree.Path("fifo-s"), TFileKind::Fifo, TFileKind::Fifo)
            .Code,
        0);
    TOutcome got =
        ComparePaths(Tree.Path("plain"), Tree.Path("fifo-s"), TFileKind::Regular, TFileKind::Fifo);
    EXPECT_EQ(got.Code, -1);
    EXPECT_EQ(got.Reason, "内容が不一致");
    // A file that became a FIFO after the listing is found out, not waited on.
    got = ComparePaths(Tree.Path("fifo-m"), Tree.Path("fifo-s"));
    EXPECT_EQ(got.Code, 0);
    got = ComparePaths(Tree.Path("plain"), "/dev/null", TFileKind::Regular, TFileKind::CharDevice);
    EXPECT_EQ(got.Reason, "内容が不一致");
}

// Pairs compared together (small files read in one batch where io_uring is
// there, pair by pair where TANDRIL_NO_IO_URING forbids it) give each pair
// the outcome of kilobyte cycles, and ask the stop probe as often. The pairs
// lie in three folders per side, more than the comparer keeps open, and need
// more room than one batch has; among them are files too large or empty for
// a batch, one that grew and one that shrank since they were listed, and one
// that is gone.
TEST_F(Content, BatchesGiveEachPairTheOutcomeOfKilobyteCycles) {
    struct TCase {
        size_t SizeM, SizeS, Flip;
        int64_t ListedM = -1;  // the size the listing found, when not the file's
        // With SizeM none: what took the listed file's place (nothing: gone).
        std::string Instead = "";
    };
    const size_t none = std::string::npos;
    std::vector<TCase> cases;
    for (size_t size : {1, 100, 1023, 1024, 1025, 4096, 65535, 65536, 65537, 0})
        for (size_t flip : {none, size_t(0), size / 2, size - 1})
            cases.push_back({size, size, flip < size ? flip : none});
    cases.push_back({100, 200, none});
    cases.push_back({150, 150, none, 100});  // grew after listing
    cases.push_back({50, 150, none, 150});   // shrank after listing
    cases.push_back({none, 10, none, 10});   // gone after listing
    // Replaced after listing: a FIFO must not hold the batch up, a device
    // that never ends must not be read on.
    cases.push_back({none, 10, none, 10, "fifo"});
    cases.push_back({none, 10, none, 10, "/dev/zero"});
    std::deque<TFolder> folders;
    std::deque<TSearchRecEx> entries;
    std::vector<TOutcome> expected;
    for (size_t i = 0; i < cases.size(); ++i) {
        const TCase& c = cases[i];
        const std::string folder = "f" + std::to_string(i % 3);
        // The same names in every folder: a file opened in the wrong one
        // would show.
        const std::string name = "p" + std::to_string(i / 3);
        const std::string a = c.SizeM == none ? "" : Bytes(c.SizeM, c.Flip), b = Bytes(c.SizeS);
        if (c.SizeM != none)
            Tree.File("m/" + folder + "/" + name, a);
        else if (c.Instead == "fifo")
            Tree.Fifo("m/" + folder + "/" + name);
        else if (!c.Instead.empty())
            Tree.Link("m/" + folder + "/" + name, c.Instead);
        Tree.File("s/" + folder + "/" + name, b);
        for (const char* side : {"m", "s"}) {
            TFolder& f = folders.emplace_back();
            f.Dir = Tree.Path(std::string(side) + "/" + folder) + "/";
            TSearchRecEx& e = entries.emplace_back();
            e.Folder = &f;
            e.Name = name;
            e.Size =
                side[0] == 'm' ? (c.ListedM >= 0 ? c.ListedM : int64_t(c.SizeM)) : int64_t(c.SizeS);
        }
        if (!c.Instead.empty())
            expected.push_back({-1, "内容が不一致", 1});
        else if (c.SizeM == none)
            expected.push_back({-101,
                                "バイナリ比較失敗>open file error!!>ファイル " +
                                    entries[entries.size() - 2].FullPath() + " は開けません",
                                0});
        else
            expected.push_back(Reference(a, b));
    }
    for (const char* off : {"0", "1"}) {
        ASSERT_EQ(setenv("TANDRIL_NO_IO_URING", off, 1), 0);
        int probes = 0;
        TContentComparer comparer([&] { return ++probes < 0; });
        EXPECT_EQ(comparer.Batches(), off[0] == '0');
        std::vector<int> codes(cases.size(), 7);
        std::vector<std::string> reasons(cases.size(), "stale");
        // In batches as the pipeline gathers them, at most BatchPairs at once.
        for (size_t first = 0; first < cases.size(); first += TContentComparer::BatchPairs) {
            std::vector<TContentComparer::TJob> jobs;
            for (size_t i = first; i < std::min(cases.size(), first + TContentComparer::BatchPairs);
                 ++i)
                jobs.push_back({&entries[2 * i], &entries[2 * i + 1], &codes[i], &reasons[i]});
            comparer.CompareBatch(jobs);
        }
        int expectedProbes = 0;
        for (size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE("case " + std::to_string(i) + ", TANDRIL_NO_IO_URING=" + off);
            EXPECT_EQ(codes[i], expected[i].Code);
            EXPECT_EQ(reasons[i], expected[i].Reason);
            expectedProbes += expected[i].Probes;
        }
        EXPECT_EQ(probes, expectedProbes);
    }
    unsetenv("TANDRIL_NO_IO_URING");
}

namespace {

// The rule of IgnoreLineEnds as a regular expression: blanks before each line
// end go, and so does a CR right before the LF; blanks at the very end go too.
std::string StrippedLines(const std::string& text) {
    std::string out = std::regex_replace(text, std::regex("[ \t]*\r?\n"), "\n");
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t'))
        out.pop_back();
    return out;
}

// The normaliser's output, fed in pieces of `piece` bytes with `room` bytes
// of room per call.
std::string Normalised(const std::string& text, size_t piece, size_t room) {
    LineEnds::TNormaliser normaliser;
    std::string out;
    for (size_t at = 0; at < text.size();) {
        std::string_view in(text.data() + at, std::min(piece, text.size() - at));
        const size_t before = out.size();
        at += normaliser.Feed(in, out, room);
        EXPECT_LE(out.size() - before, room);
    }
    while (!normaliser.Finish(out, room)) {
    }
    return out;
}

}  // namespace

TEST(LineEndRule, NormalisedStreamIsTheStrippedLinesInAnyPieces) {
    std::vector<std::string> texts = {
        "",       "a",         "a\n",     "a \r\n",
        "a\r \n", "a\t\r\r\n", " \t ",    "x  y \t\r\n\r\n  \n",
        "\r",     "a\r",       "\n\n \n", std::string(300, ' ') + "x" + std::string(200, '\t')};
    // Random texts of the bytes that matter.
    unsigned seed = 24;
    for (int i = 0; i < 40; ++i) {
        std::string text;
        for (int k = 0; k < 120; ++k) {
            seed = seed * 1103515245 + 12345;
            text.push_back("a \t\r\n"[(seed >> 16) % 5]);
        }
        texts.push_back(text);
    }
    // Long runs of blanks are held as counts and come out in pieces.
    const std::string run(1 << 20, ' ');
    EXPECT_EQ(Normalised(run + "x", 7, 4096), run + "x");
    EXPECT_EQ(Normalised(run + "\r\n" + run, 7, 4096), "\n");
    for (const std::string& text : texts) {
        const std::string expected = StrippedLines(text);
        for (size_t piece : {size_t(1), size_t(2), size_t(7), size_t(100000)}) {
            for (size_t room : {size_t(1), size_t(3), size_t(100000)}) {
                SCOPED_TRACE(testing::PrintToString(text) + " piece " + std::to_string(piece) +
                             " room " + std::to_string(room));
                EXPECT_EQ(Normalised(text, piece, room), expected);
            }
        }
    }
}

TEST_F(Content, LineEndRuleDecidesWhichFilesAreAlike) {
    // 日本 in CP932 and EUC-JP: no byte of them is a blank, CR or LF.
    const std::string sjis = "\x93\xfa\x96\x7b", euc = "\xc6\xfc\xcb\xdc";
    std::string longCrLf, longLf;
    for (int i = 0; i < 30000; ++i) {
        longCrLf += "line " + std::to_string(i) + " \r\n";
        longLf += "line " + std::to_string(i) + "\n";
    }
    std::string longChanged = longLf;
    longChanged[longChanged.size() - 7] = 'X';
    const struct {
        std::string a, b;
        bool alike;
    } cases[] = {
        {"one\r\ntwo\r\n", "one\ntwo\n", true},
        {"one  \ntwo\t\n", "one\ntwo\n", true},
        {"one \r\n", "one\t\n", true},
        {sjis + " \r\n" + euc + "\r\n", sjis + "\n" + euc + "\n", true},
        {"", "  \t", true},
        {longCrLf, longLf, true},
        {longChanged, longLf, false},
        // The line end after the last line counts, and so do blanks inside a line.
        {"one\n", "one", false},
        {"one\r\n", "one\r", false},
        {"a b\n", "ab\n", false},
        {"\n", "", false},
        // A NUL byte in the first 8 KiB makes a file binary: bytes decide.
        {std::string("a\0\r\n", 4), std::string("a\0\n", 3), false},
    };
    TLineEndComparer comparer(nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.a.substr(0, 40)) + " vs " +
                     testing::PrintToString(c.b.substr(0, 40)));
        Tree.File("a", c.a);
        Tree.File("b", c.b);
        EXPECT_EQ(comparer.Alike(Tree.Path("a"), Tree.Path("b")), c.alike);
        EXPECT_EQ(comparer.Alike(Tree.Path("b"), Tree.Path("a")), c.alike);
    }
    // A file that cannot be read, and a stop, are never alike.
    EXPECT_FALSE(comparer.Alike(Tree.Path("a"), Tree.Path("missing")));
    Tree.File("a", longCrLf);
    TLineEndComparer stopped([] { return true; });
    EXPECT_FALSE(stopped.Alike(Tree.Path("a"), Tree.Path("b")));
}

// Content comparison: the outcome of 1024-byte cycles at every boundary, the
// stop probe, failures and special files.
#include <gtest/gtest.h>

#include <tuple>

#include "TContentComparer.h"
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

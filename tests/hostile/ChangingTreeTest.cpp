// Trees that change under a run: files that grow, shrink, vanish or turn into
// something else between listing and reading, and folders deleted while they
// are being listed. Every run finishes; the affected row says what it found
// and every other row is right.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>

#include "FaultHooks.h"
#include "HostileSupport.h"
#include "TContentComparer.h"
#include "TempTree.h"

namespace fs = std::filesystem;

namespace {

void Append(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::app) << text;
}

class ChangingTree : public ::testing::Test {
protected:
    ~ChangingTree() override { ClearHooks(); }

    // Both sides get the same file, which the test then changes.
    void Same(const std::string& rel, const std::string& content) {
        tree.File("m/" + rel, content);
        tree.File("s/" + rel, content);
    }
    std::string M(const std::string& rel) const { return tree.Path("m/" + rel); }
    std::string S(const std::string& rel) const { return tree.Path("s/" + rel); }

    // Runs the comparison, changing the trees once both are listed.
    int Run(std::function<void()> change = {}) {
        recorder.AtListReady = std::move(change);
        return CompareWithin(engine, tree.Path("m"), tree.Path("s"));
    }

    TTempTree tree;
    THostileRecorder recorder;
    TCompare engine{&recorder};
};

}  // namespace

TEST_F(ChangingTree, FilesChangedAfterListingAreReportedByWhatTheirBytesSay) {
    Same("grows.txt", "hello");
    Same("shrinks.txt", std::string(3000, 'x'));
    Same("vanishes.txt", "here");
    Same("becomes-folder.txt", "file");
    Same("rewritten.txt", "aaaa");
    Same("untouched.txt", "same");
    ASSERT_EQ(Run([&] {
                  Append(M("grows.txt"), " world");
                  ASSERT_EQ(truncate(M("shrinks.txt").c_str(), 10), 0);
                  fs::remove(M("vanishes.txt"));
                  fs::remove(M("becomes-folder.txt"));
                  fs::create_directory(M("becomes-folder.txt"));
                  std::ofstream(M("rewritten.txt"), std::ios::binary) << "aaab";
              }),
              0);
    EXPECT_EQ(recorder.ResultOf("grows.txt"), "相違: 内容が不一致(サイズが一致しなかった)");
    EXPECT_EQ(recorder.ResultOf("shrinks.txt"), "相違: 内容が不一致(サイズが一致しなかった)");
    EXPECT_EQ(
        recorder.ResultOf("vanishes.txt"),
        "相違: バイナリ比較失敗>open file error!!>ファイル " + M("vanishes.txt") + " は開けません");
    EXPECT_EQ(recorder.ResultOf("becomes-folder.txt"),
              "相違: バイナリ比較失敗>check file error!!>read(" + M("becomes-folder.txt") +
                  "): Is a directory");
    EXPECT_EQ(recorder.ResultOf("rewritten.txt"), "相違: 内容が不一致");
    EXPECT_EQ(recorder.ResultOf("untouched.txt"), "等価");
    EXPECT_EQ(recorder.Rows.size(), 6u);
}

// A disk that fails in the middle of a file: in the first read of a block
// (what the page cache holds) or in the second one, on either side. The row
// names the file and the error; the other rows stay right.
TEST_F(ChangingTree, ReadFailingInTheMiddleOfAFileIsReportedOnItsRow) {
    const int64_t block = TContentComparer::BlockSize;
    Same("fails.bin", std::string(size_t(block) * 3 + 100, 'f'));
    Same("untouched.txt", "same");
    for (const bool onM : {true, false}) {
        for (const int64_t after : {int64_t(0), block + 7, block * 3}) {
            const std::string failing = onM ? M("fails.bin") : S("fails.bin");
            FailReads(failing, after, EIO);
            recorder.Rows.clear();
            ASSERT_EQ(Run(), 0);
            ClearHooks();
            EXPECT_EQ(recorder.ResultOf("fails.bin"),
                      "相違: バイナリ比較失敗>check file error!!>read(" + failing +
                          "): Input/output error")
                << "failing after " << after;
            EXPECT_EQ(recorder.ResultOf("untouched.txt"), "等価");
        }
    }
}

// Small files are read in batches where io_uring is there: a read failing
// there is reported on its pair as anywhere else, on either side, at the
// start of the file or inside it, and the other pairs of the batch stay right.
TEST_F(ChangingTree, ReadFailingInABatchOfSmallFilesIsReportedOnItsPair) {
    const std::vector<std::string> names = {"a.bin", "fails.bin", "z.bin"};
    std::deque<TFolder> folders;
    std::deque<TSearchRecEx> entries;
    for (const char* side : {"m", "s"})
        folders.push_back({tree.Path(side) + "/", tree.Path(side).size() + 1});
    for (const std::string& name : names) {
        Same(name, std::string(5000, 'f'));
        for (const TFolder& folder : folders) {
            TSearchRecEx& e = entries.emplace_back();
            e.Folder = &folder;
            e.Name = name;
            e.Size = 5000;
        }
    }
    TContentComparer comparer(nullptr);
    EXPECT_TRUE(comparer.Batches());
    for (const bool onM : {true, false}) {
        for (const int64_t after : {int64_t(0), int64_t(4999)}) {
            const std::string failing = onM ? M("fails.bin") : S("fails.bin");
            FailReads(failing, after, EIO);
            int codes[3];
            std::string reasons[3];
            std::vector<TContentComparer::TJob> jobs;
            for (size_t i = 0; i < names.size(); ++i)
                jobs.push_back({&entries[2 * i], &entries[2 * i + 1], &codes[i], &reasons[i]});
            comparer.CompareBatch(jobs);
            ClearHooks();
            SCOPED_TRACE("failing after " + std::to_string(after));
            EXPECT_EQ(reasons[1], "バイナリ比較失敗>check file error!!>read(" + failing +
                                      "): Input/output error");
            EXPECT_EQ(codes[0], ContentResult::Equal);
            EXPECT_EQ(codes[2], ContentResult::Equal);
        }
    }
}

TEST_F(ChangingTree, FilesThatBecomeSpecialAreNeverRead) {
    // A FIFO would block a reader, /dev/zero never ends, a socket cannot be
    // opened: each one replaces a listed file, on one side or on both. No
    // status call follows the open, so the reads must tell: a FIFO or
    // /dev/null ends at once (also where an empty file was listed),
    // /dev/zero goes on past the listed size (in the first block or a later one).
    const std::string zeros(TContentComparer::BlockSize + 1000, '\0');
    Same("fifo.txt", "x");
    Same("fifo-was-empty.txt", "");
    Same("null.txt", "");
    Same("zero.txt", "");
    Same("zero-one-side.txt", "");
    Same("zero-past-a-block.bin", zeros);
    Same("zero-past-a-block-one-side.bin", zeros);
    Same("socket.txt", "x");
    Same("untouched.txt", "same");
    auto link = [](const char* target, const std::string& path) {
        fs::remove(path);
        fs::create_symlink(target, path);
    };
    ASSERT_EQ(
        Run([&] {
            for (const std::string& path : {M("fifo.txt"), M("fifo-was-empty.txt")}) {
                fs::remove(path);
                ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
            }
            link("/dev/null", M("null.txt"));
            link("/dev/null", S("null.txt"));
            for (const std::string& path :
                 {M("zero.txt"), S("zero.txt"), M("zero-one-side.txt"), M("zero-past-a-block.bin"),
                  S("zero-past-a-block.bin"), M("zero-past-a-block-one-side.bin")})
                link("/dev/zero", path);
            fs::remove(M("socket.txt"));
            MakeSocket(M("socket.txt"));
        }),
        0);
    EXPECT_EQ(recorder.ResultOf("fifo.txt"), "相違: 内容が不一致");
    EXPECT_EQ(recorder.ResultOf("fifo-was-empty.txt"), "相違: 内容が不一致");
    // Two character devices of the same kind pass as equal, as listed ones do.
    EXPECT_EQ(recorder.ResultOf("null.txt"), "等価");
    EXPECT_EQ(recorder.ResultOf("zero.txt"), "等価");
    EXPECT_EQ(recorder.ResultOf("zero-one-side.txt"), "相違: 内容が不一致");
    EXPECT_EQ(recorder.ResultOf("zero-past-a-block.bin"), "等価");
    EXPECT_EQ(recorder.ResultOf("zero-past-a-block-one-side.bin"), "相違: 内容が不一致");
    EXPECT_EQ(
        recorder.ResultOf("socket.txt"),
        "相違: バイナリ比較失敗>open file error!!>ファイル " + M("socket.txt") + " は開けません");
    EXPECT_EQ(recorder.ResultOf("untouched.txt"), "等価");
}

TEST_F(ChangingTree, FolderDeletedWhileBeingListedListsAsEmpty) {
    Same("before.txt", "1");
    Same("victim/a.txt", "2");
    Same("victim/sub/b.txt", "3");
    Same("zz/after.txt", "4");
    // The folder's name is read and examined; then, just before it is opened,
    // it goes away with everything in it.
    BeforeOpen(M("victim"), [&] { fs::remove_all(M("victim")); });
    ASSERT_EQ(Run(), 0);
    std::multiset<std::string> expected = {
        PairText("before.txt", "/", "before.txt", "/", "等価"),
        PairText("victim/", "/", "victim/", "/", "等価"),
        PairText("", "", "a.txt", "victim/", "比較元無し"),
        PairText("", "", "sub/", "victim/", "比較元無し"),
        PairText("", "", "b.txt", "victim/sub/", "比較元無し"),
        PairText("zz/", "/", "zz/", "/", "等価"),
        PairText("after.txt", "zz/", "after.txt", "zz/", "等価"),
    };
    EXPECT_EQ(RowTexts(recorder), expected);
}

TEST_F(ChangingTree, NameGoneBeforeItIsExaminedIsNotListed) {
    Same("before.txt", "1");
    Same("gone.txt", "2");
    Same("gone-folder/x", "3");
    // The names are read, then they vanish before their status is asked for.
    BeforeStat(M("gone.txt"), [&] { fs::remove(M("gone.txt")); });
    BeforeStat(M("gone-folder"), [&] { fs::remove_all(M("gone-folder")); });
    ASSERT_EQ(Run(), 0);
    std::multiset<std::string> expected = {
        PairText("before.txt", "/", "before.txt", "/", "等価"),
        PairText("", "", "gone.txt", "/", "比較元無し"),
        PairText("", "", "gone-folder/", "/", "比較元無し"),
        PairText("", "", "x", "gone-folder/", "比較元無し"),
    };
    EXPECT_EQ(RowTexts(recorder), expected);
}

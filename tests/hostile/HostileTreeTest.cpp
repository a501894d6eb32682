// The engine on trees hostile to walking them: symbolic-link loops and
// dangling links, FIFOs, sockets and devices, files and folders the user may
// not read, and trees deeper than PATH_MAX. Every run finishes, each affected
// row says what was found, and the other rows are right.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "HostileSupport.h"
#include "TempTree.h"

namespace {

std::string OpenFailure(const std::string& path) {
    return "相違: バイナリ比較失敗>open file error!!>ファイル " + path + " は開けません";
}

// The rows of one run as text, one per line, sorted: what a child process
// running as another user can hand back.
std::string RowsAsText(const TRecorder& recorder) {
    std::string text;
    for (const std::string& row : RowTexts(recorder))
        text += row + "\n";
    return text;
}

std::string Lines(const std::multiset<std::string>& rows) {
    std::string text;
    for (const std::string& row : rows)
        text += row + "\n";
    return text;
}

}  // namespace

TEST(HostileTree, LinkLoopsAreListedOnceAndDanglingLinksFailToOpen) {
    TTempTree tree;
    for (std::string side : {"m/", "s/"}) {
        tree.File(side + "real/x.txt", "x");
        tree.Link(side + "self", ".");
        tree.Link(side + "real/up", "..");
        tree.Link(side + "loopA", "loopB");  // a loop of links: ELOOP
        tree.Link(side + "loopB", "loopA");
        tree.Link(side + "dangling", "missing");
        tree.Link(side + "file-link", "real/x.txt");
    }
    THostileRecorder recorder;
    TCompare engine(&recorder);
    ASSERT_EQ(CompareWithin(engine, tree.Path("m"), tree.Path("s")), 0);
    std::multiset<std::string> expected = {
        PairText("self/", "/", "self/", "/", "等価"),
        PairText("real/", "/", "real/", "/", "等価"),
        PairText("up/", "real/", "up/", "real/", "等価"),
        PairText("x.txt", "real/", "x.txt", "real/", "等価"),
        PairText("loopA", "/", "loopA", "/", OpenFailure(tree.Path("m/loopA"))),
        PairText("loopB", "/", "loopB", "/", OpenFailure(tree.Path("m/loopB"))),
        PairText("dangling", "/", "dangling", "/", OpenFailure(tree.Path("m/dangling"))),
        PairText("file-link", "/", "file-link", "/", "等価"),
    };
    EXPECT_EQ(RowTexts(recorder), expected);
}

TEST(HostileTree, SpecialFilesAreComparedByKindAndNeverOpened) {
    TTempTree tree;
    for (std::string side : {"m/", "s/"}) {
        tree.Fifo(side + "pipe");
        MakeSocket(tree.Path(side + "sock"));
        tree.File(side + "plain.txt", "x");
    }
    tree.Fifo("m/mixed");
    tree.File("s/mixed", "");
    tree.SetTime("m/mixed", 1600000000);
    // A device node where the system allows making one.
    bool devices = mknod(tree.Path("m/null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0 &&
                   mknod(tree.Path("s/null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    for (const char* name : {"pipe", "sock", "null"})
        for (std::string side : {"m/", "s/"})
            if (access(tree.Path(side + name).c_str(), F_OK) == 0)
                tree.SetTime(side + name, 1600000000);

    THostileRecorder recorder;
    TCompare engine(&recorder);
    ASSERT_EQ(CompareWithin(engine, tree.Path("m"), tree.Path("s")), 0);
    std::multiset<std::string> expected = {
        PairText("pipe", "/", "pipe", "/", "等価"),
        PairText("sock", "/", "sock", "/", "等価"),
        PairText("plain.txt", "/", "plain.txt", "/", "等価"),
        // The system bit tells a special file from a plain one.
        PairText("mixed", "/", "mixed", "/", "相違: 属性 "),
    };
    if (devices)
        expected.insert(PairText("null", "/", "null", "/", "等価"));
    EXPECT_EQ(RowTexts(recorder), expected);

    // Without the attribute check the contents decide: a FIFO holds no file's bytes.
    TCompareOption option;
    option.IgnoreAttr = true;
    THostileRecorder second;
    TCompare again(&second);
    ASSERT_EQ(RunCompare(again, tree.Path("m"), tree.Path("s"), option), 0);
    EXPECT_EQ(second.ResultOf("mixed"), "相違: 内容が不一致");
}

TEST(HostileTree, WhatTheUserMayNotReadSaysSoInItsRow) {
    TTempTree tree;
    for (std::string side : {"m/", "s/"}) {
        tree.File(side + "secret.txt", "secret");
        tree.File(side + "closed/a.txt", "a");
        tree.File(side + "noexec/b.txt", "b");
        tree.File(side + "noexec/below/c.txt", "c");
        tree.File(side + "both/d.txt", "d");
        tree.File(side + "open.txt", "open");
    }
    tree.File("s/closed/sub/e.txt", "e");
    tree.File("m/Fold/f.txt", "f");  // pairs with FOLD/ as names do
    tree.File("s/FOLD/f.txt", "f");
    tree.Mode("m/Fold", 0);
    tree.Mode("m/secret.txt", 0);
    tree.Mode("m/closed", 0);
    tree.Mode("m/noexec", 0644);  // names readable, entries not examinable
    tree.Mode("m/both", 0);
    tree.Mode("s/both", 0);
    std::string rows = RunUnprivileged([&] {
        THostileRecorder recorder;
        TCompare engine(&recorder);
        int status = RunCompare(engine, tree.Path("m"), tree.Path("s"));
        // With letter case kept, FOLD/ is no partner of the unreadable Fold/.
        THostileRecorder keepCase;
        TCompare again(&keepCase);
        TCompareOption option;
        option.CaseSensitive = true;
        RunCompare(again, tree.Path("m"), tree.Path("s"), option);
        return keepCase.ResultOf("f.txt") + "\n" + std::to_string(status) + "\n" +
               RowsAsText(recorder);
    });
    const std::string denied = "Permission denied";
    std::multiset<std::string> expected = {
        PairText("secret.txt", "/", "secret.txt", "/", OpenFailure(tree.Path("m/secret.txt"))),
        // A folder that cannot be opened is a difference, and what the other
        // side holds below it is not taken for missing on this side.
        PairText("closed/", "/", "closed/", "/",
                 "相違: フォルダを読めません(比較元: " + denied + ")"),
        PairText("", "", "a.txt", "closed/", "相違: 比較元のフォルダを読めません"),
        PairText("", "", "sub/", "closed/", "相違: 比較元のフォルダを読めません"),
        PairText("", "", "e.txt", "closed/sub/", "相違: 比較元のフォルダを読めません"),
        PairText("Fold/", "/", "FOLD/", "/", "相違: フォルダを読めません(比較元: " + denied + ")"),
        PairText("", "", "f.txt", "FOLD/", "相違: 比較元のフォルダを読めません"),
        PairText("both/", "/", "both/", "/",
                 "相違: フォルダを読めません(比較元: " + denied + ", 比較先: " + denied + ")"),
        // A name that cannot be examined is known by name only: its bytes
        // cannot be read either, and that is what its row says; a folder
        // known so cannot be entered.
        PairText("noexec/", "/", "noexec/", "/", "等価"),
        PairText("b.txt", "noexec/", "b.txt", "noexec/", OpenFailure(tree.Path("m/noexec/b.txt"))),
        PairText("below/", "noexec/", "below/", "noexec/",
                 "相違: フォルダを読めません(比較元: " + denied + ")"),
        PairText("", "", "c.txt", "noexec/below/", "相違: 比較元のフォルダを読めません"),
        PairText("open.txt", "/", "open.txt", "/", "等価"),
    };
    EXPECT_EQ(rows, "比較元無し\n0\n" + Lines(expected));
}

TEST(HostileTree, DeepTreesAreComparedToTheirLastLevel) {
    TTempTree tree;
    // 200 levels of 30-character names: over 6000 bytes of path.
    const std::string name(30, 'd');
    tree.Folder("m");
    tree.Folder("s");
    tree.Chain("m", 200, name);
    tree.Chain("s", 200, name);
    std::string deepest;
    for (int i = 0; i < 200; ++i)
        deepest += name + "/";
    // The last file differs in its byte; write it through the short path of
    // its folder, reached by changing into it step by step.
    std::string relative = "s/" + deepest + "f";
    {
        int fd = open(tree.Path().c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(fd, 0);
        std::string rest = relative;
        while (rest.find('/') != std::string::npos) {
            std::string step = rest.substr(0, rest.find('/'));
            rest = rest.substr(step.size() + 1);
            int next = openat(fd, step.c_str(), O_RDONLY | O_DIRECTORY);
            close(fd);
            ASSERT_GE(fd = next, 0);
        }
        int file = openat(fd, rest.c_str(), O_WRONLY | O_TRUNC);
        ASSERT_GE(file, 0);
        ASSERT_EQ(write(file, "y", 1), 1);
        close(file);
        close(fd);
    }
    // The chains were made at different moments: times are not compared.
    TCompareOption option;
    option.IgnoreTime = true;
    THostileRecorder recorder;
    TCompare engine(&recorder);
    ASSERT_EQ(RunCompare(engine, tree.Path("m"), tree.Path("s"), option), 0);
    ASSERT_EQ(recorder.Rows.size(), 400u);
    int equal = 0;
    for (const auto& row : recorder.Rows) {
        if (row[4] == "等価") {
            ++equal;
            continue;
        }
        EXPECT_TRUE(row[1] == deepest && row[3] == deepest) << row[1].size();
        EXPECT_EQ(row[0], "f");
        EXPECT_EQ(row[4], "相違: 内容が不一致");
    }
    EXPECT_EQ(equal, 399);
}

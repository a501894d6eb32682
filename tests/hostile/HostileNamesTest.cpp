// The engine on trees whose names are hostile to text handling: line breaks,
// tabs, quotes, delimiters, leading dashes, 255-byte names, bytes that are not
// UTF-8, names that differ only in letter case. Every entry stands in exactly
// one row, pairs only with its own name (letter case aside), and identical
// trees are found identical.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "HostileSupport.h"
#include "TempTree.h"

namespace {

std::vector<std::string> HostileNames() {
    std::vector<std::string> names = {
        "new\nline.txt", "tab\there",      "cr\rname",
        "quo\"te\"",     "com,ma",         "-dash",
        "--file",        " leading blank", "trailing blank ",
        "semi;colon",    "\x01\x1f\x7f",   "%s%n%x",
        "star*?[a]",     "back\\slash",    "...",
        ".hidden",       "\xff\xfe",       "caf\xe9",
        "\xe3\x81",      "日本語.txt",     std::string(255, 'n'),
    };
    std::string wide;
    while (wide.size() + 3 <= 255)
        wide += "\xe3\x81\x82";  // "あ": 85 of them make 255 bytes
    names.push_back(wide);
    return names;
}

}  // namespace

TEST(HostileNames, IdenticalTreesPairEveryNameWithItself) {
    TTempTree tree;
    const std::vector<std::string> names = HostileNames();
    std::multiset<std::string> expected;
    size_t entries = 0;
    for (const std::string& name : names) {
        // Each name as a file, and as a folder holding a file.
        const std::string folder = name.size() < 255 ? name + "_" : name.substr(1);
        for (const char* side : {"m/", "s/"}) {
            tree.File(side + name, "content of " + name);
            tree.File(side + folder + "/inner", "inner");
        }
        expected.insert(PairText(name, "/", name, "/", "等価"));
        expected.insert(PairText(folder + "/", "/", folder + "/", "/", "等価"));
        expected.insert(PairText("inner", folder + "/", "inner", folder + "/", "等価"));
        entries += 3;
    }
    tree.File("m/differs.txt", "m");
    tree.File("s/differs.txt", "s");
    expected.insert(PairText("differs.txt", "/", "differs.txt", "/", "相違: 内容が不一致"));
    ++entries;

    TRecorder recorder;
    TCompare engine(&recorder);
    ASSERT_EQ(RunCompare(engine, tree.Path("m"), tree.Path("s")), 0);
    EXPECT_EQ(RowTexts(recorder), expected);
    // Every entry number of both lists stands in exactly one row.
    EXPECT_TRUE(NumbersAreComplete(recorder, entries, entries));
}

TEST(HostileNames, BytesThatAreNotUtf8PairOnlyWithTheSameBytes) {
    TTempTree tree;
    // Each of these names shows as U+FFFD in place of its bad byte, yet they
    // are different names.
    tree.File("m/\xff.txt", "x");
    tree.File("m/both\xfe", "x");
    tree.File("s/\xfe.txt", "x");
    tree.File("s/both\xfe", "x");
    tree.File("s/\xc3.txt", "x");
    TRecorder recorder;
    TCompare engine(&recorder);
    ASSERT_EQ(RunCompare(engine, tree.Path("m"), tree.Path("s")), 0);
    std::multiset<std::string> expected = {
        PairText("\xff.txt", "/", "", "", "比較先無し"),
        PairText("", "", "\xfe.txt", "/", "比較元無し"),
        PairText("", "", "\xc3.txt", "/", "比較元無し"),
        PairText("both\xfe", "/", "both\xfe", "/", "等価"),
    };
    EXPECT_EQ(RowTexts(recorder), expected);
}

TEST(HostileNames, NamesDifferingOnlyInLetterCaseEachStandInOneRow) {
    TTempTree tree;
    // Linux keeps a.txt and A.TXT apart; pairing prefers the same bytes and
    // pairs what is left in byte order.
    tree.File("m/a.txt", "1");
    tree.File("m/A.TXT", "2");
    tree.File("m/Dir/x", "3");
    tree.File("m/dir/x", "4");
    tree.File("s/a.txt", "1");
    tree.File("s/A.txt", "2");
    tree.File("s/DIR/X", "3");
    std::vector<std::string> first;
    for (int run = 0; run < 2; ++run) {
        TRecorder recorder;
        TCompare engine(&recorder);
        ASSERT_EQ(RunCompare(engine, tree.Path("m"), tree.Path("s")), 0);
        std::multiset<std::string> expected = {
            PairText("a.txt", "/", "a.txt", "/", "等価"),
            PairText("A.TXT", "/", "A.txt", "/", "等価"),
            PairText("Dir/", "/", "DIR/", "/", "等価"),
            PairText("dir/", "/", "", "", "比較先無し"),
            PairText("x", "Dir/", "X", "DIR/", "等価"),
            PairText("x", "dir/", "", "", "比較先無し"),
        };
        EXPECT_EQ(RowTexts(recorder), expected);
        // The same rows in the same order on every run.
        std::vector<std::string> rows;
        for (const auto& row : recorder.Rows)
            rows.push_back(PairText(row[0], row[1], row[2], row[3], row[4]));
        if (run == 0)
            first = rows;
        EXPECT_EQ(rows, first);
    }
}

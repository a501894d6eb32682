// Pairing of two real trees: row strings, the pair decision and its tokens,
// the option flags, counts, summary and names that differ only in case.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>

#include "TReportWriter.h"
#include "TempTree.h"

namespace {

const std::string Equal = "等価";
const std::string NoSource = "比較元無し";
const std::string NoTarget = "比較先無し";

class Pairing : public ::testing::Test {
protected:
    TTempTree M, S;
    TRecorder Recorder;
    TCompare Engine{&Recorder};

    int Run(const TCompareOption& option = TCompareOption()) {
        return RunCompare(Engine, M.Path(), S.Path(), option);
    }
};

}  // namespace

TEST_F(Pairing, EmptyTreesGiveNoRowAndNoDifference) {
    EXPECT_EQ(Run(), 0);
    std::vector<std::string> expected = {"begin", "list 0 0", "done 0 0 0", "end"};
    EXPECT_EQ(Recorder.Events, expected);
    EXPECT_EQ(Engine.GetSummary(), "相違はありませんでした");
    EXPECT_EQ(Engine.GetRowCount(), 0);
    EXPECT_EQ(Engine.GetRow(0), nullptr);
}

TEST_F(Pairing, RowsHoldNamesFoldersResultAndIndexes) {
    M.File("sub/same.txt", "abc");
    S.File("sub/same.txt", "abc");
    M.File("only-m.txt", "m");
    S.File("only-s.txt", "s");
    EXPECT_EQ(Run(), 0);
    // Sorted by path: only-m.txt, only-s.txt, sub, sub/same.txt.
    std::vector<std::vector<std::string>> expected = {
        {"only-m.txt", "/", "", "", NoTarget, "0", ""},
        {"", "", "only-s.txt", "/", NoSource, "", "0"},
        {"sub/", "/", "sub/", "/", Equal, "1", "1"},
        {"same.txt", "sub/", "same.txt", "sub/", Equal, "2", "2"},
    };
    EXPECT_EQ(Recorder.Rows, expected);
    std::vector<std::string> events = {"begin",     "list 3 3",  "row 0 0 1",  "row 1 0 2",
                                       "row 2 1 2", "row 3 2 2", "done 4 2 2", "end"};
    EXPECT_EQ(Recorder.Events, events);
    EXPECT_EQ(Engine.GetSummary(), "2 件の相違が見つかりました");

    // The stored rows and the entries their numbers lead to.
    ASSERT_EQ(Engine.GetRowCount(), 4);
    EXPECT_EQ(Engine.GetRow(3)->Strings(), expected[3]);
    EXPECT_EQ(Engine.GetRow(-1), nullptr);
    EXPECT_EQ(Engine.GetRow(4), nullptr);
    EXPECT_EQ(Engine.GetRowEntryM(1), nullptr);  // no source: string 5 is empty
    EXPECT_EQ(Engine.GetRowEntryS(0), nullptr);
    EXPECT_EQ(Engine.GetRowEntryM(3)->FullPath(), M.Path("sub/same.txt"));
    EXPECT_EQ(Engine.GetRowEntryS(1), Engine.GetEntryS(0));
    EXPECT_EQ(Engine.GetEntryM(3), nullptr);
    EXPECT_TRUE(Engine.GetRow(2)->IsEqual());
    EXPECT_FALSE(Engine.GetRow(0)->IsEqual());

    Engine.Clear();
    EXPECT_EQ(Engine.GetRowCount(), 0);
    EXPECT_EQ(Engine.GetEntryM(0), nullptr);
}

TEST_F(Pairing, DecisionTokensComeInCheckOrder) {
    M.File("size-time.txt", "aaaa", 1600000000);
    S.File("size-time.txt", "aaaaaa", 1600000010);
    M.File("time.txt", "aaaa", 1600000000);
    S.File("time.txt", "bbbb", 1600000002);
    M.Folder("kind");  // a folder against a FIFO: kind and the system bit
    S.Fifo("kind");
    M.Folder("dir-vs-file");
    S.File("dir-vs-file", "x");
    M.File("content.txt", "abcd");
    S.File("content.txt", "abce");
    M.Fifo("fifo");
    S.Fifo("fifo");
    M.File("file-vs-fifo", "");
    S.Fifo("file-vs-fifo");
    for (const char* fifo : {"fifo", "file-vs-fifo"})
        S.SetTime(fifo, 1600000000);
    M.SetTime("fifo", 1600000000);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Recorder.ResultOf("size-time.txt"), "相違: サイズ 更新日 ");
    EXPECT_EQ(Recorder.ResultOf("time.txt"), "相違: 更新日 ");
    EXPECT_EQ(Recorder.ResultOf("kind/"), "相違: フォルダとファイル 属性 ");
    EXPECT_EQ(Recorder.ResultOf("dir-vs-file/"), "相違: フォルダとファイル ");
    EXPECT_EQ(Recorder.ResultOf("content.txt"), "相違: 内容が不一致");
    EXPECT_EQ(Recorder.ResultOf("fifo"), Equal);  // never opened: the test would hang
    EXPECT_EQ(Recorder.ResultOf("file-vs-fifo"), "相違: 属性 ");
}

TEST_F(Pairing, OptionFlagsSwitchChecksOff) {
    M.File("ro.txt", "same");
    S.File("ro.txt", "same");
    S.Mode("ro.txt", 0444);
    M.Folder("dir");
    S.Folder("dir");
    M.SetTime("dir", 1500000000);
    S.SetTime("dir", 1500000100);
    M.File("sized.txt", std::string(100, 'x'));
    S.File("sized.txt", std::string(200, 'x'));
    M.File("bytes.txt", "1234");
    S.File("bytes.txt", "1235");
    M.File("late.txt", "same", 1600000000);
    S.File("late.txt", "same", 1600000004);

    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Recorder.ResultOf("ro.txt"), Equal);
    EXPECT_EQ(Recorder.ResultOf("dir/"), Equal);
    EXPECT_EQ(Recorder.ResultOf("late.txt"), "相違: 更新日 ");

    TCompareOption option;
    option.IgnoreAttrR = false;
    option.IgnoreDirTimeSize = false;
    option.IgnoreSize = true;
    Recorder.Rows.clear();
    EXPECT_EQ(Run(option), 0);
    EXPECT_EQ(Recorder.ResultOf("ro.txt"), "相違: 属性 ");
    EXPECT_EQ(Recorder.ResultOf("dir/"), "相違: 更新日 ");
    EXPECT_EQ(Recorder.ResultOf("sized.txt"), "相違: 内容が不一致(サイズが一致しなかった)");

    option.IgnoreTime = true;
    option.IgnoreAttr = true;
    option.SkipContents = true;
    Recorder.Rows.clear();
    EXPECT_EQ(Run(option), 0);
    EXPECT_EQ(Recorder.ResultOf("ro.txt"), Equal);
    EXPECT_EQ(Recorder.ResultOf("bytes.txt"), Equal);
    EXPECT_EQ(Recorder.ResultOf("sized.txt"), Equal);
    EXPECT_EQ(Recorder.ResultOf("dir/"), Equal);
    EXPECT_EQ(Recorder.ResultOf("late.txt"), Equal);
}

TEST_F(Pairing, TimesCompareInTwoSecondSlots) {
    M.File("same-slot", "x", 1600000002);
    S.File("same-slot", "x", 1600000003);
    M.File("next-slot", "x", 1600000001);
    S.File("next-slot", "x", 1600000002);
    M.File("before-1970", "x", -1000001);
    S.File("before-1970", "x", -1000002);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Recorder.ResultOf("same-slot"), Equal);
    EXPECT_EQ(Recorder.ResultOf("next-slot"), "相違: 更新日 ");
    EXPECT_EQ(Recorder.ResultOf("before-1970"), Equal);
}

// Where the zone's offset has odd seconds (Paris kept +0:09:21 until 1911), a
// 2-second slot begins at an even second of local time: times print with even
// seconds, and 10:00:01 against 10:00:02 differ.
TEST(PairingEngine, TimesCompareInSlotsOfLocalTime) {
    const int64_t ten = -2038140561;  // 1905-06-01 10:00:00 at +0:09:21
    std::vector<std::string> zones = {"PMT-0:09:21"};
    if (access("/usr/share/zoneinfo/Europe/Paris", R_OK) == 0)
        zones.push_back("Europe/Paris");
    for (const std::string& name : zones) {
        TTimeZone zone(name);
        TTempTree m, s;
        m.File("next", "x", ten + 1);
        s.File("next", "x", ten + 2);
        m.File("ten", "x", ten);
        s.File("ten", "x", ten + 1);
        TCompare engine(nullptr);
        ASSERT_EQ(RunCompare(engine, m.Path(), s.Path()), 0);
        ASSERT_EQ(engine.GetRowCount(), 2);
        EXPECT_EQ(engine.GetRow(0)->Result(), "相違: 更新日 ") << name;
        EXPECT_EQ(engine.GetRow(1)->Result(), Equal) << name;
        std::vector<std::string> next, equal;
        AddAppendix(next, engine.GetRowEntryM(0), engine.GetRowEntryS(0));
        AddAppendix(equal, engine.GetRowEntryM(1), engine.GetRowEntryS(1));
        EXPECT_EQ(next[2], "1905/06/01 10:00:00") << name;
        EXPECT_EQ(next[8], "1905/06/01 10:00:02") << name;
        EXPECT_EQ(equal[2], "1905/06/01 10:00:00") << name;
        EXPECT_EQ(equal[8], "1905/06/01 10:00:00") << name;
    }
}

TEST_F(Pairing, NamesPairIgnoringCaseAndKeepTheirOwnCase) {
    M.File("Docs/a.TXT", "x");
    S.File("docs/A.txt", "x");
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(Recorder.Rows.size(), 2u);
    EXPECT_EQ(Recorder.Rows[1][0], "a.TXT");
    EXPECT_EQ(Recorder.Rows[1][1], "Docs/");
    EXPECT_EQ(Recorder.Rows[1][2], "A.txt");
    EXPECT_EQ(Recorder.Rows[1][3], "docs/");
    EXPECT_EQ(Recorder.Rows[1][4], Equal);
}

TEST_F(Pairing, CaseOnlyCollisionsPairByteEqualNamesFirst) {
    M.File("a.txt", "lower");
    M.File("A.TXT", "upper");
    M.File("B.txt", "b1");
    M.File("b.TXT", "b2");
    M.File("e\u0301.txt", "nfd");  // the same name in two normalisation forms
    M.File("\u00e9.txt", "nfc");
    S.File("a.txt", "lower");
    S.File("B.TXT", "b1");
    S.File("b.Txt", "b2");
    S.File("b.txt", "b3");
    S.File("\u00e9.txt", "nfc");
    EXPECT_EQ(Run(), 0);
    // Source A.TXT has no byte-equal partner and nothing left to pair with;
    // b-names have none either and pair in byte order; b.txt stays alone.
    std::vector<std::vector<std::string>> expected = {
        {"A.TXT", "/", "", "", NoTarget, "0", ""},
        {"a.txt", "/", "a.txt", "/", Equal, "1", "0"},
        {"B.txt", "/", "B.TXT", "/", Equal, "2", "1"},
        {"b.TXT", "/", "b.Txt", "/", Equal, "3", "2"},
        {"", "", "b.txt", "/", NoSource, "", "3"},
        {"e\u0301.txt", "/", "", "", NoTarget, "4", ""},
        {"\u00e9.txt", "/", "\u00e9.txt", "/", Equal, "5", "4"},
    };
    EXPECT_EQ(Recorder.Rows, expected);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Engine.GetEntryM(i)->Index, i);
        EXPECT_EQ(Engine.GetEntryS(i)->Index, i);
    }
}

// Two names are one entry only when they are equal after composition (NFC)
// and simple case folding; names that a collator finds alike (kana type,
// width, ignorable characters) stand on rows of their own, in every locale.
TEST(PairingEngine, NamesPairOnlyWhenEqualAfterFoldingCase) {
    const struct {
        std::string M, S;
        bool Paired;
    } cases[] = {
        {"a.TXT", "A.txt", true},
        {"FILE.txt", "file.txt", true},        // also where I and i are different letters
        {"Stra\u00dfe", "STRA\u1e9eE", true},  // capital sharp s folds to sharp s
        {"stra\u00dfe", "STRA\u1e9eE", true},
        {"Stra\u00dfe", "STRASSE", false},  // one character never folds to two
        {"Caf\u00e9", "CAFE\u0301", true},  // composed against decomposed
        {"\u01c5", "\u01c6", true},         // title case
        {"J\u030cOB", "\u01f0ob", true},    // a small letter composed, its capital not
        {"\u0130.txt", "i\u0307.txt", true},
        {"\u1fbc", "\u1fb3", true},         // alpha with iota below
        {"\u1fb3", "\u03b1\u03b9", false},  // ... is not alpha and iota
        {"X\xff", "x\xff", true},           // a byte that is not UTF-8 stays itself
        {"\xff.txt", "\xfe.txt", false},
        {"\u0131.txt", "I.txt", false},                   // dotless i
        {"\u0130.txt", "i.txt", false},                   // capital I with dot
        {"\u3042.txt", "\u30a2.txt", false},              // hiragana against katakana
        {"\uff76\uff85.txt", "\u30ab\u30ca.txt", false},  // half width against full width
        {"ABC.txt", "\uff21\uff22\uff23.txt", false},
        {"config.sh", "config\u200b.sh", false},  // zero width space
        {"data.txt", "da\u00adta.txt", false},    // soft hyphen
        {"ab",
         "a\x01"
         "b",
         false},
    };
    TTempTree m, s;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string dir = "c" + std::to_string(i) + "/";
        m.File(dir + cases[i].M, "same");
        s.File(dir + cases[i].S, "same");
    }
    const char* const saved = std::getenv("LC_ALL");
    const std::string savedLocale = saved ? saved : "";
    for (const char* locale : {"C.UTF-8", "ja_JP.UTF-8", "tr_TR.UTF-8", "de_DE.UTF-8"}) {
        setenv("LC_ALL", locale, 1);
        TRecorder recorder;
        TCompare engine(&recorder);
        ASSERT_EQ(RunCompare(engine, m.Path(), s.Path()), 0);
        std::map<std::string, std::vector<std::vector<std::string>>> byFolder;
        for (const auto& row : recorder.Rows)
            byFolder[row[0].empty() ? row[3] : row[1]].push_back(row);
        for (size_t i = 0; i < std::size(cases); ++i) {
            const std::string dir = "c" + std::to_string(i) + "/";
            const auto& c = cases[i];
            std::vector<std::vector<std::string>> rows;
            for (const auto& row : byFolder[dir])
                rows.push_back({row[0], row[2], row[4]});
            std::vector<std::vector<std::string>> expected;
            if (c.Paired) {
                expected = {{c.M, c.S, Equal}};
            } else {
                expected = {{c.M, "", NoTarget}, {"", c.S, NoSource}};
                std::sort(rows.begin(), rows.end(), std::greater<>());
            }
            EXPECT_EQ(rows, expected) << locale << ": " << c.M << " / " << c.S;
        }
    }
    if (saved) {
        setenv("LC_ALL", savedLocale.c_str(), 1);
    } else {
        unsetenv("LC_ALL");
    }
}

TEST(PairingEngine, NullCallbackStillFillsResults) {
    TTempTree m, s;
    m.File("x", "1");
    TCompare engine(nullptr);
    EXPECT_EQ(RunCompare(engine, m.Path(), s.Path()), 0);
    ASSERT_EQ(engine.GetRowCount(), 1);
    EXPECT_EQ(engine.GetRow(0)->Result(), NoTarget);
    EXPECT_EQ(engine.GetSummary(), "1 件の相違が見つかりました");
}

TEST(PairingEngine, NamesThatAreNotUtf8AreComparedByTheirBytes) {
    TTempTree m, s;
    const std::string name = "\x93\xfa\x96\x7b.txt";  // a legacy CP932 name
    m.File(name, "same");
    s.File(name, "same");
    m.File("\xff.txt", "one");
    s.File("\xff.txt", "two");
    TRecorder recorder;
    TCompare engine(&recorder);
    EXPECT_EQ(RunCompare(engine, m.Path(), s.Path()), 0);
    EXPECT_EQ(recorder.ResultOf(name), Equal);
    EXPECT_EQ(recorder.ResultOf("\xff.txt"), "相違: 内容が不一致");
}

TEST(PairingEngine, FilesBeyondThePathLimitAreCompared) {
    TTempTree m, s;
    m.Chain("", 250, std::string(20, 'd'));
    s.Chain("", 250, std::string(20, 'd'));
    TCompare engine(nullptr);
    EXPECT_EQ(RunCompare(engine, m.Path(), s.Path(), TCompareOption{.IgnoreTime = true}), 0);
    EXPECT_EQ(engine.GetRowCount(), 500);
    EXPECT_EQ(engine.GetSummary(), "相違はありませんでした");
}

TEST_F(Pairing, IgnoreLineEndsMakesTextFilesWithTheSameLinesEqual) {
    M.File("crlf.txt", "one\r\ntwo\r\n");
    S.File("crlf.txt", "one\ntwo\n");
    M.File("blanks.txt", "one \ntwo\t\n");  // same size, other bytes
    S.File("blanks.txt", "one\t\ntwo \n");
    M.File("words.txt", "one\r\ntwo\r\n");
    S.File("words.txt", "one\nTWO\n");
    M.File("late.txt", "one\r\n", 1600000000);
    S.File("late.txt", "one\n", 1600000010);
    M.File("binary", std::string("\0\r\n", 3));
    S.File("binary", std::string("\0\n", 2));
    M.File("same.txt", "same");
    S.File("same.txt", "same");

    const std::map<std::string, std::string> without = {
        {"crlf.txt", "相違: サイズ "},  {"blanks.txt", "相違: 内容が不一致"},
        {"words.txt", "相違: サイズ "}, {"late.txt", "相違: サイズ 更新日 "},
        {"binary", "相違: サイズ "},    {"same.txt", Equal}};
    std::map<std::string, std::string> with = without;
    with["crlf.txt"] = with["blanks.txt"] = "等価 (改行・空白)";

    TCompareOption option;
    for (bool on : {false, true}) {
        option.IgnoreLineEnds = on;
        for (bool sequential : {false, true}) {
            Engine.SetSequential(sequential);
            Recorder.Rows.clear();
            Recorder.Events.clear();
            EXPECT_EQ(Run(option), 0);
            for (const auto& [name, text] : on ? with : without)
                EXPECT_EQ(Recorder.ResultOf(name), text) << name << " on " << on;
            // Such rows count as equal, and are equal to every reader.
            EXPECT_EQ(Recorder.Events.at(Recorder.Events.size() - 2),
                      on ? "done 6 3 3" : "done 6 1 5");
            for (int i = 0; i < Engine.GetRowCount(); ++i)
                EXPECT_EQ(Engine.GetRow(i)->IsEqual(),
                          Engine.GetRow(i)->Result().starts_with("等価"));
        }
    }
    // With the contents not read, the option changes nothing.
    option.SkipContents = true;
    Recorder.Rows.clear();
    EXPECT_EQ(Run(option), 0);
    EXPECT_EQ(Recorder.ResultOf("crlf.txt"), "相違: サイズ ");
    EXPECT_EQ(Recorder.ResultOf("blanks.txt"), Equal);
}

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
    const TVerdict verdicts[] = {TVerdict::Different, TVerdict::Different, TVerdict::Equal,
                                 TVerdict::Equal};
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(Engine.GetRow(row)->Verdict(), verdicts[row]) << row;
    EXPECT_EQ(TResultRow().Verdict(), TVerdict::Different);

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

// Times compare in 2-second slots of local time. A time shift makes times
// whole hours apart (up to the shift) the same, after the slot rule: from an
// even second, 3,601 s later is in the slot one hour later. A tolerance makes
// slots up to that many seconds apart the same, also around a shifted hour.
// Rows show the real times.
TEST_F(Pairing, TimesCompareInTwoSecondSlots) {
    TTimeZone zone("UTC");
    const int64_t t = 1600000000;  // an even second
    const struct {
        const char* Name;
        int64_t M, S;
        int Shift, Tolerance;
        bool Same;
    } cases[] = {
        {"same-slot", t + 2, t + 3, 0, 0, true},
        {"next-slot", t + 1, t + 2, 0, 0, false},
        {"before-1970", -1000001, -1000002, 0, 0, true},
        {"hour", t, t + 3600, 0, 0, false},
        {"hour-shifted", t, t + 3600, 1, 0, true},
        {"hour-back", t + 3600, t, 1, 0, true},
        {"3599", t, t + 3599, 1, 0, false},
        {"3599-odd", t + 1, t + 3600, 1, 0, true},
        {"3601", t, t + 3601, 1, 0, true},
        {"3601-odd", t + 1, t + 3602, 1, 0, false},
        {"two-hours", t, t + 7200, 1, 0, false},
        {"two-hours-by-two", t, t + 7200, 2, 0, true},
        {"day", t, t + 86400, 24, 0, true},
        {"half-hour", t, t + 1800, 24, 0, false},
        {"tolerated", t, t + 2, 0, 2, true},
        {"past-tolerance", t, t + 4, 0, 3, false},
        {"hour-tolerated", t, t + 3600, 0, 3600, true},
        {"shifted-tolerated", t, t + 3602, 1, 2, true},
        {"shifted-past-tolerance", t, t + 3604, 1, 2, false},
    };
    for (const auto& c : cases) {
        M.File(c.Name, "x", c.M);
        S.File(c.Name, "x", c.S);
    }
    for (const auto& c : cases) {
        Recorder.Rows.clear();
        ASSERT_EQ(Run({.TimeShift = c.Shift, .TimeTolerance = c.Tolerance}), 0);
        EXPECT_EQ(Recorder.ResultOf(c.Name), c.Same ? Equal : "相違: 更新日 ") << c.Name;
    }
    int row = 0;
    while (Recorder.Rows[size_t(row)][0] != "hour-shifted")
        ++row;
    std::vector<std::string> appendix;
    AddAppendix(appendix, Engine.GetRowEntryM(row), Engine.GetRowEntryS(row));
    EXPECT_EQ(appendix[2], "2020/09/13 12:26:40");
    EXPECT_EQ(appendix[8], "2020/09/13 13:26:40");
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
// Case sensitively only composition makes two names one.
TEST(PairingEngine, NamesPairOnlyWhenEqualAfterFoldingCase) {
    const struct {
        std::string M, S;
        bool Paired;
        bool PairedCaseSensitive = false;
    } cases[] = {
        {"Caf\u00e9", "Cafe\u0301", true, true},
        {"\u212b.txt", "\u00c5.txt", true, true},  // the angstrom sign composes to A with ring
        {"a\u0323\u0307", "a\u0307\u0323", true, true},  // marks in canonical order
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
    for (const char* locale : {"C.UTF-8", "ja_JP.UTF-8", "tr_TR.UTF-8", "de_DE.UTF-8"})
        for (bool caseSensitive : {false, true}) {
            setenv("LC_ALL", locale, 1);
            TRecorder recorder;
            TCompare engine(&recorder);
            ASSERT_EQ(RunCompare(engine, m.Path(), s.Path(), {.CaseSensitive = caseSensitive}), 0);
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
                if (caseSensitive ? c.PairedCaseSensitive : c.Paired) {
                    expected = {{c.M, c.S, Equal}};
                } else {
                    expected = {{c.M, "", NoTarget}, {"", c.S, NoSource}};
                    std::sort(rows.begin(), rows.end(), std::greater<>());
                }
                EXPECT_EQ(rows, expected) << locale << (caseSensitive ? " case sensitive: " : ": ")
                                          << c.M << " / " << c.S;
            }
        }
    if (saved) {
        setenv("LC_ALL", savedLocale.c_str(), 1);
    } else {
        unsetenv("LC_ALL");
    }
}

// Case sensitively, names that differ in letter case stand alone, next to
// each other in the locale's order (ties by bytes), and exclude patterns
// keep letter case too.
TEST_F(Pairing, CaseSensitiveNamesStayAdjacentAndPatternsKeepCase) {
    M.File("a.txt", "1");
    M.File("B.txt", "2");
    M.File("c.TXT", "3");
    M.File("Cafe\u0301", "4");
    S.File("A.txt", "1");
    S.File("b.txt", "2");
    S.File("c.TXT", "3");
    S.File("Caf\u00e9", "4");
    EXPECT_EQ(Run({.Exclude = {"*.TXT"}, .CaseSensitive = true}), 0);
    const std::vector<std::vector<std::string>> expected = {
        {"", "", "A.txt", "/", NoSource, "", "0"},
        {"a.txt", "/", "", "", NoTarget, "0", ""},
        {"B.txt", "/", "", "", NoTarget, "1", ""},
        {"", "", "b.txt", "/", NoSource, "", "1"},
        {"Cafe\u0301", "/", "Caf\u00e9", "/", Equal, "2", "2"},
    };
    EXPECT_EQ(Recorder.Rows, expected);
    Recorder.Rows.clear();
    EXPECT_EQ(Run({.Exclude = {"*.TXT"}}), 0);
    ASSERT_EQ(Recorder.Rows.size(), 1u);  // every name ends in .txt but the café
}

// A file on one side only whose bytes exactly one file on the other side
// only holds makes one row naming both, counted once. Several such files,
// empty ones, ones below the least size and folders stay on rows of their
// own; a file that pairs by name is never a candidate.
TEST_F(Pairing, MovedFilesMakeOneRowNamingBoth) {
    M.File("old/photo.jpg", "photo bytes");
    S.File("new/2024/photo.jpg", "photo bytes");  // into a new folder
    M.File("late.txt", "late bytes", 1600000000);
    S.File("archive/late.txt", "late bytes", 1600000010);
    M.File("twin.dat", "twin");  // two candidates of the same bytes
    S.File("copy1.dat", "twin");
    S.File("copy2.dat", "twin");
    M.File("size-a", "1234");  // the same size, other bytes
    S.File("size-b", "5678");
    M.File("g1", "AAAAAA");  // a size of several files, told apart by contents
    M.File("g2", "BBBBBB");
    S.File("h1", "BBBBBB");
    S.File("h2", "AAAAAA");
    M.File("empty.txt", "");
    S.File("empty-moved.txt", "");
    M.File("tiny", "abc");
    S.File("tiny-moved", "abc");
    M.File("kept.txt", "k");
    S.File("kept.txt", "K");
    S.File("elsewhere/kept.txt", "k");
    const auto rowOf = [this](const std::string& nameM, const std::string& nameS) {
        for (const auto& row : Recorder.Rows)
            if (row[0] == nameM && row[2] == nameS)
                return row;
        return std::vector<std::string>{"(no row)"};
    };
    const std::string moved = "相違: 移動 ";

    for (bool sequential : {false, true}) {
        Recorder = TRecorder();
        Engine.SetSequential(sequential);
        ASSERT_EQ(Run({.DetectMoved = true}), 0);
        EXPECT_EQ(rowOf("photo.jpg", "photo.jpg"),
                  (std::vector<std::string>{"photo.jpg", "old/", "photo.jpg", "new/2024/", moved,
                                            "6", "12"}));
        EXPECT_EQ(rowOf("late.txt", "late.txt")[4], moved + "更新日 ");
        EXPECT_EQ(rowOf("g1", "h2")[4], moved);
        EXPECT_EQ(rowOf("g2", "h1")[4], moved);
        EXPECT_EQ(rowOf("tiny", "tiny-moved")[4], moved);
        for (const char* alone : {"twin.dat", "size-a", "empty.txt", "old/"})
            EXPECT_EQ(rowOf(alone, "")[4], NoTarget) << alone;
        for (const char* alone :
             {"copy1.dat", "copy2.dat", "size-b", "empty-moved.txt", "new/", "2024/", "kept.txt"})
            EXPECT_EQ(rowOf("", alone)[4], NoSource) << alone;
        EXPECT_EQ(rowOf("kept.txt", "kept.txt")[4], "相違: 内容が不一致");
        EXPECT_EQ(Recorder.Events.back(), "end");
        EXPECT_EQ(Recorder.Events[Recorder.Events.size() - 2], "done 19 0 19");
        // The entry numbers lead to both files.
        int row = 0;
        while (Engine.GetRow(row)->Result() != moved)
            ++row;
        EXPECT_EQ(Engine.GetRowEntryM(row)->FullPath(), M.Path("g1"));
        EXPECT_EQ(Engine.GetRowEntryS(row)->FullPath(), S.Path("h2"));
    }

    Recorder = TRecorder();
    ASSERT_EQ(Run({.DetectMoved = true, .MovedMinSize = 4}), 0);
    EXPECT_EQ(rowOf("tiny", "")[4], NoTarget);
    EXPECT_EQ(rowOf("g1", "h2")[4], moved);
    Recorder = TRecorder();
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(rowOf("photo.jpg", "")[4], NoTarget);
    EXPECT_EQ(Recorder.Rows.size(), 24u);
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
                EXPECT_EQ(Engine.GetRow(i)->Verdict() == TVerdict::Equal,
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

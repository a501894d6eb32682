// The real TandrilB on hostile trees: every row of the engine reaches the
// report as one record that reads back field for field, whatever the names
// hold; big, deep and closed trees finish with every row in place.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <stdexcept>

#include "BatchTestSupport.h"
#include "ReportRecords.h"

namespace {

const std::string kHeader =
    "比較元ファイル,フォルダ,比較先ファイル,フォルダ,比較結果,比較元番号,比較先番号";

std::vector<std::string> HostileNames() {
    std::string wide;
    while (wide.size() + 3 <= 255)
        wide += "\xe3\x81\x82";
    return {"new\nline.txt",
            "tab\there",
            "cr\rname",
            "crlf\r\nname",
            "quo\"te\"",
            "com,ma",
            "-dash",
            "--file",
            " blank ",
            "\x01\x1f",
            "\xff\xfe",
            "caf\xe9",
            "日本語.txt",
            "①～—",
            std::string(255, 'n'),
            wide};
}

// The records of a report without comments, as (source name, source folder,
// target name, target folder, result), in no particular order.
std::multiset<std::string> Rows(const std::vector<std::vector<std::string>>& records) {
    std::multiset<std::string> rows;
    for (size_t i = 1; i < records.size(); ++i)
        rows.insert(records[i][0] + "|" + records[i][1] + "|" + records[i][2] + "|" +
                    records[i][3] + "|" + records[i][4]);
    return rows;
}

}  // namespace

TEST(HostileReport, EveryNameReadsBackFromTheReportInEachFormat) {
    TempDir dir;
    std::multiset<std::string> expected;
    for (const std::string& name : HostileNames()) {
        MakeFile(dir / "a" + "/" + name, name);
        MakeFile(dir / "b" + "/" + name, name);
        expected.insert(name + "|/|" + name + "|/|等価");
    }
    MakeFile(dir / "a/only, here", "x");
    expected.insert("only, here|/|||比較先無し");

    const struct {
        const char* Format;
        char Delimiter;
    } formats[] = {{"csv", ','}, {"tsv", '\t'}, {"txt", ' '}};
    for (const auto& format : formats) {
        RunResult run = RunTandrilB({"/file", dir / "r", "/fromdir", dir / "a", "/todir", dir / "b",
                                     "/format", format.Format, "/noComment", "/encoding", "utf8"});
        ASSERT_EQ(run.Status, 0) << run.Out;
        auto records = ReadRecords(ReadFile(dir / "r"), format.Delimiter);
        ASSERT_FALSE(records.empty());
        EXPECT_EQ(records[0].size(), 7u);
        for (const auto& record : records)
            EXPECT_EQ(record.size(), 7u) << format.Format;
        EXPECT_EQ(Rows(records), expected) << format.Format;
    }

    // In CP932 the Japanese names change their bytes, the others keep them.
    RunResult run =
        RunTandrilB({"/file", dir / "r", "/fromdir", dir / "a", "/todir", dir / "b", "/noComment"});
    ASSERT_EQ(run.Status, 0) << run.Out;
    auto records = ReadRecords(ReadFile(dir / "r"), ',');
    EXPECT_EQ(records.size(), expected.size() + 1);
    std::set<std::string> names;
    for (const auto& record : records)
        names.insert(record[0]);
    EXPECT_EQ(names.count("\xff\xfe"), 1u);
    EXPECT_EQ(names.count("caf\xe9"), 1u);
    EXPECT_EQ(names.count("crlf\r\nname"), 1u);
    EXPECT_EQ(names.count(ToCp932("日本語.txt")), 1u);
}

TEST(HostileReport, NamesThatOnlyLookAlikeAreNeverOneEntry) {
    // Same bytes and time on both sides, different names: diff -rq reports
    // each as present on one side only, and so must the report, in every
    // locale. Names that differ in letter case alone are one entry.
    const std::pair<std::string, std::string> apart[] = {
        {"\u3042.txt", "\u30a2.txt"},
        {"\uff76\uff85.txt", "\u30ab\u30ca.txt"},
        {"ABC.txt", "\uff21\uff22\uff23.txt"},
        {"config.sh", "config\u200b.sh"},
        {"data.txt", "da\u00adta.txt"},
        {"ab",
         "a\x01"
         "b"},
        {"Stra\u00dfe", "STRASSE"},
    };
    const std::pair<std::string, std::string> together[] = {{"stra\u00dfe.txt", "STRA\u1e9eE.txt"},
                                                            {"FILE.txt", "file.txt"}};
    TempDir dir;
    std::multiset<std::string> expected;
    for (const auto& [m, s] : apart) {
        MakeFile(dir / "a/" + m, "same");
        MakeFile(dir / "b/" + s, "same");
        expected.insert(m + "|/|||比較先無し");
        expected.insert("||" + s + "|/|比較元無し");
    }
    for (const auto& [m, s] : together) {
        MakeFile(dir / "a/" + m, "same");
        MakeFile(dir / "b/" + s, "same");
        expected.insert(m + "|/|" + s + "|/|等価");
    }
    for (const char* locale : {"C.UTF-8", "ja_JP.UTF-8", "tr_TR.UTF-8"}) {
        RunOptions options;
        options.Locale = locale;
        RunResult run = RunTandrilB({"/file", dir / "r.csv", "/fromdir", dir / "a", "/todir",
                                     dir / "b", "/noComment", "/encoding", "utf8"},
                                    options);
        ASSERT_EQ(run.Status, 0) << run.Out;
        EXPECT_EQ(run.Out, "処理が完了しました. 比較回数 : 16 件  等価 : 2 件  相違 : 14 件\r\n")
            << locale;
        EXPECT_EQ(Rows(ReadRecords(ReadFile(dir / "r.csv"), ',')), expected) << locale;
    }
}

TEST(HostileReport, FoldersNamedLikeOptionWordsAreValues) {
    TempDir dir;
    MakeFile(dir / "-a/x", "x");
    MakeFile(dir / "--b/x", "x");
    RunOptions options;
    options.WorkDir = dir.Path();
    RunResult run = RunTandrilB({"/file", "-r.csv", "/fromdir", "-a", "/todir", "--b"}, options);
    EXPECT_EQ(run.Status, 0) << run.Out;
    EXPECT_TRUE(Exists(dir / "-r.csv"));
}

TEST(HostileReport, FolderOfAHundredThousandEntries) {
    TempDir dir(FastTempBase());
    MakeFolder(dir / "a/big");
    MakeFolder(dir / "b/big");
    const int count = 100000;
    for (const char* side : {"a", "b"}) {
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/big/%06d", i);
            std::string path = dir / side + name;
            // Every file empty but one, which differs.
            int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            ASSERT_GE(fd, 0);
            if (i == 77777) {
                ASSERT_EQ(write(fd, side, 1), 1);
            }
            struct timespec times[2] = {{kFixedTime, 0}, {kFixedTime, 0}};
            futimens(fd, times);
            close(fd);
        }
    }
    RunResult run = RunTandrilB({"/file", dir / "r.csv", "/fromdir", dir / "a", "/todir", dir / "b",
                                 "/noComment", "/encoding", "utf8"});
    ASSERT_EQ(run.Status, 0) << run.Out;
    EXPECT_EQ(run.Out,
              "処理が完了しました. 比較回数 : 100001 件  等価 : 100000 件  相違 : 1 件\r\n");
    auto records = ReadRecords(ReadFile(dir / "r.csv"), ',');
    ASSERT_EQ(records.size(), 100002u);
    EXPECT_EQ(records[0].size(), 7u);
    int different = 0;
    for (size_t i = 1; i < records.size(); ++i) {
        if (records[i][4] != "等価") {
            ++different;
            EXPECT_EQ(records[i][0], "077777");
            EXPECT_EQ(records[i][4], "相違: 内容が不一致");
        }
    }
    EXPECT_EQ(different, 1);
}

TEST(HostileReport, TreeDeeperThanThePathLimit) {
    // 180 levels of 40-character names: over 7000 bytes of path, made by
    // handles since no single path call could reach the bottom.
    TempDir dir;
    const std::string name(40, 'd');
    for (const char* side : {"a", "b"}) {
        MakeFolder(dir / side);
        int fd = open((dir / side).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (int i = 0; i < 180 && fd >= 0; ++i) {
            ASSERT_EQ(mkdirat(fd, name.c_str(), 0755), 0);
            int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            close(fd);
            fd = next;
        }
        ASSERT_GE(fd, 0);
        int file = openat(fd, "bottom.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_EQ(write(file, side, 1), 1);
        struct timespec times[2] = {{kFixedTime, 0}, {kFixedTime, 0}};
        futimens(file, times);
        close(file);
        close(fd);
    }
    RunResult run = RunTandrilB({"/file", dir / "r.csv", "/fromdir", dir / "a", "/todir", dir / "b",
                                 "/noComment", "/Appendix", "/encoding", "utf8"});
    ASSERT_EQ(run.Status, 0) << run.Out;
    EXPECT_EQ(run.Out, "処理が完了しました. 比較回数 : 181 件  等価 : 180 件  相違 : 1 件\r\n");
    auto records = ReadRecords(ReadFile(dir / "r.csv"), ',');
    ASSERT_EQ(records.size(), 182u);
    const auto& bottom = records.back();
    ASSERT_EQ(bottom.size(), 19u);
    EXPECT_EQ(bottom[0], "bottom.txt");
    EXPECT_EQ(bottom[4], "相違: 内容が不一致");
    // The full path column holds the whole path, past PATH_MAX.
    EXPECT_GT(bottom[12].size(), 7000u);
    EXPECT_EQ(bottom[12].substr(bottom[12].size() - 11), "/bottom.txt");
}

TEST(HostileReport, ClosedFilesAndFoldersAsAnUnprivilegedUser) {
    if (!CanDropPrivileges())
        GTEST_SKIP() << "permission cases need root to switch to user nobody";
    TempDir dir;
    for (const char* side : {"a", "b"}) {
        MakeFile(dir / side + "/secret.txt", "s");
        MakeFile(dir / side + "/closed/x.txt", "x");
        MakeFile(dir / side + "/open.txt", "o");
    }
    ASSERT_EQ(chmod((dir / "a/secret.txt").c_str(), 0), 0);
    ASSERT_EQ(chmod((dir / "b/closed").c_str(), 0), 0);
    MakeFolder(dir / "out");
    ASSERT_EQ(chmod((dir / "out").c_str(), 0777), 0);
    RunOptions options;
    options.AsNobody = true;
    RunResult run = RunTandrilB({"/file", dir / "out/r.csv", "/fromdir", dir / "a", "/todir",
                                 dir / "b", "/noComment", "/encoding", "utf8"},
                                options);
    ASSERT_EQ(run.Status, 0) << run.Out;
    auto records = ReadRecords(ReadFile(dir / "out/r.csv"), ',');
    std::multiset<std::string> expected = {
        "secret.txt|/|secret.txt|/|相違: バイナリ比較失敗>open file error!!>ファイル " +
            dir / "a/secret.txt" + " は開けません",
        "closed/|/|closed/|/|相違: フォルダを読めません(比較先: Permission denied)",
        "x.txt|closed/|||相違: 比較先のフォルダを読めません",
        "open.txt|/|open.txt|/|等価",
    };
    EXPECT_EQ(Rows(records), expected);

    // A folder closed on both sides is still a difference: a check of a
    // backup must not pass when nothing below it was compared.
    ASSERT_EQ(chmod((dir / "a/secret.txt").c_str(), 0644), 0);
    ASSERT_EQ(chmod((dir / "a/closed").c_str(), 0), 0);
    run = RunTandrilB(
        {"/file", dir / "out/r.csv", "/fromdir", dir / "a", "/todir", dir / "b", "/diffstatus"},
        options);
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "処理が完了しました. 比較回数 : 3 件  等価 : 2 件  相違 : 1 件\r\n");
    // A root that cannot be read is refused before the run, as a bad path is.
    run = RunTandrilB(
        {"/file", dir / "out/r.csv", "/fromdir", dir / "a/closed", "/todir", dir / "b/closed"},
        options);
    EXPECT_EQ(run.Status, 2) << run.Err;
    EXPECT_EQ(run.Out, "比較元のフォルダを読めません(Permission denied)\n");
}

TEST(HostileReport, FewFileHandlesNeverCutTheTreeShort) {
    // 60 levels with a file beside every folder and one differing file at the
    // bottom: listing needs a handle per open level, more than the process
    // may have at the lower limits below.
    TempDir dir;
    std::string level;
    for (int i = 0; i < 60; ++i) {
        level += "/level" + std::to_string(i);
        MakeFile(dir / "a" + level + "/beside.txt", "b");
        MakeFile(dir / "b" + level + "/beside.txt", "b");
    }
    MakeFile(dir / "a" + level + "/bottom.txt", "1");
    MakeFile(dir / "b" + level + "/bottom.txt", "2");
    MakeFile(dir / "a/zz-after.txt", "z");
    MakeFile(dir / "b/zz-after.txt", "z");
    const std::vector<std::string> arguments = {"/file",     dir / "r.csv", "/fromdir",
                                                dir / "a",   "/todir",      dir / "b",
                                                "/encoding", "utf8",        "/noComment"};
    RunResult full = RunTandrilB(arguments);
    ASSERT_EQ(full.Status, 0) << full.Out;
    ASSERT_EQ(full.Out, "処理が完了しました. 比較回数 : 122 件  等価 : 121 件  相違 : 1 件\r\n");

    const auto reference = ReadRecords(ReadFile(dir / "r.csv"), ',');
    for (long long limit : {8, 10, 12, 16, 24, 40}) {
#ifdef TANDRIL_SANITIZED
        // The sanitizers' runtime needs descriptors of its own (it checks
        // pointers through a pipe): below that it reports errors that are not.
        if (limit < 16)
            continue;
#endif
        RunOptions options;
        options.OpenFileLimit = limit;
        RunResult run = RunTandrilB(arguments, options);
        // Either every row, or a failure that says so: never a short report
        // that passes for complete.
        if (run.Status != 0) {
            EXPECT_EQ(run.Status, 255) << "limit " << limit << ": " << run.Out << run.Err;
            EXPECT_NE(run.Out.find("Too many open files"), std::string::npos) << run.Out;
            continue;
        }
        const auto records = ReadRecords(ReadFile(dir / "r.csv"), ',');
        ASSERT_EQ(records.size(), reference.size()) << "limit " << limit;
        for (size_t i = 0; i < records.size(); ++i) {
            ASSERT_EQ(records[i].size(), 7u);
            // A file that found no descriptor to be opened with says so.
            if (records[i] != reference[i]) {
                EXPECT_NE(records[i][4].find("open file error"), std::string::npos)
                    << "limit " << limit << ": " << records[i][0] << " " << records[i][4];
                EXPECT_EQ(records[i][0], reference[i][0]);
            }
        }
    }
    // A limit the listings can live with lists every level.
    RunOptions options;
    options.OpenFileLimit = 16;
    EXPECT_EQ(RunTandrilB(arguments, options).Status, 0);
}

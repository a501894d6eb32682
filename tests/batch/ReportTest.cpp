// The report file and the count line of complete runs of the real TandrilB.
#include <gtest/gtest.h>

#include <regex>

#include "BatchTestSupport.h"

namespace {

const std::string kHeader[] = {"比較元ファイル", "フォルダ",   "比較先ファイル", "フォルダ",
                               "比較結果",       "比較元番号", "比較先番号"};

std::string Join(const std::vector<std::string>& fields, char delimiter) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += delimiter;
        line += fields[i];
    }
    return line;
}

std::string HeaderLine(char delimiter) {
    return Join(std::vector<std::string>(std::begin(kHeader), std::end(kHeader)), delimiter);
}

std::string CountLine(int rows, int equal, int different) {
    return "処理が完了しました. 比較回数 : " + std::to_string(rows) +
           " 件  等価 : " + std::to_string(equal) + " 件  相違 : " + std::to_string(different) +
           " 件\r\n";
}

std::string FolderBlock(const std::string& from, const std::string& to) {
    return "比較元: " + from + "\r\n比較先: " + to + "\r\n\r\n--\r\n";
}

std::string Summary(const char* rows, const char* equal, const char* different) {
    return std::string("--\r\n") + "比較回数 :" + rows + " 件\r\n" + "等価     :" + equal +
           " 件\r\n" + "相違     :" + different + " 件\r\n" +
           "\r\n正常に処理が完了しました\r\n\r\n";
}

// Source a holds x.txt and y.txt, target b an identical x.txt.
class WorkedExample : public ::testing::Test {
protected:
    WorkedExample() : a(dir / "a"), b(dir / "b"), report(dir / "report.out") {
        MakeFile(a + "/x.txt", "same bytes");
        MakeFile(a + "/y.txt", "only here");
        MakeFile(b + "/x.txt", "same bytes");
    }

    RunResult Run(std::vector<std::string> extra, bool utf8 = true) {
        std::vector<std::string> arguments{"/file", report, "/fromdir", a, "/todir", b};
        if (utf8)
            extra.insert(extra.end(), {"/encoding", "utf8"});
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return RunTandrilB(arguments);
    }

    std::string Details(char delimiter) const {
        return Join({"x.txt", "/", "x.txt", "/", "等価", "0", "0"}, delimiter) + "\r\n" +
               Join({"y.txt", "/", "", "", "比較先無し", "1", ""}, delimiter) + "\r\n";
    }

    std::string Expected(char delimiter) const {
        return FolderBlock(a, b) + HeaderLine(delimiter) + "\r\n" + Details(delimiter) +
               Summary("     2", "     1", "     1");
    }

    TempDir dir;
    std::string a, b, report;
};

TEST_F(WorkedExample, ComesOutByteForByteInEachFormat) {
    struct {
        std::string format;
        char delimiter;
    } formats[] = {{"csv", ','}, {"TSV", '\t'}, {"tsv", '\t'}, {"txt", ' '}};
    for (const auto& f : formats) {
        SCOPED_TRACE(f.format);
        RunResult run = Run({"/format", f.format});
        EXPECT_EQ(run.Status, 0);
        EXPECT_EQ(run.Out, CountLine(2, 1, 1));
        EXPECT_EQ(run.Err, "");
        EXPECT_EQ(ReadFile(report), Expected(f.delimiter));
    }
    // Spelled out once (txt ran last): empty columns are adjacent spaces, and the
    // last one leaves a trailing space.
    EXPECT_NE(ReadFile(report).find("y.txt /   比較先無し 1 \r\n"), std::string::npos);
}

TEST_F(WorkedExample, DefaultReportIsCp932WithoutByteOrderMark) {
    RunResult run = Run({}, false);
    EXPECT_EQ(run.Status, 0);
    std::string bytes = ReadFile(report);
    EXPECT_EQ(bytes, ToCp932(Expected(',')));
    EXPECT_EQ(bytes.substr(0, 2), "\x94\xe4");  // 比, not a byte-order mark
}

TEST_F(WorkedExample, SwitchesDropTheirLinesButNeverTheCountLine) {
    struct {
        std::vector<std::string> words;
        std::string expected;
    } cases[] = {
        {{"/noHeader"}, FolderBlock(a, b) + Details(',') + Summary("     2", "     1", "     1")},
        {{"/noComment"}, HeaderLine(',') + "\r\n" + Details(',')},
        {{"/noHeader", "/noComment"}, Details(',')},
        {{"/noComment", "/noHeader", "/Comment"},
         FolderBlock(a, b) + Details(',') + Summary("     2", "     1", "     1")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        RunResult run = Run(c.words);
        EXPECT_EQ(run.Status, 0);
        EXPECT_EQ(run.Out, CountLine(2, 1, 1));
        EXPECT_EQ(ReadFile(report), c.expected);
    }
}

TEST_F(WorkedExample, ExistingReportIsReplaced) {
    MakeFile(report, std::string(100000, 'z'));
    EXPECT_EQ(Run({}).Status, 0);
    EXPECT_EQ(ReadFile(report), Expected(','));
}

TEST_F(WorkedExample, FolderLinesShowThePathsAsTyped) {
    RunOptions options;
    options.WorkDir = dir.Path();
    RunResult run = RunTandrilB(
        {"/file", "rel.csv", "/fromdir", "a/", "/todir", "./b", "/encoding", "utf8"}, options);
    EXPECT_EQ(run.Status, 0);
    std::string expected = FolderBlock("a/", "./b") + HeaderLine(',') + "\r\n" + Details(',') +
                           Summary("     2", "     1", "     1");
    EXPECT_EQ(ReadFile(dir / "rel.csv"), expected);
}

TEST(Report, EmptyFoldersGiveZeroCounts) {
    TempDir dir;
    MakeFolder(dir / "a");
    MakeFolder(dir / "b");
    RunResult run = RunTandrilB({"/file", dir / "r.txt", "/fromdir", dir / "a", "/todir", dir / "b",
                                 "/format", "txt", "/encoding", "utf8"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, CountLine(0, 0, 0));
    EXPECT_EQ(ReadFile(dir / "r.txt"), FolderBlock(dir / "a", dir / "b") + HeaderLine(' ') +
                                           "\r\n" + Summary("     0", "     0", "     0"));
}

TEST(Report, ColumnsWithDelimiterQuoteOrSpaceAreQuoted) {
    TempDir dir;
    MakeFile(dir / "a/a,b.txt", "1");
    MakeFile(dir / "a/q\"uote.txt", "1");
    MakeFile(dir / "a/size.txt", "1");
    MakeFile(dir / "a/sp ace.txt", "1");
    MakeFile(dir / "b/size.txt", "22");
    struct {
        std::string format;
        std::string lines;
    } cases[] = {
        {"csv",
         "\"a,b.txt\",/,,,比較先無し,0,\r\n"
         "\"q\"\"uote.txt\",/,,,比較先無し,1,\r\n"
         "size.txt,/,size.txt,/,\"相違: サイズ \",2,0\r\n"
         "\"sp ace.txt\",/,,,比較先無し,3,\r\n"},
        {"tsv",
         "a,b.txt\t/\t\t\t比較先無し\t0\t\r\n"
         "\"q\"\"uote.txt\"\t/\t\t\t比較先無し\t1\t\r\n"
         "size.txt\t/\tsize.txt\t/\t\"相違: サイズ \"\t2\t0\r\n"
         "\"sp ace.txt\"\t/\t\t\t比較先無し\t3\t\r\n"},
        {"txt",
         "a,b.txt /   比較先無し 0 \r\n"
         "\"q\"\"uote.txt\" /   比較先無し 1 \r\n"
         "size.txt / size.txt / \"相違: サイズ \" 2 0\r\n"
         "\"sp ace.txt\" /   比較先無し 3 \r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        RunResult run =
            RunTandrilB({"/file", dir / "r", "/fromdir", dir / "a", "/todir", dir / "b", "/format",
                         c.format, "/noComment", "/noHeader", "/encoding", "utf8"});
        EXPECT_EQ(run.Status, 0);
        EXPECT_EQ(run.Out, CountLine(4, 0, 4));
        EXPECT_EQ(ReadFile(dir / "r"), c.lines);
    }
}

TEST(Report, NamesKeepTheirBytesInCp932) {
    TempDir dir;
    MakeFile(dir / "a/日本語.txt", "1");
    MakeFile(dir / "a/한국.txt", "1");       // no such characters in CP932
    MakeFile(dir / "a/z\xff\xfe.bin", "1");  // not UTF-8: written as it is named
    MakeFolder(dir / "b");
    RunResult run = RunTandrilB({"/file", dir / "r", "/fromdir", dir / "a", "/todir", dir / "b",
                                 "/noComment", "/noHeader"});
    EXPECT_EQ(run.Status, 0);
    std::string lines = ReadFile(dir / "r");
    EXPECT_NE(lines.find(ToCp932("日本語.txt,/,,,比較先無し,")), std::string::npos) << lines;
    EXPECT_NE(lines.find(ToCp932("??.txt,/,,,比較先無し,")), std::string::npos) << lines;
    EXPECT_NE(lines.find("z\xff\xfe.bin,/,,," + ToCp932("比較先無し")), std::string::npos) << lines;
}

// Appendix: six columns per side, empty for the side a row lacks.
TEST(Report, AppendixAddsSixColumnsPerSide) {
    TempDir dir;
    MakeFile(dir / "a/both.txt", "1234");
    MakeFile(dir / "a/onlyM.txt", "12");
    MakeFolder(dir / "a/sub");
    MakeFolder(dir / "b/sub");
    MakeFile(dir / "b/both.txt", "1234");
    MakeFile(dir / "b/onlyS.txt", "123");
    SetTimes(dir / "a/sub", kFixedTime, kFixedTime);
    RunResult run = RunTandrilB({"/file", dir / "r", "/fromdir", dir / "a", "/todir", dir / "b",
                                 "/Appendix", "/noComment", "/encoding", "utf8"});
    ASSERT_EQ(run.Status, 0);
    std::vector<std::string> lines = SplitLines(ReadFile(dir / "r"));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], HeaderLine(',') +
                            ",(比較元)サイズ,(比較元)属性,(比較元)更新日時,(比較元)作成日時,"
                            "(比較元)アクセス日,(比較元)パス,(比較先)サイズ,(比較先)属性,"
                            "(比較先)更新日時,(比較先)作成日時,(比較先)アクセス日,(比較先)パス");

    // Times are UTC here; the creation time is whenever the test made the file
    // (or the zero date where the file system keeps none).
    const std::string created = "\"\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d\"";
    auto side = [&](const std::string& size, const std::string& attr, const std::string& path) {
        return size + "," + attr + ",\"2024/01/02 03:04:06\"," + created + ",2024/01/02," + path;
    };
    const std::string none = ",,,,,";
    std::string a = dir / "a", b = dir / "b";
    const std::string expected[] = {
        "both\\.txt,/,both\\.txt,/,等価,0,0," + side("4", "-----", a + "/both\\.txt") + "," +
            side("4", "-----", b + "/both\\.txt"),
        "onlyM\\.txt,/,,,比較先無し,1,," + side("2", "-----", a + "/onlyM\\.txt") + "," + none,
        ",,onlyS\\.txt,/,比較元無し,,1," + none + "," + side("3", "-----", b + "/onlyS\\.txt"),
        "sub/,/,sub/,/,等価,2,2,.*",
    };
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(std::regex_match(lines[i + 1], std::regex(expected[i]))) << lines[i + 1] << "\n"
                                                                             << expected[i];
    }
    EXPECT_NE(lines[4].find(",0,D----,\"2024/01/02 03:04:06\","), std::string::npos) << lines[4];
}

}  // namespace

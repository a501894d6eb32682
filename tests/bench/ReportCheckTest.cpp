#include <gtest/gtest.h>
#include <unicode/ucnv.h>

#include <array>

#include "ReportCheck.h"

namespace {

using TRow = std::array<std::string, 7>;

// Tree A: folder d with a.dat, b.dat, c.dat, and e.dat in the root. Tree B:
// a.dat changed, b.dat renamed B.DAT, c.dat deleted, new.dat added.
TManifest SmallManifest() {
    TManifest m;
    m.FilesA = 4, m.FoldersA = 1, m.FilesB = 4, m.FoldersB = 1;
    m.Changed = {"d/a.dat"};
    m.Deleted = {"d/c.dat"};
    m.Added = {"new.dat"};
    m.Renamed = {{"d/b.dat", "d/B.DAT"}};
    return m;
}

// The rows a correct comparison gives for SmallManifest, in order.
std::vector<TRow> CorrectRows() {
    return {
        {"d/", "/", "d/", "/", "等価", "0", "0"},
        {"a.dat", "d/", "a.dat", "d/", "相違: 内容が不一致", "1", "1"},
        {"b.dat", "d/", "B.DAT", "d/", "等価", "2", "2"},
        {"c.dat", "d/", "", "", "比較先無し", "3", ""},
        {"e.dat", "/", "e.dat", "/", "等価", "4", "3"},
        {"", "", "new.dat", "/", "比較元無し", "", "4"},
    };
}

std::string Utf8ToCp932(const std::string& utf8) {
    std::string out(utf8.size() * 2 + 1, '\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t n = ucnv_convert("windows-31j", "UTF-8", out.data(), int32_t(out.size()), utf8.data(),
                             int32_t(utf8.size()), &status);
    out.resize(U_SUCCESS(status) ? size_t(n) : 0);
    return out;
}

// A report in the console program's default layout (UTF-8 text).
std::string ReportText(const std::vector<TRow>& rows, int equal) {
    auto field = [](const std::string& s) {
        if (s.find_first_of(" ,\"") == std::string::npos)
            return s;
        std::string quoted = "\"";
        for (char c : s)
            quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        return quoted + "\"";
    };
    std::string text =
        "比較元: A\r\n比較先: B\r\n\r\n--\r\n"
        "比較元ファイル,フォルダ,比較先ファイル,フォルダ,比較結果,比較元番号,比較先番号\r\n";
    for (const TRow& row : rows) {
        for (size_t i = 0; i < row.size(); ++i)
            text += (i ? "," : "") + field(row[i]);
        text += "\r\n";
    }
    char summary[200];
    std::snprintf(summary, sizeof summary,
                  "--\r\n比較回数 :%6d 件\r\n等価     :%6d 件\r\n相違     :%6d 件\r\n",
                  int(rows.size()), equal, int(rows.size()) - equal);
    return text + summary + "\r\n正常に処理が完了しました\r\n\r\n";
}

std::vector<std::string> Check(const std::vector<TRow>& rows, int equal) {
    return CheckReport(ParseReport(Utf8ToCp932(ReportText(rows, equal))), SmallManifest());
}

// True when one of the problems contains `part`.
bool Mentions(const std::vector<std::string>& problems, const std::string& part) {
    for (const auto& p : problems)
        if (p.find(part) != std::string::npos)
            return true;
    return false;
}

}  // namespace

TEST(SplitRowLine, UndoesTheQuotingRule) {
    EXPECT_EQ(SplitRowLine("a,,\"b c\",\"x,y\",\"say \"\"hi\"\"\",", ','),
              (std::vector<std::string>{"a", "", "b c", "x,y", "say \"hi\"", ""}));
    EXPECT_EQ(SplitRowLine("", ','), std::vector<std::string>{""});
    EXPECT_EQ(SplitRowLine("y.txt / ", ' '), (std::vector<std::string>{"y.txt", "/", ""}));
}

TEST(ParseReport, ReadsCp932AndUtf8Reports) {
    const std::string text = ReportText(CorrectRows(), 3);
    for (const std::string& bytes : {Utf8ToCp932(text), text}) {
        TReport report = ParseReport(bytes);
        ASSERT_EQ(report.Rows.size(), 6u);
        EXPECT_EQ(report.Rows[1][4], "相違: 内容が不一致");
        EXPECT_EQ(report.SummaryRows, 6);
        EXPECT_EQ(report.SummaryEqual, 3);
        EXPECT_EQ(report.SummaryDifferent, 3);
        EXPECT_TRUE(report.Completed);
    }
    EXPECT_FALSE(ParseReport("not a report\r\n").Error.empty());
}

TEST(CheckReport, AcceptsTheCorrectReport) {
    EXPECT_EQ(Check(CorrectRows(), 3), std::vector<std::string>{});
}

// Each fault a comparison could make must be caught, by the check meant for it.
TEST(CheckReport, FlagsEveryKindOfWrongAnswer) {
    auto rows = CorrectRows();
    rows[1][4] = "等価";
    EXPECT_TRUE(Mentions(Check(rows, 4), "(d/a.dat): \"等価\" where \"相違: 内容が不一致\""))
        << "a changed file missed";

    rows = CorrectRows();
    rows[4][4] = "相違: 内容が不一致";
    EXPECT_TRUE(Mentions(Check(rows, 2), "(e.dat): \"相違: 内容が不一致\" where \"等価\""))
        << "an equal file reported as different";

    rows = CorrectRows();
    rows.erase(rows.begin() + 3);
    rows[3][5] = "3";
    auto problems = Check(rows, 3);
    EXPECT_TRUE(Mentions(problems, "d/c.dat: missing from the report")) << "a deleted file missed";
    EXPECT_TRUE(Mentions(problems, "5 rows where 6 were expected"));

    rows = CorrectRows();
    rows[2] = {"b.dat", "d/", "", "", "比較先無し", "2", ""};
    rows.insert(rows.begin() + 3, TRow{"", "", "B.DAT", "d/", "比較元無し", "", "2"});
    EXPECT_TRUE(Mentions(Check(rows, 2), "(d/b.dat): \"比較先無し\" where a pair was expected"))
        << "names differing in letter case not paired";

    rows = CorrectRows();
    std::swap(rows[4][5], rows[3][5]);
    EXPECT_TRUE(Mentions(Check(rows, 3), "row 3: source number \"4\" where 3"))
        << "entry numbers out of order";

    rows = CorrectRows();
    rows[4][2] = "f.dat";
    EXPECT_TRUE(Mentions(Check(rows, 3), "row 4: pairs A e.dat with B f.dat"));

    EXPECT_TRUE(
        Mentions(Check(CorrectRows(), 2), "summary counts 6/2/4 where the rows give 6/3/3"));

    std::string text = ReportText(CorrectRows(), 3);
    text.erase(text.find("\r\n正常"));
    EXPECT_TRUE(Mentions(CheckReport(ParseReport(text), SmallManifest()), "completion line"))
        << "a report cut short";
}

TEST(DiffList, ParsesAndChecksDiffOutput) {
    const std::string output =
        "Files A/d/a.dat and B/d/a.dat differ\n"
        "Only in A/d: b.dat\n"
        "Only in B/d: B.DAT\n"
        "Only in A/d: c.dat\n"
        "Only in B: new.dat\n";
    TDiffList list = ParseDiffOutput(output, "A", "B");
    EXPECT_EQ(list.Differ, std::set<std::string>{"d/a.dat"});
    EXPECT_EQ(list.OnlyA, (std::set<std::string>{"d/b.dat", "d/c.dat"}));
    EXPECT_EQ(list.OnlyB, (std::set<std::string>{"d/B.DAT", "new.dat"}));
    EXPECT_TRUE(list.Unknown.empty());
    EXPECT_EQ(CheckDiffList(list, SmallManifest()), std::vector<std::string>{});

    // One difference missed, one invented, one line of another form.
    list = ParseDiffOutput(
        "Files A/e.dat and B/e.dat differ\n"
        "Only in A/d: b.dat\nOnly in B/d: B.DAT\nOnly in A/d: c.dat\nOnly in B: new.dat\n"
        "diff: A/x: Permission denied\n",
        "A", "B");
    EXPECT_EQ(list.Unknown.size(), 1u);
    EXPECT_EQ(CheckDiffList(list, SmallManifest()).size(), 3u);
}

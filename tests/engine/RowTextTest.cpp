// Row text: the line rule, attribute text, dates, column names and appendix fields.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "RowText.h"
#include "TReportWriter.h"
#include "TempTree.h"

namespace {

// Runs with a fixed local time zone (nine hours east of UTC, no summer time).
class WithTimeZone : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TZ");
        Saved = old ? old : "";
        HadZone = old != nullptr;
        setenv("TZ", "JST-9", 1);
        tzset();
    }
    void TearDown() override {
        if (HadZone) {
            setenv("TZ", Saved.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    std::string Saved;
    bool HadZone = false;
};

}  // namespace

TEST(RowLine, QuotesOnlyFieldsThatNeedIt) {
    EXPECT_EQ(RowLine({"a", "b c", "tab\there", "say \"hi\"", "x,y", "", "日本語"}, ',', '"'),
              "a,\"b c\",\"tab\there\",\"say \"\"hi\"\"\",\"x,y\",,日本語");
    EXPECT_EQ(RowLine({""}, ',', '"'), "\"\"");
    EXPECT_EQ(RowLine({"", ""}, ',', '"'), ",");
    EXPECT_EQ(RowLine({}, ',', '"'), "");
    // With a space delimiter a reason text (it ends in a space) is quoted, a
    // comma is not special.
    EXPECT_EQ(RowLine({"相違: サイズ ", "a,b"}, ' ', '"'), "\"相違: サイズ \" a,b");
    EXPECT_EQ(RowLine({"a\tb", "c"}, '\t', '"'), "\"a\tb\"\tc");
    EXPECT_EQ(RowLine({"new\nline", "\x01"}, ',', '"'), "\"new\nline\",\"\x01\"");
    // Multibyte characters never count as a delimiter, quote or space.
    EXPECT_EQ(RowLine({"表示", "ソフト"}, ',', '"'), "表示,ソフト");

    std::string line;
    AppendRowField(line, "plain", ',', '"');
    line += ',';
    AppendRowField(line, "two words", ',', '"');
    EXPECT_EQ(line, "plain,\"two words\"");
}

TEST(RowText, AttributeTextAndTrailingDelimiter) {
    EXPECT_EQ(AttributeText(Attr::ReadOnly | Attr::Archive), "-R--A");
    EXPECT_EQ(AttributeText(Attr::Directory), "D----");
    EXPECT_EQ(AttributeText(0x37 | Attr::SymLink), "DRHSA");
    EXPECT_EQ(AttributeText(0), "-----");
    EXPECT_EQ(IncludeTrailingDelimiter("/data"), "/data/");
    EXPECT_EQ(IncludeTrailingDelimiter("/data/"), "/data/");
    EXPECT_EQ(IncludeTrailingDelimiter("/"), "/");
}

TEST_F(WithTimeZone, DatesInLocalTime) {
    TDateTime zero = FileTimeToDateTime(0);
    EXPECT_EQ(FormatDateTime(zero, TDateFormat::LongDateTime), "1899/12/30 00:00:00");
    // 2020-09-13 12:26:40 UTC is 21:26:40 nine hours east.
    const uint64_t fileTime = (1600000000ull + 11644473600ull) * 10000000ull + 9999999ull;
    TDateTime local = FileTimeToDateTime(fileTime);
    EXPECT_EQ(FormatDateTime(local, TDateFormat::LongDateTime), "2020/09/13 21:26:40");
    EXPECT_EQ(FormatDateTime(local, TDateFormat::LongDate), "2020/09/13");
    EXPECT_EQ(FormatDateTime(local, TDateFormat::ShortDateTime), "20/09/13 21:26:40");
    EXPECT_EQ(FormatDateTime(local, TDateFormat::ShortDate), "20/09/13");
    EXPECT_EQ(TimeToDateTime(1600000000), local);
    // Times outside the old DOS range print as ordinary dates.
    EXPECT_EQ(FormatDateTime(TimeToDateTime(-86400 * 365), TDateFormat::LongDateTime),
              "1969/01/01 09:00:00");
    EXPECT_EQ(FormatDateTime(TimeToDateTime(4200000000), TDateFormat::LongDate), "2103/02/04");
}

TEST(RowText, HeaderTexts) {
    const std::string header = RowLine(ReportColumnNames(false), ',', '"');
    EXPECT_EQ(header,
              "比較元ファイル,フォルダ,比較先ファイル,フォルダ,比較結果,比較元番号,比較先番号");
    std::string all = RowLine(ReportColumnNames(true), ',', '"');
    EXPECT_EQ(std::count(all.begin(), all.end(), ','), 18);
    EXPECT_EQ(all.substr(header.size()),
              ",(比較元)サイズ,(比較元)属性,(比較元)更新日時,(比較元)作成日時,(比較元)アクセス日,"
              "(比較元)パス,(比較先)サイズ,(比較先)属性,(比較先)更新日時,(比較先)作成日時,"
              "(比較先)アクセス日,(比較先)パス");
}

TEST_F(WithTimeZone, AppendixFieldsOfARow) {
    TTempTree m, s;
    m.File("big.bin", "", 1600000000);
    ASSERT_EQ(truncate(m.Path("big.bin").c_str(), 3LL << 30), 0);
    m.SetTime("big.bin", 1600000001);
    m.Folder("dir");
    s.Folder("dir");
    TCompare engine(nullptr);
    ASSERT_EQ(RunCompare(engine, m.Path(), s.Path()), 0);
    ASSERT_EQ(engine.GetRowCount(), 2);

    std::vector<std::string> big = engine.GetRow(0)->Strings();
    AddAppendix(big, engine.GetRowEntryM(0), engine.GetRowEntryS(0));
    ASSERT_EQ(big.size(), 19u);
    EXPECT_EQ(big[7], "3221225472");
    EXPECT_EQ(big[8], "-----");
    EXPECT_EQ(big[9], "2020/09/13 21:26:40");
    EXPECT_EQ(big[12], m.Path("big.bin"));
    for (int i = 13; i < 19; ++i)
        EXPECT_EQ(big[size_t(i)], "");
    EXPECT_EQ(RowLine(big, ',', '"').rfind("big.bin,/,,,比較先無し,0,,3221225472,-----,", 0), 0u);

    std::vector<std::string> dir;
    AddAppendix(dir, engine.GetRowEntryM(1), nullptr);
    EXPECT_EQ(dir[0], "0");
    EXPECT_EQ(dir[1], "D----");
    // The creation time is the birth time where the file system keeps one,
    // otherwise the zero date-time.
    uint64_t birth = engine.GetRowEntryM(1)->FindData.CreationTime;
    EXPECT_EQ(dir[3] == "1899/12/30 00:00:00", birth == 0);
    EXPECT_EQ(dir[4].size(), 10u);
}

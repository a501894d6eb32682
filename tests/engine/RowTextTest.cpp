// Row text: the line rule, attribute text, dates, column names and appendix fields.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <tuple>

#include "RowText.h"
#include "TReportWriter.h"
#include "TempTree.h"
#include "platform/LocalTime.h"

namespace {

// Runs with a fixed local time zone (nine hours east of UTC, no summer time).
class WithTimeZone : public ::testing::Test {
protected:
    TTimeZone Zone{"JST-9"};
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
    // An entry's Time is the local reading itself: no zone is applied again.
    EXPECT_EQ(TimeToDateTime(1600000000 + 9 * 3600), local);
    // Times outside the old DOS range print as ordinary dates.
    EXPECT_EQ(FormatDateTime(TimeToDateTime(-86400 * 365), TDateFormat::LongDateTime),
              "1969/01/01 00:00:00");
    EXPECT_EQ(FormatDateTime(TimeToDateTime(4200000000), TDateFormat::LongDate), "2103/02/04");
}

// The local reading of every moment around a change of offset (odd seconds
// to even and back) is what the C library reads for that moment, though the
// clock remembers offsets per span.
TEST(LocalTime, ReadingsAcrossOffsetChanges) {
    struct {
        std::string Zone;
        int64_t Change;  // a moment the offset changes
    } zones[] = {
        {"ODD-0:00:01EVN-0:00:02,J100/12,J200/12", 1618055999},  // 2021-04-10, +1 s to +2 s
        {"Europe/Paris", -1855958961},  // 1911-03-11 00:00 local, +0:09:21 to 0
    };
    for (const auto& z : zones) {
        if (z.Zone[0] != 'O' && access(("/usr/share/zoneinfo/" + z.Zone).c_str(), R_OK) != 0)
            continue;
        TTimeZone zone(z.Zone);
        ASSERT_NE(platform::LocalOffset(z.Change - 1) % 2, platform::LocalOffset(z.Change) % 2)
            << z.Zone;
        platform::TLocalClock clock;
        for (int64_t t = z.Change - 3 * 3600; t <= z.Change + 3 * 3600; ++t) {
            platform::TCalendarTime expected, read;
            ASSERT_TRUE(platform::ToLocalTime(t, expected));
            ASSERT_TRUE(platform::ReadingToCalendar(clock.Reading(t), read));
            ASSERT_EQ(
                std::tie(read.Year, read.Month, read.Day, read.Hour, read.Minute, read.Second),
                std::tie(expected.Year, expected.Month, expected.Day, expected.Hour,
                         expected.Minute, expected.Second))
                << z.Zone << " " << t;
        }
    }
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

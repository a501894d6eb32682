// The command line of TandrilB: usage text, messages, result codes and exit
// statuses, run as a real process; the settings themselves through
// ParseCommandLine.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "BatchResult.h"
#include "BatchTestSupport.h"
#include "TBatchControl.h"

namespace {

const char* const kUsageLines[] = {
    "                                  Copyright (C) Tandril Project",
    "                                      URL : https://tandril.example.org/",
    " ",
    "フォルダ比較ユーティリティ「Tandril」は、２つのフォルダ間でファイルの",
    "存在チェックや内容の比較を行うフリーソフトウェアです.",
    "",
    "TandrilB [/file] [/fromdir] [/todir] [/format] [/[no]Header] [/[no]Comment] "
    "[/[no]Appendix]",
    " ",
    "  /file     [ファイル名]      比較結果の出力ファイル名",
    "  /fromdir  [比較元フォルダ]  比較元フォルダのパス",
    "  /todir    [比較先フォルダ]  比較先フォルダのパス",
    "  /format   [出力形式] (*)    出力ファイルのフォーマット",
    "                               csv = カンマ区切り(CSV)",
    "                               tsv = Tab区切り",
    "                               txt = スペース区切り",
    "  /[no]Header          (*)    ヘッダー文字列(項目名)の出力",
    "                              [no] を付けると出力しません",
    "  /[no]Comment         (*)    文言の出力(件数等)",
    "                              [no] を付けると出力しません",
    "  /[no]Appendix        (*)    詳細な情報の出力",
    "                              [no] を付けると出力しません",
    " ",
    "(*) デフォルトは /format csv /Header /Comment /noAppendix です",
    "   /noHeader と /noComment を同時に指定すると、比較結果の明細だけ出力されます",
    " ",
    "例) TandrilB /file /tmp/compare.log /fromdir /home/hoge /todir /mnt/hoe",
    "     比較元: /home/hoge  比較先: /mnt/hoe  エクスポートファイル=/tmp/compare.log",
    " ",
    "  /encoding [文字コード]       出力ファイルの文字コード (デフォルトは sjis)",
    "                               sjis = Shift_JIS (CP932)",
    "                               utf8 = UTF-8",
    "  /file -                      比較結果を標準出力に出力します",
    "                               (件数とメッセージは標準エラー出力へ)",
    "  /file に FIFO やパイプを指定すると、読み手が開くのを待って出力します",
    " ",
    "比較の項目 ([no] を付けると比較しません):",
    "  /[no]Size                    サイズ (デフォルトは比較する)",
    "  /[no]Time                    更新日時 (デフォルトは比較する)",
    "  /[no]Attributes              属性 (デフォルトは比較する)",
    "  /[no]ReadOnly                読み取り専用属性 (デフォルトは比較しない)",
    "  /[no]Hidden                  隠し属性 (デフォルトは比較する)",
    "  /[no]System                  システム属性 (デフォルトは比較する)",
    "  /[no]Archive                 アーカイブ属性 (デフォルトは比較しない)",
    "  /[no]FolderTimes             フォルダどうしのサイズと更新日時 (デフォルトは比較しない)",
    "  /[no]Contents                ファイルの内容 (デフォルトは比較する)",
    "  /[no]IgnoreLineEnds          改行コードと行末の空白の違いを無視 (デフォルトは無視しない)",
    "                               行が一致するテキストファイルは 等価 (改行・空白) になります",
    " ",
    "除外 (比較元と比較先の両方で、パターンに合う項目は比較も出力もしません):",
    "  /exclude [パターン]          除外するパターン (何度でも指定できます)",
    "  /excludefrom [ファイル名]    除外するパターンを 1 行に 1 つ書いたファイル",
    "                               (空行と # で始まる行は読み飛ばします)",
    "    / を含まないパターンはどの階層の名前にも、/ を含むパターンは比較する",
    "    フォルダからのパスに合います (先頭の / は最上位だけ)。末尾が / なら",
    "    フォルダだけに合います。* ? [...] が使え、** は何階層にも合います。",
    "    大文字と小文字は区別しません。! で始まるパターン (除外の取り消し) は",
    "    使えません。除外したフォルダの中は読みません",
    "    例) /exclude node_modules/ /exclude \"*.o\" /exclude /build/",
    " ",
    "判定の追加 (指定したときだけ働きます):",
    "  /moved                       移動したファイルを検出します: 片方にだけある",
    "                               ファイルのうち、同じ内容のものが相手側の片方に",
    "                               だけあるファイルにちょうど 1 つあれば 1 行にまとめ",
    "                               \"相違: 移動 \" とします (空のファイルは除きます)",
    "  /movedmin [バイト数]         移動を検出するファイルの最小サイズ (デフォルトは 1)",
    "  /timeshift [時間]            更新日時がちょうど 1 から [時間] 時間ずれていれば",
    "                               同じとみなします (1-24)",
    "  /timetolerance [秒]          更新日時の差が [秒] 以内なら同じとみなします",
    "                               (0-3600、/timeshift と併用できます)",
    "  /casesensitive               名前の大文字と小文字を区別します (除外パターンも)",
    " ",
    "  /diffstatus                  終了コードで相違の有無を返します (下記)",
    "  /version                     バージョンを表示します",
    "  /fromdir と /todir には ssh://[ユーザー@]ホスト[:ポート]/パス も指定できます:",
    "    ssh で相手のマシンの TandrilB を起動し、ダイジェストだけを受け取って比較します",
    "    (環境変数 TANDRIL_SSH = ssh コマンド, TANDRIL_REMOTE_PROGRAM = 相手のプログラム)",
    " ",
    "スナップショット (フォルダの状態を mtree 形式のファイルに保存します):",
    "  /snapshot [ファイル名]       /fromdir のフォルダのスナップショットを保存します",
    "                               (- は標準出力。/exclude も使えます)",
    "  /digest [種類]               内容のダイジェスト (デフォルトは sha256)",
    "                               sha256 = SHA-256 (mtree や bsdtar でも読めます)",
    "                               xxh128 = XXH3-128 (速いが Tandril だけが読めます)",
    "  /fromdir と /todir にはスナップショットのファイルも指定できます",
    "    例) TandrilB /snapshot /tmp/before.mtree /fromdir /srv/data",
    "        TandrilB /file /tmp/diff.csv /fromdir /tmp/before.mtree /todir /srv/data",
    " ",
    "終了コード:",
    "    0  正常に処理が完了しました / --help または -h で使い方を表示しました",
    "    1  使い方を表示しました / 出力ファイルのオープンに失敗しました",
    "    2  比較元または比較先のパスが不正か、フォルダを読めません",
    "    3  比較処理が中断されました",
    "    4  出力ファイルの書き込みに失敗しました (パイプの読み手の終了を含む)",
    "  255  出力ファイルが指定されていません / 比較処理中にエラーが発生しました",
    "  254  比較元のパスが指定されていません",
    "  253  比較先のパスが指定されていません",
    "  252  書式が不正です",
    "  251  文字コードが不正です",
    "  250  除外パターンが指定されていません",
    "  249  除外パターンのファイルが指定されていません",
    "  248  除外パターンが不正です",
    "  247  ! で始まる除外パターン (除外の取り消し) には対応していません",
    "  246  除外パターンのファイルを読み込めません",
    "  245  移動の検出の最小サイズが不正です",
    "  244  時差の指定が不正です",
    "  243  更新日時の許容差が不正です",
    "  242  スナップショットのファイルが指定されていません",
    "  241  ダイジェストの種類が不正です",
    "   13  スナップショットを読み込めません (ファイルと行をメッセージで示します)",
    "   21  ssh を起動できないか ssh が失敗しました",
    "   22  ホストに接続できません",
    "   23  ホスト鍵を確認できません",
    "   24  相手のマシンにプログラムがありません",
    "   25  相手のプログラムのバージョンが違います",
    "   26  接続が途中で切れました",
    "   27  相手から不正なデータを受信しました",
    " ",
    "/diffstatus を指定したときの終了コード:",
    "    0  相違はありませんでした",
    "    1  相違が見つかりました",
    "    5  使い方を表示しました",
    "    6  出力ファイルのオープンに失敗しました",
    "       その他の失敗は上記と同じ (2 以上) です",
};

std::string ExpectedUsage() {
    std::string text;
    for (const char* line : kUsageLines)
        text += std::string(line) + "\r\n";
    return text + "\n";
}

const std::string kNoFile = "出力ファイルが指定されていません \"/file [ファイル名]\"\n";
const std::string kNoFromDir = "比較元のパスが指定されていません \"/fromdir [比較元のパス]\"\n";
const std::string kNoToDir = "比較先のパスが指定されていません \"/todir [比較先のパス]\"\n";
const std::string kBadFormat = "書式が不正です \"/format [csv,tsv,txt]\"\n";
const std::string kBadEncoding = "文字コードが不正です \"/encoding [sjis,utf8]\"\n";
const std::string kBadMovedMin = "移動の検出の最小サイズが不正です \"/movedmin [バイト数]\"\n";
const std::string kBadTimeShift = "時差の指定が不正です \"/timeshift [1-24]\"\n";
const std::string kBadTolerance = "更新日時の許容差が不正です \"/timetolerance [0-3600]\"\n";
const std::string kBadPathM = "比較元のパスが不正です\n";
const std::string kBadPathS = "比較先のパスが不正です\n";

class CommandLine : public ::testing::Test {
protected:
    CommandLine() {
        MakeFolder(dir / "a");
        MakeFolder(dir / "b");
        MakeFile(dir / "f.txt", "not a folder");
    }
    TempDir dir;
};

TEST_F(CommandLine, NoArgumentsPrintsUsageWithStatus1) {
    RunResult run = RunTandrilB({});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, ExpectedUsage());
    EXPECT_EQ(run.Err, "");
}

TEST_F(CommandLine, HelpWordStopsReadingWhereverItStands) {
    std::string report = dir / "r.csv";
    // Help asked for as GNU programs take it ("--help", "-h") is a success.
    std::vector<std::pair<std::vector<std::string>, int>> lines = {
        {{"/?"}, 1},
        {{"/help"}, 1},
        {{"-help"}, 1},
        {{"-?"}, 1},
        {{"--help"}, 0},
        {{"--HELP"}, 0},
        {{"-h"}, 0},
        {{"/file", report, "/fromdir", dir / "a", "/todir", dir / "b", "/?"}, 1},
        {{"/?", "/file", report, "/fromdir", dir / "a", "/todir", dir / "b"}, 1},
        {{"/file", report, "/fromdir", dir / "a", "/todir", dir / "b", "-h", "/diffstatus"}, 0},
        {{"/format", "xml", "/Help", "/file"}, 1},
    };
    for (const auto& [arguments, status] : lines) {
        SCOPED_TRACE(arguments.front());
        RunResult run = RunTandrilB(arguments);
        EXPECT_EQ(run.Status, status);
        EXPECT_EQ(run.Out, ExpectedUsage());
    }
    EXPECT_FALSE(Exists(report));
}

TEST_F(CommandLine, MissingSettingsAreReportedInTheirOrder) {
    std::string a = dir / "a", b = dir / "b", r = dir / "r.csv";
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string out;
    } cases[] = {
        {{"/silent"}, 255, kNoFile},
        {{"stray", "/Header"}, 255, kNoFile},
        {{"/format", "xml", "/encoding", "latin1"}, 255, kNoFile},
        {{"/file", r}, 254, kNoFromDir},
        {{"/file", r, "/todir", b, "/fromdir"}, 254, kNoFromDir},
        {{"/file", r, "/fromdir", a}, 253, kNoToDir},
        {{"/file", r, "/fromdir", a, "/todir", b, "/format", "xml"}, 252, kBadFormat},
        {{"/file", r, "/fromdir", a, "/todir", b, "/format", "xml", "/encoding", "x"},
         252,
         kBadFormat},
        {{"/file", r, "/fromdir", a, "/todir", b, "/encoding", "utf-16"}, 251, kBadEncoding},
        {{"/file", r, "/fromdir", a, "/todir", b, "/movedmin", "0"}, 245, kBadMovedMin},
        {{"/file", r, "/fromdir", a, "/todir", b, "/movedmin", "1k"}, 245, kBadMovedMin},
        {{"/file", r, "/fromdir", a, "/todir", b, "/timeshift", "0"}, 244, kBadTimeShift},
        {{"/file", r, "/fromdir", a, "/todir", b, "/timeshift", "25"}, 244, kBadTimeShift},
        {{"/file", r, "/fromdir", a, "/todir", b, "/timeshift"}, 244, kBadTimeShift},
        {{"/file", r, "/fromdir", a, "/todir", b, "/timetolerance", "-1"}, 243, kBadTolerance},
        {{"/file", r, "/fromdir", a, "/todir", b, "/timetolerance", "3601"}, 243, kBadTolerance},
        {{"/timeshift", "x", "/file", r, "/fromdir", dir / "none", "/todir", b},
         244,
         kBadTimeShift},
        {{"/file", r, "/fromdir", dir / "none", "/todir", dir / "none"}, 2, kBadPathM},
        {{"/file", r, "/fromdir", a, "/todir", dir / "none"}, 2, kBadPathS},
        {{"/file", r, "/fromdir", "/dev/null", "/todir", b}, 2, kBadPathM},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        RunResult run = RunTandrilB(c.arguments);
        EXPECT_EQ(run.Status, c.status);
        EXPECT_EQ(run.Out, c.out);
        EXPECT_EQ(run.Err, "");
    }
    EXPECT_FALSE(Exists(r));
}

TEST_F(CommandLine, FailedCheckLeavesAnExistingReportUntouched) {
    std::string report = dir / "r.csv";
    MakeFile(report, "earlier report\r\n");
    RunResult run =
        RunTandrilB({"/file", report, "/fromdir", dir / "missing", "/todir", dir / "b"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Out, kBadPathM);
    EXPECT_EQ(ReadFile(report), "earlier report\r\n");
}

TEST_F(CommandLine, FormatAndEncodingValuesIgnoreLetterCase) {
    for (std::string format : {"CSV", "Txt", "tSv"}) {
        for (std::string encoding : {"SJIS", "Utf8"}) {
            TBatchControl control;
            EXPECT_EQ(
                control.ParseCommandLine({"TandrilB", "/file", "r", "/fromdir", dir / "a", "/todir",
                                          dir / "b", "/format", format, "/encoding", encoding}),
                0);
        }
    }
}

TEST_F(CommandLine, VersionIsPrintedWithStatus0) {
    for (std::vector<std::string> arguments :
         {std::vector<std::string>{"--version"}, {"/VERSION"}, {"/file", "r", "-version", "/?"}}) {
        SCOPED_TRACE(arguments.front());
        RunResult run = RunTandrilB(arguments);
        EXPECT_EQ(run.Status, 0);
        EXPECT_EQ(run.Out, "TandrilB 1.1.2.0\n");
    }
    // Any other word beginning with "-" is still a value.
    EXPECT_EQ(RunTandrilB({"/file", "-v", "/fromdir", dir / "a"}).Status, 253);
}

TEST_F(CommandLine, DiffStatusTellsWhetherTheTreesDiffer) {
    // Same size and time, other bytes: only the contents tell them apart.
    MakeFile(dir / "m/same.txt", "same");
    MakeFile(dir / "s/same.txt", "same");
    MakeFile(dir / "m/bytes.txt", "left");
    MakeFile(dir / "s/bytes.txt", "rght");
    // Trees that differ only in line ends and trailing blanks.
    MakeFile(dir / "em/crlf.txt", "one\r\ntwo  \r\n");
    MakeFile(dir / "es/crlf.txt", "one\ntwo\n");
    const std::string r = dir / "r.csv", m = dir / "m", s = dir / "s", a = dir / "a";
    const std::string em = dir / "em", es = dir / "es";
    struct Case {
        std::vector<std::string> arguments;
        int status;
    } cases[] = {
        {{"/file", r, "/fromdir", m, "/todir", s}, 0},
        {{"/file", r, "/fromdir", m, "/todir", s, "/diffstatus"}, 1},
        {{"/file", r, "/fromdir", a, "/todir", a, "--DiffStatus"}, 0},
        {{"/file", r, "/fromdir", m, "/todir", s, "/diffstatus", "/noContents"}, 0},
        {{"/file", r, "/fromdir", m, "/todir", s, "/noContents", "/Contents", "/diffstatus"}, 1},
        {{"/file", r, "/fromdir", em, "/todir", es, "/diffstatus"}, 1},
        {{"/file", r, "/fromdir", em, "/todir", es, "/diffstatus", "/IgnoreLineEnds"}, 0},
        {{"/file", r, "/fromdir", m, "/todir", s, "/diffstatus", "/IgnoreLineEnds"}, 1},
        {{"/file", r, "/fromdir", em, "/todir", es, "/IgnoreLineEnds", "/noignorelineends",
          "/diffstatus"},
         1},
        // Failures that read 1 without the switch move; the others keep theirs.
        {{"/diffstatus", "/?"}, 5},
        {{"/diffstatus", "/file", dir / "none/r.csv", "/fromdir", m, "/todir", s}, 6},
        {{"/diffstatus", "/file", r, "/fromdir", dir / "none", "/todir", s}, 2},
        {{"/diffstatus", "/fromdir", m, "/todir", s}, 255},
        {{"/diffstatus", "/file", "/dev/full", "/fromdir", m, "/todir", s}, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        EXPECT_EQ(RunTandrilB(c.arguments).Status, c.status);
    }
}

TEST_F(CommandLine, ComparisonSwitchesReachTheEngine) {
    // Each pair differs in one respect only: the switch that turns that check
    // off makes it equal, and turning it on makes it differ.
    MakeFile(dir / "m/time.txt", "same", kFixedTime);
    MakeFile(dir / "s/time.txt", "same", kFixedTime + 60);
    MakeFile(dir / "m/bytes.txt", "left");
    MakeFile(dir / "s/bytes.txt", "rght");
    MakeFile(dir / "m/crlf.txt", "one\r\ntwo\r\n");
    MakeFile(dir / "m/blank.txt", "one \n");  // same size, other bytes
    MakeFile(dir / "s/blank.txt", "one\t\n");
    MakeFile(dir / "s/crlf.txt", "one\ntwo \n");
    MakeFolder(dir / "m/folder");
    MakeFolder(dir / "s/folder");
    SetTimes(dir / "m/folder", kFixedTime, kFixedTime);
    SetTimes(dir / "s/folder", kFixedTime, kFixedTime + 60);
    MakeFile(dir / "m/shifted.txt", "same", kFixedTime);
    MakeFile(dir / "s/shifted.txt", "same", kFixedTime + 3600);
    MakeFile(dir / "m/Case.txt", "same");
    MakeFile(dir / "s/case.txt", "same");
    MakeFile(dir / "m/from/moved.bin", "moved bytes");
    MakeFile(dir / "s/to/moved.bin", "moved bytes");
    // The result column of the row of `name` in a report made with `words`.
    const auto resultOf = [&](const std::vector<std::string>& words, const std::string& name) {
        std::vector<std::string> arguments{"/file",     dir / "r.csv", "/fromdir",   dir / "m",
                                           "/todir",    dir / "s",     "/noComment", "/noHeader",
                                           "/encoding", "utf8"};
        arguments.insert(arguments.end(), words.begin(), words.end());
        EXPECT_EQ(RunTandrilB(arguments).Status, 0);
        for (std::string line : SplitLines(ReadFile(dir / "r.csv"))) {
            if (!line.starts_with(name + ","))
                continue;
            for (int field = 0; field < 4; ++field)
                line.erase(0, line.find(',') + 1);
            return line.substr(0, line.find(','));
        }
        return std::string("(no row)");
    };
    const std::string timeDiffers = "\"相違: 更新日 \"";
    EXPECT_EQ(resultOf({}, "time.txt"), timeDiffers);
    EXPECT_EQ(resultOf({"/noTime"}, "time.txt"), "等価");
    EXPECT_EQ(resultOf({}, "bytes.txt"), "\"相違: 内容が不一致\"");
    EXPECT_EQ(resultOf({"-NOCONTENTS"}, "bytes.txt"), "等価");
    EXPECT_EQ(resultOf({}, "folder/"), "等価");
    EXPECT_EQ(resultOf({"/FolderTimes"}, "folder/"), timeDiffers);
    EXPECT_EQ(resultOf({"/FolderTimes", "/noTime"}, "folder/"), "等価");
    // The opt-in rule turns a row equal; the word itself sets it.
    EXPECT_EQ(resultOf({}, "crlf.txt"), "\"相違: サイズ \"");
    EXPECT_EQ(resultOf({"/IgnoreLineEnds"}, "crlf.txt"), "\"等価 (改行・空白)\"");
    EXPECT_EQ(resultOf({"/IgnoreLineEnds"}, "bytes.txt"), "\"相違: 内容が不一致\"");
    EXPECT_EQ(resultOf({}, "shifted.txt"), timeDiffers);
    EXPECT_EQ(resultOf({"/timeshift", "1"}, "shifted.txt"), "等価");
    EXPECT_EQ(resultOf({"/timeshift", "1"}, "time.txt"), timeDiffers);
    EXPECT_EQ(resultOf({"/timetolerance", "60"}, "time.txt"), "等価");
    EXPECT_EQ(resultOf({"/timetolerance", "58"}, "time.txt"), timeDiffers);
    EXPECT_EQ(resultOf({}, "Case.txt"), "等価");
    EXPECT_EQ(resultOf({"/CaseSensitive"}, "Case.txt"), "比較先無し");
    EXPECT_EQ(resultOf({}, "moved.bin"), "比較先無し");
    EXPECT_EQ(resultOf({"/moved"}, "moved.bin"), "\"相違: 移動 \"");
    EXPECT_EQ(resultOf({"/moved", "/movedmin", "12"}, "moved.bin"), "比較先無し");
    EXPECT_EQ(resultOf({"/movedmin", "11"}, "moved.bin"), "\"相違: 移動 \"");
    // A snapshot holds no bytes to confirm a match with.
    ASSERT_EQ(RunTandrilB({"/snapshot", dir / "s.mtree", "/fromdir", dir / "s"}).Status, 0);
    EXPECT_EQ(resultOf({"/moved", "/todir", dir / "s.mtree"}, "moved.bin"), "比較先無し");
    // Nor lines to read: the file at a snapshot's path is not the one it recorded.
    EXPECT_EQ(resultOf({"/IgnoreLineEnds"}, "blank.txt"), "\"等価 (改行・空白)\"");
    EXPECT_EQ(resultOf({"/IgnoreLineEnds", "/todir", dir / "s.mtree"}, "blank.txt"),
              "\"相違: 内容が不一致\"");
}

TEST_F(CommandLine, ExcludePatternsLeaveEntriesOutOfTheReport) {
    for (const std::string side : {"m", "s"}) {
        MakeFile(dir / (side + "/src/main.c"), "int main;");
        MakeFile(dir / (side + "/src/main.o"), side);
        MakeFile(dir / (side + "/node_modules/lib/index.js"), side);
        MakeFile(dir / (side + "/build/out"), side);
        MakeFile(dir / (side + "/docs/build/page"), "page");
    }
    MakeFile(dir / "list.txt",
             "\xEF\xBB\xBF# build output\r\n*.O\r\n\r\n   \r\nnode_modules/  \r\n/build/");
    // The source-side name and folder of every detail line.
    const auto rowsOf = [&](const std::vector<std::string>& words) {
        std::vector<std::string> arguments{"/file",  dir / "r.csv", "/fromdir",   dir / "m",
                                           "/todir", dir / "s",     "/noComment", "/noHeader"};
        arguments.insert(arguments.end(), words.begin(), words.end());
        EXPECT_EQ(RunTandrilB(arguments).Status, 0);
        std::string rows;
        for (const std::string& line : SplitLines(ReadFile(dir / "r.csv")))
            rows += line.substr(0, line.find(',', line.find(',') + 1)) + " ";
        return rows;
    };
    const std::string all =
        "build/,/ out,build/ docs/,/ build/,docs/ page,docs/build/ node_modules/,/ "
        "lib/,node_modules/ index.js,node_modules/lib/ src/,/ main.c,src/ main.o,src/ ";
    const struct {
        std::vector<std::string> words;
        std::string rows;
    } cases[] = {
        {{}, all},
        {{"/exclude", "node_modules/", "/exclude", "*.o"},
         "build/,/ out,build/ docs/,/ build/,docs/ page,docs/build/ src/,/ main.c,src/ "},
        // The next argument is the pattern even when it begins with "/".
        {{"-EXCLUDE", "/build", "/exclude", "src/*.o"},
         "docs/,/ build/,docs/ page,docs/build/ node_modules/,/ lib/,node_modules/ "
         "index.js,node_modules/lib/ src/,/ main.c,src/ "},
        {{"/exclude", "**/build/**"},
         "build/,/ docs/,/ build/,docs/ node_modules/,/ lib/,node_modules/ "
         "index.js,node_modules/lib/ src/,/ main.c,src/ main.o,src/ "},
        {{"/excludefrom", dir / "list.txt"},
         "docs/,/ build/,docs/ page,docs/build/ src/,/ main.c,src/ "},
        // Patterns that match nothing leave the report as it was.
        {{"/exclude", "none", "/exclude", "main.c/"}, all},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        EXPECT_EQ(rowsOf(c.words), c.rows);
    }
}

TEST_F(CommandLine, BadExcludeArgumentsLeaveAnExistingReportUntouched) {
    const std::string r = dir / "r.csv", a = dir / "a", b = dir / "b";
    MakeFile(dir / "bad.txt", "# list\n*.o\nsrc/[ab\n");
    MakeFile(dir / "keep.txt", "*.o\r\n!keep.o\r\n");
    MakeFile(dir / "locked.txt", "*.o\n");
    ASSERT_EQ(chmod((dir / "locked.txt").c_str(), 0), 0);
    const std::string unclosed = "「[」に対応する「]」がありません";
    const std::string negation = "「!」で始まる除外パターン (除外の取り消し) には対応していません ";
    const std::string unreadable = "除外パターンのファイルを読み込めません \"/excludefrom ";
    const struct {
        std::vector<std::string> words;
        int status;
        std::string out;
        bool asNobody = false;
    } cases[] = {
        {{"/exclude"}, 250, "除外パターンが指定されていません \"/exclude [パターン]\"\n"},
        {{"/exclude", " "}, 250, "除外パターンが指定されていません \"/exclude [パターン]\"\n"},
        {{"/excludefrom"},
         249,
         "除外パターンのファイルが指定されていません \"/excludefrom [ファイル名]\"\n"},
        {{"/exclude", "*.o", "/exclude", "[ab"},
         248,
         "除外パターンが不正です \"/exclude [ab\": " + unclosed + "\n"},
        {{"/excludefrom", dir / "bad.txt"},
         248,
         "除外パターンが不正です \"/excludefrom " + dir / "bad.txt" +
             "\" 3 行目 \"src/[ab\": " + unclosed + "\n"},
        {{"/exclude", "!keep.o"}, 247, negation + "\"/exclude !keep.o\"\n"},
        {{"/diffstatus", "/excludefrom", dir / "keep.txt"},
         247,
         negation + "\"/excludefrom " + dir / "keep.txt" + "\" 2 行目 \"!keep.o\"\n"},
        {{"/excludefrom", dir / "none.txt"},
         246,
         unreadable + dir / "none.txt" + "\": No such file or directory\n"},
        {{"/excludefrom", a}, 246, unreadable + a + "\": Is a directory\n"},
        {{"/excludefrom", dir / "locked.txt"},
         246,
         unreadable + dir / "locked.txt" + "\": Permission denied\n",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        MakeFile(r, "earlier report\r\n");
        std::vector<std::string> arguments{"/file", r, "/fromdir", a, "/todir", b};
        arguments.insert(arguments.end(), c.words.begin(), c.words.end());
        RunOptions options;
        options.AsNobody = c.asNobody && CanDropPrivileges();
        RunResult run = RunTandrilB(arguments, options);
        EXPECT_EQ(run.Status, c.status);
        EXPECT_EQ(run.Out, c.out);
        EXPECT_EQ(ReadFile(r), "earlier report\r\n");
    }
    // The settings that every run needs are checked first.
    EXPECT_EQ(RunTandrilB({"/file", r, "/exclude", "!x"}).Status, 254);
}

// The settings that a command line leaves, read without running anything.
class ParsedSettings : public CommandLine {
protected:
    int Parse(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "/usr/local/bin/TandrilB");
        return control.ParseCommandLine(arguments);
    }
    TBatchControl control;
};

TEST_F(ParsedSettings, OneValueFillsEveryPendingField) {
    // "/x" is none of the option words, so it is a value like any path.
    EXPECT_EQ(Parse({"/file", "/fromdir", "/x"}), -3);
    EXPECT_EQ(control.GetFileName(), "/x");
    EXPECT_EQ(control.GetFromDir(), "/x");
    EXPECT_EQ(control.GetMessage(), kNoToDir.substr(0, kNoToDir.size() - 1));
}

TEST_F(ParsedSettings, FlagWordsLeaveAPendingMarkInPlace) {
    Parse({"/file", "/noHeader", "/noComment", "/Appendix", "out.csv", "/fromdir", "/silent",
           dir / "a"});
    EXPECT_EQ(control.GetFileName(), "out.csv");
    EXPECT_EQ(control.GetFromDir(), dir / "a");
    EXPECT_FALSE(control.GetHeader());
    EXPECT_FALSE(control.GetComment());
    EXPECT_TRUE(control.GetAppendix());
}

TEST_F(ParsedSettings, LastOccurrenceWins) {
    Parse({"/file", "a.csv", "/noComment", "/Comment", "/Header", "/noHeader", "/Appendix",
           "/noAppendix", "/format", "tsv", "/file", "b.csv", "/format", "txt"});
    EXPECT_EQ(control.GetFileName(), "b.csv");
    EXPECT_EQ(control.GetFormat(), TBatchControl::TFormat::Txt);
    EXPECT_TRUE(control.GetComment());
    EXPECT_FALSE(control.GetHeader());
    EXPECT_FALSE(control.GetAppendix());
}

TEST_F(ParsedSettings, OptionWordsTakeAnyCaseAndDashes) {
    EXPECT_EQ(Parse({"--FILE", "r", "-FromDir", dir / "a", "/TODIR", dir / "b", "--NOHEADER",
                     "-nocomment", "/APPENDIX", "--Format", "tsv"}),
              0);
    EXPECT_EQ(control.GetFileName(), "r");
    EXPECT_EQ(control.GetToDir(), dir / "b");
    EXPECT_FALSE(control.GetHeader());
    EXPECT_FALSE(control.GetComment());
    EXPECT_TRUE(control.GetAppendix());
    EXPECT_EQ(control.GetFormat(), TBatchControl::TFormat::Tsv);
}

TEST_F(ParsedSettings, UnknownWordsAreValuesAndStrayValuesAreIgnored) {
    Parse({"stray", "/file", "-", "/fromdir", "--", "/todir", "/nofile", "/"});
    EXPECT_EQ(control.GetFileName(), "-");
    EXPECT_EQ(control.GetFromDir(), "--");
    EXPECT_EQ(control.GetToDir(), "/nofile");
}

TEST_F(ParsedSettings, ArgumentsAreTrimmed) {
    EXPECT_EQ(Parse({" \t/file ", "  out.csv\r\n", "\x01/fromdir", " " + dir / "a" + " ", "/todir ",
                     dir / "b", " /noheader"}),
              0);
    EXPECT_EQ(control.GetFileName(), "out.csv");
    EXPECT_EQ(control.GetFromDir(), dir / "a");
    EXPECT_FALSE(control.GetHeader());
}

TEST_F(ParsedSettings, EmptyValueClearsTheField) {
    EXPECT_EQ(Parse({"/file", "r", "/file", "", "/fromdir", dir / "a", "/todir", dir / "b"}), -1);
    EXPECT_EQ(control.GetFileName(), "");
}

TEST_F(ParsedSettings, ParsingStartsFromTheDefaults) {
    Parse({"/file", "r", "/noHeader", "/format", "tsv"});
    Parse({"/file", "r"});
    EXPECT_TRUE(control.GetHeader());
    EXPECT_TRUE(control.GetComment());
    EXPECT_FALSE(control.GetAppendix());
    EXPECT_EQ(control.GetFormat(), TBatchControl::TFormat::Csv);
    EXPECT_EQ(control.GetEncoding(), platform::TTextEncoding::Cp932);
}

TEST_F(ParsedSettings, ComparisonSwitchesSetTheirFlagBothWays) {
    // Defaults are the engine's; each word and its "no" form, in any case.
    const struct {
        std::string word;
        bool TCompareOption::*flag;
        bool byDefault;          // the flag's default: set means "not compared"
        bool setByWord = false;  // the word itself sets the flag, its "no" form clears it
    } switches[] = {
        {"Size", &TCompareOption::IgnoreSize, false},
        {"Time", &TCompareOption::IgnoreTime, false},
        {"Attributes", &TCompareOption::IgnoreAttr, false},
        {"ReadOnly", &TCompareOption::IgnoreAttrR, true},
        {"Hidden", &TCompareOption::IgnoreAttrH, false},
        {"System", &TCompareOption::IgnoreAttrS, false},
        {"Archive", &TCompareOption::IgnoreAttrA, true},
        {"FolderTimes", &TCompareOption::IgnoreDirTimeSize, true},
        {"Contents", &TCompareOption::SkipContents, false},
        {"IgnoreLineEnds", &TCompareOption::IgnoreLineEnds, false, true},
    };
    for (const auto& s : switches) {
        SCOPED_TRACE(s.word);
        Parse({"/file", "r"});
        EXPECT_EQ(control.GetOption().*s.flag, s.byDefault);
        Parse({"/file", "r", "/no" + s.word});
        EXPECT_EQ(control.GetOption().*s.flag, !s.setByWord);
        Parse({"/file", "r", "--NO" + s.word, "-" + s.word});
        EXPECT_EQ(control.GetOption().*s.flag, s.setByWord);
    }
    EXPECT_FALSE(control.GetDiffStatus());
    Parse({"/file", "r"});
    EXPECT_EQ(control.GetOption(), TCompareOption());
    EXPECT_EQ(Parse({"/file", "r", "/fromdir", dir / "a", "/todir", dir / "b", "/moved",
                     "/timeshift", "2", "/timetolerance", "0", "/casesensitive"}),
              0);
    EXPECT_EQ(control.GetOption(),
              (TCompareOption{
                  .DetectMoved = true, .TimeShift = 2, .TimeTolerance = 0, .CaseSensitive = true}));
    // A word that only looks like one is a value.
    EXPECT_EQ(Parse({"/file", "/noSizes"}), -2);
    EXPECT_EQ(control.GetFileName(), "/noSizes");
}

TEST_F(ParsedSettings, ExcludePatternsKeepTheirOrderAndTakeTheNextArgument) {
    MakeFile(dir / "list.txt", "b\\ \t\n#c\nd/**\n");
    EXPECT_EQ(Parse({"/exclude", "a", "/file", "r", "/excludefrom", dir / "list.txt", "/exclude",
                     "/fromdir", "/fromdir", dir / "a", "/todir", dir / "b", "/exclude", "/?"}),
              0);
    EXPECT_EQ(control.GetOption().Exclude,
              (std::vector<std::string>{"a", "b\\ ", "d/**", "/fromdir", "/?"}));
    EXPECT_EQ(control.GetFromDir(), dir / "a");
    Parse({"/file", "r"});
    EXPECT_TRUE(control.GetOption().Exclude.empty());
}

TEST_F(ParsedSettings, UsageNamesTheProgramByItsFileName) {
    EXPECT_EQ(Parse({}), 1);
    EXPECT_EQ(control.GetMessage() + "\n", ExpectedUsage());
}

// Results that share no value keep the exit statuses scripts read.
TEST(ExitStatus, ResultsKeepTheirStatuses) {
    using namespace BatchResult;
    const std::pair<int, int> statuses[] = {
        {Success, 0},
        {Usage, 1},
        {OpenFailed, 1},
        {Version, 0},
        {Help, 0},
        {WriteFailed, 4},
        {NoFileName, 255},
        {BadDigest, 241},
        {BadPath, 2},
        {CompareStatus::RuntimeFailure, 255},
        {CompareStatus::BadSnapshot, 13},
        {CompareStatus::RemoteDropped, CompareStatus::RemoteDropped},
        {CompareStatus::PairingStopped, 3},
    };
    for (auto [result, status] : statuses)
        EXPECT_EQ(ExitStatus(result), status) << result;
    EXPECT_NE(int(Usage), int(OpenFailed));
}

}  // namespace

// Hostile snapshots through the real TandrilB: each is refused with its file,
// line and reason and a status of its own, never a crash, a hang or a row
// that says equal, and an existing report is left as it was.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>

#include "BatchTestSupport.h"

namespace {

const std::string kSnapshotHeader = "#mtree\n#\t   tool: TandrilB 1.1.2.0\n. type=dir\n";
const std::string kEntry = "./a.txt type=file size=1 time=1700000000.0 sha256digest=";

std::string Repeat(const std::string& text, size_t count) {
    std::string out;
    out.reserve(text.size() * count);
    while (count-- > 0)
        out += text;
    return out;
}

}  // namespace

TEST(HostileSnapshot, RefusedWithFileLineAndReasonLeavingTheReport) {
    TempDir dir(FastTempBase());
    MakeFile(dir / "tree/a.txt", "a");
    const std::string sha(64, 'a');
    const struct {
        const char* Name;
        std::string Text;
        std::string Message;  // after "スナップショット <file> の "
    } cases[] = {
        {"empty", "", "1 行目: 空のファイルです"},
        {"cut off in a line", kSnapshotHeader + "./a.txt type=fi",
         "4 行目: 途中で切れています (最後の行が終わっていません)"},
        {"cut off after a line", kSnapshotHeader + kEntry + sha + "\n",
         "5 行目: 途中で切れています (項目数の行がありません)"},
        {"a line of 100 MB", kSnapshotHeader + "./" + std::string(100 << 20, 'x') + "\n",
         "4 行目: 行が長すぎます (1 MiB を超えています)"},
        {"binary",
         std::string("\x7f"
                     "ELF\x02\x01\x01\0\0\0",
                     10) +
             Repeat("\x90\0", 5000),
         "1 行目: NUL 文字があります (バイナリファイルです)"},
        {"digest too short", ". type=dir\n" + kEntry + "abc\n",
         "2 行目: ダイジェストの長さが不正です: sha256digest=abc"},
        {"digest not hex", ". type=dir\n" + kEntry + std::string(63, 'a') + "z\n",
         "2 行目: ダイジェストに 16 進数字以外の文字があります: sha256digest="},
        {"path with ..", ". type=dir\n./a/../../etc/passwd type=file\n",
         "2 行目: .. を含むパスは使えません"},
        {"absolute path", ". type=dir\n/etc/passwd type=file\n",
         "2 行目: 絶対パスは使えません: /etc/passwd"},
        {"duplicate", ". type=dir\n" + kEntry + sha + "\n" + kEntry + sha + "\n",
         "3 行目: パスが重複しています: ./a.txt"},
        {"size out of range", ". type=dir\n./a.txt type=file size=99999999999999999999\n",
         "2 行目: サイズが範囲外か不正です: size=99999999999999999999"},
        {"time out of range", ". type=dir\n./a.txt type=file time=-99999999999.0\n",
         "2 行目: 時刻が範囲外か不正です: time=-99999999999.0"},
    };
    const std::string report = dir / "r.csv";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string snapshot = dir / "bad.mtree";
        std::ofstream(snapshot, std::ios::binary) << c.Text;
        for (bool source : {true, false}) {
            MakeFile(report, "earlier report\r\n");
            RunOptions options;
            options.TimeoutSeconds = 60;
            RunResult run =
                RunTandrilB({"/file", report, "/fromdir", source ? snapshot : dir / "tree",
                             "/todir", source ? dir / "tree" : snapshot},
                            options);
            EXPECT_EQ(run.Status, 13);
            const std::string message = "スナップショット " + snapshot + " の " + c.Message;
            EXPECT_EQ(run.Out.substr(0, message.size()), message);
            EXPECT_EQ(ReadFile(report), "earlier report\r\n");
        }
    }

    // Neither a folder nor a regular file: the bad-path message, at once.
    MakeFile(report, "earlier report\r\n");
    mkfifo((dir / "fifo").c_str(), 0644);
    for (const std::string& path : {dir / "fifo", std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        RunOptions options;
        options.TimeoutSeconds = 60;
        RunResult run =
            RunTandrilB({"/file", report, "/fromdir", path, "/todir", dir / "tree"}, options);
        EXPECT_EQ(run.Status, 2);
        EXPECT_EQ(run.Out, "比較元のパスが不正です\n");
    }
    EXPECT_EQ(ReadFile(report), "earlier report\r\n");
}

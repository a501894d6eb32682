// A run over two trees of 100,000 files: every row reaches the report, once,
// in the engine's order. Its speed is measured by the benchmarks, not here.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "BatchTestSupport.h"

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 1000;

void WriteSmallFile(const std::string& path, const std::string& content) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path);
    bool ok = write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    struct timespec times[2] = {{kFixedTime, 0}, {kFixedTime, 0}};
    ok = futimens(fd, times) == 0 && ok;
    close(fd);
    if (!ok)
        throw std::runtime_error("cannot write " + path);
}

// Splits a CSV detail line written without quotes (no column here needs them).
std::vector<std::string> Columns(const std::string& line) {
    std::vector<std::string> columns;
    size_t begin = 0;
    for (;;) {
        size_t comma = line.find(',', begin);
        columns.push_back(line.substr(begin, comma - begin));
        if (comma == std::string::npos)
            return columns;
        begin = comma + 1;
    }
}

TEST(LargeTree, EveryRowHasOneDetailLineInOrder) {
    TempDir dir(FastTempBase());
    int missingInTarget = 0, differentContent = 0;
    for (int f = 0; f < kFolders; ++f) {
        char folder[16];
        std::snprintf(folder, sizeof folder, "/d%02d", f);
        std::string a = dir / "a" + folder, b = dir / "b" + folder;
        MakeFolder(a);
        MakeFolder(b);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            int n = f * kFilesPerFolder + i;
            char name[16];
            std::snprintf(name, sizeof name, "/f%04d.txt", i);
            std::string content = n % 997 == 0 ? "c" : "";
            WriteSmallFile(a + name, content);
            if (n % 1009 == 0) {
                ++missingInTarget;
                continue;
            }
            if (n % 997 == 0) {
                ++differentContent;
                content = "C";
            }
            WriteSmallFile(b + name, content);
        }
        WriteSmallFile(b + "/extra.txt", "only in the target");
    }

    RunResult run = RunTandrilB({"/file", dir / "r.csv", "/fromdir", dir / "a", "/todir", dir / "b",
                                 "/noComment", "/encoding", "utf8"});
    ASSERT_EQ(run.Status, 0) << run.Out;

    const int files = kFolders * kFilesPerFolder;
    const int rows = kFolders + files + kFolders;
    const int different = missingInTarget + differentContent + kFolders;
    EXPECT_EQ(run.Out, "処理が完了しました. 比較回数 : " + std::to_string(rows) +
                           " 件  等価 : " + std::to_string(rows - different) +
                           " 件  相違 : " + std::to_string(different) + " 件\r\n");

    std::vector<std::string> lines = SplitLines(ReadFile(dir / "r.csv"));
    ASSERT_EQ(lines.size(), static_cast<size_t>(rows) + 1);  // the column names first
    // Rows come in pairing order: each side's entry numbers run 0, 1, 2, ...
    // without a gap, whatever the other side holds.
    int nextM = 0, nextS = 0, equal = 0;
    for (size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string> columns = Columns(lines[i]);
        ASSERT_EQ(columns.size(), 7u) << lines[i];
        if (!columns[5].empty()) {
            ASSERT_EQ(columns[5], std::to_string(nextM++)) << lines[i];
        }
        if (!columns[6].empty()) {
            ASSERT_EQ(columns[6], std::to_string(nextS++)) << lines[i];
        }
        if (columns[4] == "等価")
            ++equal;
    }
    EXPECT_EQ(nextM, kFolders + files);
    EXPECT_EQ(nextS, kFolders + files - missingInTarget + kFolders);
    EXPECT_EQ(equal, rows - different);
}

// A snapshot of half a million entries is read as a stream: memory grows with its
// entries as a listing's does, within the goal of 64 MiB and 250 bytes an
// entry, and every pair compares by its digest.
TEST(LargeTree, SnapshotOfHalfAMillionEntriesStaysWithinTheMemoryGoal) {
    constexpr int Folders = 500, Files = 1000;
    TempDir dir(FastTempBase());
    const std::string snapshot = dir / "big.mtree";
    {
        std::ofstream out(snapshot, std::ios::binary);
        out << "#mtree\n. type=dir\n";
        const std::string digest =
            " type=file size=0 time=1700000000.0 sha256digest="
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855\n";
        char line[64];
        for (int f = 0; f < Folders; ++f) {
            std::snprintf(line, sizeof line, "./d%04d type=dir\n", f);
            out << line;
            for (int i = 0; i < Files; ++i) {
                std::snprintf(line, sizeof line, "./d%04d/f%04d", f, i);
                out << line << digest;
            }
        }
    }
    RunResult run = RunTandrilB({"/file", "/dev/null", "/fromdir", snapshot, "/todir", snapshot});
    ASSERT_EQ(run.Status, 0) << run.Out;
    const long entries = 2L * (Folders + Folders * Files);
    EXPECT_EQ(run.Out,
              "処理が完了しました. 比較回数 : 500500 件  等価 : 500500 件  相違 : 0 件\r\n");
    EXPECT_LE(run.PeakMemoryKiB, (64L << 10) + entries * 250 / 1024);
}

}  // namespace

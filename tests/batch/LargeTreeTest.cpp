// A run over two trees of 100,000 files: every row reaches the report, once,
// in the engine's order. Its speed is measured by the benchmarks, not here.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <linux/magic.h>

#include <gtest/gtest.h>

#include <cstdio>
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

// Making 200,000 files on a journalled disk costs minutes of metadata writes;
// in memory it takes a second. Most files are empty, so a file costs an
// inode but no page.
std::string FastTempBase() {
    struct statfs fs;
    if (statfs("/dev/shm", &fs) == 0 && fs.f_type == TMPFS_MAGIC && access("/dev/shm", W_OK) == 0)
        return "/dev/shm";
    return "";
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

}  // namespace

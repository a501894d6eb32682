// TandrilB writing its report under faults: a full disk and a file-size limit
// (ulimit -f). The run ends with the write failure reported and its own exit
// status, never with a report that passes for complete, and never killed by a
// signal.
#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "BatchTestSupport.h"

namespace {

const std::string kCountLine =
    "処理が完了しました. 比較回数 : 200 件  等価 : 200 件  相違 : 0 件\r\n";

std::string WriteFailure(const std::string& name) {
    return "ファイルの書き込みに失敗しました\r\nファイル " + name + " に書き込めません\n";
}

// Two equal trees of 200 files: a report of about 12 KiB.
class ReportFault : public ::testing::Test {
protected:
    ReportFault() {
        for (int i = 0; i < 200; ++i) {
            std::string name = "/file-with-a-long-name-" + std::to_string(i) + ".txt";
            MakeFile(dir / "a" + name, "x");
            MakeFile(dir / "b" + name, "x");
        }
    }
    RunResult Run(const std::string& report, const RunOptions& options = {}) {
        return RunTandrilB({"/file", report, "/fromdir", dir / "a", "/todir", dir / "b"}, options);
    }
    TempDir dir;
};

// A tmpfs of one page, mounted for one test when the system allows it.
class TinyDisk {
public:
    explicit TinyDisk(const std::string& folder) : folder_(folder) {
        MakeFolder(folder);
        mounted_ = mount("tandril-test", folder.c_str(), "tmpfs", 0, "size=4k,mode=0777") == 0;
    }
    ~TinyDisk() {
        if (mounted_)
            umount2(folder_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_ = false;
};

}  // namespace

TEST_F(ReportFault, FileSizeLimitIsAWriteFailureNotAKill) {
    RunOptions options;
    options.FileSizeLimit = 4096;
    RunResult run = Run(dir / "r.csv", options);
    EXPECT_EQ(run.Status, 4);
    EXPECT_EQ(run.Out, kCountLine + WriteFailure(dir / "r.csv"));
    EXPECT_EQ(run.Err, "");
    // What reached the file is a whole prefix up to the limit.
    EXPECT_EQ(ReadFile(dir / "r.csv").size(), 4096u);

    // Below the limit nothing changes.
    options.FileSizeLimit = 1 << 20;
    run = Run(dir / "r.csv", options);
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, kCountLine);
}

TEST_F(ReportFault, FullDiskIsAWriteFailure) {
    TinyDisk disk(dir / "disk");
    if (!disk.Mounted())
        GTEST_SKIP() << "no tmpfs can be mounted here; /dev/full is tested elsewhere";
    RunResult run = Run(dir / "disk/r.csv");
    EXPECT_EQ(run.Status, 4);
    EXPECT_EQ(run.Out, kCountLine + WriteFailure(dir / "disk/r.csv"));
    EXPECT_EQ(ReadFile(dir / "disk/r.csv").size(), 4096u);
}

#ifndef TANDRIL_SANITIZED
// The sanitizers reserve far more address space than any limit here allows.
TEST_F(ReportFault, MemoryLimitEndsTheRunWithItsMessage) {
    // 200 files with names of 200 bytes, and address space limits from too
    // little for the libraries to load up to enough for the whole run: the
    // run ends with every row, or with the failure's message and status 255,
    // never killed and never with a short report passing for complete.
    for (int i = 0; i < 200; ++i) {
        std::string name = "/" + std::string(190, 'n') + std::to_string(i);
        MakeFile(dir / "a" + name, "x");
        MakeFile(dir / "b" + name, "x");
    }
    int completed = 0, failed = 0;
    for (long long megabytes : {48, 56, 64, 72, 96, 128, 256}) {
        RunOptions options;
        options.MemoryLimit = megabytes << 20;
        RunResult run = Run(dir / "r.csv", options);
        if (run.Status == 127)
            continue;  // the libraries could not even be loaded
        if (run.Status == 0) {
            ++completed;
            EXPECT_EQ(run.Out, "処理が完了しました. 比較回数 : 400 件  等価 : 400 件  相違 : 0 件\r\n");
        } else {
            ++failed;
            EXPECT_EQ(run.Status, 255) << megabytes << " MiB: " << run.Out << run.Err;
            EXPECT_NE(run.Out.find("bad_alloc"), std::string::npos) << run.Out;
        }
    }
    EXPECT_GT(completed, 0);
}
#endif

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
    // never aborted and never with a short report passing for complete. Names
    // whose collation order is not their byte order show a run whose sides
    // were sorted differently.
    for (int i = 0; i < 200; ++i) {
        std::string name = "/" + std::string(190, 'n') + std::to_string(i);
        MakeFile(dir / "a" + name, "x");
        MakeFile(dir / "b" + name, "x");
    }
    for (const char* name : {"/\xc3\xa9t\xc3\xa9", "/f", "/Z", "/\xef\xbd\xb6"}) {
        MakeFile(dir / "a" + name, "x");
        MakeFile(dir / "b" + name, "x");
    }
    ASSERT_EQ(Run(dir / "reference.csv").Status, 0);
    const std::string reference = ReadFile(dir / "reference.csv");
    // Where memory runs out depends on the libraries: walk the limits in
    // steps of 256 KiB from too little to load them until the run has
    // completed at eight limits in a row, so that every step of the run
    // (start-up, command line, report, listing, sorting, pairing, closing) meets
    // its turn to find no memory.
    int completed = 0, failed = 0, inARow = 0;
    for (long long kib = 32 << 10; kib <= 512 << 10 && inARow < 8; kib += 256) {
        RunOptions options;
        options.MemoryLimit = kib << 10;
        RunResult run = Run(dir / "r.csv", options);
        if (run.Status == 127)
            continue;  // the loader could not map the libraries: not a run of TandrilB
        if (run.Status == 0) {
            ++completed;
            ++inARow;
            EXPECT_EQ(run.Out,
                      "処理が完了しました. 比較回数 : 404 件  等価 : 404 件  相違 : 0 件\r\n");
            EXPECT_EQ(ReadFile(dir / "r.csv"), reference) << kib << " KiB";
        } else {
            ++failed;
            inARow = 0;
            EXPECT_EQ(run.Status, 255) << kib << " KiB: " << run.Out << run.Err;
            EXPECT_NE(run.Out.find("bad_alloc"), std::string::npos) << kib << " KiB: " << run.Out;
        }
    }
    EXPECT_EQ(inARow, 8);
}
#endif

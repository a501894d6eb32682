// How TandrilB treats its report file: creation failures, locks, devices and
// write failures.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "BatchTestSupport.h"

namespace {

const std::string kCountLine = "処理が完了しました. 比較回数 : 1 件  等価 : 1 件  相違 : 0 件\r\n";

std::string OpenFailure(const std::string& name) {
    return "ファイルのオープンに失敗しました\r\nファイル " + name + " を作成できません\n";
}

class ReportFile : public ::testing::Test {
protected:
    ReportFile() {
        MakeFile(dir / "a/x.txt", "x");
        MakeFile(dir / "b/x.txt", "x");
    }
    RunResult Run(const std::string& report, const RunOptions& options = {}) {
        return RunTandrilB({"/file", report, "/fromdir", dir / "a", "/todir", dir / "b"}, options);
    }
    TempDir dir;
};

TEST_F(ReportFile, WriteFailureIsNeverReportedAsSuccess) {
    RunResult run = Run("/dev/full");
    EXPECT_EQ(run.Status, 4);
    EXPECT_EQ(
        run.Out,
        kCountLine + "ファイルの書き込みに失敗しました\r\nファイル /dev/full に書き込めません\n");
    EXPECT_EQ(run.Err, "");
}

TEST_F(ReportFile, DevicesAreReportTargets) {
    RunResult run = Run("/dev/null");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, kCountLine);
}

TEST_F(ReportFile, ReportLockedByAnotherProcessIsLeftUntouched) {
    std::string report = dir / "r.csv";
    MakeFile(report, "held by someone else");
    int fd = open(report.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);

    RunResult run = Run(report);
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, OpenFailure(report));
    EXPECT_EQ(ReadFile(report), "held by someone else");

    close(fd);
    EXPECT_EQ(Run(report).Status, 0);
    EXPECT_NE(ReadFile(report), "held by someone else");
}

TEST_F(ReportFile, ReportThatCannotBeCreatedGivesStatus1) {
    MakeFolder(dir / "folder.csv");
    EXPECT_EQ(Run(dir / "folder.csv").Out, OpenFailure(dir / "folder.csv"));
    EXPECT_EQ(Run(dir / "missing/r.csv").Out, OpenFailure(dir / "missing/r.csv"));
    EXPECT_EQ(Run(dir / "missing/r.csv").Status, 1);
}

TEST_F(ReportFile, ReportInAFolderWithoutWriteAccessGivesStatus1) {
    MakeFolder(dir / "locked");
    ASSERT_EQ(chmod((dir / "locked").c_str(), 0555), 0);
    RunOptions options;
    options.AsNobody = CanDropPrivileges();
    RunResult run = Run(dir / "locked/r.csv", options);
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, OpenFailure(dir / "locked/r.csv"));
    EXPECT_FALSE(Exists(dir / "locked/r.csv"));
}

TEST_F(ReportFile, ReadOnlyReportIsNotTruncated) {
    std::string report = dir / "r.csv";
    MakeFile(report, "keep me");
    ASSERT_EQ(chmod(report.c_str(), 0444), 0);
    RunOptions options;
    options.AsNobody = CanDropPrivileges();
    RunResult run = Run(report, options);
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(ReadFile(report), "keep me");
}

}  // namespace

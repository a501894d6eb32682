// How TandrilB treats its report file: creation failures, locks, devices,
// FIFOs and pipes, standard output, and write failures.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "BatchTestSupport.h"

namespace {

const std::string kCountLine = "処理が完了しました. 比較回数 : 1 件  等価 : 1 件  相違 : 0 件\r\n";

std::string OpenFailure(const std::string& name) {
    return "ファイルのオープンに失敗しました\r\nファイル " + name + " を作成できません\n";
}

std::string WriteFailure(const std::string& name) {
    return "ファイルの書き込みに失敗しました\r\nファイル " + name + " に書き込めません\n";
}

// The reading end of a FIFO or pipe report, reading on a thread of its own as
// `head -c limit` would (limit 0: to the end). A FIFO is opened by the thread,
// so it can start after the writer; an anonymous pipe's writing end is this
// object's until Finish, and TandrilB opens it through /proc.
class ReportReader {
public:
    // An anonymous pipe: WriterPath names its writing end.
    explicit ReportReader(size_t limit) : limit_(limit) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe2 failed");
        writer_ = fds[1];
        Start(fds[0], "");
    }
    // A FIFO at path.
    ReportReader(const std::string& fifo, size_t limit) : fifo_(fifo), limit_(limit) {
        Start(-1, fifo);
    }
    ~ReportReader() {
        if (thread_.joinable())
            Finish();
    }

    std::string WriterPath() const {
        return fifo_.empty()
                   ? "/proc/" + std::to_string(getpid()) + "/fd/" + std::to_string(writer_)
                   : fifo_;
    }

    // Call once the writer is done: what the reader received.
    std::string Finish() {
        if (writer_ >= 0)
            close(writer_);
        writer_ = -1;
        // A reader still waiting for a writer (a report that never came) is
        // let go by one that opens the FIFO and closes it again.
        while (!done_ && !fifo_.empty()) {
            int fd = open(fifo_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0)
                close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        thread_.join();
        return received_;
    }

private:
    void Start(int fd, std::string path) {
        thread_ = std::thread([this, fd, path] {
            int in = path.empty() ? fd : open(path.c_str(), O_RDONLY | O_CLOEXEC);
            char buffer[4096];
            while (in >= 0 && (limit_ == 0 || received_.size() < limit_)) {
                size_t want = limit_ == 0 ? sizeof buffer
                                          : std::min(sizeof buffer, limit_ - received_.size());
                ssize_t n = read(in, buffer, want);
                if (n <= 0)
                    break;
                received_.append(buffer, static_cast<size_t>(n));
            }
            if (in >= 0)
                close(in);
            done_ = true;
        });
    }

    std::string fifo_;
    size_t limit_;
    int writer_ = -1;
    std::string received_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

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
    EXPECT_EQ(run.Out, kCountLine + WriteFailure("/dev/full"));
    EXPECT_EQ(run.Err, "");
}

TEST_F(ReportFile, FifoAndPipeReportsWaitForTheirReaderAndNeverHang) {
    // A report of about 400 KiB, far more than a pipe holds, so a reader that
    // stops early leaves the writer with lines it can no longer write.
    for (int i = 0; i < 1000; ++i) {
        std::string name = "/" + std::string(100, 'n') + std::to_string(i);
        MakeFile(dir / "big/a" + name, "x");
        MakeFile(dir / "big/b" + name, "x");
    }
    const std::vector<std::string> big = {"/fromdir", dir / "big/a", "/todir", dir / "big/b",
                                          "/Appendix"};
    auto runBig = [&](const std::string& report) {
        std::vector<std::string> arguments{"/file", report};
        arguments.insert(arguments.end(), big.begin(), big.end());
        RunOptions options;
        options.TimeoutSeconds = 60;
        return RunTandrilB(arguments, options);
    };
    ASSERT_EQ(runBig(dir / "reference.csv").Status, 0);
    const std::string reference = ReadFile(dir / "reference.csv");
    ASSERT_GT(reference.size(), 300u << 10);
    const std::string bigCountLine =
        "処理が完了しました. 比較回数 : 1000 件  等価 : 1000 件  相違 : 0 件\r\n";
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);

    for (bool fifo : {true, false}) {
        for (size_t limit : {size_t{0}, size_t{100}}) {
            SCOPED_TRACE(std::string(fifo ? "FIFO" : "pipe") + ", reader stops after " +
                         std::to_string(limit));
            auto reader = fifo ? std::make_unique<ReportReader>(dir / "fifo", limit)
                               : std::make_unique<ReportReader>(limit);
            const std::string path = reader->WriterPath();
            RunResult run = runBig(path);
            std::string received = reader->Finish();
            if (limit == 0) {
                EXPECT_EQ(run.Status, 0);
                EXPECT_EQ(run.Out, bigCountLine);
                EXPECT_TRUE(received == reference) << received.size() << " bytes received";
            } else {
                EXPECT_EQ(run.Status, 4);
                EXPECT_EQ(run.Out, bigCountLine + WriteFailure(path));
                EXPECT_EQ(received, reference.substr(0, limit));
            }
            EXPECT_EQ(run.Err, "");
        }
    }

    // A reader that comes after TandrilB has started gets the whole report:
    // the report is neither written into the FIFO's buffer and lost nor
    // counted as done before anyone has read it.
    RunResult run;
    RunOptions options;
    options.TimeoutSeconds = 60;
    std::thread writer([&] { run = Run(dir / "fifo", options); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ReportReader late(dir / "fifo", 0);
    writer.join();
    std::string received = late.Finish();
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, kCountLine);
    ASSERT_EQ(Run(dir / "small.csv").Status, 0);
    EXPECT_EQ(received, ReadFile(dir / "small.csv"));
}

TEST_F(ReportFile, ReportOnStandardOutputIsWholeAndBeforeTheCountLine) {
    ASSERT_EQ(Run(dir / "r.csv").Status, 0);
    const std::string report = ReadFile(dir / "r.csv");
    const std::string out = dir / "out.txt";
    struct {
        std::string file;        // the "/file" value
        std::string stdoutFile;  // where standard output goes; empty for the test's pipe
        int status;
        std::string stdoutText;
        std::string stderrText;
    } cases[] = {
        // The file that standard output already writes to, by any name.
        {"/dev/stdout", out, 0, report + kCountLine, ""},
        {out, out, 0, report + kCountLine, ""},
        {"/dev/stdout", "", 0, report + kCountLine, ""},
        // "-": the report alone on standard output.
        {"-", "", 0, report, kCountLine},
        {"-", out, 0, report, kCountLine},
        {"-", "/dev/full", 4, "", kCountLine + WriteFailure("-")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + " > " + c.stdoutFile);
        RunOptions options;
        options.StdoutFile = c.stdoutFile;
        RunResult run = Run(c.file, options);
        EXPECT_EQ(run.Status, c.status);
        EXPECT_EQ(c.stdoutFile == out ? ReadFile(out) : run.Out, c.stdoutText);
        EXPECT_EQ(run.Err, c.stderrText);
    }

    // With "-", messages too keep off standard output.
    RunResult run = RunTandrilB({"/file", "-", "/fromdir", dir / "none", "/todir", dir / "b"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err, "比較元のパスが不正です\n");
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

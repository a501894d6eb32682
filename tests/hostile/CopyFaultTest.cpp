// Copying between the sides under faults: the copying process killed with
// SIGKILL at any moment, a destination disk that fills up, a read that fails
// in the middle of the file. The file at the destination's name is always
// either the old one or the whole new one, never a part. Each case runs with
// copies made in the kernel, with copy_file_range refused, and with it
// copying nothing (as from sysfs on some kernels), so that reads and writes
// through the program's buffer do the copying.
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "BatchTestSupport.h"
#include "FaultHooks.h"
#include "platform/FileCopy.h"

namespace fs = std::filesystem;

namespace {

// Answers yes to every question; after `pauseAfter` progress reports it tells
// the parent through a pipe and, when asked to, waits to be killed.
class TKillableHandler : public platform::ICopyHandler {
public:
    TKillableHandler(int pipe, int pauseAfter, bool wait)
        : Pipe(pipe), PauseAfter(pauseAfter), Wait(wait) {}
    TAnswer AskReplace(const platform::TReplaceQuestion&) override { return TAnswer::Yes; }
    void Progress(uint64_t, uint64_t, const std::string&) override {
        if (++Reports != PauseAfter)
            return;
        char byte = 'k';
        if (write(Pipe, &byte, 1) != 1)
            _exit(3);
        while (Wait)
            pause();
    }
    bool StopRequested() override { return false; }

private:
    int Pipe;
    int PauseAfter;
    bool Wait;
    int Reports = 0;
};

class TYes : public platform::ICopyHandler {
public:
    TAnswer AskReplace(const platform::TReplaceQuestion&) override { return TAnswer::Yes; }
    void Progress(uint64_t, uint64_t, const std::string&) override {}
    bool StopRequested() override { return false; }
};

std::string Pattern(size_t size) {
    std::string text(size, '\0');
    for (size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>('a' + (i * 7919) % 26);
    return text;
}

// Copies origin onto destination in a child process that is killed with
// SIGKILL once it has made `reports` progress reports (waiting there, or
// running on, by `wait`).
void CopyAndKill(const std::string& origin, const std::string& destination, bool unnamed,
                 int reports, bool wait) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        TKillableHandler handler(fds[1], reports, wait);
        platform::TFileCopy copy;
        copy.UnnamedFiles = unnamed;
        copy.Copy(origin, destination, false, handler);
        _exit(0);
    }
    close(fds[1]);
    char byte;
    ssize_t got = read(fds[0], &byte, 1);
    close(fds[0]);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    // Read nothing: the copy ended before that report, which the test allows.
    (void)got;
}

// What copy_file_range does.
enum class TKernelCopy { Copies, Refuses, CopiesNothing };

class CopyFault : public ::testing::TestWithParam<TKernelCopy> {
protected:
    CopyFault() {
        MakeFile(dir / "from/big.bin", Pattern(12 * 1024 * 1024 + 123));
        MakeFolder(dir / "to");
        if (GetParam() == TKernelCopy::Refuses)
            RefuseKernelCopies(EXDEV);  // as between file systems on older kernels
        if (GetParam() == TKernelCopy::CopiesNothing)
            RefuseKernelCopies(0);
    }
    ~CopyFault() override { ClearHooks(); }

    // Every name in folder but `keep`.
    static std::vector<std::string> Others(const std::string& folder, const std::string& keep) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().filename() != keep)
                names.push_back(entry.path().filename());
        return names;
    }
    TempDir dir;
};

INSTANTIATE_TEST_SUITE_P(Copies, CopyFault,
                         ::testing::Values(TKernelCopy::Copies, TKernelCopy::Refuses,
                                           TKernelCopy::CopiesNothing),
                         [](const auto& info) {
                             return info.param == TKernelCopy::Copies    ? "InKernel"
                                    : info.param == TKernelCopy::Refuses ? "ReadWrite"
                                                                         : "KernelCopiesNothing";
                         });

}  // namespace

TEST_P(CopyFault, KilledAtAnyMomentLeavesTheOldFileOrTheWholeNewOne) {
    const std::string whole = ReadFile(dir / "from/big.bin");
    int oldSeen = 0, newSeen = 0;
    for (bool unnamed : {true, false}) {
        // A report after each block (13 of 1 MiB, or 2 copied in the
        // kernel): killed while waiting after each report, or running on
        // into the next block, the rename or the end.
        const int blocks = GetParam() == TKernelCopy::Copies ? 2 : 13;
        for (int reports = 1; reports <= blocks + 2; ++reports) {
            for (bool wait : {true, false}) {
                MakeFile(dir / "to/big.bin", "old");
                CopyAndKill(dir / "from/big.bin", dir / "to/big.bin", unnamed, reports, wait);
                const std::string now = ReadFile(dir / "to/big.bin");
                EXPECT_TRUE(now == "old" || now == whole)
                    << "unnamed " << unnamed << ", killed after report " << reports << ": "
                    << now.size() << " bytes";
                (now == "old" ? oldSeen : newSeen)++;
                // Whatever a kill leaves behind is hidden and never takes the name.
                for (const auto& entry : fs::directory_iterator(dir / "to")) {
                    const std::string name = entry.path().filename();
                    if (name != "big.bin") {
                        EXPECT_EQ(name.rfind(".tandril-", 0), 0u) << name;
                        fs::remove(entry.path());
                    }
                }
            }
        }
    }
    RecordProperty("kept_old", oldSeen);
    RecordProperty("whole_new", newSeen);
    // The kills came both before and after the file took its name.
    EXPECT_GT(oldSeen, 0);
    EXPECT_GT(newSeen, 0);
}

TEST_P(CopyFault, FullDiskKeepsTheOldFileAndLeavesNothingBehind) {
    const std::string disk = dir / "disk";
    MakeFolder(disk);
    if (mount("tandril-test", disk.c_str(), "tmpfs", 0, "size=16m,mode=0777") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    // The origin on the same disk, so that a copy in the kernel is not
    // refused as one between file systems and fills the disk itself.
    MakeFolder(disk + "/from");
    fs::copy_file(dir / "from/big.bin", disk + "/from/big.bin");
    MakeFile(disk + "/big.bin", "old");
    TYes yes;
    platform::TFileCopy copy;
    for (bool unnamed : {true, false}) {
        copy.UnnamedFiles = unnamed;
        // Onto an old file, and as a new one.
        platform::TCopyResult replaced =
            copy.Copy(disk + "/from/big.bin", disk + "/big.bin", false, yes);
        EXPECT_EQ(replaced.Status, platform::TCopyStatus::Failed);
        EXPECT_EQ(replaced.Error, "write(" + disk + "/big.bin): No space left on device");
        EXPECT_EQ(ReadFile(disk + "/big.bin"), "old");
        platform::TCopyResult created =
            copy.Copy(disk + "/from/big.bin", disk + "/new.bin", false, yes);
        EXPECT_EQ(created.Status, platform::TCopyStatus::Failed);
        EXPECT_FALSE(Exists(disk + "/new.bin"));
        EXPECT_EQ(Others(disk, "from"), std::vector<std::string>({"big.bin"}));
    }
    umount(disk.c_str());
}

TEST_P(CopyFault, ReadFailureMidwayKeepsTheOldFileAndNamesTheOrigin) {
    const std::string origin = dir / "from/big.bin";
    MakeFile(dir / "to/big.bin", "old");
    FailReads(origin, 5 * 1024 * 1024 + 7, EIO);
    TYes yes;
    platform::TFileCopy copy;
    for (bool unnamed : {true, false}) {
        copy.UnnamedFiles = unnamed;
        for (const char* name : {"big.bin", "new.bin"}) {
            const platform::TCopyResult result =
                copy.Copy(origin, dir / ("to/" + std::string(name)), false, yes);
            EXPECT_EQ(result.Status, platform::TCopyStatus::Failed);
            EXPECT_EQ(result.Error, "read(" + origin + "): Input/output error");
            EXPECT_EQ(result.FilesCopied, 0);
        }
        EXPECT_EQ(ReadFile(dir / "to/big.bin"), "old");
        EXPECT_EQ(Others(dir / "to", ""), std::vector<std::string>({"big.bin"}));
    }
}

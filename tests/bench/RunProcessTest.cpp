#include <gtest/gtest.h>

#include "BenchText.h"
#include "RunProcess.h"
#include "TempFolder.h"

#include <sys/resource.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

TEST(RunProcess, RedirectsOutputSetsFolderAndEnvironmentAndKeepsExitStatus) {
    TTempFolder temp;
    TProcessSpec spec;
    spec.Argv = {"sh", "-c", "echo \"$GREETING\"; pwd; echo oops >&2; exit 3"};
    spec.WorkDir = temp.Path();
    spec.Env = {{"GREETING", "hello"}};
    spec.StdoutPath = temp / "out.txt";
    spec.StderrPath = temp / "err.txt";
    TProcessResult r = RunProcess(spec);
    EXPECT_TRUE(r.Started);
    EXPECT_EQ(r.ExitCode, 3);
    EXPECT_EQ(r.Signal, 0);
    EXPECT_GT(r.Seconds, 0);
    EXPECT_EQ(ReadWholeFile(temp / "out.txt"), "hello\n" + temp.Path() + "\n");
    EXPECT_EQ(ReadWholeFile(temp / "err.txt"), "oops\n");
    EXPECT_EQ(DescribeEnd(r), "exit status 3");
}

TEST(RunProcess, TellsSignalsAndFailedStartsApart) {
    TProcessSpec spec;
    spec.Argv = {"sh", "-c", "kill -9 $$"};
    TProcessResult killed = RunProcess(spec);
    EXPECT_TRUE(killed.Started);
    EXPECT_EQ(killed.Signal, 9);
    EXPECT_NE(killed.ExitCode, 0);

    // A program that is not there must not pass for a run that failed with 127.
    spec.Argv = {"no-such-program-anywhere"};
    TProcessResult missing = RunProcess(spec);
    EXPECT_FALSE(missing.Started);
    EXPECT_NE(missing.Error.find("no-such-program-anywhere"), std::string::npos);

    TTempFolder temp;
    spec.Argv = {"true"};
    spec.WorkDir = temp / "missing";
    EXPECT_FALSE(RunProcess(spec).Started);
}

// The peak memory is the child's own, not the largest of every child so far
// and not the runner's: a small program after a big one, started by a runner
// that holds much memory itself, must show small.
TEST(RunProcess, PeakMemoryBelongsToEachRun) {
    std::vector<char> runnerMemory(96 << 20);
    for (size_t i = 0; i < runnerMemory.size(); i += 4096)
        runnerMemory[i] = static_cast<char>(i);

    TProcessSpec big;
    big.Argv = {"dd", "if=/dev/zero", "of=/dev/null", "bs=64M", "count=1"};
    TProcessResult bigRun = RunProcess(big);
    ASSERT_EQ(bigRun.ExitCode, 0);
    EXPECT_GT(bigRun.MaxRssKiB, 60 * 1024);

    TProcessSpec small;
    small.Argv = {"true"};
    TProcessResult smallRun = RunProcess(small);
    ASSERT_EQ(smallRun.ExitCode, 0);
    EXPECT_LT(smallRun.MaxRssKiB, 20 * 1024);
    EXPECT_NE(runnerMemory[4096], 1);
}

// The busy loop takes processor time while it lives and leaves no process
// behind: one left spinning would skew every timing after it.
TEST(BusyCore, SpinsWhileItLivesAndIsReapedAfter) {
    auto childSeconds = [] {
        struct rusage usage {};
        getrusage(RUSAGE_CHILDREN, &usage);
        return double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) / 1e6;
    };
    const double before = childSeconds();
    {
        TBusyCore busy;
        ASSERT_TRUE(busy.Running());
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    EXPECT_GT(childSeconds() - before, 0.01);
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(FindProgram, LooksInPathAndAtPaths) {
    EXPECT_TRUE(FindProgram("sh"));
    EXPECT_TRUE(FindProgram("/bin/sh"));
    EXPECT_FALSE(FindProgram("no-such-program-anywhere"));
    EXPECT_FALSE(FindProgram("/no/such/program"));
}

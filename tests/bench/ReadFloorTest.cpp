#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "BenchFiles.h"
#include "BenchText.h"
#include "RunProcess.h"
#include "TempFolder.h"

namespace {

TProcessResult RunFloor(const TTempFolder& temp, std::vector<std::string> args) {
    TProcessSpec spec;
    spec.Argv = {READ_FLOOR};
    spec.Argv.insert(spec.Argv.end(), args.begin(), args.end());
    spec.WorkDir = temp.Path();
    spec.StdoutPath = temp / "floor.out";
    spec.StderrPath = temp / "floor.err";
    return RunProcess(spec);
}

}  // namespace

// The floor must read every byte: a floor that skips files would make every
// ratio against it look worse than it is.
TEST(ReadFloor, ReadsEveryFileOfEveryTreeToItsEnd) {
    TTempFolder temp;
    MakeFolder(temp / "A");
    MakeFolder(temp / "A/sub");
    MakeFolder(temp / "A/sub/deeper");
    MakeFolder(temp / "B");
    WriteWholeFile(temp / "A/empty", "", 0);
    WriteWholeFile(temp / "A/sub/big", std::string(300001, 'x'), 0);  // beyond two 128 KiB reads
    WriteWholeFile(temp / "A/sub/deeper/small", "abc", 0);
    WriteWholeFile(temp / "B/.hidden", "12345", 0);
    ASSERT_EQ(symlink("sub/deeper/small", (temp / "A/link").c_str()), 0);

    // The buffer on a page and 16 bytes past one read the same.
    for (const auto& offset : {std::vector<std::string>{}, {"--offset", "16"}}) {
        std::vector<std::string> args = offset;
        args.insert(args.end(), {"A", "B"});
        TProcessResult r = RunFloor(temp, args);
        EXPECT_EQ(r.ExitCode, 0) << ReadWholeFile(temp / "floor.err");
        EXPECT_EQ(ReadWholeFile(temp / "floor.out"), "files 5 folders 2 bytes 300012\n");
    }
    EXPECT_EQ(RunFloor(temp, {"--offset", "4096", "A"}).ExitCode, 2);
}

TEST(ReadFloor, NamesUnreadableEntriesAndGoesOn) {
    TTempFolder temp;
    MakeFolder(temp / "A");
    WriteWholeFile(temp / "A/locked", "secret", 0);
    WriteWholeFile(temp / "A/open", "data", 0);
    ASSERT_EQ(chmod((temp / "A/locked").c_str(), 0), 0);
    ASSERT_EQ(chmod(temp.Path().c_str(), 0755), 0);
    std::filesystem::permissions(temp / "A", std::filesystem::perms(0755));

    // As root every file is readable: read it as an ordinary user.
    TProcessSpec spec;
    spec.Argv = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", READ_FLOOR,
                 "A",       "missing"};
    spec.WorkDir = temp.Path();
    spec.StdoutPath = temp / "floor.out";
    spec.StderrPath = temp / "floor.err";
    if (getuid() != 0)
        spec.Argv.erase(spec.Argv.begin(), spec.Argv.begin() + 4);
    TProcessResult r = RunProcess(spec);
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(ReadWholeFile(temp / "floor.out"), "files 1 folders 0 bytes 4\n");
    const std::string errors = ReadWholeFile(temp / "floor.err");
    EXPECT_NE(errors.find("open(A/locked): Permission denied"), std::string::npos) << errors;
    EXPECT_NE(errors.find("open(missing): No such file"), std::string::npos) << errors;
}

// The program's own copy on real folders: what it asks, what it keeps, and
// what a failure or a stop leaves behind.
#include "platform/FileCopy.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "../TempTree.h"

namespace fs = std::filesystem;
using platform::ICopyHandler;
using platform::TCopyResult;
using platform::TCopyStatus;
using platform::TFileCopy;

namespace {

// Answers the questions from a script (Yes once it runs out), records them,
// and can ask for a stop once a number of bytes is copied.
class TScriptedHandler : public ICopyHandler {
public:
    std::vector<TAnswer> Answers;
    std::vector<std::string> Asked;  // destinations asked about
    uint64_t StopAfter = UINT64_MAX;
    uint64_t LastDone = 0;
    uint64_t LastTotal = 0;

    TAnswer AskReplace(const platform::TReplaceQuestion& question) override {
        Asked.push_back(question.Destination);
        if (Answers.empty())
            return TAnswer::Yes;
        TAnswer answer = Answers.front();
        Answers.erase(Answers.begin());
        return answer;
    }
    void Progress(uint64_t done, uint64_t total, const std::string&) override {
        LastDone = done;
        LastTotal = total;
    }
    bool StopRequested() override { return LastDone >= StopAfter; }
};

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every name below path, relative, sorted; hidden temporary names included.
std::vector<std::string> Listing(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(path))
        names.push_back(fs::relative(entry.path(), path).string());
    std::sort(names.begin(), names.end());
    return names;
}

struct stat Stat(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

// Runs job in a child process (for limits that must not reach the test
// itself); the text it returns comes back.
std::string RunInChild(const std::function<std::string()>& job) {
    int fds[2];
    if (pipe(fds) != 0)
        return "pipe failed";
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const std::string text = job();
        ssize_t ignored = write(fds[1], text.data(), text.size());
        (void)ignored;
        _exit(0);
    }
    close(fds[1]);
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? text : "child failed";
}

}  // namespace

// Each case runs with unnamed temporary files and with named ones.
class FileCopyTest : public ::testing::TestWithParam<bool> {
protected:
    TTempTree Tree;
    TScriptedHandler Handler;
    TFileCopy Copier = [] {
        TFileCopy copier;
        copier.UnnamedFiles = GetParam();
        return copier;
    }();
    TCopyResult Copy(const std::string& origin, const std::string& destination,
                     bool create = false) {
        return Copier.Copy(Tree.Path(origin), Tree.Path(destination), create, Handler);
    }
};

INSTANTIATE_TEST_SUITE_P(TemporaryFiles, FileCopyTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Unnamed" : "Named"; });

TEST_P(FileCopyTest, FileIntoFolderKeepsContentsTimeAndMode) {
    Tree.File("m/data.bin", std::string(3 * TFileCopy::BlockSize + 17, 'x'));
    Tree.SetTime("m/data.bin", 1500000001, 123456789);
    Tree.Mode("m/data.bin", 0640);
    Tree.Folder("s");
    const TCopyResult result = Copy("m/data.bin", "s");
    ASSERT_EQ(result.Status, TCopyStatus::Done) << result.Error;
    EXPECT_EQ(result.FilesCopied, 1);
    EXPECT_EQ(Read(Tree.Path("s/data.bin")), Read(Tree.Path("m/data.bin")));
    const struct stat copied = Stat(Tree.Path("s/data.bin"));
    EXPECT_EQ(copied.st_mode & 07777, 0640u);
    EXPECT_EQ(copied.st_mtim.tv_sec, 1500000001);
    EXPECT_EQ(copied.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(Handler.LastDone, Handler.LastTotal);
    EXPECT_TRUE(Handler.Asked.empty());
    EXPECT_EQ(Listing(Tree.Path("s")), std::vector<std::string>{"data.bin"});
}

TEST_P(FileCopyTest, MissingFoldersAreMadeFirst) {
    Tree.File("m/a/b/only.txt", "only");
    Tree.Folder("s");
    const TCopyResult result = Copy("m/a/b/only.txt", "s/a/b", true);
    ASSERT_EQ(result.Status, TCopyStatus::Done) << result.Error;
    EXPECT_EQ(Read(Tree.Path("s/a/b/only.txt")), "only");
    // A file standing where a folder must be made: nothing is made.
    Tree.File("s/c", "file");
    EXPECT_EQ(Copy("m/a/b/only.txt", "s/c/d", true).Status, TCopyStatus::Failed);
    EXPECT_EQ(Read(Tree.Path("s/c")), "file");
}

TEST_P(FileCopyTest, ReplacingAsksFirst) {
    Tree.File("m/x.txt", "new");
    Tree.File("s/x.txt", "old");
    Handler.Answers = {ICopyHandler::TAnswer::No};
    TCopyResult result = Copy("m/x.txt", "s/x.txt");
    EXPECT_EQ(result.Status, TCopyStatus::Done);
    EXPECT_EQ(result.FilesDeclined, 1);
    EXPECT_EQ(Read(Tree.Path("s/x.txt")), "old");
    EXPECT_EQ(Handler.Asked, std::vector<std::string>{Tree.Path("s/x.txt")});

    Handler.Answers = {ICopyHandler::TAnswer::Cancel};
    EXPECT_EQ(Copy("m/x.txt", "s").Status, TCopyStatus::Cancelled);
    EXPECT_EQ(Read(Tree.Path("s/x.txt")), "old");

    // A read-only file is replaced as well once allowed; its folder keeps
    // nothing but the new file.
    Tree.Mode("s/x.txt", 0444);
    Handler.Answers = {ICopyHandler::TAnswer::Yes};
    result = Copy("m/x.txt", "s");
    EXPECT_EQ(result.Status, TCopyStatus::Done) << result.Error;
    EXPECT_EQ(Read(Tree.Path("s/x.txt")), "new");
    EXPECT_EQ(Listing(Tree.Path("s")), std::vector<std::string>{"x.txt"});
}

TEST_P(FileCopyTest, FolderMergesAsksOnceWithYesToAllAndDeletesNothing) {
    Tree.File("m/d/1.txt", "m1");
    Tree.File("m/d/2.txt", "m2");
    Tree.File("m/d/sub/3.txt", "m3");
    Tree.File("m/d/sub/new.txt", "n");
    Tree.File("s/d/1.txt", "s1");
    Tree.File("s/d/sub/3.txt", "s3");
    Tree.File("s/d/sub/extra.txt", "extra");
    Handler.Answers = {ICopyHandler::TAnswer::YesToAll};
    const TCopyResult result = Copy("m/d", "s");
    ASSERT_EQ(result.Status, TCopyStatus::Done) << result.Error;
    EXPECT_EQ(Handler.Asked.size(), 1u);
    EXPECT_EQ(result.FilesCopied, 4);
    EXPECT_EQ(Read(Tree.Path("s/d/1.txt")), "m1");
    EXPECT_EQ(Read(Tree.Path("s/d/sub/3.txt")), "m3");
    EXPECT_EQ(Read(Tree.Path("s/d/sub/extra.txt")), "extra");
    EXPECT_EQ(Listing(Tree.Path("s/d")),
              (std::vector<std::string>{"1.txt", "2.txt", "sub", "sub/3.txt", "sub/extra.txt",
                                        "sub/new.txt"}));
}

TEST_P(FileCopyTest, NewFolderTakesTheOriginsModeAndTime) {
    Tree.File("m/ro/f.txt", "f");
    Tree.SetTime("m/ro", 1400000000);
    Tree.Mode("m/ro", 0555);
    Tree.Folder("s");
    const TCopyResult result = Copy("m/ro", "s");
    ASSERT_EQ(result.Status, TCopyStatus::Done) << result.Error;
    EXPECT_EQ(Read(Tree.Path("s/ro/f.txt")), "f");
    const struct stat st = Stat(Tree.Path("s/ro"));
    EXPECT_EQ(st.st_mode & 0777, 0555u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1400000000);
}

TEST_P(FileCopyTest, ConflictsFailBeforeAnythingChanges) {
    Tree.File("m/d/a.txt", "a");
    Tree.File("m/d/z/inner.txt", "z");
    Tree.File("s/d/z", "a file where the folder goes");
    const std::vector<std::string> before = Listing(Tree.Path("s"));
    TCopyResult result = Copy("m/d", "s");
    EXPECT_EQ(result.Status, TCopyStatus::Failed);
    EXPECT_NE(result.Error.find(Tree.Path("s/d/z")), std::string::npos) << result.Error;
    EXPECT_EQ(Listing(Tree.Path("s")), before);  // a.txt was not copied either

    // A file into a folder that holds a folder of its name.
    Tree.File("m/f", "f");
    Tree.Folder("s/f");
    EXPECT_EQ(Copy("m/f", "s").Status, TCopyStatus::Failed);
    // A folder into itself or below itself, and a file onto itself.
    EXPECT_EQ(Copy("m/d", "m/d/z").Status, TCopyStatus::Failed);
    EXPECT_EQ(Copy("m/d", "m").Status, TCopyStatus::Failed);
    EXPECT_EQ(Copy("m/f", "m/f").Status, TCopyStatus::Failed);
    EXPECT_EQ(Listing(Tree.Path("m")),
              (std::vector<std::string>{"d", "d/a.txt", "d/z", "d/z/inner.txt", "f"}));
}

TEST_P(FileCopyTest, LinksAreFollowedSpecialFilesLeftOut) {
    Tree.File("m/d/real.txt", "real");
    Tree.Link("m/d/link.txt", "real.txt");
    Tree.Link("m/d/dangling", "missing");
    Tree.Link("m/d/loop", "..");
    Tree.Fifo("m/d/pipe");
    Tree.Folder("s");
    const TCopyResult result = Copy("m/d", "s");
    ASSERT_EQ(result.Status, TCopyStatus::Done) << result.Error;
    EXPECT_EQ(Read(Tree.Path("s/d/link.txt")), "real");
    struct stat st;
    ASSERT_EQ(::lstat(Tree.Path("s/d/link.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    // The loop is made as an empty folder, not entered.
    EXPECT_EQ(Listing(Tree.Path("s/d")),
              (std::vector<std::string>{"link.txt", "loop", "real.txt"}));
    EXPECT_EQ(result.NotCopied,
              (std::vector<std::string>{Tree.Path("m/d/dangling"), Tree.Path("m/d/pipe")}));
}

TEST_P(FileCopyTest, StopInsideAFileLeavesOnlyWholeFiles) {
    Tree.File("m/d/a.txt", "first");
    Tree.File("m/d/b.bin", std::string(4 * TFileCopy::BlockSize, 'b'));
    Tree.File("m/d/c.txt", "never");
    Tree.File("s/d/b.bin", "old b");
    Handler.StopAfter = 2 * TFileCopy::BlockSize;
    const TCopyResult result = Copy("m/d", "s");
    EXPECT_EQ(result.Status, TCopyStatus::Cancelled);
    EXPECT_EQ(result.FilesCopied, 1);
    EXPECT_EQ(Read(Tree.Path("s/d/a.txt")), "first");
    EXPECT_EQ(Read(Tree.Path("s/d/b.bin")), "old b");
    EXPECT_EQ(Listing(Tree.Path("s/d")), (std::vector<std::string>{"a.txt", "b.bin"}));
}

TEST_P(FileCopyTest, WriteFailureInsideAFileLeavesNoPartialFile) {
    Tree.File("m/d/a.txt", "first");
    Tree.File("m/d/b.bin", std::string(2 * TFileCopy::BlockSize, 'b'));
    Tree.Folder("m/d/aa-empty");
    Tree.File("s/d/b.bin", "old b");
    Tree.Folder("s/new");
    // A file-size limit makes the second file's writes fail halfway.
    const std::string outcome = RunInChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit = {TFileCopy::BlockSize / 2, TFileCopy::BlockSize / 2};
        setrlimit(RLIMIT_FSIZE, &limit);
        const TCopyResult result =
            Copier.Copy(Tree.Path("m/d"), Tree.Path("s/new/x"), true, Handler);
        const TCopyResult merged = Copier.Copy(Tree.Path("m/d"), Tree.Path("s"), false, Handler);
        return std::to_string(int(result.Status)) + "|" + result.Error + "|" +
               std::to_string(int(merged.Status));
    });
    EXPECT_EQ(outcome.substr(0, 2), "2|") << outcome;
    EXPECT_NE(outcome.find("write(" + Tree.Path("s/new/x/d/b.bin") + "): File too large"),
              std::string::npos)
        << outcome;
    EXPECT_EQ(outcome.back(), '2') << outcome;
    // The whole first file stays; the second is the old one or none; the
    // empty folder made for nothing is gone again, and no temporary file is left.
    EXPECT_EQ(Listing(Tree.Path("s/new")), (std::vector<std::string>{"x", "x/d", "x/d/a.txt"}));
    EXPECT_EQ(Read(Tree.Path("s/d/b.bin")), "old b");
    EXPECT_EQ(Listing(Tree.Path("s/d")), (std::vector<std::string>{"a.txt", "b.bin"}));
}

TEST_P(FileCopyTest, UnreadableFileEndsTheCopyWithItsReason) {
    Tree.File("m/d/a.txt", "first");
    Tree.File("m/d/b.txt", "secret");
    Tree.Mode("m/d/b.txt", 0);
    Tree.Folder("s");
    chmod(Tree.Path("s").c_str(), 0777);
    const std::string outcome = RunUnprivileged([&] {
        const TCopyResult result = Copier.Copy(Tree.Path("m/d"), Tree.Path("s"), false, Handler);
        return std::to_string(int(result.Status)) + "|" + result.Error;
    });
    EXPECT_EQ(outcome, "2|open(" + Tree.Path("m/d/b.txt") + "): Permission denied");
    EXPECT_EQ(Listing(Tree.Path("s")), (std::vector<std::string>{"d", "d/a.txt"}));
}

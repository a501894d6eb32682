// TandrilB with a far side (ssh://) through a real sshd: its reports must be
// those of the same comparison of two local folders, byte for byte; a stop
// or a lost far side must end the run in order and leave nothing running.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "../batch/BatchTestSupport.h"
#include "SshServer.h"

#ifndef TANDRIL_LARGE_TREE_FOLDERS
#define TANDRIL_LARGE_TREE_FOLDERS 50  // of 999 files each: 50,000 entries
#endif

namespace {

std::vector<std::string> FarEnvironment(const std::string& program = TANDRILB_PATH) {
    return {"TANDRIL_SSH=" + TSshServer::Instance().SshCommand(),
            "TANDRIL_REMOTE_PROGRAM=" + program};
}

// The report of a comparison without its comment lines (which name the
// folders as given), in UTF-8.
struct TReport {
    RunResult Run;
    std::string Text;
};

TReport Compare(const TempDir& dir, const std::string& from, const std::string& to,
                std::vector<std::string> more = {}, RunOptions options = {}) {
    std::vector<std::string> arguments{"/file", dir / "report.csv", "/encoding",
                                       "utf8",  "/noComment",       "/fromdir",
                                       from,    "/todir",           to};
    arguments.insert(arguments.end(), more.begin(), more.end());
    if (options.Environment.empty())
        options.Environment = FarEnvironment();
    options.TimeoutSeconds = 120;
    TReport report;
    report.Run = RunTandrilB(arguments, options);
    report.Text = ReadFile(dir / "report.csv");
    return report;
}

// Two trees that differ in every way a comparison tells apart, with names
// that need escaping on the wire.
void MakeTrees(const TempDir& dir) {
    for (const std::string side : {"A", "B"}) {
        MakeFile(dir / side + "/same.txt", "same");
        MakeFile(dir / side + "/sub/deep/same.bin", std::string(300000, 'x'));
        MakeFile(dir / side + "/blank name \\ back\nline\xff\xfe 日本.txt", "odd");
        MakeFile(dir / side + "/.hidden", "h");
        MakeFile(dir / side + "/empty", "");
        MakeFolder(dir / side + "/emptydir");
        mkfifo((dir / side + "/fifo").c_str(), 0644);
        symlink("same.txt", (dir / side + "/link").c_str());
    }
    MakeFile(dir / "A/contents", "abc");
    MakeFile(dir / "B/contents", "abd");
    MakeFile(dir / "A/size", "abc");
    MakeFile(dir / "B/size", "abcd");
    MakeFile(dir / "A/time", "t", kFixedTime);
    MakeFile(dir / "B/time", "t", kFixedTime + 10);
    MakeFile(dir / "A/only-source", "m");
    MakeFile(dir / "B/only-target", "s");
    MakeFile(dir / "A/kind", "file here");
    MakeFolder(dir / "B/kind");
    MakeFile(dir / "A/Case.TXT", "c");
    MakeFile(dir / "B/case.txt", "c");
    MakeFile(dir / "A/late/x", std::string(200000, 'y') + "1");
    MakeFile(dir / "B/late/x", std::string(200000, 'y') + "2");
    MakeFile(dir / "A/skip/secret", "1");
    MakeFile(dir / "B/skip/secret", "2");
    mkfifo((dir / "A/fifo-or-file").c_str(), 0644);
    MakeFile(dir / "B/fifo-or-file", "");
    symlink("nowhere", (dir / "A/dangling").c_str());
    symlink("nowhere", (dir / "B/dangling").c_str());
}

TEST(RemoteCompare, ReportsAreThoseOfTwoLocalFolders) {
    TempDir dir;
    MakeTrees(dir);
    const TSshServer& server = TSshServer::Instance();
    struct {
        const char* name;
        std::vector<std::string> switches;
        bool farSourceToo;  // also with the far side as the source
    } cases[] = {
        {"defaults", {}, true},
        {"exclude patterns applied on the far side",
         {"/exclude", "skip/", "/exclude", "*.bin"},
         false},
        {"read-only bit and no times", {"/ReadOnly", "/noTime", "/Appendix"}, false},
    };
    chmod((dir / "B/same.txt").c_str(), 0444);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TReport local = Compare(dir, dir / "A", dir / "B", c.switches);
        ASSERT_EQ(local.Run.Status, 0) << local.Run.Out;
        for (bool farTarget : {true, false}) {
            if (!farTarget && !c.farSourceToo)
                continue;
            SCOPED_TRACE(farTarget ? "far target" : "far source");
            const std::string from = farTarget ? dir / "A" : server.Url(dir / "A");
            const std::string to = farTarget ? server.Url(dir / "B") : dir / "B";
            TReport far = Compare(dir, from, to, c.switches);
            // A far file that cannot be read is named by its URL.
            const std::string url = server.Url("");
            for (size_t at; (at = far.Text.find(url)) != std::string::npos;)
                far.Text.erase(at, url.size());
            EXPECT_EQ(far.Run.Status, 0) << far.Run.Out << far.Run.Err;
            EXPECT_EQ(far.Run.Out, local.Run.Out);
            // The appendix names each entry's full path, which for a far
            // entry is its URL.
            if (std::find(c.switches.begin(), c.switches.end(), "/Appendix") == c.switches.end()) {
                EXPECT_EQ(far.Text, local.Text);
            }
        }
    }
}

// The lines of a snapshot but its comments (which name the tree, the host
// and the time), sorted: a local snapshot is written in the order the folders
// are listed, one of a far tree in the order of the far side's sorted list.
std::string SnapshotEntries(const std::string& text) {
    std::vector<std::string> lines;
    size_t begin = 0;
    for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1)
        if (text[begin] != '#')
            lines.emplace_back(text, begin, end + 1 - begin);
    std::sort(lines.begin(), lines.end());
    std::string entries;
    for (const std::string& line : lines)
        entries += line;
    return entries;
}

TEST(RemoteCompare, ASnapshotOfAFarTreeIsThatOfTheTree) {
    TempDir dir;
    MakeTrees(dir);
    RunOptions options;
    options.Environment = FarEnvironment();
    for (const char* digest : {"sha256", "xxh128"}) {
        SCOPED_TRACE(digest);
        const RunResult local =
            RunTandrilB({"/snapshot", "-", "/digest", digest, "/fromdir", dir / "B"}, options);
        const RunResult far = RunTandrilB({"/snapshot", "-", "/digest", digest, "/fromdir",
                                           TSshServer::Instance().Url(dir / "B")},
                                          options);
        ASSERT_EQ(local.Status, 0) << local.Err;
        EXPECT_EQ(far.Status, 0) << far.Err;
        EXPECT_EQ(SnapshotEntries(far.Out), SnapshotEntries(local.Out));
        EXPECT_NE(far.Out.find(std::string(digest) == "sha256" ? "sha256digest=" : "xxh128"),
                  std::string::npos);
    }
}

TEST(RemoteCompare, AFarPathWithShellCharactersArrivesUnchanged) {
    TempDir dir;
    const std::string odd = dir / "it's; $(touch hacked) `id` a\nb  c";
    MakeFile(odd + "/f", "x");
    MakeFile(dir / "local/f", "x");
    const TReport far = Compare(dir, dir / "local", TSshServer::Instance().Url(odd));
    EXPECT_EQ(far.Run.Status, 0) << far.Run.Out;
    EXPECT_NE(far.Run.Out.find("等価 : 1 件"), std::string::npos) << far.Run.Out;
    EXPECT_FALSE(Exists(dir / "hacked"));
    EXPECT_FALSE(Exists("hacked"));
}

// A far program that is a shell script speaking the protocol: for far sides
// that break its rules, which a real TandrilB cannot be made to be.
std::string FarScript(const TempDir& dir, const std::string& name, const std::string& body) {
    const std::string path = dir / name;
    MakeFile(path, "#!/bin/sh\necho '#tandril-remote 1 " TANDRIL_VERSION
                   "'\nprintf '#mtree\\n#\\t   tool: TandrilB " TANDRIL_VERSION
                   "\\n. type=dir\\n'\n" +
                       body + "\n");
    chmod(path.c_str(), 0755);
    return path;
}

TEST(RemoteCompare, FailuresEndTheRunWithTheirStatus) {
    TempDir dir;
    MakeFile(dir / "A/f", "x");
    const TSshServer& server = TSshServer::Instance();
    const std::string old = dir / "old";
    MakeFile(old, "#!/bin/sh\necho '#tandril-remote 1 0.9.0.0'\n");
    chmod(old.c_str(), 0755);
    const std::string file = "printf './f type=file size=1 time=1704164646 mode=0644\\n'";
    const std::string count = "printf '#\\tentries: 2\\n'";
    struct {
        const char* name;
        std::string to;
        std::string program;
        int status;
        const char* text;
    } cases[] = {
        {"far folder missing", server.Url(dir / "none"), TANDRILB_PATH, 2,
         "比較先のパスが不正です"},
        {"another version", server.Url(dir / "A"), old, 25, "0.9.0.0"},
        {"malformed URL", "ssh://host:99999/x", TANDRILB_PATH, 2, "比較先のパスが不正です"},
        {"garbage", server.Url(dir / "A"), FarScript(dir, "garbage", "head -c 3000 /dev/urandom"),
         27, "受信したデータが不正です"},
        {"endless line", server.Url(dir / "A"),
         FarScript(dir, "endless", "head -c 6000000 /dev/zero | tr '\\0' a"), 27,
         "受信したデータが不正です"},
        {"cut mid-record", server.Url(dir / "A"), FarScript(dir, "cut", "printf './f type=fi'"), 27,
         "途中で切れています"},
        {"path with ..", server.Url(dir / "A"),
         FarScript(dir, "dotdot", "printf './../f type=file size=1\\n'; " + count), 27,
         "受信したデータが不正です"},
        {"no count line", server.Url(dir / "A"), FarScript(dir, "short", file), 26,
         "途中で切れました"},
        {"unreadable folder never given", server.Url(dir / "A"),
         FarScript(dir, "nodir", "printf '#\\tunreadable: 13 ./f\\n#\\tentries: 1\\n'"), 27,
         "読めないフォルダがありません"},
        {"bad digest", server.Url(dir / "A"),
         FarScript(dir, "digest", file + "; " + count + "; read r; echo zz; sleep 5"), 27,
         "ダイジェストの応答が不正です"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RunOptions options;
        options.Environment = FarEnvironment(c.program);
        const TReport far = Compare(dir, dir / "A", c.to, {}, options);
        EXPECT_EQ(far.Run.Status, c.status) << far.Run.Out;
        EXPECT_NE(far.Run.Out.find(c.text), std::string::npos) << far.Run.Out;
        EXPECT_EQ(far.Run.Out.find("処理が完了しました"), std::string::npos) << far.Run.Out;
    }
}

TEST(RemoteCompare, AFarFolderThatCannotBeReadIsADifference) {
    // Like a real far side, the script stays until its input ends: one that
    // left after its listing would be a dropped connection.
    TempDir dir;
    MakeFile(dir / "A/data/x", "x");
    const std::string program = FarScript(
        dir, "locked",
        "printf './data type=dir\\n#\\tunreadable: 13 ./data\\n#\\tentries: 2\\n'; cat >/dev/null");
    RunOptions options;
    options.Environment = FarEnvironment(program);
    const TReport far =
        Compare(dir, dir / "A", TSshServer::Instance().Url(dir / "B"), {"/noHeader"}, options);
    EXPECT_EQ(far.Run.Status, 0) << far.Run.Out;
    EXPECT_NE(far.Text.find("data/,/,data/,/,\"相違: フォルダを読めません(比較先: Permission "
                            "denied)\""),
              std::string::npos)
        << far.Text;
    EXPECT_NE(far.Text.find("x,data/,,,\"相違: 比較先のフォルダを読めません\""), std::string::npos)
        << far.Text;
}

// Waits until a far side serves folder and is under way, then freezes it
// (SIGSTOP), so that the near side cannot finish before act runs, whatever
// the machine's speed; act gets the near side's and the far side's ids.
void MidRun(const std::string& folder, int near,
            const std::function<void(int, const std::vector<int>&)>& act) {
    const TSshServer& server = TSshServer::Instance();
    for (int i = 0; i < 5000 && server.FarServers(folder).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::vector<int> far = server.FarServers(folder);
    for (int pid : far)
        kill(pid, SIGSTOP);
    act(near, far);
}

// True once no far side serves folder any more (within ten seconds).
bool FarSideGone(const std::string& folder) {
    for (int i = 0; i < 1000; ++i) {
        if (TSshServer::Instance().FarServers(folder).empty())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(RemoteCompare, LargeTreeStopAndLostFarSide) {
    TempDir dir;
    const std::string tree = dir / "tree";
    // Empty files, made with one call each: the tree is compared with itself.
    for (int folder = 0; folder < TANDRIL_LARGE_TREE_FOLDERS; ++folder) {
        const std::string path = tree + "/d" + std::to_string(folder) + "/";
        MakeFolder(path);
        for (int file = 0; file < 999; ++file)
            close(creat((path + std::to_string(file)).c_str(), 0644));
    }
    const TSshServer& server = TSshServer::Instance();
    const std::string far = server.Url(tree);

    const TReport whole = Compare(dir, tree, far);
    EXPECT_EQ(whole.Run.Status, 0) << whole.Run.Out;
    const std::string count = std::to_string(TANDRIL_LARGE_TREE_FOLDERS * 1000);
    EXPECT_NE(
        whole.Run.Out.find("比較回数 : " + count + " 件  等価 : " + count + " 件  相違 : 0 件"),
        std::string::npos)
        << whole.Run.Out;

    // SIGTERM: ssh and the far side end, the run says it was cut off. The
    // far side, frozen meanwhile, finds the end of its input once thawed.
    std::vector<int> frozen;
    RunOptions stop;
    stop.WhileRunning = [&](int pid) {
        MidRun(tree, pid, [&](int near, const std::vector<int>& far) {
            frozen = far;
            kill(near, SIGTERM);
        });
    };
    const TReport stopped = Compare(dir, tree, far, {}, stop);
    for (int pid : frozen)
        kill(pid, SIGCONT);
    EXPECT_EQ(stopped.Run.Status, 3) << stopped.Run.Out;
    EXPECT_EQ(stopped.Run.Out.find("処理が完了しました"), std::string::npos) << stopped.Run.Out;
    EXPECT_TRUE(FarSideGone(tree));

    // The far side killed midway: a dropped connection, never a whole report.
    RunOptions lost;
    lost.WhileRunning = [&](int pid) {
        MidRun(tree, pid, [](int, const std::vector<int>& far) {
            for (int pid : far)
                kill(pid, SIGKILL);
        });
    };
    const TReport dropped = Compare(dir, tree, far, {}, lost);
    EXPECT_EQ(dropped.Run.Status, 26) << dropped.Run.Out;
    EXPECT_NE(dropped.Run.Out.find("途中で切れました"), std::string::npos) << dropped.Run.Out;
    EXPECT_EQ(dropped.Run.Out.find("処理が完了しました"), std::string::npos) << dropped.Run.Out;
}

}  // namespace

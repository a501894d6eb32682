// TandrilB /snapshot: what it checks, what it writes, and round trips with
// the BSD tools that read and write the same format (mtree-netbsd and bsdtar).
#include <gtest/gtest.h>

#include <filesystem>

#include "BatchTestSupport.h"

namespace {

// Names that every byte sequence rule must survive.
const std::vector<std::string> kNames = {
    "plain.txt",  "with blank", "new\nline", "back\\slash", "bad\xff\xfe",
    "日本語.txt", "#hash",      "star*?[x]", "eq=ual",
};

void MakeTree(const std::string& root) {
    MakeFolder(root + "/sub dir");
    for (size_t i = 0; i < kNames.size(); ++i)
        MakeFile(root + "/sub dir/" + kNames[i], std::string(i * 100, 'x') + kNames[i]);
    MakeFile(root + "/top.txt", "top");
    SetTimes(root + "/sub dir", kFixedTime, kFixedTime);
}

RunResult RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
    RunOptions options;
    options.Program = program;
    return RunTandrilB(arguments, options);
}

}  // namespace

TEST(SnapshotCommand, SettingsAreCheckedBeforeAnythingIsWritten) {
    TempDir dir;
    MakeFolder(dir / "a");
    const std::string s = dir / "s.mtree";
    const struct {
        std::vector<std::string> Arguments;
        int Status;
        std::string Out;
    } cases[] = {
        {{"/snapshot"},
         242,
         "スナップショットのファイルが指定されていません \"/snapshot [ファイル名]\"\n"},
        {{"/snapshot", s}, 254, "比較元のパスが指定されていません \"/fromdir [比較元のパス]\"\n"},
        {{"/snapshot", s, "/fromdir", dir / "a", "/digest", "md5"},
         241,
         "ダイジェストの種類が不正です \"/digest [sha256,xxh128]\"\n"},
        {{"/file", s, "/fromdir", dir / "a", "/todir", dir / "a", "/digest", "sha1"},
         241,
         "ダイジェストの種類が不正です \"/digest [sha256,xxh128]\"\n"},
        {{"/snapshot", s, "/fromdir", dir / "none"}, 2, "比較元のパスが不正です\n"},
        {{"/snapshot", s, "/fromdir", dir / "a", "/exclude", "[x"}, 248, ""},
        {{"/snapshot", dir / "none/s.mtree", "/fromdir", dir / "a"},
         1,
         "ファイルのオープンに失敗しました\r\nファイル " + dir / "none/s.mtree" +
             " を作成できません\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Arguments));
        RunResult run = RunTandrilB(c.Arguments);
        EXPECT_EQ(run.Status, c.Status);
        if (!c.Out.empty()) {
            EXPECT_EQ(run.Out, c.Out);
        }
        EXPECT_FALSE(Exists(s));
    }
}

TEST(SnapshotCommand, SnapshotsRoundTripWithTheBsdTools) {
    TempDir dir;
    const std::string tree = dir / "tree", snapshot = dir / "tandril.mtree";
    MakeTree(tree);
    RunResult run = RunTandrilB({"/snapshot", snapshot, "/fromdir", tree});
    ASSERT_EQ(run.Status, 0) << run.Out;
    EXPECT_EQ(run.Out, "スナップショットを保存しました. 項目 : 12 件\r\n");

    // NetBSD's mtree verifies it: no mismatch on the untouched tree.
    RunResult verify = RunProgram("/usr/bin/mtree", {"-p", tree, "-f", snapshot});
    EXPECT_EQ(verify.Status, 0) << verify.Out << verify.Err;
    EXPECT_EQ(verify.Out, "");
    // Specs the BSD tools write, read by TandrilB: every entry equal.
    RunResult hierarchical = RunProgram("/usr/bin/mtree", {"-c", "-K", "sha256digest", "-p", tree});
    ASSERT_EQ(hierarchical.Status, 0);
    MakeFile(dir / "netbsd.mtree", hierarchical.Out);
    ASSERT_EQ(RunProgram("/usr/bin/bsdtar", {"--format=mtree", "--options=sha256", "-cf",
                                             dir / "bsdtar.mtree", "-C", tree, "."})
                  .Status,
              0);
    ASSERT_EQ(
        RunTandrilB({"/snapshot", dir / "xxh.mtree", "/fromdir", tree, "/digest", "xxh128"}).Status,
        0);
    // A snapshot of a spec: the hierarchical style rewritten line by line.
    ASSERT_EQ(RunTandrilB({"/snapshot", dir / "rewritten.mtree", "/fromdir", dir / "netbsd.mtree"})
                  .Status,
              0);
    const std::vector<std::string> specs = {snapshot, dir / "netbsd.mtree", dir / "bsdtar.mtree",
                                            dir / "xxh.mtree", dir / "rewritten.mtree"};
    for (const std::string& spec : specs) {
        SCOPED_TRACE(spec);
        run = RunTandrilB({"/file", "-", "/fromdir", spec, "/todir", tree, "/encoding", "utf8",
                           "/noComment", "/noHeader"});
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Err, "処理が完了しました. 比較回数 : 11 件  等価 : 11 件  相違 : 0 件\r\n");
    }

    // The same size and time, other bytes: only the digest tells.
    const std::string changed = tree + "/sub dir/" + kNames[2];
    MakeFile(changed, std::string(200, 'y') + kNames[2]);
    verify = RunProgram("/usr/bin/mtree", {"-p", tree, "-f", snapshot});
    EXPECT_NE(verify.Status, 0);
    EXPECT_NE(verify.Out.find("sha256"), std::string::npos) << verify.Out;
    for (const std::string& spec : specs) {
        SCOPED_TRACE(spec);
        run = RunTandrilB({"/file", "-", "/fromdir", spec, "/todir", tree, "/encoding", "utf8",
                           "/noComment", "/noHeader"});
        EXPECT_EQ(run.Err, "処理が完了しました. 比較回数 : 11 件  等価 : 10 件  相違 : 1 件\r\n");
        EXPECT_NE(
            run.Out.find(
                "\"new\nline\",\"sub dir/\",\"new\nline\",\"sub dir/\",\"相違: 内容が不一致\""),
            std::string::npos)
            << run.Out;
    }
}

TEST(SnapshotCommand, StandardOutputCarriesTheSnapshotAndAFailureLeavesNothingHalf) {
    TempDir dir;
    MakeTree(dir / "tree");
    RunResult run = RunTandrilB({"/snapshot", "-", "/fromdir", dir / "tree"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out.rfind("#mtree\n", 0), 0u);
    EXPECT_NE(run.Out.find("\n#\tentries: 12\n"), std::string::npos);
    EXPECT_EQ(run.Err, "スナップショットを保存しました. 項目 : 12 件\r\n");
    run = RunTandrilB(
        {"/snapshot", "-", "/fromdir", dir / "tree", "/digest", "XXH128", "/exclude", "*.txt"});
    EXPECT_NE(run.Out.find("\n#\toptions: /digest xxh128 /exclude *.txt\n"), std::string::npos);
    EXPECT_EQ(run.Out.find(".txt type="), std::string::npos);
    EXPECT_NE(run.Out.find(" tandril_xxh128="), std::string::npos);

    // A file-size limit cuts the snapshot short: the earlier one stays as it
    // was, and no temporary file is left beside it.
    const std::string snapshot = dir / "s.mtree";
    MakeFile(snapshot, "earlier snapshot\n");
    RunOptions limited;
    limited.FileSizeLimit = 1000;
    run = RunTandrilB({"/snapshot", snapshot, "/fromdir", dir / "tree"}, limited);
    EXPECT_EQ(run.Status, 4);
    EXPECT_EQ(run.Out,
              "ファイルの書き込みに失敗しました\r\nファイル " + snapshot + " に書き込めません\n");
    EXPECT_EQ(ReadFile(snapshot), "earlier snapshot\n");
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1u);
}

TEST(SnapshotCommand, FilesThatCannotBeReadAreNamedAndNeverEqualLater) {
    if (!CanDropPrivileges())
        GTEST_SKIP() << "needs root to run as nobody";
    TempDir dir;
    MakeFile(dir / "tree/open.txt", "open");
    MakeFile(dir / "tree/secret.txt", "secret");
    MakeFile(dir / "tree/locked/inside.txt", "inside");
    chmod((dir / "tree/secret.txt").c_str(), 0);
    chmod((dir / "tree/locked").c_str(), 0);
    chmod(dir.Path().c_str(), 0777);
    RunOptions nobody;
    nobody.AsNobody = true;
    RunResult run = RunTandrilB({"/snapshot", dir / "s.mtree", "/fromdir", dir / "tree"}, nobody);
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out,
              "スナップショットを保存しました. 項目 : 4 件  読めなかったファイル : 1 件  "
              "読めなかったフォルダ : 1 件\r\n");
    const std::string text = ReadFile(dir / "s.mtree");
    EXPECT_NE(
        text.find("\n# バイナリ比較失敗>open file error!!>ファイル " + dir / "tree/secret.txt" +
                  " は開けません\n./secret.txt type=file mode=0000"),
        std::string::npos)
        << text;
    run = RunTandrilB({"/file", "-", "/fromdir", dir / "s.mtree", "/todir", dir / "tree",
                       "/encoding", "utf8", "/noComment", "/noHeader"});
    EXPECT_NE(run.Out.find("secret.txt,/,secret.txt,/,\"相違: 不明(ダイジェストが無い)\""),
              std::string::npos)
        << run.Out;
    // A folder the snapshot could not read is no empty folder: what the tree
    // holds below it is not taken for new.
    EXPECT_NE(run.Out.find("locked/,/,locked/,/,\"相違: フォルダを読めません(比較元: "),
              std::string::npos)
        << run.Out;
    EXPECT_NE(run.Out.find(",,inside.txt,locked/,\"相違: 比較元のフォルダを読めません\""),
              std::string::npos)
        << run.Out;
    chmod((dir / "tree/locked").c_str(), 0755);
}

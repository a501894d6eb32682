// The demo folders in examples/ show every kind of result with the default
// options, once prepare.sh has set what git cannot keep.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "BatchTestSupport.h"

#ifndef TANDRIL_SOURCE_DIR
#error "TANDRIL_SOURCE_DIR must name the source tree"
#endif

namespace fs = std::filesystem;

namespace {

// Copies the folders and regular files of examples/ (a FIFO left by an earlier
// prepare.sh is made again by the copy's own prepare.sh).
void CopyExamples(const std::string& to) {
    fs::path from = fs::path(TANDRIL_SOURCE_DIR) / "examples";
    for (const auto& entry : fs::recursive_directory_iterator(from)) {
        fs::path target = to / fs::relative(entry.path(), from);
        if (entry.is_directory()) {
            fs::create_directories(target);
        } else if (entry.is_regular_file()) {
            fs::copy_file(entry.path(), target);
            fs::permissions(target, entry.status().permissions());
        }
    }
}

TEST(Examples, DemoFoldersShowEveryKindOfResult) {
    TempDir dir;
    CopyExamples(dir / "examples");
    ASSERT_EQ(std::system(("bash '" + dir / "examples/prepare.sh" + "'").c_str()), 0);
    // A second run changes nothing.
    ASSERT_EQ(std::system(("bash '" + dir / "examples/prepare.sh" + "'").c_str()), 0);

    RunResult run =
        RunTandrilB({"/file", dir / "demo.csv", "/fromdir", dir / "examples/source", "/todir",
                     dir / "examples/target", "/noComment", "/noHeader", "/encoding", "utf8"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "処理が完了しました. 比較回数 : 11 件  等価 : 4 件  相違 : 7 件\r\n");
    EXPECT_EQ(ReadFile(dir / "demo.csv"),
              "content-differs.txt,/,content-differs.txt,/,\"相違: 内容が不一致\",0,0\r\n"
              "docs/,/,docs/,/,等価,1,1\r\n"
              "readme.txt,docs/,readme.txt,docs/,等価,2,2\r\n"
              "equal.txt,/,equal.txt,/,等価,3,3\r\n"
              "fifo-vs-file,/,fifo-vs-file,/,\"相違: 属性 \",4,4\r\n"
              "folder-vs-file/,/,folder-vs-file,/,\"相違: フォルダとファイル \",5,5\r\n"
              "only-in-source.txt,folder-vs-file/,,,比較先無し,6,\r\n"
              ",,\"only in target.txt\",/,比較元無し,,6\r\n"
              "size-differs.txt,/,size-differs.txt,/,\"相違: サイズ \",7,7\r\n"
              "time-differs.txt,/,time-differs.txt,/,\"相違: 更新日 \",8,8\r\n"
              "日本語.txt,/,日本語.txt,/,等価,9,9\r\n");
}

}  // namespace

// Snapshots as a side of a comparison: the rows are those of the tree it was
// made of, contents compare by digest, what was never compared is never
// equal, and a snapshot that cannot stand for a tree ends the run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "TEntrySource.h"
#include "TExcludeFilter.h"
#include "TSnapshotWriter.h"
#include "TempTree.h"

namespace {

// Every event and row of one run.
std::vector<std::string> RunLines(const std::string& m, const std::string& s,
                                  const TCompareOption& option = {}) {
    TRecorder recorder;
    TCompare engine(&recorder);
    RunCompare(engine, m, s, option);
    std::vector<std::string> lines = recorder.Events;
    for (const auto& row : recorder.Rows) {
        std::string line;
        for (const auto& field : row)
            line += field + "|";
        lines.push_back(line);
    }
    lines.push_back("status " + std::to_string(engine.GetStatus()) + " " +
                    engine.GetErrorMessage() + " " + engine.GetSummary());
    return lines;
}

// The base tree both sides start from.
void MakeBase(TTempTree& tree, const std::string& top) {
    tree.File(top + "/a.txt", "hello");
    tree.File(top + "/sub/b.txt", "world");
    tree.File(top + "/sub/deep/c.bin", std::string(300000, 'c'));
    tree.File(top + "/.hidden", "h");
    tree.File(top + "/node_modules/x.js", "x");
    tree.Folder(top + "/empty");
    tree.Fifo(top + "/fifo");
    tree.Link(top + "/lnk", "a.txt");
}

std::string Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string Hex(platform::TDigestKind kind, const std::string& bytes) {
    platform::TDigester digester;
    digester.Start(kind);
    digester.Update(bytes.data(), bytes.size());
    return platform::DigestHex(digester.Finish());
}

}  // namespace

TEST(Snapshot, SnapshotSideGivesTheRowsOfItsTree) {
    TCompareOption readOnly;
    readOnly.IgnoreAttrR = false;
    TCompareOption excluding;
    excluding.Exclude = {"node_modules/", "*.bin"};
    const struct {
        const char* Name;
        std::function<void(TTempTree&)> Change;
        TCompareOption Option;
    } cases[] = {
        {"unchanged", [](TTempTree&) {}, {}},
        {"same size, other bytes", [](TTempTree& t) { t.File("b/a.txt", "jello"); }, {}},
        {"other bytes deep in a large file",
         [](TTempTree& t) { t.File("b/sub/deep/c.bin", std::string(299999, 'c') + "d"); },
         {}},
        {"other size", [](TTempTree& t) { t.File("b/a.txt", "hello!"); }, {}},
        {"other time", [](TTempTree& t) { t.SetTime("b/a.txt", 1600000002); }, {}},
        {"added and removed",
         [](TTempTree& t) {
             t.File("b/new/n.txt", "n");
             std::filesystem::remove(t.Path("b/sub/b.txt"));
         },
         {}},
        {"folder against file",
         [](TTempTree& t) {
             std::filesystem::remove(t.Path("b/empty"));
             t.File("b/empty", "");
         },
         {}},
        {"read-only", [](TTempTree& t) { t.Mode("b/a.txt", 0444); }, readOnly},
        {"excluded", [](TTempTree& t) { t.File("b/node_modules/x.js", "changed"); }, excluding},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTempTree tree;
        MakeBase(tree, "a");
        MakeBase(tree, "b");
        c.Change(tree);
        for (auto kind : {platform::TDigestKind::Sha256, platform::TDigestKind::Xxh128}) {
            const std::string a = WriteSnapshot(tree.Path("a"), tree.Path("a.mtree"), kind);
            const std::string b = WriteSnapshot(tree.Path("b"), tree.Path("b.mtree"), kind);
            const auto folders = RunLines(tree.Path("a"), tree.Path("b"), c.Option);
            EXPECT_EQ(RunLines(a, tree.Path("b"), c.Option), folders);
            EXPECT_EQ(RunLines(a, b, c.Option), folders);
            EXPECT_EQ(RunLines(tree.Path("b"), a, c.Option),
                      RunLines(tree.Path("b"), tree.Path("a"), c.Option));
        }
    }
}

TEST(Snapshot, ContentsNeverComparedAreNeverEqual) {
    TTempTree tree;
    for (const char* name : {"none.txt", "xxh.txt", "bare.txt"})
        tree.File(std::string("t/") + name, "hello");
    tree.Link("t/lnk", "xxh.txt");
    tree.Link("t/moved", "xxh.txt");
    tree.File("t/plain", "not a link");
    const std::string head = "#mtree\n. type=dir\n";
    const std::string common =
        "./none.txt type=file size=5 time=1600000000\n"
        "./bare.txt type=file sha256digest=" +
        Hex(platform::TDigestKind::Sha256, "hello") +
        "\n"
        "./lnk type=link link=xxh.txt\n./moved type=link link=elsewhere\n"
        "./plain type=link link=xxh.txt\n";
    const std::string xxh =
        Write(tree.Path("xxh.mtree"),
              head + common + "./xxh.txt type=file size=5 time=1600000000 tandril_xxh128=" +
                  Hex(platform::TDigestKind::Xxh128, "hello") + "\n");
    const std::string sha =
        Write(tree.Path("sha.mtree"),
              head + common + "./xxh.txt type=file size=5 time=1600000000 sha256digest=" +
                  Hex(platform::TDigestKind::Sha256, "hello") + "\n");

    TRecorder recorder;
    TCompare engine(&recorder);
    ASSERT_EQ(RunCompare(engine, xxh, tree.Path("t")), 0) << engine.GetErrorMessage();
    EXPECT_EQ(recorder.ResultOf("none.txt"), "相違: 不明(ダイジェストが無い)");
    EXPECT_EQ(recorder.ResultOf("xxh.txt"), "等価");
    EXPECT_EQ(recorder.ResultOf("bare.txt"), "等価");  // no size or time recorded: not compared
    EXPECT_EQ(recorder.ResultOf("lnk"), "等価");
    EXPECT_EQ(recorder.ResultOf("moved"), "相違: 内容が不一致");
    EXPECT_EQ(recorder.ResultOf("plain"), "相違: 内容が不一致");
    EXPECT_EQ(engine.GetSummary(), "3 件の相違が見つかりました");

    TRecorder snapshots;
    TCompare both(&snapshots);
    ASSERT_EQ(RunCompare(both, xxh, sha), 0);
    EXPECT_EQ(snapshots.ResultOf("xxh.txt"), "相違: 不明(ダイジェストの種類が違う)");
    EXPECT_EQ(snapshots.ResultOf("none.txt"), "相違: 不明(ダイジェストが無い)");
    EXPECT_EQ(snapshots.ResultOf("moved"), "等価");
}

TEST(Snapshot, SnapshotThatCannotStandForATreeEndsTheRun) {
    TTempTree tree;
    tree.Folder("t");
    const struct {
        const char* Text;
        const char* Message;  // after "スナップショット <file> の "
    } cases[] = {
        {". type=dir\n./a type=file\n./b type=file\n./a type=file\n",
         "4 行目: パスが重複しています: ./a"},
        {"./a type=file\n./a/b type=file\n", "2 行目: パスが重複しています: ./a"},
        {". type=file\n", "1 行目: ルート . がフォルダではありません"},
        {"sub type=dir\n..\n./sub type=dir\n", "3 行目: パスが重複しています: ./sub"},
        {"./x type=file sha256digest=xyz\n",
         "1 行目: ダイジェストの長さが不正です: sha256digest=xyz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        const std::string file = Write(tree.Path("bad.mtree"), c.Text);
        for (bool source : {true, false}) {
            TRecorder recorder;
            TCompare engine(&recorder);
            RunCompare(engine, source ? file : tree.Path("t"), source ? tree.Path("t") : file);
            EXPECT_EQ(engine.TestPaths(), 0);  // refused only once it is read
            EXPECT_EQ(engine.GetStatus(), CompareStatus::BadSnapshot);
            EXPECT_EQ(engine.GetErrorMessage(), "スナップショット " + file + " の " + c.Message);
            EXPECT_EQ(recorder.Events, (std::vector<std::string>{"begin", "end"}));
        }
    }
}

TEST(Snapshot, WriterRecordsWhatAComparisonSeesAndStopsWhenAsked) {
    TTempTree tree;
    tree.File("t/sub/a.txt", "a");
    tree.Fifo("t/fifo");
    tree.Link("t/dangling", "nowhere");
    tree.Link("t/sub/loop", "..");
    tree.Link("t/same", "sub/a.txt");
    std::string text;
    std::atomic<bool> stop{false};
    TSnapshotWriter writer(stop);
    writer.SetExclude({"*.skip"});
    tree.File("t/x.skip", "left out");
    auto write = [&text](std::string_view bytes) {
        text.append(bytes);
        return true;
    };
    ASSERT_EQ(writer.Write(tree.Path("t"), write), TSnapshotWriter::TResult::Written);
    const std::string sha = Hex(platform::TDigestKind::Sha256, "a");
    for (const std::string& line :
         std::vector<std::string>{"\n./dangling type=link mode=0777 ", " link=nowhere\n",
                                  "\n./fifo type=fifo mode=", "\n./same type=file mode=0644 ",
                                  " size=1 time=1600000000.000000000 sha256digest=" + sha,
                                  "\n./sub/loop type=dir ", "\n#\tentries: 7\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    }
    EXPECT_EQ(text.find("skip"), std::string::npos);
    EXPECT_EQ(writer.Entries(), 7);

    // A stop while the lines are written ends the run before the count line.
    for (int i = 0; i < 1000; ++i)
        tree.File("t/many/" + std::to_string(i), "m");
    text.clear();
    TSnapshotWriter stopped(stop);
    auto stopAtFirstBlock = [&](std::string_view bytes) {
        stop = true;
        return write(bytes);
    };
    EXPECT_EQ(stopped.Write(tree.Path("t"), stopAtFirstBlock), TSnapshotWriter::TResult::Stopped);
    EXPECT_NE(text.find("./many/"), std::string::npos);
    EXPECT_EQ(text.find("entries:"), std::string::npos);
}

TEST(Snapshot, RecordsBecomeTheEntriesAListingWouldMake) {
    TTempTree tree;
    const struct {
        const char* Text;
        std::vector<std::string> Exclude;
        std::vector<std::string> Entries;  // by RelPath: RelPath|kind|attributes
    } cases[] = {
        // Folders that hold entries but have no line are made up.
        {"./a/b/c type=file mode=0444\n", {}, {"a|1|10", "a/b|1|10", "a/b/c|0|1"}},
        // ... and filled in when their line comes later.
        {"./a/b type=file\n./a type=dir mode=0555 time=1600000000\n", {}, {"a|1|11", "a/b|0|0"}},
        // Excluded folders take what lies below them; names begin hidden with ".".
        {"./a/x type=file\n./b type=file\n./.h type=file\n./a type=dir\n",
         {"a/"},
         {".h|0|2", "b|0|0"}},
        // Special files are system entries; a recorded link is known by its text.
        {"./dev type=char\n./sock type=socket\n./l type=link link=t\n",
         {},
         {"dev|3|4", "l|8|400", "sock|5|4"}},
        // The hierarchical style: a folder line enters the folder.
        {". type=dir\nd type=dir\n f type=file size=3\n..\ng type=fifo\n",
         {},
         {"d|1|10", "d/f|0|0", "g|2|4"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        const std::string file = Write(tree.Path("s.mtree"), c.Text);
        auto source = MakeEntrySource(file);
        TEntryList list(source);
        std::atomic<bool> stop{false};
        std::optional<TExcludeFilter> filter;
        if (!c.Exclude.empty())
            filter.emplace(c.Exclude);
        const TListOutcome outcome =
            source->List(list, TListRequest{stop, filter ? &*filter : nullptr});
        ASSERT_EQ(outcome.Status, 0) << outcome.Message;
        std::vector<std::pair<std::string, std::string>> found;
        for (int i = 0; i < list.Count(); ++i) {
            const TSearchRecEx& e = *list.At(i);
            char attr[16];
            std::snprintf(attr, sizeof attr, "%x", e.Attr);
            found.emplace_back(e.RelPath(), "|" + std::to_string(int(e.Kind)) + "|" + attr);
        }
        std::sort(found.begin(), found.end());
        std::vector<std::string> entries;
        for (const auto& [path, facts] : found)
            entries.push_back(path + facts);
        EXPECT_EQ(entries, c.Entries);
        EXPECT_EQ(outcome.Result, int(c.Entries.size()));
    }
}

// Exclude patterns: what each form matches, what is refused, and a run on
// real trees where excluded entries get no row and excluded folders are
// never entered.
#include <gtest/gtest.h>

#include "TExcludeFilter.h"
#include "TempTree.h"

namespace {

bool Excludes(const std::string& pattern, const std::string& path, bool isFolder,
              bool caseSensitive = false) {
    TExcludeFilter filter({pattern}, caseSensitive);
    platform::TCaseFolder folder(!filter.CaseSensitive());
    std::vector<std::u32string> dir;
    std::string rest = path;
    for (size_t slash; (slash = rest.find('/')) != std::string::npos;) {
        dir.push_back(TExcludeFilter::Fold(folder, rest.substr(0, slash)));
        rest.erase(0, slash + 1);
    }
    return filter.Excludes(dir, TExcludeFilter::Fold(folder, rest), isFolder);
}

}  // namespace

TEST(Exclude, EachFormMatchesWhatItSays) {
    const struct {
        const char* Pattern;
        const char* Path;
        bool Folder;
        bool Excluded;
    } cases[] = {
        // A name at any depth.
        {"node_modules", "node_modules", true, true},
        {"node_modules", "web/app/node_modules", true, true},
        {"node_modules", "web/node_modules_old", true, false},
        {"*.o", "src/deep/x.o", false, true},
        {"*.o", "src/x.o.txt", false, false},
        {"?.txt", "a.txt", false, true},
        {"?.txt", "ab.txt", false, false},
        {"[a-c]*.log", "b1.log", false, true},
        {"[!a-c]*.log", "b1.log", false, false},
        {"[^a-c]*.log", "d1.log", false, true},
        {"[]x]", "]", false, true},
        {"\\*.txt", "*.txt", false, true},
        {"\\*.txt", "a.txt", false, false},
        {"**", "anything", false, true},
        // Letter case and normalisation form as pairing ignores them; kana
        // type and width are not ignored.
        {"*.JPG", "photo.jpg", false, true},
        {"Caf\u00e9", "CAFE\u0301", false, true},
        {"[A-Z].txt", "q.txt", false, true},
        {"\u3042*", "\u30a2.txt", false, false},
        // Folders only.
        {"cache/", "cache", true, true},
        {"cache/", "cache", false, false},
        {"cache/", "a/b/cache", true, true},
        // A path below the compared folder.
        {"docs/*.tmp", "docs/a.tmp", false, true},
        {"docs/*.tmp", "x/docs/a.tmp", false, false},
        {"docs/*.tmp", "docs/sub/a.tmp", false, false},
        {"/build", "build", true, true},
        {"/build", "src/build", true, false},
        {"/build/", "build", false, false},
        // Any number of levels.
        {"**/tmp", "tmp", true, true},
        {"**/tmp", "a/b/tmp", true, true},
        {"a/**/b", "a/b", false, true},
        {"a/**/b", "a/x/y/b", false, true},
        {"a/**/b", "a/x/y/c", false, false},
        {"logs/**", "logs/x/y.txt", false, true},
        {"logs/**", "logs", true, false},
        {"src/**/*.o", "src/a/b/c.o", false, true},
        {"a**b", "a/b", false, false},  // within a part, "**" is "*"
        // A byte that is not UTF-8 matches itself, and "?" takes it.
        {"\xff?", "\xff\xfe", false, true},
        {"\xff", "\xfe", false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Excludes(c.Pattern, c.Path, c.Folder), c.Excluded)
            << c.Pattern << " against " << c.Path << (c.Folder ? "/" : "");
    // Case sensitively only the normalisation form is ignored.
    const struct {
        const char* Pattern;
        const char* Path;
        bool Excluded;
    } caseSensitive[] = {
        {"*.JPG", "photo.jpg", false},     {"*.JPG", "photo.JPG", true},
        {"Caf\u00e9", "Cafe\u0301", true}, {"Caf\u00e9", "CAFE\u0301", false},
        {"[A-Z].txt", "q.txt", false},     {"Build/", "build", false},
        {"src/**", "src/Main.C", true},
    };
    for (const auto& c : caseSensitive)
        EXPECT_EQ(Excludes(c.Pattern, c.Path, true, true), c.Excluded)
            << "case sensitive: " << c.Pattern << " against " << c.Path;
}

TEST(Exclude, MalformedPatternsAreRefusedWithAReason) {
    const struct {
        const char* Pattern;
        const char* Reason;
    } cases[] = {
        {"", "パターンが空です"},
        {"/", "パターンが空です"},
        {"[abc", "「[」に対応する「]」がありません"},
        {"a[/]b", "「[」に対応する「]」がありません"},
        {"name\\", "パターンが「\\」で終わっています"},
        {"!keep.txt", "「!」で始まるパターン (除外の取り消し) は使えません"},
        {"\\!keep.txt", ""},
        {"[]]", ""},
        {"a/**/b/", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TExcludeFilter::CheckPattern(c.Pattern), c.Reason) << c.Pattern;
}

TEST(Exclude, ExcludedEntriesGetNoRowAndExcludedFoldersAreNotEntered) {
    TTempTree m, s;
    for (TTempTree* tree : {&m, &s}) {
        tree->File("src/main.c", "int main;");
        tree->File("src/main.o", tree == &m ? "old" : "new");
        tree->File("node_modules/lib/index.js", tree == &m ? "1" : "2");
        tree->File("web/node_modules/x.js", "x");
        tree->File("Cache/data", "d");
        tree->File("cache", "a file, not a folder");
        // A link is a folder or a file as its target is.
        tree->Link("lib/node_modules", "../src");
        tree->Link("lib/tmp", "../cache");
    }
    TCompareOption option;
    option.Exclude = {"*.O", "node_modules/", "/Cache/", "tmp/"};
    TRecorder recorder;
    TCompare engine(&recorder);
    ASSERT_EQ(RunCompare(engine, m.Path(), s.Path(), option), 0);
    std::vector<std::vector<std::string>> expected = {
        {"cache", "/", "cache", "/", "等価", "0", "0"},
        {"lib/", "/", "lib/", "/", "等価", "1", "1"},
        {"tmp", "lib/", "tmp", "lib/", "等価", "2", "2"},
        {"src/", "/", "src/", "/", "等価", "3", "3"},
        {"main.c", "src/", "main.c", "src/", "等価", "4", "4"},
        {"web/", "/", "web/", "/", "等価", "5", "5"},
    };
    EXPECT_EQ(recorder.Rows, expected);
    EXPECT_EQ(engine.GetSummary(), "相違はありませんでした");

    // Without patterns every entry is there again.
    recorder.Rows.clear();
    ASSERT_EQ(RunCompare(engine, m.Path(), s.Path()), 0);
    EXPECT_EQ(recorder.Rows.size(), 17u);
}

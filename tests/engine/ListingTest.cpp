// Listing of real folder trees: paths, attributes, links, special files and
// trees deeper than the kernel's path limit.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <map>

#include "TEntryList.h"
#include "TFolderLister.h"
#include "TempTree.h"

namespace {

// The listed entries by RelPath.
std::map<std::string, const TSearchRecEx*> ByRelPath(const TEntryList& list) {
    std::map<std::string, const TSearchRecEx*> entries;
    for (int i = 0; i < list.Count(); ++i)
        entries[list.At(i)->RelPath()] = list.At(i);
    return entries;
}

int ListInto(TEntryList& list, const std::string& root) {
    std::atomic<bool> stop{false};
    return TFolderLister(list, stop).ListTree(root);
}

}  // namespace

TEST(Listing, RelPathAndDirAreBuiltFromTheRoot) {
    TTempTree tree;
    tree.File("a/b.txt", "hello");
    for (std::string root : {tree.Path(), tree.Path() + "/"}) {
        TEntryList list;
        EXPECT_EQ(ListInto(list, root), 2);
        auto entries = ByRelPath(list);
        ASSERT_EQ(entries.size(), 2u);
        const TSearchRecEx* a = entries.at("a");
        const TSearchRecEx* b = entries.at("a/b.txt");
        EXPECT_EQ(a->Dir(), tree.Path() + "/");
        EXPECT_EQ(b->Dir(), tree.Path() + "/a/");
        EXPECT_EQ(b->FullPath(), tree.Path() + "/a/b.txt");
        EXPECT_EQ(a->RelDir(), "");
        EXPECT_EQ(b->RelDir(), "a");
        EXPECT_EQ(a->Attr, Attr::Directory);
        EXPECT_EQ(a->Size, 0);
        EXPECT_EQ(b->Size, 5);
        EXPECT_EQ(b->Index, 0);
        // Pre-order: a folder comes before what it holds.
        EXPECT_EQ(list.At(0), a);
    }
}

TEST(Listing, AttributesTimesAndHiddenEntries) {
    TTimeZone zone("JST-9");
    TTempTree tree;
    tree.File(".hidden/inner.txt", "x");
    tree.File("ro.txt", "x");
    tree.Mode("ro.txt", 0444);
    tree.Fifo("pipe");
    tree.File("odd.txt", "x");
    tree.SetTime("odd.txt", 1600000001, 700000000);
    TEntryList list;
    EXPECT_EQ(ListInto(list, tree.Path()), 5);
    auto e = ByRelPath(list);
    EXPECT_EQ(e.at(".hidden")->Attr, Attr::Directory | Attr::Hidden);
    EXPECT_EQ(e.at(".hidden/inner.txt")->Attr, 0u);
    EXPECT_EQ(e.at("ro.txt")->Attr, Attr::ReadOnly);
    EXPECT_EQ(e.at("pipe")->Attr, Attr::System);
    EXPECT_EQ(e.at("pipe")->Kind, TFileKind::Fifo);
    // The local reading floored to an even second; the file time keeps the
    // full value.
    EXPECT_EQ(e.at("odd.txt")->Time, 1600000000 + 9 * 3600);
    EXPECT_EQ(e.at("odd.txt")->FindData.LastWriteTime,
              (1600000001ull + 11644473600ull) * 10000000ull + 7000000ull);
    EXPECT_NE(e.at("odd.txt")->FindData.LastAccessTime, 0u);
}

TEST(Listing, SparseFileOfThreeGiBKeepsItsSize) {
    TTempTree tree;
    tree.File("big.bin", "");
    ASSERT_EQ(truncate(tree.Path("big.bin").c_str(), 3LL << 30), 0);
    TEntryList list;
    ListInto(list, tree.Path());
    EXPECT_EQ(list.At(0)->Size, 3221225472LL);
}

TEST(Listing, LinksAreFollowedButLoopsAreNotDescended) {
    TTempTree tree;
    tree.File("real/x.txt", "12345");
    tree.Link("real/up", "..");  // loop back to the root
    tree.Link("self", ".");      // loop to the root itself
    tree.Link("alias", "real");  // a second way into a folder
    tree.Link("file-link", "real/x.txt");
    tree.Link("dangling", "missing");
    TEntryList list;
    ListInto(list, tree.Path());
    auto e = ByRelPath(list);
    EXPECT_EQ(e.at("self")->Attr, Attr::Directory | Attr::SymLink);
    EXPECT_EQ(e.at("real/up")->Attr, Attr::Directory | Attr::SymLink);
    EXPECT_EQ(e.count("self/real"), 0u);
    EXPECT_EQ(e.count("real/up/real"), 0u);
    EXPECT_EQ(e.at("alias/x.txt")->Size, 5);
    EXPECT_EQ(e.at("alias/up")->Attr, Attr::Directory | Attr::SymLink);
    EXPECT_EQ(e.count("alias/up/real"), 0u);
    EXPECT_EQ(e.at("file-link")->Size, 5);
    EXPECT_EQ(e.at("file-link")->Attr, Attr::SymLink);
    EXPECT_EQ(e.at("dangling")->Kind, TFileKind::Dangling);
    EXPECT_EQ(e.at("dangling")->Size, 0);
    EXPECT_FALSE(e.at("dangling")->IsFolder());
    EXPECT_EQ(list.Count(), 9);
}

TEST(Listing, TreesDeeperThanThePathLimitAreListedCompletely) {
    TTempTree tree;
    // 300 levels of 20-character names: about 6300 characters, and far more
    // levels than folder handles are kept open at once.
    const int depth = 300;
    tree.Chain("", depth, std::string(20, 'd'));
    TEntryList list;
    EXPECT_EQ(ListInto(list, tree.Path()), 2 * depth);
    size_t longest = 0;
    for (int i = 0; i < list.Count(); ++i) {
        const TSearchRecEx* e = list.At(i);
        longest = std::max(longest, e->FullPath().size());
        // Every entry was examined: each file has its one byte.
        if (!e->IsFolder()) {
            EXPECT_EQ(e->Size, 1) << e->RelPath().size();
        }
    }
    EXPECT_GT(longest, size_t(PATH_MAX));
}

TEST(Listing, DeepTreeBehindALinkReopensItsFoldersByName) {
    TTempTree tree;
    // The link's parent is closed while the deep target is listed; ".." of the
    // target does not lead back to it, so it is reopened from the root.
    tree.Folder("root/a/b/c");
    tree.Folder("elsewhere");
    tree.Chain("elsewhere", 100, "n");
    tree.Link("root/a/b/c/link", "../../../../elsewhere");
    tree.File("root/a/b/c/zz-after.txt", "after");
    tree.File("root/a/zz-after.txt", "after");
    TEntryList list;
    EXPECT_EQ(ListInto(list, tree.Path("root")), 4 + 1 + 200 + 1);
    auto e = ByRelPath(list);
    EXPECT_EQ(e.at("a/b/c/zz-after.txt")->Size, 5);
    EXPECT_EQ(e.at("a/zz-after.txt")->Size, 5);
}

TEST(Listing, ClosedFoldersListAsEmpty) {
    TTempTree tree;
    tree.File("locked/secret.txt", "x");
    tree.Mode("locked", 0);
    tree.File("noexec/name.txt", "x");
    tree.Mode("noexec", 0644);  // names readable, entries not examinable
    tree.File("ok.txt", "x");
    std::string listed = RunUnprivileged([&] {
        TEntryList list;
        std::string text = std::to_string(ListInto(list, tree.Path()));
        for (const auto& [path, entry] : ByRelPath(list))
            text +=
                " " + path + ":" + std::to_string(entry->Attr) + ":" + std::to_string(entry->Size);
        return text;
    });
    EXPECT_EQ(listed, "4 locked:17:0 noexec:16:0 noexec/name.txt:0:0 ok.txt:0:1");
}

TEST(Listing, MissingRootGivesNothing) {
    TTempTree tree;
    TEntryList list;
    EXPECT_EQ(ListInto(list, tree.Path("missing")), 0);
    EXPECT_EQ(list.Count(), 0);
}

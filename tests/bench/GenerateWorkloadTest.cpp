#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <set>

#include "BenchFiles.h"
#include "BenchText.h"
#include "GenerateWorkload.h"
#include "TempFolder.h"

namespace fs = std::filesystem;

namespace {

struct TFileFacts {
    std::string Bytes;
    int64_t Time = 0;
};

// Every file below root by its relative path.
std::map<std::string, TFileFacts> ReadTree(const std::string& root) {
    std::map<std::string, TFileFacts> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        struct stat st;
        stat(entry.path().c_str(), &st);
        files[fs::relative(entry.path(), root).string()] = {ReadWholeFile(entry.path()),
                                                            st.st_mtime};
    }
    return files;
}

int CountDifferingBytes(const std::string& a, const std::string& b) {
    int count = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        count += a[i] != b[i];
    return count;
}

}  // namespace

// The trees hold exactly the differences the manifest lists, and nothing else:
// the check of every program's answer rests on this.
TEST(GenerateWorkload, ManySmallTreesDifferExactlyAsTheManifestSays) {
    TTempFolder temp;
    TManifest m = GenerateWorkload(Workload::ManySmall, 0.002, 7, temp / "w");
    auto a = ReadTree(temp / "w/A"), b = ReadTree(temp / "w/B");

    ASSERT_EQ(m.FilesA, 200);
    EXPECT_EQ(int64_t(a.size()), m.FilesA);
    EXPECT_EQ(int64_t(b.size()), m.FilesB);
    EXPECT_EQ(m.Changed.size(), 1u);
    EXPECT_EQ(m.Deleted.size(), 1u);
    EXPECT_EQ(m.Added.size(), 1u);
    EXPECT_EQ(m.Renamed.size(), 1u);
    TTreeCount countA = CountTree(temp / "w/A"), countB = CountTree(temp / "w/B");
    EXPECT_EQ(countA.Folders, m.FoldersA);
    EXPECT_EQ(countA.Bytes, m.BytesA);
    EXPECT_EQ(countB.Folders, m.FoldersB);
    EXPECT_EQ(countB.Bytes, m.BytesB);

    std::set<std::string> changed(m.Changed.begin(), m.Changed.end());
    std::set<std::string> deleted(m.Deleted.begin(), m.Deleted.end());
    std::map<std::string, std::string> renamed(m.Renamed.begin(), m.Renamed.end());
    std::set<std::string> seenInB;
    for (const auto& [path, facts] : a) {
        EXPECT_LE(facts.Bytes.size(), 256u * 1024) << path;
        if (deleted.count(path)) {
            EXPECT_FALSE(b.count(path)) << path;
            continue;
        }
        std::string other = renamed.count(path) ? renamed[path] : path;
        ASSERT_TRUE(b.count(other)) << other;
        seenInB.insert(other);
        const TFileFacts& copy = b[other];
        EXPECT_EQ(copy.Time, facts.Time) << path;
        ASSERT_EQ(copy.Bytes.size(), facts.Bytes.size()) << path;
        EXPECT_EQ(CountDifferingBytes(facts.Bytes, copy.Bytes), changed.count(path) ? 1 : 0)
            << path;
        if (renamed.count(path)) {
            EXPECT_NE(other, path);
            EXPECT_TRUE(std::equal(other.begin(), other.end(), path.begin(), path.end(),
                                   [](char x, char y) { return tolower(x) == tolower(y); }));
        }
    }
    for (const auto& [path, facts] : b) {
        if (!seenInB.count(path)) {
            EXPECT_EQ(m.Added, std::vector<std::string>{path});
        }
    }
}

// Every tenth file lies elsewhere in B with the same bytes and time, some in
// folders only B has; each moved file is also deleted and added, as a run
// without moved detection sees it.
TEST(GenerateWorkload, MovedTreesHoldEveryTenthFileElsewhere) {
    TTempFolder temp;
    TManifest m = GenerateWorkload(Workload::Moved, 0.01, 3, temp / "w");
    auto a = ReadTree(temp / "w/A"), b = ReadTree(temp / "w/B");
    ASSERT_EQ(m.FilesA, 200);
    ASSERT_EQ(m.Moved.size(), 20u);
    EXPECT_EQ(m.Deleted.size(), 20u);
    EXPECT_EQ(b.size(), a.size());
    EXPECT_EQ(CountTree(temp / "w/B").Folders, m.FoldersB);
    EXPECT_GT(m.FoldersB, m.FoldersA);
    std::map<std::string, std::string> moved(m.Moved.begin(), m.Moved.end());
    for (const auto& [path, facts] : a) {
        const std::string other = moved.count(path) ? moved[path] : path;
        ASSERT_TRUE(b.count(other)) << other;
        EXPECT_EQ(b[other].Bytes, facts.Bytes) << path;
        EXPECT_EQ(b[other].Time, facts.Time) << path;
        if (other != path) {
            EXPECT_FALSE(b.count(path)) << path;
            EXPECT_FALSE(facts.Bytes.empty()) << path;
        }
    }
}

// The timed run that leaves node_modules/ and .git/ out is checked against the
// manifest less the excluded entries: their count must be exact, and no
// difference may lie among them.
TEST(GenerateWorkload, VendoredHoldsNinetyPercentInExcludedFoldersThatDoNotDiffer) {
    TTempFolder temp;
    TManifest m = GenerateWorkload(Workload::Vendored, 0.01, 5, temp / "w");
    auto a = ReadTree(temp / "w/A"), b = ReadTree(temp / "w/B");
    const auto excluded = [](const std::string& path) {
        return path.starts_with("node_modules/") || path.starts_with(".git/");
    };
    int64_t excludedFiles = 0;
    for (const auto& [path, facts] : a) {
        if (!excluded(path))
            continue;
        ++excludedFiles;
        EXPECT_EQ(b.at(path).Bytes, facts.Bytes) << path;
    }
    EXPECT_EQ(int64_t(a.size()), m.FilesA);
    EXPECT_EQ(int64_t(b.size()), m.FilesB);
    EXPECT_EQ(m.ExcludedFilesA, excludedFiles);
    EXPECT_EQ(m.ExcludedFilesB, excludedFiles);
    EXPECT_EQ(excludedFiles * 10, m.FilesA * 9);
    EXPECT_EQ(m.FoldersA, CountTree(temp / "w/A").Folders);
    int64_t excludedFolders = 0;
    for (const auto& entry : fs::recursive_directory_iterator(temp / "w/A"))
        if (entry.is_directory())
            excludedFolders += excluded(fs::relative(entry.path(), temp / "w/A").string() + "/");
    EXPECT_EQ(m.ExcludedFoldersA, excludedFolders);
    EXPECT_TRUE(fs::exists(temp / "w/A/node_modules/pkg000003/node_modules"));
    for (const auto* list : {&m.Changed, &m.Deleted, &m.Added}) {
        EXPECT_FALSE(list->empty());
        for (const std::string& path : *list)
            EXPECT_FALSE(excluded(path)) << path;
    }
    for (const std::string& path : m.Changed)
        EXPECT_EQ(CountDifferingBytes(a.at(path).Bytes, b.at(path).Bytes), 1) << path;
}

TEST(GenerateWorkload, FewLargeDiffersInTheLastByteOfOneFile) {
    TTempFolder temp;
    TManifest m = GenerateWorkload(Workload::FewLarge, 0.001, 3, temp / "w");
    auto a = ReadTree(temp / "w/A"), b = ReadTree(temp / "w/B");
    ASSERT_EQ(a.size(), 20u);
    ASSERT_EQ(m.Changed.size(), 1u);
    size_t previous = 0;
    for (const auto& [path, facts] : a) {
        const std::string& copy = b.at(path).Bytes;
        ASSERT_EQ(copy.size(), facts.Bytes.size());
        EXPECT_GT(facts.Bytes.size(), previous) << "sizes grow with the file number";
        previous = facts.Bytes.size();
        if (path == m.Changed[0]) {
            EXPECT_EQ(CountDifferingBytes(facts.Bytes, copy), 1);
            EXPECT_NE(facts.Bytes.back(), copy.back());
        } else {
            EXPECT_EQ(facts.Bytes, copy) << path;
        }
    }
    // 64 MiB to 256 MiB at scale 1.
    EXPECT_NEAR(double(a.begin()->second.Bytes.size()), 64 * 1048.576, 1);
    EXPECT_NEAR(double(a.rbegin()->second.Bytes.size()), 256 * 1048.576, 1);
}

TEST(GenerateWorkload, SameSeedGivesSameTreesAndOtherSeedOthers) {
    TTempFolder temp;
    TManifest one = GenerateWorkload(Workload::ManySmall, 0.002, 5, temp / "one");
    TManifest two = GenerateWorkload(Workload::ManySmall, 0.002, 5, temp / "two");
    TManifest other = GenerateWorkload(Workload::ManySmall, 0.002, 6, temp / "other");
    EXPECT_EQ(one.Changed, two.Changed);
    EXPECT_EQ(one.Renamed, two.Renamed);
    EXPECT_EQ(one.BytesA, two.BytesA);
    auto treeOne = ReadTree(temp / "one/B"), treeTwo = ReadTree(temp / "two/B");
    ASSERT_EQ(treeOne.size(), treeTwo.size());
    for (const auto& [path, facts] : treeOne) {
        ASSERT_TRUE(treeTwo.count(path)) << path;
        EXPECT_EQ(facts.Bytes, treeTwo[path].Bytes) << path;
        EXPECT_EQ(facts.Time, treeTwo[path].Time) << path;
    }
    EXPECT_NE(one.BytesA, other.BytesA);
}

TEST(GenerateWorkload, UnknownWorkloadAndBadScaleAreRefused) {
    TTempFolder temp;
    EXPECT_THROW(GenerateWorkload("huge", 1, 1, temp / "w"), std::runtime_error);
    EXPECT_THROW(GenerateWorkload(Workload::FewLarge, 0, 1, temp / "w"), std::runtime_error);
    EXPECT_THROW(GenerateWorkload(Workload::FewLarge, 0.001, 1, temp / "missing/w"),
                 std::runtime_error);
}

// Generation is the slow part of a benchmark: complete trees are reused, but a
// tree that was changed, left half-written or made with other parameters is not.
TEST(PrepareWorkload, ReusesOnlyCompleteMatchingTrees) {
    TTempFolder temp;
    const std::string folder = temp / "w";
    bool generated = false;
    PrepareWorkload(Workload::ManySmall, 0.002, 1, folder, generated);
    EXPECT_TRUE(generated);
    TManifest m = PrepareWorkload(Workload::ManySmall, 0.002, 1, folder, generated);
    EXPECT_FALSE(generated);

    fs::remove(folder + "/B/" + m.Added[0]);
    PrepareWorkload(Workload::ManySmall, 0.002, 1, folder, generated);
    EXPECT_TRUE(generated) << "a tree missing a file is generated anew";
    EXPECT_TRUE(fs::exists(folder + "/B/" + m.Added[0]));

    PrepareWorkload(Workload::ManySmall, 0.003, 1, folder, generated);
    EXPECT_TRUE(generated) << "another scale";

    fs::remove(folder + "/manifest.txt");
    PrepareWorkload(Workload::ManySmall, 0.003, 1, folder, generated);
    EXPECT_TRUE(generated) << "no manifest: generation did not finish";
}

TEST(Manifest, RoundTripsAndRejectsIncompleteFiles) {
    TTempFolder temp;
    TManifest m;
    m.Workload = Workload::ManySmall;
    m.Scale = 0.1 + 0.2;  // not exactly representable: must survive the text form
    m.Seed = 18446744073709551615ull;
    m.FilesA = 3, m.FoldersA = 1, m.BytesA = 99, m.FilesB = 3, m.FoldersB = 1, m.BytesB = 98;
    m.Changed = {"d/a.dat"};
    m.Deleted = {"c.dat"};
    m.Added = {"d/new.dat"};
    m.Renamed = {{"d/b.dat", "d/B.DAT"}};
    m.Moved = {{"c.dat", "e/c.dat"}};
    m.ExcludedFilesA = 2, m.ExcludedFoldersA = 1, m.ExcludedFilesB = 2, m.ExcludedFoldersB = 0;
    WriteManifest(m, temp / "manifest.txt");

    TManifest back;
    std::string error;
    ASSERT_TRUE(ReadManifest(temp / "manifest.txt", back, error)) << error;
    EXPECT_TRUE(back.SameParameters(m.Workload, m.Scale, m.Seed));
    EXPECT_EQ(back.BytesB, 98);
    EXPECT_EQ(back.Changed, m.Changed);
    EXPECT_EQ(back.Deleted, m.Deleted);
    EXPECT_EQ(back.Added, m.Added);
    EXPECT_EQ(back.Renamed, m.Renamed);
    EXPECT_EQ(back.Moved, m.Moved);
    EXPECT_EQ(back.WithoutExcluded().FilesA, 1);
    EXPECT_EQ(back.WithoutExcluded().FoldersA, 0);
    EXPECT_EQ(back.WithoutExcluded().FoldersB, 1);

    std::string text = ReadWholeFile(temp / "manifest.txt");
    WriteWholeFile(temp / "cut.txt", text.substr(0, text.find("end")), 0);
    EXPECT_FALSE(ReadManifest(temp / "cut.txt", back, error));
    EXPECT_FALSE(ReadManifest(temp / "none.txt", back, error));
}

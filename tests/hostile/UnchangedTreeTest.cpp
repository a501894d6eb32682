// A comparison never changes either tree: contents, modification, change and
// access times of every file and folder are the same before and after, for
// the engine and for TandrilB. (A symbolic link's own access time is left
// out: the kernel sets it whenever the link is followed.)
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "BatchTestSupport.h"
#include "HostileSupport.h"
#include "TempTree.h"

namespace {

// What is kept of one entry: its status and, for a file, its bytes.
std::string Describe(const struct stat& st, const std::string& bytes) {
    char text[256];
    std::snprintf(text, sizeof text, "mode %o size %lld mtime %lld.%09ld ctime %lld.%09ld",
                  st.st_mode, static_cast<long long>(st.st_size),
                  static_cast<long long>(st.st_mtim.tv_sec), st.st_mtim.tv_nsec,
                  static_cast<long long>(st.st_ctim.tv_sec), st.st_ctim.tv_nsec);
    std::string line = text;
    if (!S_ISLNK(st.st_mode)) {
        std::snprintf(text, sizeof text, " atime %lld.%09ld",
                      static_cast<long long>(st.st_atim.tv_sec), st.st_atim.tv_nsec);
        line += text;
    }
    return line + " bytes " + bytes;
}

// Every entry below the folder open as fd, by relative path. Opens with
// O_NOATIME, so that taking the picture changes no access time itself.
void Picture(int fd, const std::string& prefix, std::map<std::string, std::string>& out) {
    DIR* dir = fdopendir(fd);
    if (!dir)
        throw std::runtime_error("fdopendir");
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st;
        if (fstatat(dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            throw std::runtime_error("fstatat " + name);
        std::string bytes;
        if (S_ISREG(st.st_mode)) {
            int file = openat(dirfd(dir), name.c_str(), O_RDONLY | O_NOATIME | O_CLOEXEC);
            char buffer[4096];
            ssize_t n;
            while (file >= 0 && (n = read(file, buffer, sizeof buffer)) > 0)
                bytes.append(buffer, static_cast<size_t>(n));
            close(file);
        }
        out[prefix + name] = Describe(st, bytes);
        if (S_ISDIR(st.st_mode)) {
            int sub = openat(dirfd(dir), name.c_str(),
                             O_RDONLY | O_DIRECTORY | O_NOATIME | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0)
                throw std::runtime_error("openat " + name);
            Picture(sub, prefix + name + "/", out);
        }
    }
    closedir(dir);
}

std::map<std::string, std::string> Picture(const std::string& root) {
    std::map<std::string, std::string> out;
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOATIME | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("open " + root);
    struct stat st;
    fstat(fd, &st);
    out["."] = Describe(st, "");
    Picture(fd, "", out);
    return out;
}

// The entries whose picture changed, one line each; empty when none did.
std::string Changes(const std::map<std::string, std::string>& before,
                    const std::map<std::string, std::string>& after) {
    std::string text;
    for (const auto& [rel, was] : before) {
        auto now = after.find(rel);
        if (now == after.end())
            text += rel + ": gone\n";
        else if (now->second != was)
            text +=
                rel + ": " + was.substr(0, 120) + "\n  now " + now->second.substr(0, 120) + "\n";
    }
    for (const auto& [rel, is] : after)
        if (!before.count(rel))
            text += rel + ": new\n";
    return text;
}

// Two trees with files equal and different, folders, hidden entries, links
// and a FIFO; every access time lies a day before its modification time, so
// that any read would move it (relatime updates an access time older than the
// modification time).
class UnchangedTree : public ::testing::Test {
protected:
    UnchangedTree() {
        for (std::string side : {"m/", "s/"}) {
            tree.File(side + "equal.txt", std::string(5000, 'e'));
            tree.File(side + "sub/deeper/equal.bin", std::string(300000, 'b'));
            tree.File(side + ".hidden/h.txt", "h");
            tree.Fifo(side + "pipe");
            tree.Link(side + "link", "equal.txt");
        }
        tree.File("m/differs.txt", "one");
        tree.File("s/differs.txt", "two");
        tree.File("m/only-m.txt", "m");
        tree.File("s/only-s/x.txt", "s");
        for (const char* side : {"m", "s"})
            AgeAccessTimes(tree.Path(side));
    }

    static void AgeAccessTimes(const std::string& root) {
        std::map<std::string, std::string> entries = Picture(root);
        for (const auto& [rel, ignored] : entries) {
            std::string path = rel == "." ? root : root + "/" + rel;
            struct stat st;
            lstat(path.c_str(), &st);
            struct timespec times[2] = {{st.st_mtim.tv_sec - 86400, 0}, st.st_mtim};
            utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
        }
    }

    TTempTree tree;
};

}  // namespace

TEST_F(UnchangedTree, EngineComparisonChangesNothing) {
    auto beforeM = Picture(tree.Path("m"));
    auto beforeS = Picture(tree.Path("s"));
    THostileRecorder recorder;
    TCompare engine(&recorder);
    ASSERT_EQ(CompareWithin(engine, tree.Path("m"), tree.Path("s")), 0);
    ASSERT_EQ(recorder.ResultOf("equal.bin"), "等価");  // contents were read
    ASSERT_EQ(recorder.ResultOf("differs.txt"), "相違: 内容が不一致");
    EXPECT_EQ(Changes(beforeM, Picture(tree.Path("m"))), "");
    EXPECT_EQ(Changes(beforeS, Picture(tree.Path("s"))), "");
}

TEST_F(UnchangedTree, TandrilBChangesNothingButItsReport) {
    auto beforeM = Picture(tree.Path("m"));
    auto beforeS = Picture(tree.Path("s"));
    TempDir out;
    RunResult run = RunTandrilB({"/file", out / "r.csv", "/fromdir", tree.Path("m"), "/todir",
                                 tree.Path("s"), "/Appendix"});
    ASSERT_EQ(run.Status, 0) << run.Out;
    EXPECT_EQ(Changes(beforeM, Picture(tree.Path("m"))), "");
    EXPECT_EQ(Changes(beforeS, Picture(tree.Path("s"))), "");
}

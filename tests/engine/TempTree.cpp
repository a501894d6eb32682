#include "TempTree.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "TFolderLister.h"
#include "TSnapshotWriter.h"
#include "platform/Collator.h"

namespace fs = std::filesystem;

TTempTree::TTempTree() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tandril-test-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    Root = pattern;
    chmod(Root.c_str(), 0755);  // the unprivileged user must reach it
}

TTempTree::~TTempTree() {
    // chmod and rm walk by handles: they also clear trees deeper than PATH_MAX
    // and folders a test closed.
    std::string command = "chmod -R u+rwx '" + Root + "' 2>/dev/null; rm -rf '" + Root + "'";
    int ignored = std::system(command.c_str());
    (void)ignored;
}

TTimeZone::TTimeZone(const std::string& zone) {
    const char* old = std::getenv("TZ");
    HadZone = old != nullptr;
    Saved = old ? old : "";
    setenv("TZ", zone.c_str(), 1);
    tzset();
}

TTimeZone::~TTimeZone() {
    if (HadZone) {
        setenv("TZ", Saved.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

std::string TTempTree::Path(const std::string& rel) const {
    return rel.empty() ? Root : Root + "/" + rel;
}

void TTempTree::File(const std::string& rel, const std::string& content, int64_t time) {
    fs::path path = Path(rel);
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << content;
    out.close();
    if (time != 0)
        SetTime(rel, time);
}

void TTempTree::Folder(const std::string& rel) {
    fs::create_directories(Path(rel));
}

void TTempTree::Link(const std::string& rel, const std::string& target, int64_t time) {
    fs::create_directories(fs::path(Path(rel)).parent_path());
    if (symlink(target.c_str(), Path(rel).c_str()) != 0)
        throw std::runtime_error("symlink");
    SetTime(rel, time);
}

void TTempTree::Fifo(const std::string& rel, int64_t time) {
    fs::create_directories(fs::path(Path(rel)).parent_path());
    if (mkfifo(Path(rel).c_str(), 0644) != 0)
        throw std::runtime_error("mkfifo");
    SetTime(rel, time);
}

void TTempTree::SetTime(const std::string& rel, int64_t seconds, long nanoseconds) {
    struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    if (utimensat(AT_FDCWD, Path(rel).c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        throw std::runtime_error("utimensat");
}

void TTempTree::Mode(const std::string& rel, unsigned mode) {
    if (chmod(Path(rel).c_str(), mode) != 0)
        throw std::runtime_error("chmod");
}

bool TTempTree::Evict() const {
    bool evicted = true;
    for (const auto& entry : fs::recursive_directory_iterator(Root)) {
        if (!entry.is_regular_file() || entry.file_size() == 0)
            continue;
        const int fd = open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            throw std::runtime_error("open " + entry.path().string());
        fdatasync(fd);
        posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        const size_t size = entry.file_size();
        void* map = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
        std::vector<unsigned char> pages((size + 4095) / 4096);
        if (map == MAP_FAILED || mincore(map, size, pages.data()) != 0)
            evicted = false;
        for (unsigned char page : pages)
            evicted = evicted && (page & 1) == 0;
        if (map != MAP_FAILED)
            munmap(map, size);
        close(fd);
    }
    return evicted;
}

void TTempTree::Chain(const std::string& rel, int depth, const std::string& name) {
    int fd = open(Path(rel).c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth && fd >= 0; ++i) {
        int next = -1;
        if (mkdirat(fd, name.c_str(), 0755) == 0)
            next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
        int file = fd < 0 ? -1 : openat(fd, "f", O_WRONLY | O_CREAT, 0644);
        if (file < 0 || write(file, "x", 1) != 1)
            throw std::runtime_error("chain");
        close(file);
    }
    if (fd < 0)
        throw std::runtime_error("chain");
    close(fd);
}

std::string RunUnprivileged(const std::function<std::string()>& job) {
    if (geteuid() != 0)
        return job();
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return "pipe failed";
    pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        const uid_t nobody = 65534;
        if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
            _exit(2);
        std::string text = job();
        ssize_t ignored = write(pipeFds[1], text.data(), text.size());
        (void)ignored;
        _exit(0);
    }
    close(pipeFds[1]);
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, size_t(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "child failed";
    return text;
}

void TRecorder::OnCompareBegin(TCompare* sender) {
    Events.push_back("begin");
    if (AtBegin)
        AtBegin(sender);
}

void TRecorder::OnListReady(TCompare*, int countM, int countS) {
    Events.push_back("list " + std::to_string(countM) + " " + std::to_string(countS));
}

void TRecorder::OnRowReady(TCompare* sender, int index, int equal, int different,
                           const TSearchRecEx* m, const TSearchRecEx* s, const TResultRow& row) {
    Events.push_back("row " + std::to_string(index) + " " + std::to_string(equal) + " " +
                     std::to_string(different));
    if (m != row.EntryM() || s != row.EntryS())
        Events.push_back("row entries differ");
    Rows.push_back(row.Strings());
    if (AtRow)
        AtRow(sender, index);
}

void TRecorder::OnCompareDone(TCompare*, int rows, int equal, int different) {
    Events.push_back("done " + std::to_string(rows) + " " + std::to_string(equal) + " " +
                     std::to_string(different));
}

void TRecorder::OnCompareEnd(TCompare*) {
    Events.push_back("end");
}

std::string TRecorder::ResultOf(const std::string& name) const {
    for (const auto& row : Rows)
        if (row[0] == name || row[2] == name)
            return row[4];
    return "(no row)";
}

std::string WriteSnapshot(const std::string& root, const std::string& file,
                          platform::TDigestKind kind, const std::vector<std::string>& exclude) {
    std::atomic<bool> noStop{false};
    TSnapshotWriter writer(noStop);
    writer.SetDigest(kind);
    writer.SetExclude(exclude);
    writer.SetHeader("TandrilB test", "");
    std::ofstream out(file, std::ios::binary);
    auto result = writer.Write(root, [&out](std::string_view bytes) {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return bool(out);
    });
    out.close();
    if (result != TSnapshotWriter::TResult::Written || !out)
        throw std::runtime_error("snapshot of " + root + ": " + writer.Message());
    return file;
}

int RunCompare(TCompare& engine, const std::string& pathM, const std::string& pathS,
               const TCompareOption& option) {
    engine.SetOption(option);
    engine.SetPathM(pathM);
    engine.SetPathS(pathS);
    return engine.Compare();
}

TSortedTrees::TSortedTrees(const std::string& pathM, const std::string& pathS)
    : M(&ListM, [](TEntryList*) {}), S(&ListS, [](TEntryList*) {}) {
    std::atomic<bool> noStop{false};
    TFolderLister(ListM, noStop).ListTree(pathM);
    TFolderLister(ListS, noStop).ListTree(pathS);
    platform::TCollator collator;
    ListM.Sort(collator);
    ListS.Sort(collator);
}

#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Helpers for tests that run the real TandrilB on real folders.

// A fresh folder below $TMPDIR (or /tmp), removed with everything in it at the
// end of the test. Readable and searchable by everyone, so that TandrilB can
// also run in it as an unprivileged user.
class TempDir {
public:
    // base: the folder to make it in; empty for $TMPDIR or /tmp.
    explicit TempDir(const std::string& base = "");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path() + "/" + relative.
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

// A folder in memory (/dev/shm) to make big trees in when there is one, else
// "" (TempDir's default): trees of 100,000 files cost minutes of journal
// writes on disk, and a second in memory.
std::string FastTempBase();

// A fixed modification time used by the fixtures: 2024-01-02 03:04:06 UTC.
constexpr int64_t kFixedTime = 1704164646;

// Writes a file (creating its folders) and sets its access and modification
// times to `time`.
void MakeFile(const std::string& path, const std::string& content, int64_t time = kFixedTime);
// Creates a folder and its parents.
void MakeFolder(const std::string& path);
void SetTimes(const std::string& path, int64_t accessTime, int64_t modifyTime);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

struct RunResult {
    int Status = -1;         // the exit status, or -1 when the process did not exit normally
    std::string Out;         // standard output
    std::string Err;         // standard error
    long PeakMemoryKiB = 0;  // the process's largest resident set
};

struct RunOptions {
    bool AsNobody = false;  // drop to user nobody (needs root)
    std::string Locale = "C.UTF-8";
    std::string WorkDir;           // current directory of the process; empty for the test's own
    long long FileSizeLimit = -1;  // RLIMIT_FSIZE in bytes (as ulimit -f sets it); -1 for none
    long long OpenFileLimit = -1;  // RLIMIT_NOFILE (as ulimit -n sets it); -1 for none
    long long MemoryLimit = -1;    // RLIMIT_AS in bytes (as ulimit -v sets it); -1 for none
    std::string StdoutFile;  // standard output sent to this file (as "> file"); Out stays empty
    int TimeoutSeconds = 0;  // the process is killed after this long (Status -1); 0: never
    std::string Program;     // another program to run (an absolute path); empty: TandrilB
    std::vector<std::string> Environment;  // more "NAME=value" entries
    // Called with the process id once it runs, on the calling thread, while
    // the process runs (its output is read after): to signal it midway.
    std::function<void(int pid)> WhileRunning;
};

// Runs TandrilB with these arguments (argument 0 is added) and waits for it.
// The process gets LC_ALL=Locale, TZ=UTC and options.Environment, and
// nothing else from the environment but PATH.
RunResult RunTandrilB(const std::vector<std::string>& arguments, const RunOptions& options = {});

// True when this process may switch to another user (it runs as root).
bool CanDropPrivileges();

// UTF-8 to CP932 through the C library's converter, independent of the
// program's own.
std::string ToCp932(const std::string& utf8);

// The text split after each CR LF; a rest without CR LF is the last element.
std::vector<std::string> SplitLines(const std::string& text);

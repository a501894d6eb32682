#include "BatchTestSupport.h"

#include <fcntl.h>
#include <grp.h>
#include <iconv.h>
#include <poll.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <linux/magic.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifndef TANDRILB_PATH
#error "TANDRILB_PATH must name the TandrilB executable"
#endif

namespace fs = std::filesystem;

TempDir::TempDir(const std::string& base) {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = !base.empty() ? base : tmp && *tmp ? tmp : "/tmp";
    std::string pattern = folder + "/tandrilb-test-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    chmod(path_.c_str(), 0755);
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Folders made read-only by a test must become writable again to be removed.
    for (auto it = fs::recursive_directory_iterator(path_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            chmod(it->path().c_str(), 0755);
    }
    fs::remove_all(path_, ignored);
}

void MakeFolder(const std::string& path) {
    fs::create_directories(path);
}

void SetTimes(const std::string& path, int64_t accessTime, int64_t modifyTime) {
    struct timespec times[2] = {{static_cast<time_t>(accessTime), 0},
                                {static_cast<time_t>(modifyTime), 0}};
    if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        throw std::runtime_error("utimensat(" + path + "): " + std::strerror(errno));
}

void MakeFile(const std::string& path, const std::string& content, int64_t time) {
    fs::path parent = fs::path(path).parent_path();
    if (!parent.empty())
        fs::create_directories(parent);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
        if (!out)
            throw std::runtime_error("cannot write " + path);
    }
    SetTimes(path, time, time);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool CanDropPrivileges() {
    return geteuid() == 0;
}

namespace {

// A copy of TandrilB that user nobody can run even when the build lies below a
// folder closed to others (/root in CI); removed when the tests end.
class NobodyCopy {
public:
    NobodyCopy() {
        std::string pattern = "/tmp/tandrilb-bin-XXXXXX";
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        folder_ = pattern;
        chmod(folder_.c_str(), 0755);
        path_ = folder_ + "/TandrilB";
        fs::copy_file(TANDRILB_PATH, path_);
        chmod(path_.c_str(), 0755);
    }
    ~NobodyCopy() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    const std::string& Path() const { return path_; }

private:
    std::string folder_;
    std::string path_;
};

const std::string& ExecutableFor(bool asNobody) {
    static const std::string own = TANDRILB_PATH;
    if (!asNobody)
        return own;
    static const NobodyCopy copy;
    return copy.Path();
}

void DrainInto(int fd, std::string& out) {
    char buffer[65536];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0)
        out.append(buffer, static_cast<size_t>(n));
}

}  // namespace

std::string FastTempBase() {
    struct statfs fs;
    if (statfs("/dev/shm", &fs) == 0 && fs.f_type == TMPFS_MAGIC && access("/dev/shm", W_OK) == 0)
        return "/dev/shm";
    return "";
}

RunResult RunTandrilB(const std::vector<std::string>& arguments, const RunOptions& options) {
    std::vector<std::string> argv{options.Program.empty() ? ExecutableFor(options.AsNobody)
                                                          : options.Program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> env{"PATH=/usr/bin:/bin", "LC_ALL=" + options.Locale, "TZ=UTC"};
    env.insert(env.end(), options.Environment.begin(), options.Environment.end());

    uid_t uid = 0;
    gid_t gid = 0;
    if (options.AsNobody) {
        struct passwd* nobody = getpwnam("nobody");
        if (!nobody)
            throw std::runtime_error("no user nobody");
        uid = nobody->pw_uid;
        gid = nobody->pw_gid;
    }

    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        if (!options.StdoutFile.empty()) {
            int fd = open(options.StdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            if (fd < 0 || dup2(fd, 1) < 0)
                _exit(126);
            close(fd);
        }
        if (!options.WorkDir.empty() && chdir(options.WorkDir.c_str()) != 0)
            _exit(126);
        if (options.FileSizeLimit >= 0) {
            // As a shell's ulimit -f leaves it: past the limit the kernel
            // sends SIGXFSZ, whose default ends the process.
            struct rlimit limit {
                static_cast<rlim_t>(options.FileSizeLimit),
                    static_cast<rlim_t>(options.FileSizeLimit)
            };
            signal(SIGXFSZ, SIG_DFL);
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                _exit(126);
        }
        if (options.MemoryLimit >= 0) {
            struct rlimit limit {
                static_cast<rlim_t>(options.MemoryLimit), static_cast<rlim_t>(options.MemoryLimit)
            };
            if (setrlimit(RLIMIT_AS, &limit) != 0)
                _exit(126);
        }
        if (options.OpenFileLimit >= 0) {
            struct rlimit limit {
                static_cast<rlim_t>(options.OpenFileLimit),
                    static_cast<rlim_t>(options.OpenFileLimit)
            };
            if (setrlimit(RLIMIT_NOFILE, &limit) != 0)
                _exit(126);
        }
        if (options.AsNobody) {
            if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
                _exit(126);
        }
        std::vector<char*> cargv, cenv;
        for (auto& a : argv)
            cargv.push_back(a.data());
        cargv.push_back(nullptr);
        for (auto& e : env)
            cenv.push_back(e.data());
        cenv.push_back(nullptr);
        execve(cargv[0], cargv.data(), cenv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    if (options.WhileRunning)
        options.WhileRunning(pid);

    RunResult result;
    struct pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(options.TimeoutSeconds);
    bool killed = false;
    while (open > 0) {
        int wait = -1;
        if (options.TimeoutSeconds > 0 && !killed) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            wait = static_cast<int>(std::max<long long>(left.count(), 0));
        }
        int ready = poll(fds, 2, wait);
        if (ready == 0) {
            // A hang is a failure of the test, never a hang of the suite.
            kill(pid, SIGKILL);
            killed = true;
            continue;
        }
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            size_t before = (i == 0 ? result.Out : result.Err).size();
            DrainInto(fds[i].fd, i == 0 ? result.Out : result.Err);
            if ((i == 0 ? result.Out : result.Err).size() == before) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    struct rusage usage {};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.PeakMemoryKiB = usage.ru_maxrss;
    return result;
}

std::string ToCp932(const std::string& utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("iconv_open failed");
    std::string out(utf8.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1))
        throw std::runtime_error("iconv failed");
    out.resize(out.size() - outLeft);
    return out;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find("\r\n", begin);
        if (end == std::string::npos) {
            lines.push_back(text.substr(begin));
            break;
        }
        lines.push_back(text.substr(begin, end - begin));
        begin = end + 2;
    }
    return lines;
}

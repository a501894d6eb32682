#include "BenchFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {
[[noreturn]] void Fail(const char* call, const std::string& path) {
    throw std::runtime_error(std::string(call) + "(" + path + "): " + std::strerror(errno));
}
}  // namespace

TOutputFile::TOutputFile(const std::string& path) : path_(path) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0)
        Fail("open", path);
}

TOutputFile::~TOutputFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

void TOutputFile::Write(std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd_, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("write", path_);
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
}

void TOutputFile::Finish(int64_t mtime) {
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(mtime);
    times[0].tv_nsec = times[1].tv_nsec = 0;
    if (::futimens(fd_, times) != 0)
        Fail("futimens", path_);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        Fail("close", path_);
}

void MakeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0)
        Fail("mkdir", path);
}

void WriteWholeFile(const std::string& path, std::string_view data, int64_t mtime) {
    TOutputFile file(path);
    file.Write(data);
    file.Finish(mtime);
}

TTreeCount CountTree(const std::string& root) {
    namespace fs = std::filesystem;
    TTreeCount count;
    std::error_code ec;
    fs::recursive_directory_iterator it(root, ec), end;
    if (ec)
        throw std::runtime_error("opendir(" + root + "): " + ec.message());
    for (; it != end; it.increment(ec)) {
        if (ec)
            throw std::runtime_error("readdir(" + root + "): " + ec.message());
        if (it->is_directory()) {
            ++count.Folders;
        } else {
            ++count.Files;
            count.Bytes += static_cast<int64_t>(it->file_size());
        }
    }
    return count;
}

void SyncFileSystem(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        Fail("open", path);
    int result = ::syncfs(fd);
    ::close(fd);
    if (result != 0)
        Fail("syncfs", path);
}

int64_t AvailableMemory() {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    int64_t value = 0;
    std::string unit;
    while (meminfo >> key >> value) {
        std::getline(meminfo, unit);
        if (key == "MemAvailable:")
            return value * 1024;
    }
    return 0;
}

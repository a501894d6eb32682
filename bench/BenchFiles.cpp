#include "BenchFiles.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

namespace {

// Bytes of the open file fd (of `size` bytes) that are in the page cache.
int64_t CachedBytes(int fd, int64_t size) {
    if (size <= 0)
        return 0;
    void* map = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED)
        return 0;
    const int64_t page = ::sysconf(_SC_PAGESIZE);
    std::vector<unsigned char> resident(static_cast<size_t>((size + page - 1) / page));
    int64_t cached = 0;
    if (::mincore(map, static_cast<size_t>(size), resident.data()) == 0)
        for (unsigned char r : resident)
            cached += (r & 1) * page;
    ::munmap(map, static_cast<size_t>(size));
    return std::min(cached, size);
}

}  // namespace

int64_t EvictTrees(const std::vector<std::string>& roots, bool measure) {
    namespace fs = std::filesystem;
    int64_t cached = 0;
    for (const std::string& root : roots) {
        std::error_code ec;
        fs::recursive_directory_iterator it(root, ec), end;
        if (ec)
            throw std::runtime_error("opendir(" + root + "): " + ec.message());
        for (; it != end; it.increment(ec)) {
            if (ec)
                throw std::runtime_error("readdir(" + root + "): " + ec.message());
            if (!it->is_regular_file(ec))
                continue;
            const std::string path = it->path().string();
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                Fail("open", path);
            const int advice = ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
            struct stat st {};
            if (measure && advice == 0 && ::fstat(fd, &st) == 0)
                cached += CachedBytes(fd, st.st_size);
            ::close(fd);
            if (advice != 0) {
                errno = advice;
                Fail("posix_fadvise", path);
            }
        }
    }
    return cached;
}

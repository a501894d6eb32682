#include "FaultHooks.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <map>
#include <mutex>

namespace {

struct THooks {
    std::mutex Lock;
    std::map<std::string, std::function<void()>> Open;
    std::map<std::string, std::function<void()>> Stat;
};

THooks& Hooks() {
    static THooks hooks;
    return hooks;
}

// Set while an action runs, so that its own calls pass straight through.
thread_local bool InAction = false;

std::string AbsolutePath(int dirfd, const char* path) {
    if (!path || path[0] == '/' || dirfd == AT_FDCWD)
        return path ? path : "";
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd);
    char target[4096];
    ssize_t n = readlink(link, target, sizeof target - 1);
    if (n < 0)
        return path;
    return std::string(target, static_cast<size_t>(n)) + "/" + path;
}

void RunHook(std::map<std::string, std::function<void()>>& table, int dirfd, const char* path) {
    if (InAction)
        return;
    std::function<void()> action;
    {
        std::lock_guard<std::mutex> lock(Hooks().Lock);
        if (table.empty())
            return;
        auto it = table.find(AbsolutePath(dirfd, path));
        if (it == table.end())
            return;
        action = std::move(it->second);
        table.erase(it);
    }
    InAction = true;
    action();
    InAction = false;
}

template <typename T>
T Real(const char* name) {
    return reinterpret_cast<T>(dlsym(RTLD_NEXT, name));
}

}  // namespace

void BeforeOpen(const std::string& path, std::function<void()> action) {
    std::lock_guard<std::mutex> lock(Hooks().Lock);
    Hooks().Open[path] = std::move(action);
}

void BeforeStat(const std::string& path, std::function<void()> action) {
    std::lock_guard<std::mutex> lock(Hooks().Lock);
    Hooks().Stat[path] = std::move(action);
}

void ClearHooks() {
    std::lock_guard<std::mutex> lock(Hooks().Lock);
    Hooks().Open.clear();
    Hooks().Stat.clear();
}

extern "C" int openat(int dirfd, const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    RunHook(Hooks().Open, dirfd, path);
    static auto real = Real<int (*)(int, const char*, int, ...)>("openat");
    return real(dirfd, path, flags, mode);
}

extern "C" int statx(int dirfd, const char* path, int flags, unsigned mask, struct statx* out) {
    RunHook(Hooks().Stat, dirfd, path);
    static auto real = Real<int (*)(int, const char*, int, unsigned, struct statx*)>("statx");
    return real(dirfd, path, flags, mask, out);
}

// TandrilGuiBench: how the desktop program's window copes with a comparison of
// a million entries. Generates two trees of many empty files once (a few of
// them one byte long, some missing on one side, some added), then runs, in
// interleaved rounds on a warm page cache, TandrilB writing its full report
// and WindowProbe (the real window on the offscreen platform), and prints the
// median run times, the window's longest stall, find and scroll times, and
// both programs' peak memory.
//
//   TandrilGuiBench [--entries N] [--rounds N] [--speed N] [--data DIR]
//                   [--tandrilb PATH] [--probe PATH]
//
// --entries: files per tree (default 1,000,000, in folders of 1,000).
// --speed: the window's Speed setting (default 3, normal priority, the
// priority TandrilB runs at; the program's own default is 2).
// Exit status 0, 1 when a program failed, 2 on wrong usage or a setup failure.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchText.h"
#include "MachineInfo.h"
#include "RunProcess.h"

namespace fs = std::filesystem;

namespace {

constexpr int FilesPerFolder = 1000;
constexpr int64_t FileTime = 1600000000;  // one modification time for every file

struct TOptions {
    int64_t Entries = 1000000;
    int Rounds = 3;
    int Speed = 3;
    std::string DataDir = "bench/data";
    std::string TandrilB;
    std::string Probe;
};

// The file's name for number i: folder d(i / 1000), file f(i).
std::string FilePath(const std::string& root, int64_t i, char prefix = 'f') {
    return Format("%s/d%05lld/%c%07lld.txt", root.c_str(),
                  static_cast<long long>(i / FilesPerFolder), prefix, static_cast<long long>(i));
}

void MakeFile(const std::string& path, bool oneByte) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("open(" + path + "): " + std::strerror(errno));
    if (oneByte && ::write(fd, "x", 1) != 1) {
        ::close(fd);
        throw std::runtime_error("write(" + path + "): " + std::strerror(errno));
    }
    const timespec times[2] = {{FileTime, 0}, {FileTime, 0}};
    ::futimens(fd, times);
    ::close(fd);
}

// Planted differences, by file number: 1 in 200 is one byte long in B only,
// 1 in 500 is missing from B, and 1 in 500 has a partner only in B.
bool LongerInB(int64_t i) {
    return i % 200 == 7;
}
bool MissingInB(int64_t i) {
    return i % 500 == 11;
}
bool AddedInB(int64_t i) {
    return i % 500 == 13;
}

// Makes sure `folder` holds the two trees for `entries` files; a stamp file
// written last marks a complete pair.
void PrepareTrees(const std::string& folder, int64_t entries) {
    const std::string stamp = folder + "/complete";
    if (ReadWholeFile(stamp) == std::to_string(entries) + "\n")
        return;
    std::printf("generating %s files per tree in %s ...\n", FormatCount(entries).c_str(),
                folder.c_str());
    std::fflush(stdout);
    fs::remove_all(folder);
    const std::string a = folder + "/A", b = folder + "/B";
    for (int64_t d = 0; d * FilesPerFolder < entries; ++d) {
        for (const std::string& root : {a, b})
            fs::create_directories(Format("%s/d%05lld", root.c_str(), static_cast<long long>(d)));
    }
    for (int64_t i = 0; i < entries; ++i) {
        MakeFile(FilePath(a, i), false);
        if (!MissingInB(i))
            MakeFile(FilePath(b, i), LongerInB(i));
        if (AddedInB(i))
            MakeFile(FilePath(b, i, 'g'), false);
    }
    ::sync();
    FILE* out = std::fopen(stamp.c_str(), "w");
    if (!out)
        throw std::runtime_error("cannot write " + stamp);
    std::fprintf(out, "%lld\n", static_cast<long long>(entries));
    std::fclose(out);
}

// "key value" lines into a map.
std::map<std::string, double> ReadFigures(const std::string& path) {
    std::map<std::string, double> figures;
    const std::string text = ReadWholeFile(path);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        const size_t blank = line.find(' ');
        if (blank != std::string::npos)
            figures[line.substr(0, blank)] = std::atof(line.c_str() + blank + 1);
        start = end + 1;
    }
    return figures;
}

std::string OwnFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : self.parent_path().string();
}

bool ParseOptions(int argc, char** argv, TOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--entries" && hasValue) {
            options.Entries = std::atoll(argv[++i]);
        } else if (arg == "--rounds" && hasValue) {
            options.Rounds = std::atoi(argv[++i]);
        } else if (arg == "--speed" && hasValue) {
            options.Speed = std::atoi(argv[++i]);
        } else if (arg == "--data" && hasValue) {
            options.DataDir = argv[++i];
        } else if (arg == "--tandrilb" && hasValue) {
            options.TandrilB = argv[++i];
        } else if (arg == "--probe" && hasValue) {
            options.Probe = argv[++i];
        } else {
            return false;
        }
    }
    return options.Entries > 0 && options.Rounds > 0;
}

std::string Mib(long kib) {
    return Format("%.0f MiB", double(kib) / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    TOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: TandrilGuiBench [--entries N] [--rounds N] [--speed N] "
                     "[--data DIR] [--tandrilb PATH] [--probe PATH]\n");
        return 2;
    }
    const std::string own = OwnFolder();
    if (options.TandrilB.empty())
        options.TandrilB = fs::weakly_canonical(own + "/../../batch/TandrilB").string();
    if (options.Probe.empty())
        options.Probe = own + "/WindowProbe";
    try {
        fs::create_directories(options.DataDir);
        const std::string folder = fs::absolute(options.DataDir).lexically_normal().string() +
                                   Format("/gui-%lld", static_cast<long long>(options.Entries));
        std::printf("%s\n", DescribeMachine(options.DataDir).c_str());
        PrepareTrees(folder, options.Entries);
        const std::string a = folder + "/A", b = folder + "/B";
        const std::string report = folder + "/report.csv";
        const std::string probeOut = folder + "/probe.txt";

        TProcessSpec batch;
        batch.Argv = {options.TandrilB, "/file", report,      "/fromdir", a,
                      "/todir",         b,       "/encoding", "utf8"};
        TProcessSpec window;
        window.Argv = {
            options.Probe, "--speed", std::to_string(options.Speed), "--runs", "2", a, b};
        window.StdoutPath = probeOut;
        window.StderrPath = folder + "/probe-errors.txt";
        window.Env = {{"QT_QPA_PLATFORM", "offscreen"}};

        // One untimed run warms the page cache.
        if (!RunProcess(batch).Started)
            throw std::runtime_error("cannot start " + options.TandrilB);
        std::vector<double> batchSeconds, windowSeconds, secondRun, stalls, starts, finds,
            findLongest, scrolls;
        long batchRss = 0, windowRss = 0;
        int rows = 0, stallsOver100 = 0;
        bool failed = false;
        for (int round = 1; round <= options.Rounds; ++round) {
            const TProcessResult batchRun = RunProcess(batch);
            const TProcessResult windowRun = RunProcess(window);
            if (batchRun.ExitCode != 0 || windowRun.ExitCode != 0) {
                std::printf("round %d: TandrilB %s, WindowProbe %s\n", round,
                            DescribeEnd(batchRun).c_str(), DescribeEnd(windowRun).c_str());
                failed = true;
                continue;
            }
            const auto figures = ReadFigures(probeOut);
            batchSeconds.push_back(batchRun.Seconds);
            windowSeconds.push_back(figures.at("run1_seconds"));
            secondRun.push_back(figures.at("run2_seconds"));
            stalls.push_back(
                std::max(figures.at("run1_longest_stall_ms"), figures.at("run2_longest_stall_ms")));
            stallsOver100 +=
                int(figures.at("run1_stalls_over_100ms") + figures.at("run2_stalls_over_100ms"));
            starts.push_back(figures.at("run2_start_ms"));
            finds.push_back(figures.at("find_all_different_ms"));
            findLongest.push_back(figures.at("find_longest_ms"));
            scrolls.push_back(figures.at("scroll_longest_ms"));
            rows = int(figures.at("run1_rows"));
            batchRss = std::max(batchRss, batchRun.MaxRssKiB);
            windowRss = std::max(windowRss, windowRun.MaxRssKiB);
            std::printf(
                "round %d: TandrilB %.2f s, window %.2f s (second run %.2f s), "
                "longest stall %.0f ms\n",
                round, batchRun.Seconds, windowSeconds.back(), secondRun.back(), stalls.back());
            std::fflush(stdout);
        }
        if (batchSeconds.empty())
            return 1;
        const double batchMedian = Median(batchSeconds), windowMedian = Median(windowSeconds);
        std::printf("\nentries per tree %s, rows %s, window Speed %d, %d rounds (medians)\n",
                    FormatCount(options.Entries).c_str(), FormatCount(rows).c_str(), options.Speed,
                    int(batchSeconds.size()));
        std::printf("  TandrilB, full report         %8.2f s   peak memory %s\n", batchMedian,
                    Mib(batchRss).c_str());
        std::printf("  window, first run             %8.2f s   peak memory %s   (%.2fx TandrilB)\n",
                    windowMedian, Mib(windowRss).c_str(), windowMedian / batchMedian);
        std::printf(
            "  window, second run            %8.2f s   its start (clearing the first) "
            "%.0f ms\n",
            Median(secondRun), Median(starts));
        std::printf(
            "  window thread, longest stall  %8.0f ms  (worst round; goal <= 100 ms; "
            "%d stalls over 100 ms in all rounds)\n",
            *std::max_element(stalls.begin(), stalls.end()), stallsOver100);
        std::printf("  find: every different row     %8.1f ms  (longest single search %.2f ms)\n",
                    Median(finds), Median(findLongest));
        std::printf("  scroll: longest jump + repaint %7.1f ms\n", Median(scrolls));
        return failed ? 1 : 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "TandrilGuiBench: %s\n", e.what());
        return 2;
    }
}

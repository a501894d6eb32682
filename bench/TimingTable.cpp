#include "TimingTable.h"

#include <algorithm>

#include "BenchText.h"
#include "GenerateWorkload.h"

namespace {

// The goals for one workload, as ratios of medians; 0 where there is none.
struct TGoals {
    double VsDiff = 0, VsFloor = 0, ColdVsDiff = 0, ColdVsFloor = 0;
    double ExcludedVsFull = 0;  // TandrilB leaving the excluded folders out against a full run
};
TGoals GoalsOf(const std::string& workload) {
    // 90% of the files left out: at most twice the time of the 10% that remain.
    if (workload == Workload::Vendored)
        return {0, 0, 0, 0, 0.2};
    if (workload == Workload::ManySmall)
        return {0.6, 1.0, 0.5, 0};
    if (workload == Workload::FewLarge)
        return {0, 1.15, 0, 1.0};
    return {};
}

// Peak memory allowed: 64 MiB plus 250 bytes per listed entry of both trees.
constexpr double MemoryBase = 64.0 * 1024 * 1024;
constexpr double MemoryPerEntry = 250.0;

std::vector<double> Seconds(const TTool& tool, bool cold) {
    std::vector<double> seconds;
    for (const auto& r : tool.Runs(cold))
        seconds.push_back(r.Seconds);
    return seconds;
}

}  // namespace

double MedianOf(const std::vector<TTool>& tools, const std::string& key, bool cold) {
    for (const TTool& t : tools)
        if (t.Key == key && !t.Failed && !t.Runs(cold).empty())
            return Median(Seconds(t, cold));
    return 0;
}

void PrintTimings(const std::vector<TTool>& tools, bool cold, int rounds) {
    Print(Format("   %-22s %10s %10s %10s %13s",
                 Format("rounds: %d, %s cache", rounds, cold ? "cold" : "warm").c_str(), "median s",
                 "min s", "max s", "peak RSS MiB"));
    for (const TTool& t : tools) {
        if (t.Failed || t.Runs(cold).empty())
            continue;
        const std::vector<double> seconds = Seconds(t, cold);
        long rss = 0;
        for (const auto& r : t.Runs(cold))
            rss = std::max(rss, r.MaxRssKiB);
        auto [lo, hi] = std::minmax_element(seconds.begin(), seconds.end());
        Print(Format("   %-22s %10.3f %10.3f %10.3f %13.1f", t.Label.c_str(), Median(seconds), *lo,
                     *hi, rss / 1024.0));
    }
}

void PrintRatios(const std::vector<TTool>& tools, const std::string& workload, const TManifest& m,
                 bool cold) {
    const TGoals goals = GoalsOf(workload);
    struct TRatio {
        const char* Label;
        const char* Top;
        const char* Bottom;
        double Goal;
    } ratios[] = {
        {"TandrilB / diff -rq", "tandrilb", "diff", cold ? goals.ColdVsDiff : goals.VsDiff},
        {"TandrilB / read floor", "tandrilb", "floor", cold ? goals.ColdVsFloor : goals.VsFloor},
        {"read floor +16 / floor", "floor16", "floor", 0},
        {"cat / read floor", "cat", "floor", 0},
        {"diff -rq / read floor", "diff", "floor", 0},
        {"rsync -rcn / read floor", "rsync", "floor", 0},
        {"TandrilB /exclude / TandrilB", "tandrilb-exclude", "tandrilb", goals.ExcludedVsFull},
        {"diff -rq -x / diff -rq", "diff-exclude", "diff", 0},
        {"TandrilB /exclude / diff -x", "tandrilb-exclude", "diff-exclude", 0},
    };
    Print(Format("   %-28s %9s   %s", cold ? "ratio of medians, cold" : "ratio of medians",
                 "measured", "goal"));
    for (const TRatio& r : ratios) {
        const double top = MedianOf(tools, r.Top, cold), bottom = MedianOf(tools, r.Bottom, cold);
        if (top <= 0 || bottom <= 0)
            continue;
        const double ratio = top / bottom;
        std::string line = Format("   %-28s %9.2f", r.Label, ratio);
        if (r.Goal > 0)
            line += Format("   <= %.2f  %s", r.Goal, ratio <= r.Goal ? "met" : "MISSED");
        Print(line);
    }
    for (const TTool& t : tools) {
        if (t.Key != "tandrilb" || t.Failed || t.Runs(cold).empty())
            continue;
        long rss = 0;
        for (const auto& r : t.Runs(cold))
            rss = std::max(rss, r.MaxRssKiB);
        const int64_t entries = m.FilesA + m.FoldersA + m.FilesB + m.FoldersB;
        const double goal = MemoryBase + MemoryPerEntry * double(entries);
        const double peak = rss * 1024.0;
        Print(Format("   %-28s %5.1f MiB   <= %.1f MiB (64 MiB + 250 B x %s entries)  %s",
                     "TandrilB peak memory", peak / 1048576, goal / 1048576,
                     FormatCount(entries).c_str(), peak <= goal ? "met" : "MISSED"));
    }
}

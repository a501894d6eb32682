#include "TimingTable.h"

#include <algorithm>

#include "BenchText.h"
#include "GenerateWorkload.h"

namespace {

// The goals for one workload, as ratios of medians; 0 where there is none.
struct TGoals {
    double VsDiff = 0, VsFloor = 0, ColdVsDiff = 0, ColdVsFloor = 0;
    double ExcludedVsFull = 0;  // TandrilB leaving the excluded folders out against a full run
    double BusyVsFloor = 0;     // one core busy beside TandrilB and beside the floor alike
    double MovedVsPlain = 0;    // TandrilB /moved against TandrilB on the same trees
};
TGoals GoalsOf(const std::string& workload) {
    // 90% of the files left out: at most twice the time of the 10% that remain.
    if (workload == Workload::Vendored)
        return {.ExcludedVsFull = 0.2};
    if (workload == Workload::ManySmall)
        return {.VsDiff = 0.45, .VsFloor = 0.75, .ColdVsDiff = 0.33, .BusyVsFloor = 1.0};
    // Every tenth file moved: finding them costs at most a fifth more.
    if (workload == Workload::Moved)
        return {.MovedVsPlain = 1.2};
    if (workload == Workload::FewLarge)
        return {.VsFloor = 1.0, .ColdVsFloor = 0.87};
    return {};
}

const char* PhaseName(TPhase phase) {
    return phase == TPhase::Warm ? "warm" : phase == TPhase::Cold ? "cold" : "one core busy";
}

// Peak memory allowed: 64 MiB plus 250 bytes per listed entry of both trees.
constexpr double MemoryBase = 64.0 * 1024 * 1024;
constexpr double MemoryPerEntry = 250.0;

std::vector<double> Seconds(const TTool& tool, TPhase phase) {
    std::vector<double> seconds;
    for (const auto& r : tool.Runs(phase))
        seconds.push_back(r.Seconds);
    return seconds;
}

}  // namespace

// The median processor time (user and system) of the tool with this key, or 0.
static double MedianCpuOf(const std::vector<TTool>& tools, const std::string& key, TPhase phase) {
    for (const TTool& t : tools) {
        if (t.Key != key || t.Failed || t.Runs(phase).empty())
            continue;
        std::vector<double> cpu;
        for (const auto& r : t.Runs(phase))
            cpu.push_back(r.UserSeconds + r.SystemSeconds);
        return Median(cpu);
    }
    return 0;
}

double MedianOf(const std::vector<TTool>& tools, const std::string& key, TPhase phase) {
    for (const TTool& t : tools)
        if (t.Key == key && !t.Failed && !t.Runs(phase).empty())
            return Median(Seconds(t, phase));
    return 0;
}

void PrintTimings(const std::vector<TTool>& tools, TPhase phase, int rounds) {
    const std::string title = phase == TPhase::Busy
                                  ? Format("rounds: %d, one core busy", rounds)
                                  : Format("rounds: %d, %s cache", rounds, PhaseName(phase));
    Print(Format("   %-24s %8s %10s %10s %13s %11s", title.c_str(), "median s", "min s", "max s",
                 "peak RSS MiB", "cpu s"));
    for (const TTool& t : tools) {
        if (t.Failed || t.Runs(phase).empty())
            continue;
        const std::vector<double> seconds = Seconds(t, phase);
        // Processor time (user and system) tells more than wall time on a
        // machine that other work shares.
        std::vector<double> cpu;
        for (const auto& r : t.Runs(phase))
            cpu.push_back(r.UserSeconds + r.SystemSeconds);
        long rss = 0;
        for (const auto& r : t.Runs(phase))
            rss = std::max(rss, r.MaxRssKiB);
        auto [lo, hi] = std::minmax_element(seconds.begin(), seconds.end());
        Print(Format("   %-24s %8.3f %10.3f %10.3f %13.1f %11.3f", t.Label.c_str(), Median(seconds),
                     *lo, *hi, rss / 1024.0, Median(cpu)));
    }
}

void PrintRatios(const std::vector<TTool>& tools, const std::string& workload, const TManifest& m,
                 TPhase phase) {
    const TGoals goals = GoalsOf(workload);
    const bool cold = phase == TPhase::Cold;
    const bool busy = phase == TPhase::Busy;
    struct TRatio {
        const char* Label;
        const char* Top;
        const char* Bottom;
        double Goal;
    } ratios[] = {
        {"TandrilB / diff -rq", "tandrilb", "diff",
         busy   ? 0
         : cold ? goals.ColdVsDiff
                : goals.VsDiff},
        {"TandrilB / read floor", "tandrilb", "floor",
         busy   ? goals.BusyVsFloor
         : cold ? goals.ColdVsFloor
                : goals.VsFloor},
        {"read floor +16 / floor", "floor16", "floor", 0},
        {"cat / read floor", "cat", "floor", 0},
        {"tar | dd / read floor", "tar", "floor", 0},
        {"diff -rq / read floor", "diff", "floor", 0},
        {"rsync -rcn / read floor", "rsync", "floor", 0},
        {"TandrilB /exclude / TandrilB", "tandrilb-exclude", "tandrilb", goals.ExcludedVsFull},
        {"diff -rq -x / diff -rq", "diff-exclude", "diff", 0},
        {"TandrilB /exclude / diff -x", "tandrilb-exclude", "diff-exclude", 0},
        {"TandrilB /moved / TandrilB", "tandrilb-moved", "tandrilb", goals.MovedVsPlain},
    };
    const std::string title = phase == TPhase::Warm   ? "ratio of medians"
                              : phase == TPhase::Cold ? std::string("ratio of medians, cold")
                                                      : std::string("ratio, one core busy");
    Print(Format("   %-28s %9s   %s", title.c_str(), "measured", "goal"));
    for (const TRatio& r : ratios) {
        const double top = MedianOf(tools, r.Top, phase), bottom = MedianOf(tools, r.Bottom, phase);
        if (top <= 0 || bottom <= 0)
            continue;
        const double ratio = top / bottom;
        std::string line = Format("   %-28s %9.2f", r.Label, ratio);
        if (r.Goal > 0)
            line += Format("   <= %.2f  %s", r.Goal, ratio <= r.Goal ? "met" : "MISSED");
        Print(line);
    }
    // Processor time per file against the floor's: what a run costs where
    // other work takes the cores.
    const double cpuMine = MedianCpuOf(tools, "tandrilb", phase);
    const double cpuFloor = MedianCpuOf(tools, "floor", phase);
    if (cpuMine > 0 && cpuFloor > 0)
        Print(Format("   %-28s %9.2f", "TandrilB / floor, cpu s", cpuMine / cpuFloor));
    for (const TTool& t : tools) {
        if (busy || t.Key != "tandrilb" || t.Failed || t.Runs(phase).empty())
            continue;
        long rss = 0;
        for (const auto& r : t.Runs(phase))
            rss = std::max(rss, r.MaxRssKiB);
        const int64_t entries = m.FilesA + m.FoldersA + m.FilesB + m.FoldersB;
        const double goal = MemoryBase + MemoryPerEntry * double(entries);
        const double peak = rss * 1024.0;
        Print(Format("   %-28s %5.1f MiB   <= %.1f MiB (64 MiB + 250 B x %s entries)  %s",
                     "TandrilB peak memory", peak / 1048576, goal / 1048576,
                     FormatCount(entries).c_str(), peak <= goal ? "met" : "MISSED"));
    }
}

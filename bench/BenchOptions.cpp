#include "BenchOptions.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "GenerateWorkload.h"

const char* const BenchUsage =
    "usage: TandrilBench [options]\n"
    "  --workload LIST   many-small, few-large, stop-pair, vendored, moved, copy,\n"
    "                    snapshot or all (default), comma-separated\n"
    "  --scale S         size factor of the workloads (default 1: about 7.5 GB of trees)\n"
    "  --rounds N        timed rounds on a warm cache, interleaved (default 5)\n"
    "  --cold-rounds N   timed rounds on a cold cache: the trees' pages are evicted\n"
    "                    before every program (default 3; 0: none)\n"
    "  --busy-rounds N   timed rounds on a warm cache with a busy loop taking one\n"
    "                    core beside TandrilB, diff -rq and the read floor alike\n"
    "                    (default 3; 0: none)\n"
    "  --copy-rounds N   timed rounds of the copy workload (default 3)\n"
    "  --seed N          workload seed (default 1)\n"
    "  --data DIR        where the trees are generated (default bench/data)\n"
    "  --results DIR     where reports and outputs are kept (default bench/results)\n"
    "  --tandrilb PATH   the console program (default build/plain/batch/TandrilB)\n"
    "  --reference PATH  a second console program whose report must be identical\n"
    "                    (default: TandrilBSequential beside this program, if built)\n"
    "  --tools LIST      tandrilb,diff,rsync,floor,floor16,cat,tar,tandrilb-exclude,\n"
    "                    diff-exclude,tandrilb-moved or a subset (default all; the two\n"
    "                    excluding ones on vendored only; on moved only tandrilb and\n"
    "                    tandrilb-moved)\n"
    "  --bin DIR         folder of ReadFloor and StopLatency (default: beside this program)\n";

namespace {

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, ','))
        if (!item.empty())
            items.push_back(item);
    return items;
}

bool ParseNumber(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0';
}

// A count of rounds, a whole number from `least` to 1000.
bool ParseRounds(const std::string& option, const std::string& value, int least, int& rounds,
                 std::string& error) {
    double number = 0;
    if (!ParseNumber(value, number) || number < least || number > 1000 ||
        number != static_cast<int>(number)) {
        error = option + " needs a whole number from " + std::to_string(least) + " to 1000";
        return false;
    }
    rounds = static_cast<int>(number);
    return true;
}

}  // namespace

bool ParseBenchOptions(int argc, char** argv, TBenchOptions& o, std::string& error) {
    o.Workloads = BenchWorkloads;
    o.Tools = AllTools;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            error.clear();
            return false;
        }
        if (i + 1 >= argc) {
            error = "unknown option or missing value: " + arg;
            return false;
        }
        const std::string value = argv[++i];
        double number = 0;
        if (arg == "--workload") {
            o.Workloads = value == "all" ? BenchWorkloads : SplitList(value);
            for (const auto& w : o.Workloads)
                if (std::find(BenchWorkloads.begin(), BenchWorkloads.end(), w) ==
                    BenchWorkloads.end()) {
                    error = "unknown workload: " + w;
                    return false;
                }
        } else if (arg == "--tools") {
            o.Tools = SplitList(value);
            for (const auto& t : o.Tools)
                if (std::find(AllTools.begin(), AllTools.end(), t) == AllTools.end()) {
                    error = "unknown tool: " + t;
                    return false;
                }
        } else if (arg == "--scale") {
            if (!ParseNumber(value, number) || !(number > 0) || number > 100) {
                error = "--scale needs a number above 0 (at most 100)";
                return false;
            }
            o.Scale = number;
        } else if (arg == "--rounds") {
            if (!ParseRounds(arg, value, 1, o.Rounds, error))
                return false;
        } else if (arg == "--copy-rounds") {
            if (!ParseRounds(arg, value, 1, o.CopyRounds, error))
                return false;
        } else if (arg == "--cold-rounds") {
            if (!ParseRounds(arg, value, 0, o.ColdRounds, error))
                return false;
        } else if (arg == "--busy-rounds") {
            if (!ParseRounds(arg, value, 0, o.BusyRounds, error))
                return false;
        } else if (arg == "--seed") {
            char* end = nullptr;
            o.Seed = std::strtoull(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || value[0] == '-') {
                error = "--seed needs a whole number";
                return false;
            }
        } else if (arg == "--data") {
            o.DataDir = value;
        } else if (arg == "--results") {
            o.ResultsDir = value;
        } else if (arg == "--tandrilb") {
            o.TandrilB = value;
            o.TandrilBGiven = true;
        } else if (arg == "--reference") {
            o.Reference = value;
        } else if (arg == "--bin") {
            o.BinDir = value;
        } else {
            error = "unknown option: " + arg;
            return false;
        }
    }
    return true;
}

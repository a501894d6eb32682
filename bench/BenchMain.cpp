// TandrilBench: the benchmark runner. Generates the workloads once, checks
// that TandrilB and diff -rq give the answers the generator planted, times
// TandrilB, diff -rq, rsync -rcn and the read floor in interleaved rounds on a
// warm page cache, and prints medians, the ratios the goals are set in, peak
// memory and the stop latency. See BenchUsage for the options.
//
// Exit status: 0 when every check passed (whatever the speed), 1 when a
// program's answer disagreed with the manifest or a program failed, 2 on
// wrong usage or a failure of the harness itself.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>

#include "BenchOptions.h"
#include "MachineInfo.h"
#include "RunCopy.h"
#include "RunProcess.h"
#include "RunSnapshot.h"
#include "RunWorkload.h"

namespace fs = std::filesystem;

namespace {

// The folder holding this executable, where ReadFloor, StopLatency and
// CopyRun are built.
std::string OwnFolder() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : self.parent_path().string();
}

std::string Absolute(const std::string& path) {
    return fs::absolute(path).lexically_normal();
}

}  // namespace

int main(int argc, char** argv) {
    TBenchOptions options;
    std::string error;
    if (!ParseBenchOptions(argc, argv, options, error)) {
        if (!error.empty())
            std::fprintf(stderr, "TandrilBench: %s\n", error.c_str());
        std::fputs(BenchUsage, error.empty() ? stdout : stderr);
        return error.empty() ? 0 : 2;
    }
    try {
        fs::create_directories(options.DataDir);
        fs::create_directories(options.ResultsDir);
        options.DataDir = Absolute(options.DataDir);
        options.ResultsDir = Absolute(options.ResultsDir);

        TBenchPrograms programs;
        const std::string bin = options.BinDir.empty() ? OwnFolder() : options.BinDir;
        programs.ReadFloor = Absolute(bin + "/ReadFloor");
        programs.StopLatency = Absolute(bin + "/StopLatency");
        programs.CopyRun = Absolute(bin + "/CopyRun");
        for (const std::string* p : {&programs.ReadFloor, &programs.StopLatency, &programs.CopyRun})
            if (!FindProgram(*p))
                throw std::runtime_error(*p + " is missing");
        if (FindProgram(options.TandrilB)) {
            programs.TandrilB = Absolute(options.TandrilB);
        } else if (options.TandrilBGiven) {
            throw std::runtime_error("TandrilB not found at " + options.TandrilB);
        }
        // By default the report is checked against the sequential engine's.
        if (options.Reference.empty() && FindProgram(bin + "/TandrilBSequential"))
            options.Reference = bin + "/TandrilBSequential";
        if (!options.Reference.empty()) {
            if (!FindProgram(options.Reference))
                throw std::runtime_error("reference program not found: " + options.Reference);
            programs.Reference = Absolute(options.Reference);
        }

        std::printf("Tandril benchmark: %s\n", DescribeMachine(options.DataDir).c_str());
        if (programs.TandrilB.empty())
            std::printf("note: no TandrilB at %s; its rows are skipped\n",
                        options.TandrilB.c_str());
        for (const char* tool : {"diff", "rsync", "tar"})
            if (!FindProgram(tool)) {
                std::printf("note: %s is not installed; its rows are skipped\n", tool);
                std::erase(options.Tools, std::string(tool));
            }
        if (!FindProgram("find") || !FindProgram("xargs")) {
            std::printf("note: find or xargs is not installed; the cat rows are skipped\n");
            std::erase(options.Tools, std::string("cat"));
        }
        std::fflush(stdout);

        std::vector<std::string> problems;
        for (const std::string& workload : options.Workloads) {
            if (workload == CopyWorkload)
                RunCopy(options, programs, problems);
            else if (workload == SnapshotWorkload)
                RunSnapshot(options, programs, problems);
            else
                RunWorkload(options, programs, workload, problems);
        }

        if (problems.empty()) {
            std::printf("result: every check passed\n");
            return 0;
        }
        std::printf("result: %zu problem(s)\n", problems.size());
        for (const auto& p : problems)
            std::printf("  %s\n", p.c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "TandrilBench: %s\n", e.what());
        return 2;
    }
}

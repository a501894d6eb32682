#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "GenerateWorkload.h"

// The runner's workloads: the generated ones (GenerateWorkload.h),
// "copy", which copies the source trees of many-small and few-large with the
// desktop program's copy and with cp, and "snapshot".
inline const std::string CopyWorkload = "copy";
// "snapshot": the source trees of few-large and many-small written as
// snapshots, and their target trees compared with them (RunSnapshot.h).
inline const std::string SnapshotWorkload = "snapshot";
inline const std::vector<std::string> BenchWorkloads = [] {
    std::vector<std::string> all = Workload::All;
    all.push_back(CopyWorkload);
    all.push_back(SnapshotWorkload);
    return all;
}();

// The runner's command line.
struct TBenchOptions {
    std::vector<std::string> Workloads;  // in the order they run
    std::vector<std::string> Tools;      // see AllTools

    double Scale = 1.0;
    int Rounds = 5;
    // Rounds on a cold cache: the trees' pages are evicted before every timed
    // program (rsync and the offset floor are timed warm only). 0: none.
    int ColdRounds = 3;
    int CopyRounds = 3;  // timed rounds of the copy workload
    // Rounds on a warm cache with a busy loop taking one core beside every
    // timed program (TandrilB, diff -rq and the read floor). 0: none.
    int BusyRounds = 3;
    uint64_t Seed = 1;
    std::string DataDir = "bench/data";
    std::string ResultsDir = "bench/results";
    std::string TandrilB = "build/plain/batch/TandrilB";
    bool TandrilBGiven = false;  // given on the command line: then it must exist
    // A second console program (for example a sequential build of the engine)
    // whose report must equal TandrilB's byte for byte. Empty: none.
    std::string Reference;
    std::string BinDir;  // where ReadFloor and StopLatency are; empty: beside the runner
};

// The timed programs: TandrilB, diff -rq, rsync -rcn, the read floor into a
// page-aligned buffer, the same at 16 bytes past a page, cat over every file
// and tar through dd (two independent readers to check the floor against);
// on the vendored workload also TandrilB and diff -rq leaving node_modules/ and
// .git/ out; on the moved workload TandrilB with and without /moved.
inline const std::vector<std::string> AllTools = {
    "tandrilb",         "diff",         "rsync",         "floor", "floor16", "cat", "tar",
    "tandrilb-exclude", "diff-exclude", "tandrilb-moved"};

// Parses argv. Returns false with `error` set on a bad command line, and false
// with an empty `error` when the usage text was asked for.
bool ParseBenchOptions(int argc, char** argv, TBenchOptions& options, std::string& error);

extern const char* const BenchUsage;

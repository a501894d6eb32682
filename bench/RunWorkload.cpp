#include "RunWorkload.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <sstream>

#include "BenchFiles.h"
#include "BenchText.h"
#include "GenerateWorkload.h"
#include "MachineInfo.h"
#include "ReportCheck.h"
#include "RunProcess.h"
#include "TimingTable.h"

namespace {

std::vector<TTool> MakeTools(const TBenchOptions& o, const TBenchPrograms& programs,
                             const std::string& workload, const std::string& folder,
                             const TManifest& m) {
    const std::string out = o.ResultsDir + "/" + workload + "-";
    const bool anyDifference = m.Differences() + int64_t(m.Renamed.size()) > 0;
    std::vector<TTool> tools;
    for (const std::string& key : o.Tools) {
        // Excluding is timed where there is something to leave out.
        const bool excluding = key == "tandrilb-exclude" || key == "diff-exclude";
        if (excluding && workload != Workload::Vendored)
            continue;
        // The moved workload times moved detection against the same run
        // without it, and nothing else.
        const bool moved = workload == Workload::Moved;
        if (moved ? key != "tandrilb" && key != "tandrilb-moved" : key == "tandrilb-moved")
            continue;
        TTool t;
        t.Key = key;
        t.Spec.WorkDir = folder;
        t.GoodExits = {0};
        if (key == "tandrilb") {
            if (programs.TandrilB.empty())
                continue;
            t.Label = "TandrilB";
            t.Spec.Argv = {programs.TandrilB, "/file", out + "TandrilB.csv", "/fromdir", "A",
                           "/todir",          "B"};
        } else if (key == "tandrilb-moved") {
            if (programs.TandrilB.empty())
                continue;
            t.Label = "TandrilB /moved";
            t.Spec.Argv = {programs.TandrilB,
                           "/file",
                           out + "TandrilB-moved.csv",
                           "/fromdir",
                           "A",
                           "/todir",
                           "B",
                           "/moved"};
        } else if (key == "tandrilb-exclude") {
            if (programs.TandrilB.empty())
                continue;
            t.Label = "TandrilB /exclude";
            t.Spec.Argv = {
                programs.TandrilB, "/file", out + "TandrilB-exclude.csv", "/fromdir", "A",
                "/todir",          "B"};
            for (const std::string& pattern : Workload::VendoredExcludes)
                t.Spec.Argv.insert(t.Spec.Argv.end(), {"/exclude", pattern});
        } else if (key == "diff-exclude") {
            // diff matches -x against names: the same folders as the patterns.
            t.Label = "diff -rq -x";
            t.Spec.Argv = {"diff", "-rq", "-x", "node_modules", "-x", ".git", "A", "B"};
            t.Spec.Env = {{"LC_ALL", "C"}};
            t.GoodExits = {anyDifference ? 1 : 0};
        } else if (key == "diff") {
            t.Label = "diff -rq";
            t.Spec.Argv = {"diff", "-rq", "A", "B"};
            t.Spec.Env = {{"LC_ALL", "C"}};  // the messages parsed below are the C locale's
            t.GoodExits = {anyDifference ? 1 : 0};
        } else if (key == "rsync") {
            t.Label = "rsync -rcn";
            t.Spec.Argv = {"rsync", "-rcn", "--delete", "A/", "B/"};
            t.Spec.Env = {{"LC_ALL", "C"}};
        } else if (key == "floor") {
            t.Label = "read floor";
            t.Spec.Argv = {programs.ReadFloor, "A", "B"};
        } else if (key == "floor16") {
            t.Label = "read floor +16";
            t.Spec.Argv = {programs.ReadFloor, "--offset", "16", "A", "B"};
        } else if (key == "cat") {
            // An independent reader to check the floor against: cat reads
            // every file with 128 KiB reads, as the floor does.
            t.Label = "find | xargs cat";
            t.Spec.Argv = {"sh", "-c", "find A B -type f -print0 | xargs -0 cat -- >/dev/null"};
            t.Spec.Env = {{"LC_ALL", "C"}};
        } else if (key == "tar") {
            // A second one where cat is no ruler (many small files, for each
            // of which cat maps and unmaps a buffer): tar reads every byte
            // once and passes it through a pipe, so it bounds the floor from
            // above. Its archive goes to dd, not to /dev/null, where GNU tar
            // would skip reading the files.
            t.Label = "tar | dd";
            t.Spec.Argv = {"sh", "-c", "tar cf - A B | dd of=/dev/null bs=1M status=none"};
            t.Spec.Env = {{"LC_ALL", "C"}};
        }
        t.Cold = key == "tandrilb" || key == "diff" || key == "floor" || key == "cat" ||
                 excluding || key == "tandrilb-moved";
        t.Busy = key == "tandrilb" || key == "diff" || key == "floor" || key == "tandrilb-moved";
        t.Spec.StdoutPath = out + t.Key + ".out";
        t.Spec.StderrPath = out + t.Key + ".err";
        tools.push_back(std::move(t));
    }
    return tools;
}

// Where two reports first differ: "line 12: "..." against "..."".
std::string FirstDifference(const std::string& mine, const std::string& other) {
    std::istringstream a(mine), b(other);
    std::string lineA, lineB;
    for (int line = 1;; ++line) {
        bool moreA = bool(std::getline(a, lineA)), moreB = bool(std::getline(b, lineB));
        if (!moreA && !moreB)
            return "the reports differ";
        for (std::string* l : {&lineA, &lineB})
            if (!l->empty() && l->back() == '\r')
                l->pop_back();
        if (moreA != moreB || lineA != lineB)
            return Format("line %d: TandrilB \"%s\", reference \"%s\"", line,
                          moreA ? Cp932ToUtf8(lineA).c_str() : "(end)",
                          moreB ? Cp932ToUtf8(lineB).c_str() : "(end)");
    }
}

// The untimed first round: runs every program once, which also warms the page
// cache, and checks what each answered.
void CheckRound(std::vector<TTool>& tools, const TBenchPrograms& programs, const TManifest& m,
                const std::string& folder, const std::string& out, std::string& firstReport,
                std::vector<std::string>& problems) {
    for (TTool& t : tools) {
        if (!RunChecked(t, problems, "(first run)"))
            continue;
        if (t.Key == "tandrilb") {
            firstReport = ReadWholeFile(t.Spec.Argv[2]);
            PrintProblems(
                "TandrilB report", CheckReport(ParseReport(firstReport), m),
                Format("agrees with the manifest (rows: %s, differences: %s)",
                       FormatCount(m.ExpectedRows()).c_str(), FormatCount(m.Differences()).c_str()),
                problems);
        } else if (t.Key == "tandrilb-moved") {
            PrintProblems("TandrilB /moved report",
                          CheckMovedReport(ParseReport(ReadWholeFile(t.Spec.Argv[2])), m),
                          Format("shows every moved file as one row (moved: %s, rows: %s)",
                                 FormatCount(int64_t(m.Moved.size())).c_str(),
                                 FormatCount(m.ExpectedRows() - int64_t(m.Moved.size())).c_str()),
                          problems);
        } else if (t.Key == "tandrilb-exclude") {
            const TManifest left = m.WithoutExcluded();
            PrintProblems("TandrilB /exclude report",
                          CheckReport(ParseReport(ReadWholeFile(t.Spec.Argv[2])), left),
                          Format("agrees with the manifest without the excluded folders (rows: "
                                 "%s of %s)",
                                 FormatCount(left.ExpectedRows()).c_str(),
                                 FormatCount(m.ExpectedRows()).c_str()),
                          problems);
        } else if (t.Key == "diff" || t.Key == "diff-exclude") {
            TDiffList list = ParseDiffOutput(ReadWholeFile(t.Spec.StdoutPath), "A", "B");
            PrintProblems(t.Label, CheckDiffList(list, m), "agrees with the manifest", problems);
        } else if (t.Key == "floor" || t.Key == "floor16") {
            long long files = -1, folders = -1, bytes = -1;
            std::sscanf(ReadWholeFile(t.Spec.StdoutPath).c_str(),
                        "files %lld folders %lld bytes %lld", &files, &folders, &bytes);
            std::vector<std::string> found;
            if (files != m.FilesA + m.FilesB || folders != m.FoldersA + m.FoldersB ||
                bytes != m.BytesA + m.BytesB)
                found.push_back(
                    Format("read %lld files, %lld folders, %lld bytes", files, folders, bytes));
            PrintProblems(t.Label, found, "read every file of both trees", problems);
        }
    }
    // A second console program (a sequential build, say) must write the very
    // same report: the same rows in the same order with the same texts.
    if (!programs.Reference.empty() && !firstReport.empty()) {
        TTool ref;
        ref.Label = "reference";
        ref.GoodExits = {0};
        ref.Spec.WorkDir = folder;
        ref.Spec.Argv = {programs.Reference, "/file", out + "reference.csv", "/fromdir", "A",
                         "/todir",           "B"};
        ref.Spec.StdoutPath = out + "reference.out";
        ref.Spec.StderrPath = out + "reference.err";
        if (RunChecked(ref, problems, "(first run)")) {
            std::vector<std::string> found;
            const std::string other = ReadWholeFile(out + "reference.csv");
            if (other != firstReport)
                found.push_back(FirstDifference(firstReport, other) + " (" + out +
                                "reference.csv)");
            PrintProblems("reference report", found, "is identical to TandrilB's", problems);
        }
    }
}

// Runs StopLatency on the workload's trees and shows what it printed.
void RunStopLatency(const TBenchOptions& o, const TBenchPrograms& programs,
                    const std::string& workload, const std::string& folder,
                    std::vector<std::string>& problems) {
    TTool stop;
    stop.Label = "StopLatency (" + workload + ")";
    stop.GoodExits = {0};
    stop.Spec.WorkDir = folder;
    stop.Spec.Argv = {programs.StopLatency, "--rounds", std::to_string(o.Rounds), "A", "B"};
    stop.Spec.StdoutPath = o.ResultsDir + "/" + workload + "-stop.out";
    stop.Spec.StderrPath = o.ResultsDir + "/" + workload + "-stop.err";
    RunChecked(stop, problems, "");
    std::istringstream lines(ReadWholeFile(stop.Spec.StdoutPath));
    for (std::string line; std::getline(lines, line);)
        Print("   " + line);
}

// Times the tools in interleaved rounds: each round starts with the next
// program, so that no program always runs right after the same other one. On
// a cold cache only the tools marked Cold run, each after the trees' pages
// were evicted; with one core busy only those marked Busy.
void TimeRounds(std::vector<TTool>& tools, int rounds, TPhase phase,
                const std::vector<std::string>& trees, const std::string& firstReport,
                std::vector<std::string>& problems) {
    const bool cold = phase == TPhase::Cold;
    const char* name = cold ? "cold" : phase == TPhase::Busy ? "busy" : "warm";
    for (int round = 0; round < rounds; ++round) {
        for (size_t k = 0; k < tools.size(); ++k) {
            TTool& t = tools[(k + size_t(round)) % tools.size()];
            if (t.Failed || !t.TimedIn(phase))
                continue;
            if (cold)
                EvictTrees(trees, false);
            const std::string when = Format("(%s round %d)", name, round + 1);
            TProcessResult r;
            if (!RunChecked(t, problems, when, &r))
                continue;
            t.Runs(phase).push_back(r);
            if (t.Key == "tandrilb" && ReadWholeFile(t.Spec.Argv[2]) != firstReport) {
                std::string p = "TandrilB report of " + when.substr(1, when.size() - 2) +
                                " differs from the first run's";
                Print("   check FAILED: " + p);
                problems.push_back(p);
            }
        }
    }
}

}  // namespace

void RunWorkload(const TBenchOptions& o, const TBenchPrograms& programs,
                 const std::string& workload, std::vector<std::string>& problems) {
    using Clock = std::chrono::steady_clock;
    const std::string folder = o.DataDir + "/" + workload;
    Print(Format("== %s (scale %g, seed %llu)", workload.c_str(), o.Scale,
                 static_cast<unsigned long long>(o.Seed)));

    const auto start = Clock::now();
    bool generated = false;
    TManifest m = PrepareWorkload(workload, o.Scale, o.Seed, folder, generated);
    const double prepare = std::chrono::duration<double>(Clock::now() - start).count();
    Print(
        Format("   trees %s in %s (%.1f s): A %s files, %s folders, %s; B %s files, %s folders, %s",
               generated ? "generated" : "reused", folder.c_str(), prepare,
               FormatCount(m.FilesA).c_str(), FormatCount(m.FoldersA).c_str(),
               FormatBytes(m.BytesA).c_str(), FormatCount(m.FilesB).c_str(),
               FormatCount(m.FoldersB).c_str(), FormatBytes(m.BytesB).c_str()));
    const int64_t available = AvailableMemory();
    if (available > 0 && double(m.BytesA + m.BytesB) > 0.9 * double(available))
        Print("   warning: the trees do not fit in the page cache (" + FormatBytes(available) +
              " available); timings include disk reads");

    if (workload == Workload::StopPair)
        return RunStopLatency(o, programs, workload, folder, problems);

    std::vector<TTool> tools = MakeTools(o, programs, workload, folder, m);
    std::string firstReport;
    CheckRound(tools, programs, m, folder, o.ResultsDir + "/" + workload + "-", firstReport,
               problems);

    TimeRounds(tools, o.Rounds, TPhase::Warm, {}, firstReport, problems);
    PrintTimings(tools, TPhase::Warm, o.Rounds);
    PrintRatios(tools, workload, m, TPhase::Warm);
    if (o.BusyRounds > 0) {
        // The busy loop runs through all rounds, so that every program meets
        // the same competition for the processor.
        TBusyCore busy;
        if (busy.Running()) {
            Print(
                Format("   one core busy: a busy loop runs beside every timed program (load "
                       "average when it started: %s)",
                       LoadAverage().c_str()));
            TimeRounds(tools, o.BusyRounds, TPhase::Busy, {}, firstReport, problems);
        }
    }
    if (o.BusyRounds > 0) {
        PrintTimings(tools, TPhase::Busy, o.BusyRounds);
        PrintRatios(tools, workload, m, TPhase::Busy);
    }
    if (o.ColdRounds > 0) {
        const std::vector<std::string> trees = {folder + "/A", folder + "/B"};
        const int64_t left = EvictTrees(trees, true);
        Print(
            Format("   cold cache: before each timed program the pages of every file of both "
                   "trees are evicted (%s of %s stayed cached after the first eviction)",
                   FormatBytes(left).c_str(), FormatBytes(m.BytesA + m.BytesB).c_str()));
        TimeRounds(tools, o.ColdRounds, TPhase::Cold, trees, firstReport, problems);
        PrintTimings(tools, TPhase::Cold, o.ColdRounds);
        PrintRatios(tools, workload, m, TPhase::Cold);
    }
    if (workload == Workload::ManySmall)
        RunStopLatency(o, programs, workload, folder, problems);
}

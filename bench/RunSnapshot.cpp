#include "RunSnapshot.h"

#include <algorithm>
#include <filesystem>

#include "BenchFiles.h"
#include "BenchText.h"
#include "BenchTool.h"
#include "GenerateWorkload.h"
#include "TimingTable.h"

namespace {

// The snapshot that the comparisons read: written once, in the check round.
const char* const kReference = "reference.mtree";
const char* const kReferenceXxh = "reference-xxh.mtree";

std::vector<TTool> MakeSnapshotTools(const TBenchPrograms& programs, const std::string& folder,
                                     const std::string& out) {
    const std::string& tandrilb = programs.TandrilB;
    struct {
        const char* Key;
        const char* Label;
        std::vector<std::string> Argv;
        bool Cold;
        std::vector<int> Exits;
    } specs[] = {
        {"snap-xxh",
         "TandrilB /snapshot xxh128",
         {tandrilb, "/snapshot", out + "xxh.mtree", "/fromdir", "A", "/digest", "xxh128"},
         true,
         {0}},
        {"snap-sha",
         "TandrilB /snapshot sha256",
         {tandrilb, "/snapshot", out + "sha.mtree", "/fromdir", "A"},
         true,
         {0}},
        {"floor", "read floor of A", {programs.ReadFloor, "A"}, true, {0}},
        {"sha256sum",
         "find | xargs sha256sum",
         {"sh", "-c", "find A -type f -print0 | xargs -0 sha256sum"},
         false,
         {0}},
        {"mtree-c",
         "mtree -c -K sha256digest",
         {"mtree", "-c", "-K", "sha256digest", "-p", "A"},
         false,
         {0}},
        {"cmp-copy",
         "TandrilB A against B",
         {tandrilb, "/file", out + "copy.csv", "/noComment", "/fromdir", "A", "/todir", "B"},
         false,
         {0}},
        {"cmp-snap",
         "TandrilB snapshot vs B",
         {tandrilb, "/file", out + "snap.csv", "/noComment", "/fromdir", out + kReference, "/todir",
          "B"},
         false,
         {0}},
        {"cmp-xxh",
         "TandrilB xxh128 snap. vs B",
         {tandrilb, "/file", out + "xxh.csv", "/noComment", "/fromdir", out + kReferenceXxh,
          "/todir", "B"},
         false,
         {0}},
        // 2: it found the differences planted in B.
        {"mtree-p",
         "mtree -p B < snapshot",
         {"mtree", "-p", "B", "-f", out + kReference},
         false,
         {0, 2}},
    };
    std::vector<TTool> tools;
    for (auto& s : specs) {
        TTool t;
        t.Key = s.Key;
        t.Label = s.Label;
        t.Spec.Argv = s.Argv;
        t.Spec.WorkDir = folder;
        t.Spec.Env = {{"LC_ALL", "C.UTF-8"}};
        t.Spec.StdoutPath = out + t.Key + ".out";
        t.Spec.StderrPath = out + t.Key + ".err";
        t.GoodExits = s.Exits;
        t.Cold = s.Cold;
        tools.push_back(std::move(t));
    }
    return tools;
}

// The untimed first round: every program once, the reference snapshots kept,
// NetBSD's mtree verifying TandrilB's snapshot of A, and the report against
// the snapshot equal to the report against A.
void CheckSnapshotRound(std::vector<TTool>& tools, const std::string& folder,
                        const std::string& out, std::vector<std::string>& problems) {
    for (const char* key : {"snap-xxh", "snap-sha"}) {
        for (TTool& t : tools)
            if (t.Key == key && RunChecked(t, problems, "(first run)"))
                std::filesystem::copy_file(t.Spec.Argv[2],
                                           out + (t.Key == "snap-sha" ? kReference : kReferenceXxh),
                                           std::filesystem::copy_options::overwrite_existing);
    }
    for (TTool& t : tools)
        if (t.Key != "snap-xxh" && t.Key != "snap-sha")
            RunChecked(t, problems, "(first run)");

    TTool verify;
    verify.Label = "mtree -p A of the snapshot";
    verify.GoodExits = {0};
    verify.Spec.WorkDir = folder;
    verify.Spec.Argv = {"mtree", "-p", "A", "-f", out + kReference};
    verify.Spec.StdoutPath = out + "verify.out";
    verify.Spec.StderrPath = out + "verify.err";
    PrintProblems("mtree -p A",
                  RunChecked(verify, problems, "") ? std::vector<std::string>{}
                                                   : std::vector<std::string>{"failed"},
                  "verifies TandrilB's snapshot of A with no mismatch", problems);
    const std::string copy = ReadWholeFile(out + "copy.csv");
    for (const char* report : {"snap.csv", "xxh.csv"}) {
        std::vector<std::string> found;
        if (copy.empty() || ReadWholeFile(out + report) != copy)
            found.push_back(std::string("the report against the snapshot (") + out + report +
                            ") differs from the report against A");
        PrintProblems(Format("TandrilB %s", report), found,
                      "is the report of A against B, byte for byte", problems);
    }
}

void TimeSnapshotRounds(std::vector<TTool>& tools, int rounds, TPhase phase,
                        const std::vector<std::string>& trees, std::vector<std::string>& problems) {
    for (int round = 0; round < rounds; ++round) {
        for (size_t k = 0; k < tools.size(); ++k) {
            TTool& t = tools[(k + size_t(round)) % tools.size()];
            if (t.Failed || !t.TimedIn(phase))
                continue;
            if (phase == TPhase::Cold)
                EvictTrees(trees, false);
            TProcessResult r;
            if (RunChecked(t, problems, Format("(round %d)", round + 1), &r))
                t.Runs(phase).push_back(r);
        }
    }
}

void PrintSnapshotRatios(const std::vector<TTool>& tools, const std::string& workload, TPhase phase,
                         const TManifest& m) {
    const bool fewLarge = workload == Workload::FewLarge;
    const bool cold = phase == TPhase::Cold;
    struct {
        const char* Label;
        const char* Top;
        const char* Bottom;
        double Goal;
    } ratios[] = {
        {"/snapshot xxh128 / floor", "snap-xxh", "floor",
         cold       ? 1.1
         : fewLarge ? 1.1
                    : 1.0},
        {"/snapshot sha256 / floor", "snap-sha", "floor", cold ? 1.1 : 0},
        {"/snapshot sha256 / sha256sum", "snap-sha", "sha256sum", 0.6},
        {"/snapshot sha256 / mtree -c", "snap-sha", "mtree-c", 1.0},
        {"snapshot vs B / A vs B", "cmp-snap", "cmp-copy", 1.0},
        {"xxh128 snap. vs B / A vs B", "cmp-xxh", "cmp-copy", 1.0},
        {"snapshot vs B / mtree -p", "cmp-snap", "mtree-p", 0.5},
    };
    Print(Format("   %-30s %9s   %s", cold ? "ratio of medians, cold" : "ratio of medians",
                 "measured", "goal"));
    for (const auto& r : ratios) {
        const double top = MedianOf(tools, r.Top, phase), bottom = MedianOf(tools, r.Bottom, phase);
        if (top <= 0 || bottom <= 0)
            continue;
        std::string line = Format("   %-30s %9.2f", r.Label, top / bottom);
        if (r.Goal > 0)
            line += Format("   <= %.2f  %s", r.Goal, top / bottom <= r.Goal ? "met" : "MISSED");
        Print(line);
    }
    if (cold)
        return;
    // Peak memory against 64 MiB and 250 bytes an entry of the sides listed.
    const int64_t entriesA = m.FilesA + m.FoldersA, entriesB = m.FilesB + m.FoldersB;
    for (const auto& [key, entries] :
         {std::pair{"snap-sha", entriesA}, std::pair{"cmp-snap", entriesA + entriesB}}) {
        for (const TTool& t : tools) {
            if (t.Key != key || t.Warm.empty())
                continue;
            long rss = 0;
            for (const auto& r : t.Warm)
                rss = std::max(rss, r.MaxRssKiB);
            const double goal = 64.0 * 1048576 + 250.0 * double(entries);
            Print(Format("   %-30s %5.1f MiB   <= %.1f MiB (64 MiB + 250 B x %s entries)  %s",
                         (t.Label + " memory").c_str(), rss / 1024.0, goal / 1048576,
                         FormatCount(entries).c_str(), rss * 1024.0 <= goal ? "met" : "MISSED"));
        }
    }
}

}  // namespace

void RunSnapshot(const TBenchOptions& o, const TBenchPrograms& programs,
                 std::vector<std::string>& problems) {
    Print(Format("== snapshot (scale %g, seed %llu): A's snapshot written, B compared with it",
                 o.Scale, static_cast<unsigned long long>(o.Seed)));
    if (programs.TandrilB.empty() || !FindProgram("mtree") || !FindProgram("sha256sum")) {
        Print("   skipped: it needs TandrilB, mtree (mtree-netbsd) and sha256sum");
        return;
    }
    for (const std::string& workload : {Workload::FewLarge, Workload::ManySmall}) {
        const std::string folder = o.DataDir + "/" + workload;
        bool generated = false;
        const TManifest m = PrepareWorkload(workload, o.Scale, o.Seed, folder, generated);
        Print(Format("   %s: A %s files, %s folders, %s", workload.c_str(),
                     FormatCount(m.FilesA).c_str(), FormatCount(m.FoldersA).c_str(),
                     FormatBytes(m.BytesA).c_str()));
        const std::string out = o.ResultsDir + "/snapshot-" + workload + "-";
        std::vector<TTool> tools = MakeSnapshotTools(programs, folder, out);
        CheckSnapshotRound(tools, folder, out, problems);
        TimeSnapshotRounds(tools, o.Rounds, TPhase::Warm, {}, problems);
        PrintTimings(tools, TPhase::Warm, o.Rounds);
        PrintSnapshotRatios(tools, workload, TPhase::Warm, m);
        if (o.ColdRounds > 0) {
            TimeSnapshotRounds(tools, o.ColdRounds, TPhase::Cold, {folder + "/A", folder + "/B"},
                               problems);
            PrintTimings(tools, TPhase::Cold, o.ColdRounds);
            PrintSnapshotRatios(tools, workload, TPhase::Cold, m);
        }
    }
}

#include "RunCopy.h"

#include <filesystem>

#include "BenchFiles.h"
#include "BenchText.h"
#include "BenchTool.h"
#include "GenerateWorkload.h"
#include "TimingTable.h"

namespace {

std::vector<TTool> MakeCopyTools(const TBenchPrograms& programs, const std::string& origin,
                                 const std::string& copy, const std::string& out) {
    std::vector<TTool> tools(3);
    tools[0].Key = "kernel";
    tools[0].Label = "TFileCopy";
    tools[0].Spec.Argv = {programs.CopyRun, origin, copy};
    tools[1].Key = "buffer";
    tools[1].Label = "TFileCopy read/write";
    tools[1].Spec.Argv = {programs.CopyRun, "--read-write", origin, copy};
    tools[2].Key = "cp";
    tools[2].Label = "cp -r --preserve";
    tools[2].Spec.Argv = {"cp", "-r", "--preserve=mode,timestamps", origin, copy};
    for (TTool& t : tools) {
        t.GoodExits = {0};
        t.Spec.StdoutPath = out + t.Key + ".out";
        t.Spec.StderrPath = out + t.Key + ".err";
    }
    return tools;
}

// Removes the copy and writes out what is still unwritten, so that no round
// pays for the write-back of the one before.
void ClearCopy(const std::string& copy) {
    std::filesystem::remove_all(copy);
    SyncFileSystem(std::filesystem::path(copy).parent_path());
}

// Copies one origin with every tool: a checked first round, then the timed ones.
void CopyTree(const TBenchOptions& o, const TBenchPrograms& programs, const std::string& name,
              const std::string& origin, std::vector<std::string>& problems) {
    const std::string copy = o.DataDir + "/copy-to/" + name;
    std::filesystem::create_directories(o.DataDir + "/copy-to");
    std::vector<TTool> tools =
        MakeCopyTools(programs, origin, copy, o.ResultsDir + "/copy-" + name + "-");
    const TTreeCount count = CountTree(origin);
    Print(Format("   %s: %s files, %s folders, %s", name.c_str(), FormatCount(count.Files).c_str(),
                 FormatCount(count.Folders).c_str(), FormatBytes(count.Bytes).c_str()));

    TTool check;
    check.Label = "diff -rq of the copy";
    check.GoodExits = {0};
    check.Spec.Argv = {"diff", "-rq", origin, copy};
    check.Spec.StdoutPath = o.ResultsDir + "/copy-" + name + "-check.out";
    check.Spec.StderrPath = o.ResultsDir + "/copy-" + name + "-check.err";
    for (TTool& t : tools) {
        ClearCopy(copy);
        if (!RunChecked(t, problems, "(first run)"))
            continue;
        std::vector<std::string> found;
        if (!RunChecked(check, problems, "after " + t.Label))
            found.push_back("the copy differs from its origin");
        const TTreeCount copied = CountTree(copy);
        if (copied.Files != count.Files || copied.Folders != count.Folders ||
            copied.Bytes != count.Bytes)
            found.push_back(Format("the copy holds %lld files, %lld folders, %lld bytes",
                                   static_cast<long long>(copied.Files),
                                   static_cast<long long>(copied.Folders),
                                   static_cast<long long>(copied.Bytes)));
        PrintProblems(t.Label, found, "copied every file whole", problems);
    }
    for (int round = 0; round < o.CopyRounds; ++round) {
        for (size_t k = 0; k < tools.size(); ++k) {
            TTool& t = tools[(k + size_t(round)) % tools.size()];
            if (t.Failed)
                continue;
            ClearCopy(copy);
            TProcessResult r;
            if (RunChecked(t, problems, Format("(round %d)", round + 1), &r))
                t.Warm.push_back(r);
        }
    }
    ClearCopy(copy);
    PrintTimings(tools, TPhase::Warm, o.CopyRounds);
    Print(Format("   %-26s %9s", "ratio of medians", "measured"));
    const double cp = MedianOf(tools, "cp", TPhase::Warm);
    for (const TTool& t : tools) {
        const double mine = MedianOf(tools, t.Key, TPhase::Warm);
        if (t.Key != "cp" && mine > 0 && cp > 0)
            Print(Format("   %-26s %9.2f", (t.Label + " / cp").c_str(), mine / cp));
    }
}

}  // namespace

void RunCopy(const TBenchOptions& o, const TBenchPrograms& programs,
             std::vector<std::string>& problems) {
    Print(Format("== copy (scale %g, seed %llu): the source trees, copied into a new folder",
                 o.Scale, static_cast<unsigned long long>(o.Seed)));
    for (const std::string& workload : {Workload::FewLarge, Workload::ManySmall}) {
        const std::string folder = o.DataDir + "/" + workload;
        bool generated = false;
        PrepareWorkload(workload, o.Scale, o.Seed, folder, generated);
        CopyTree(o, programs, workload, folder + "/A", problems);
    }
    std::filesystem::remove_all(o.DataDir + "/copy-to");
}

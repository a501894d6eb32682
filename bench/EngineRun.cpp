// EngineRun: runs the comparison engine in this process, sequentially or with
// contents compared ahead, and prints the time of each run and a digest of
// its rows, so that the two ways can be timed and profiled (perf, callgrind)
// without the console program, and their rows compared.
//
//   EngineRun [--sequential] [--runs N] [--rows] FOLDER_M FOLDER_S
//
// --rows prints every row as a comma-separated line. Exit status 0, or 1 when
// a run ended with a status other than 0, 2 on wrong usage.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ICompareCallBack.h"
#include "RowText.h"
#include "TCompare.h"

namespace {

// Joins each row's seven strings into a line, as a report writer would, and
// folds the lines into a digest (FNV-1a).
class TRowDigest : public ICompareCallBack {
public:
    bool PrintRows = false;
    uint64_t Digest = 0;
    int Rows = 0;

    void OnCompareBegin(TCompare*) override {
        Digest = 1469598103934665603ull;
        Rows = 0;
    }
    void OnListReady(TCompare*, int, int) override {}
    void OnRowReady(TCompare*, int, int, int, const TSearchRecEx*, const TSearchRecEx*,
                    const TResultRow& row) override {
        Line.clear();
        for (int column = 0; column < TResultRow::ColumnCount; ++column) {
            if (column > 0)
                Line.push_back(',');
            Field.clear();
            row.AppendColumn(column, Field);
            AppendRowField(Line, Field, ',', '"');
        }
        for (unsigned char c : Line)
            Digest = (Digest ^ c) * 1099511628211ull;
        Digest = (Digest ^ '\n') * 1099511628211ull;
        if (PrintRows)
            std::printf("%s\n", Line.c_str());
        ++Rows;
    }
    void OnCompareDone(TCompare*, int, int, int) override {}
    void OnCompareEnd(TCompare*) override {}

private:
    std::string Line;
    std::string Field;
};

}  // namespace

int main(int argc, char** argv) {
    bool sequential = false;
    int runs = 1;
    TRowDigest digest;
    std::vector<std::string> folders;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--sequential") {
            sequential = true;
        } else if (arg == "--rows") {
            digest.PrintRows = true;
        } else if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            folders.push_back(arg);
        }
    }
    if (folders.size() != 2) {
        std::fprintf(stderr,
                     "usage: EngineRun [--sequential] [--runs N] [--rows] FOLDER_M FOLDER_S\n");
        return 2;
    }
    TCompare engine(&digest);
    engine.SetSequential(sequential);
    engine.SetPathM(folders[0]);
    engine.SetPathS(folders[1]);
    int failed = 0;
    for (int run = 0; run < runs; ++run) {
        auto start = std::chrono::steady_clock::now();
        int status = engine.CheckPaths() == 0 ? engine.Compare() : engine.GetStatus();
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(digest.PrintRows ? stderr : stdout,
                     "%s run %d: %.3f s, status %d, %d rows, digest %016llx, %s\n",
                     sequential ? "sequential" : "pipelined", run + 1, seconds, status, digest.Rows,
                     static_cast<unsigned long long>(digest.Digest), engine.GetSummary().c_str());
        failed |= status != 0;
    }
    return failed;
}

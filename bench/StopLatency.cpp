// StopLatency: how long the engine takes to honour a stop request. Runs
// TCompare::Compare on a worker thread over two folders, calls RequestStop from
// this thread after a delay and measures the time until Compare returns. A
// first, complete run gives the full duration T; the stops then fall at evenly
// spread points of T (1/(N+1), 2/(N+1), ... of it), so that with a pair of
// large files most of them land in the middle of a content comparison.
//
//   StopLatency [--rounds N] [--goal-ms MS] FOLDER_M FOLDER_S
//
// Exit status 0 when every stop ended the run with a status that a stop may
// give (or the run had already ended) and at most the last row was cut short,
// 1 otherwise, 2 on wrong usage.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "ICompareCallBack.h"
#include "TCompare.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

const std::string Cancelled = "相違: 不明(キャンセルされた)";

// Counts the rows and the ones whose content comparison was cut short by the
// stop; the engine calls it on the worker thread only.
class TRowCounter : public ICompareCallBack {
public:
    int Rows = 0;
    int CancelledRows = 0;
    bool LastCancelled = false;
    void OnCompareBegin(TCompare*) override { Rows = CancelledRows = 0, LastCancelled = false; }
    void OnListReady(TCompare*, int, int) override {}
    void OnRowReady(TCompare*, int, int, int, const TSearchRecEx*, const TSearchRecEx*,
                    const TResultRow& row) override {
        ++Rows;
        LastCancelled = row.Result() == Cancelled;
        CancelledRows += LastCancelled;
    }
    void OnCompareDone(TCompare*, int, int, int) override {}
    void OnCompareEnd(TCompare*) override {}
};

struct TStopRun {
    bool EndedFirst = false;  // Compare returned before the stop was requested
    double LatencyMs = 0;
    int Status = 0;
    int Rows = 0;
    int CancelledRows = 0;
    bool LastCancelled = false;
};

// One run; with a delay, a stop is requested that long after the start.
TStopRun RunOnce(TCompare& engine, TRowCounter& counter, Clock::duration* delay, double* fullMs) {
    Clock::time_point returned;
    const Clock::time_point start = Clock::now();
    std::thread worker([&] {
        engine.Compare();
        returned = Clock::now();
    });
    Clock::time_point requested = start;
    if (delay) {
        std::this_thread::sleep_until(start + *delay);
        requested = Clock::now();
        engine.RequestStop(true);
    }
    worker.join();
    TStopRun run;
    run.Status = engine.GetStatus();
    run.Rows = counter.Rows;
    run.CancelledRows = counter.CancelledRows;
    run.LastCancelled = counter.LastCancelled;
    run.EndedFirst = returned <= requested;
    run.LatencyMs = Milliseconds(returned - requested);
    if (fullMs)
        *fullMs = Milliseconds(returned - start);
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 5;
    double goalMs = 100;
    std::vector<std::string> folders;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--goal-ms" && i + 1 < argc) {
            goalMs = std::atof(argv[++i]);
        } else {
            folders.push_back(arg);
        }
    }
    if (folders.size() != 2) {
        std::fprintf(stderr, "usage: StopLatency [--rounds N] [--goal-ms MS] FOLDER_M FOLDER_S\n");
        return 2;
    }

    TRowCounter counter;
    TCompare engine(&counter);
    engine.SetPathM(folders[0]);
    engine.SetPathS(folders[1]);
    if (engine.CheckPaths() != 0) {
        std::printf("stop latency: %s\n", engine.GetErrorMessage().c_str());
        return 1;
    }
    // Two full runs: the first warms the page cache, the faster one sets T.
    double fullMs = 0, secondMs = 0;
    TStopRun full = RunOnce(engine, counter, nullptr, &fullMs);
    if (full.Status == 0) {
        full = RunOnce(engine, counter, nullptr, &secondMs);
        fullMs = std::min(fullMs, secondMs);
    }
    std::printf("stop latency: full run %.1f ms, status %d, %d rows\n", fullMs, full.Status,
                full.Rows);
    if (full.Status != 0) {
        std::printf("  the full run failed: %s\n", engine.GetErrorMessage().c_str());
        return 1;
    }
    if (full.Rows == 0) {
        std::printf("  not measured: the engine made no rows\n");
        return 0;
    }

    std::vector<double> latencies;
    bool faulty = false;
    for (int r = 0; r < rounds; ++r) {
        const double share = double(r + 1) / (rounds + 1);
        auto delay = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double, std::milli>(fullMs * share));
        TStopRun run = RunOnce(engine, counter, &delay, nullptr);
        std::printf("  stop at %3.0f%% (%.1f ms): ", share * 100, fullMs * share);
        if (run.EndedFirst) {
            std::printf("the run had ended already (status %d, %d rows)\n", run.Status, run.Rows);
        } else {
            std::printf("returned after %.2f ms, status %d, %d rows%s\n", run.LatencyMs, run.Status,
                        run.Rows,
                        run.LastCancelled ? ", the last one stopped inside its contents" : "");
            latencies.push_back(run.LatencyMs);
        }
        // A stop ends the source listing (11), the target listing (12) or the
        // pairing (100); a run that reached its end before seeing it gives 0.
        const int status = run.Status;
        if (status != 0 && status != 11 && status != 12 && status != 100) {
            std::printf("  fault: status %d after a stop: %s\n", status,
                        engine.GetErrorMessage().c_str());
            faulty = true;
        }
        // Only the pair being compared when the stop came may show as cancelled,
        // and the run must end right after its row.
        if (run.CancelledRows > 1 || (run.CancelledRows == 1 && !run.LastCancelled)) {
            std::printf("  fault: %d rows cancelled, the last one %s\n", run.CancelledRows,
                        run.LastCancelled ? "among them" : "not among them");
            faulty = true;
        }
    }
    if (latencies.empty()) {
        std::printf("  not measured: every run ended before its stop request\n");
    } else {
        std::sort(latencies.begin(), latencies.end());
        size_t n = latencies.size();
        double median = n % 2 ? latencies[n / 2] : (latencies[n / 2 - 1] + latencies[n / 2]) / 2;
        std::printf(
            "  stop honoured after: median %.2f ms, max %.2f ms over %zu stops "
            "(goal <= %.0f ms: %s)\n",
            median, latencies.back(), n, goalMs, latencies.back() <= goalMs ? "met" : "missed");
    }
    return faulty ? 1 : 0;
}

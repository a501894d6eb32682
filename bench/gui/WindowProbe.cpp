// WindowProbe: the desktop program's window, run on whatever Qt platform the
// environment names (offscreen in the benchmark), compares two folders as a
// user would with Ctrl+R and measures what the user would feel:
//
//   run     seconds from the start command until the window is idle again
//   stall   the longest time the window's thread did not come back to its
//           event loop while the run went on (a 5 ms timer measures the gaps)
//   find    one walk through every different row with the find button, and the
//           longest single search
//   scroll  the longest jump of the grid (bottom, middle, top) with its repaint
//   clear   the second run's start, which frees the first run's results
//   hide    each hide toggle over the whole result, and one more run with
//           the equal rows hidden (its longest stall)
//
//   WindowProbe [--speed N] [--runs N] FOLDER_M FOLDER_S
//
// Prints "key value" lines on standard output. Exit status 0, 1 when a run did
// not end with "比較処理が終了しました", 2 on wrong usage.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include "window/TPanelBar.h"
#include "window/TPathBox.h"
#include "window/TSameGrid.h"
#include "window/TStatusArea.h"
#include "window/TfrmMain.h"

namespace {

struct TRunFigures {
    double StartMs = 0;  // StartComparison itself: checks the paths and clears
    double RunSeconds = 0;
    double LongestStallMs = 0;
    int StallsOver100Ms = 0;
    int Rows = 0;
    bool Finished = false;
};

// Measures gaps in the window thread's event loop while it waits for a run to end.
TRunFigures RunOnce(TfrmMain& frm, const QString& m, const QString& s) {
    TRunFigures figures;
    frm.PathBox(TSide::M)->setEditText(m);
    frm.PathBox(TSide::S)->setEditText(s);
    QElapsedTimer total;
    total.start();
    frm.Actions().mnFileComp->trigger();
    figures.StartMs = double(total.nsecsElapsed()) / 1e6;

    constexpr int TickMs = 5;
    QElapsedTimer sinceTick;
    sinceTick.start();
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(TickMs);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double gap = double(sinceTick.nsecsElapsed()) / 1e6;
        sinceTick.restart();
        figures.LongestStallMs = std::max(figures.LongestStallMs, gap);
        if (gap > 100)
            ++figures.StallsOver100Ms;
        if (!frm.ComparisonRun().IsRunning()) {
            figures.RunSeconds = double(total.nsecsElapsed()) / 1e9;
            loop.quit();
        }
    });
    tick.start();
    loop.exec();
    figures.Rows = frm.Grid()->RowCount();
    figures.Finished =
        frm.StatusArea()->MessageBar()->PanelText(0) == QStringLiteral("比較処理が終了しました");
    return figures;
}

double Milliseconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

// Walks down through every different row, as repeated presses of the
// different-downward button do: one pass over the whole grid.
void MeasureFind(TfrmMain& frm, double& totalMs, double& longestMs, int& found) {
    frm.Grid()->SelectRow(0);
    totalMs = longestMs = 0;
    found = 0;
    for (;;) {
        const int before = frm.Grid()->CurrentRow();
        QElapsedTimer one;
        one.start();
        frm.findChild<QPushButton*>(QStringLiteral("btnFindDiffDown"))->click();
        const double ms = Milliseconds(one);
        totalMs += ms;
        longestMs = std::max(longestMs, ms);
        if (frm.Grid()->CurrentRow() == before)
            break;
        ++found;
    }
}

double MeasureScroll(TfrmMain& frm) {
    QScrollBar* bar = frm.Grid()->verticalScrollBar();
    double longest = 0;
    for (int value : {bar->maximum(), bar->maximum() / 2, 0, bar->maximum() / 3}) {
        QElapsedTimer jump;
        jump.start();
        bar->setValue(value);
        frm.Grid()->viewport()->repaint();
        longest = std::max(longest, Milliseconds(jump));
    }
    return longest;
}

int Usage() {
    std::fprintf(stderr, "usage: WindowProbe [--speed N] [--runs N] FOLDER_M FOLDER_S\n");
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int speed = -1;
    int runs = 2;
    QStringList folders;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--speed") && i + 1 < args.size()) {
            speed = args[++i].toInt();
        } else if (args[i] == QStringLiteral("--runs") && i + 1 < args.size()) {
            runs = std::max(1, args[++i].toInt());
        } else {
            folders << args[i];
        }
    }
    if (folders.size() != 2)
        return Usage();

    // A settings file of its own: the defaults, or the priority asked for.
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("Tandril.ini"));
    if (speed >= 0) {
        QFile file(settings);
        if (file.open(QIODevice::WriteOnly))
            file.write(QStringLiteral("[Thread]\r\nSpeed=%1\r\n").arg(speed).toUtf8());
    }
    TfrmMain frm(settings);

    bool allFinished = true;
    for (int run = 1; run <= runs; ++run) {
        const TRunFigures figures = RunOnce(frm, folders[0], folders[1]);
        allFinished = allFinished && figures.Finished;
        std::printf("run%d_seconds %.3f\n", run, figures.RunSeconds);
        std::printf("run%d_start_ms %.1f\n", run, figures.StartMs);
        std::printf("run%d_longest_stall_ms %.1f\n", run, figures.LongestStallMs);
        std::printf("run%d_stalls_over_100ms %d\n", run, figures.StallsOver100Ms);
        std::printf("run%d_rows %d\n", run, figures.Rows);
    }
    double findTotal = 0, findLongest = 0;
    int found = 0;
    MeasureFind(frm, findTotal, findLongest, found);
    std::printf("find_all_different_ms %.1f\n", findTotal);
    std::printf("find_longest_ms %.2f\n", findLongest);
    std::printf("find_rows_found %d\n", found);
    std::printf("scroll_longest_ms %.1f\n", MeasureScroll(frm));
    // The hide toggles over the whole result, on the window's thread.
    for (const auto& [name, toggle] : {std::pair{"hide_equal_ms", frm.Actions().mnViewSame},
                                       std::pair{"hide_different_ms", frm.Actions().mnViewDiff},
                                       std::pair{"show_all_ms", frm.Actions().mnViewDiff}}) {
        QElapsedTimer timer;
        timer.start();
        toggle->trigger();
        std::printf("%s %.1f\n", name, Milliseconds(timer));
    }
    // A run with equal rows hidden: only the different rows come into the grid.
    frm.Actions().mnViewSame->trigger();
    const TRunFigures hidden = RunOnce(frm, folders[0], folders[1]);
    allFinished = allFinished && hidden.Finished;
    std::printf("hidden_run_longest_stall_ms %.1f\n", hidden.LongestStallMs);
    std::printf("hidden_run_stalls_over_100ms %d\n", hidden.StallsOver100Ms);
    std::printf("hidden_run_rows %d\n", hidden.Rows);
    std::fflush(stdout);
    return allFinished ? 0 : 1;
}

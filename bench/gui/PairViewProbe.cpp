// PairViewProbe: the pair view, run on whatever Qt platform the environment
// names, opened on two files as a user opens it, and measured:
//
//   open     milliseconds from the window's construction until it shows the
//            differences (loaded and painted once)
//   stall    the longest time the window's thread did not come back to its
//            event loop meanwhile (a 1 ms timer measures the gaps)
//   cpu      processor time of the window's thread and of the whole process
//            while it opened: on a loaded machine the stall and the time to
//            open also hold time the threads waited for a core
//   scroll   the longest of 200 page-downs, each with its repaint, and of 50
//            F7 presses
//
//   PairViewProbe generate DIR [MEGABYTES]    writes DIR/m.txt and DIR/s.txt:
//                                             text of about MEGABYTES (default
//                                             50), 1% of the lines changed
//   PairViewProbe open FILE_M FILE_S [--shot OUT.png] [--f7 N]
//
// "open" prints "key value" lines; with --shot it saves the window after N
// presses of F7 (default 2) as a picture. Exit status 0, 1 when the view did
// not load or the picture was not saved, 2 on wrong usage.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "pairview/TDiffTextView.h"
#include "pairview/TfrmPairView.h"
#include "window/MainFont.h"

namespace {

double CpuMs(clockid_t clock) {
    timespec t;
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

uint32_t Next(uint32_t& seed) {
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    return seed;
}

// Lines of words, some Japanese, as source code and prose mix them; the
// target changes 0.6% of the lines, drops 0.2% and adds 0.2%.
int Generate(const std::string& dir, int megabytes) {
    static const char* const Words[] = {"int",   "return",   "value", "count", "for", "if",
                                        "比較",  "ファイル", "内容",  "0",     "42",  "x",
                                        "while", "else",     "行",    "設定"};
    std::ofstream m(dir + "/m.txt", std::ios::binary), s(dir + "/s.txt", std::ios::binary);
    uint32_t seed = 24;
    const size_t limit = size_t(megabytes) << 20;
    size_t written = 0;
    std::string line;
    while (written < limit) {
        line.clear();
        for (int n = 3 + int(Next(seed) % 10); n > 0; --n) {
            line += Words[Next(seed) % 16];
            line += ' ';
        }
        line.back() = '\n';
        written += line.size();
        m << line;
        const uint32_t roll = Next(seed) % 1000;
        if (roll < 6)
            s << "changed " << line;
        else if (roll < 8)
            continue;
        else if (roll < 10)
            s << line << "added " << line;
        else
            s << line;
    }
    return m && s ? 0 : 1;
}

int Open(const QStringList& args) {
    QString shot;
    int presses = 2;
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--shot") && i + 1 < args.size())
            shot = args[++i];
        else if (args[i] == QStringLiteral("--f7") && i + 1 < args.size())
            presses = args[++i].toInt();
        else
            files << args[i];
    }
    if (files.size() != 2)
        return 2;

    // The program's main window is up when a user opens the view: fonts and
    // styles are loaded. A first view on the two files' first bytes loads them here.
    {
        TfrmPairView warm(files[0].toStdString(), files[0].toStdString(), {});
        warm.setAttribute(Qt::WA_DeleteOnClose, false);
        warm.show();
        QElapsedTimer wait;
        wait.start();
        while (!warm.IsLoaded() && wait.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        warm.repaint();
    }

    QElapsedTimer total, sinceTick;
    double stall = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        stall = std::max(stall, double(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
    });
    const double threadStart = CpuMs(CLOCK_THREAD_CPUTIME_ID);
    const double processStart = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
    total.start();
    sinceTick.start();
    tick.start();
    TfrmPairView view(files[0].toStdString(), files[1].toStdString(), {});
    view.setAttribute(Qt::WA_DeleteOnClose, false);
    view.show();
    bool painted = false;
    QObject::connect(&view, &TfrmPairView::Loaded, [&] {
        view.repaint();
        painted = true;
    });
    while (!painted && total.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    if (!painted)
        return 1;
    const double openMs = double(total.nsecsElapsed()) / 1e6;
    const double threadMs = CpuMs(CLOCK_THREAD_CPUTIME_ID) - threadStart;
    const double processMs = CpuMs(CLOCK_PROCESS_CPUTIME_ID) - processStart;
    tick.stop();

    TDiffTextView* text = view.TextView();
    double scrollMs = 0, f7Ms = 0;
    QElapsedTimer one;
    for (int i = 0; i < 200 && view.ShowsText(); ++i) {
        one.start();
        text->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        text->viewport()->repaint();
        scrollMs = std::max(scrollMs, double(one.nsecsElapsed()) / 1e6);
    }
    for (int i = 0; i < 50 && view.ShowsText(); ++i) {
        one.start();
        view.mnNextDiff->trigger();
        text->viewport()->repaint();
        f7Ms = std::max(f7Ms, double(one.nsecsElapsed()) / 1e6);
    }
    std::printf(
        "open_ms %.1f\nstall_ms %.1f\nwindow_thread_cpu_ms %.1f\nprocess_cpu_ms %.1f\n"
        "page_down_ms %.2f\nf7_ms %.2f\nrows %zu\ndifferences %zu\n",
        openMs, stall, threadMs, processMs, scrollMs, f7Ms, text->RowCount(),
        text->DifferenceCount());
    if (shot.isEmpty())
        return 0;
    text->ScrollToRow(0);
    // From the first difference on with the action behind F7: a display
    // without a window manager may never make the window active for its
    // shortcuts.
    text->GoToDifference(0);
    for (int i = 1; i < presses; ++i)
        view.mnNextDiff->trigger();
    QTest::qWait(300);
    return view.grab().save(shot) ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc >= 3 && std::string(argv[1]) == "generate")
        return Generate(argv[2], argc > 3 ? std::atoi(argv[3]) : 50);
    QApplication app(argc, argv);
    QApplication::setFont(MainFont());
    QStringList args = QApplication::arguments();
    if (args.size() < 2 || args[1] != QStringLiteral("open")) {
        std::fprintf(stderr,
                     "usage: PairViewProbe generate DIR [MEGABYTES]\n"
                     "       PairViewProbe open FILE_M FILE_S [--shot OUT.png] [--f7 N]\n");
        return 2;
    }
    return Open(args.mid(2));
}

#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QWidget>

#include "commands/CommandTypes.h"

class QProgressBar;
class TPanelBar;
struct TSearchRecEx;

// The bars along the window's bottom edge: the column titles of the entry
// details, the details of the current row's source and target entries, the
// status message with the exclude patterns in force, and the counts, over
// whose first panel a progress bar lies during a run. The counts bar keeps
// its width at the right edge; the other bars stretch with the window.
class TStatusArea : public QWidget {
    Q_OBJECT
public:
    explicit TStatusArea(QWidget* parent = nullptr);

    // Shows an entry's size, attributes, times and full path in that side's
    // bar (its full path also as the bar's tool tip); null empties the bar.
    void ShowEntryInfo(TSide side, const TSearchRecEx* entry);
    // Shows "総数:", "等価:" and "相違:" with their counts (a negative count
    // leaves its panel empty; all three 0 empty the bar). With a throttle, the
    // bar changes only when at least throttleMs have passed since its last
    // refresh of any kind; without one it always refreshes.
    void ShowCounts(int total, int equal, int different, int throttleMs);
    // The status message; an empty text shows how to start a comparison.
    void ShowStatusMessage(const QString& text);
    // The exclude patterns in force beside the message ("除外: a, b", the whole
    // list as its tool tip); empty when there are none.
    void ShowExcludeStatus(const std::vector<std::string>& patterns);

    // The progress bar over the first counts panel, from 0 of 100 steps.
    void BeginProgress();
    // The number of steps of the run, from 0 again.
    void SetProgressSteps(int steps);
    void AdvanceProgress(int steps);
    // Removes the progress bar; returns whether there was one.
    bool EndProgress();

    // The bars themselves, to read what they show.
    const TPanelBar* HeaderBar() const { return stbFileInfoHeader; }
    const TPanelBar* EntryBar(TSide side) const;
    const TPanelBar* MessageBar() const { return stbMsg; }
    const TPanelBar* CountsBar() const { return stbSu; }
    const QProgressBar* Progress() const { return ProgressBar; }

    // The system tick count in milliseconds that ShowCounts throttles by.
    std::function<qint64()> TickCount;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    TPanelBar* stbFileInfoHeader;
    TPanelBar* stbFileInfoM;
    TPanelBar* stbFileInfoS;
    TPanelBar* stbMsg;
    TPanelBar* stbSu;
    QProgressBar* ProgressBar = nullptr;  // only during a run
    // ShowCounts' clock: the tick count of its last refresh, 0 before the first.
    qint64 CountsClock = 0;
};

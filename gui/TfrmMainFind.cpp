// The find buttons' search, the two entry information bars and the counts bar.
#include <QTableView>

#include "RowText.h"
#include "TPanelBar.h"
#include "TSearchRec.h"
#include "TfrmMain.h"

void TfrmMain::FindRow(int direction, TVerdict wanted) {
    const int n = ResultRowCount();
    if (n == 0)
        return;
    // The current row itself is not examined, the header never; no wrap-around.
    // Going up from beyond the results, the empty rows count as different.
    int row = CurrentGridRow() + direction;
    for (;; row += direction) {
        if (direction > 0 ? row >= n + 1 : row <= 0)
            return;
        if (GridRowVerdict(row) == wanted)
            break;
    }
    // The selection rule may still refuse the row found (an empty one).
    SelectGridRow(row);
    if (sgrdSame->isVisible() && sgrdSame->isEnabled())
        sgrdSame->setFocus();
}

void TfrmMain::ShowEntryInfo(TPanelBar* bar, const TSearchRecEx* entry) {
    bar->setUpdatesEnabled(false);
    bar->setToolTip({});
    // Panel 0 is the side's label and stays.
    for (int i = 1; i < bar->PanelCount(); ++i)
        bar->SetPanelText(i, {});
    if (entry) {
        const auto text = [](const std::string& s) { return QString::fromUtf8(s); };
        const QString fullPath = text(entry->FullPath());
        bar->SetPanelText(1, QString::number(entry->Size));
        bar->SetPanelText(2, text(AttributeText(entry->Attr)));
        bar->SetPanelText(
            3, text(FormatDateTime(TimeToDateTime(entry->Time), TDateFormat::ShortDateTime)));
        bar->SetPanelText(4, text(FormatDateTime(FileTimeToDateTime(entry->FindData.CreationTime),
                                                 TDateFormat::ShortDateTime)));
        bar->SetPanelText(5, text(FormatDateTime(FileTimeToDateTime(entry->FindData.LastAccessTime),
                                                 TDateFormat::ShortDate)));
        bar->SetPanelText(6, fullPath);
        bar->setToolTip(fullPath);
    }
    bar->setUpdatesEnabled(true);
}

void TfrmMain::ShowCounts(int total, int equal, int different, int throttleMs) {
    // One clock for every call: a throttled call refreshes only when at least
    // throttleMs have passed since the last refresh of any kind; a call
    // without a throttle always refreshes.
    const qint64 now = TickCount();
    if (CountsClock == 0)
        CountsClock = now;
    if (throttleMs > 0 && now - CountsClock < throttleMs)
        return;
    CountsClock = now;

    stbSu->setUpdatesEnabled(false);
    const auto count = [](const char* label, int value) {
        return value < 0 ? QString() : QString::fromUtf8(label) + QString::number(value);
    };
    if (total == 0 && equal == 0 && different == 0) {
        for (int i = 0; i < 3; ++i)
            stbSu->SetPanelText(i, {});
    } else {
        stbSu->SetPanelText(0, count("総数:", total));
        stbSu->SetPanelText(1, count("等価:", equal));
        stbSu->SetPanelText(2, count("相違:", different));
    }
    stbSu->setUpdatesEnabled(true);
}

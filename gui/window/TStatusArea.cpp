#include "TStatusArea.h"

#include <chrono>

#include <QLabel>
#include <QProgressBar>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "RowText.h"
#include "TPanelBar.h"
#include "TSearchRec.h"
#include "settings/ExcludePatterns.h"

namespace {

constexpr int BarHeight = 17;
constexpr int CountsPanelWidth = 70;

struct PanelSpec {
    const char* Text;
    int Width;
    Qt::Alignment Alignment;
};

// The information header's panels after its first; the two entry bars use the
// same widths and alignments. The two date-time panels are 120 pixels wide
// rather than 110: "yy/mm/dd hh:nn:ss" takes 113 pixels in the Japanese Gothic
// font at 12 pixels, and would lose its last digit in 110 with the frame.
constexpr PanelSpec InfoPanels[] = {
    {"サイズ ", 75, Qt::AlignRight},      {"属性", 45, Qt::AlignHCenter},
    {"更新日時", 120, Qt::AlignHCenter},  {"作成日時", 120, Qt::AlignHCenter},
    {"アクセス日", 60, Qt::AlignHCenter}, {" フルパス", 350, Qt::AlignLeft},
};

TPanelBar* Bar(const char* name, QWidget* parent) {
    auto* bar = new TPanelBar(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setFixedHeight(BarHeight);
    return bar;
}

// A panel's width; the size panel holds the largest size a file can have
// (2^63 - 1 bytes) whole, since a right-aligned number cut off at the left
// would show a plausible wrong size.
int PanelWidth(const PanelSpec& p, const QFontMetrics& metrics) {
    if (&p != &InfoPanels[0])
        return p.Width;
    // The frame and the text's distance from it on both sides.
    constexpr int Framing = 2 * (1 + 2) + 2;
    return std::max(p.Width,
                    metrics.horizontalAdvance(QStringLiteral("9223372036854775807")) + Framing);
}

TPanelBar* EntryInfoBar(const char* name, const char* side, QWidget* parent) {
    TPanelBar* bar = Bar(name, parent);
    bar->AddPanel(QString::fromUtf8(side), 50, Qt::AlignRight, false);
    for (const PanelSpec& p : InfoPanels)
        bar->AddPanel({}, PanelWidth(p, parent->fontMetrics()), p.Alignment);
    return bar;
}

qint64 SteadyMilliseconds() {
    using namespace std::chrono;
    return static_cast<qint64>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

TStatusArea::TStatusArea(QWidget* parent) : QWidget(parent), TickCount(SteadyMilliseconds) {
    stbFileInfoHeader = Bar("stbFileInfoHeader", this);
    stbFileInfoHeader->AddPanel(QStringLiteral("<<詳細>>"), 50, Qt::AlignHCenter, false);
    for (const PanelSpec& p : InfoPanels)
        stbFileInfoHeader->AddPanel(QString::fromUtf8(p.Text), PanelWidth(p, fontMetrics()),
                                    p.Alignment);
    stbFileInfoM = EntryInfoBar("stbFileInfoM", "比較元 :", this);
    stbFileInfoS = EntryInfoBar("stbFileInfoS", "比較先 :", this);

    stbMsg = Bar("stbMsg", this);
    stbMsg->AddPanel({}, 350, Qt::AlignLeft, false);
    // The exclude patterns in force; cut off where the counts begin.
    stbMsg->AddPanel({}, 2000, Qt::AlignLeft, false);

    // The counts panels hold seven-digit counts whole, with separators even.
    const int countsWidth = std::max(
        CountsPanelWidth, fontMetrics().horizontalAdvance(QStringLiteral("総数:1,003,000")) + 8);
    stbSu = Bar("stbSu", this);
    for (int i = 0; i < 3; ++i)
        stbSu->AddPanel({}, countsWidth, Qt::AlignRight);
    stbSu->AddPanel({}, 13, Qt::AlignLeft, false);
    stbSu->setFixedWidth(stbSu->sizeHint().width() + 2);

    // The entry bars in a column, one pixel of air above the column titles;
    // the status line below them is placed by resizeEvent.
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 1, 0, 0);
    column->setSpacing(0);
    column->addWidget(stbFileInfoHeader);
    column->addWidget(stbFileInfoM);
    column->addWidget(stbFileInfoS);
    column->addSpacing(BarHeight);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void TStatusArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The counts bar keeps its width at the right edge; the message bar takes
    // the rest, up to the counts bar's frame. A box layout cannot do this:
    // it gives a bar whose panels are cut off (size policy Ignored) the whole
    // line and pushes the counts bar out of the window.
    const int top = stbFileInfoS->geometry().bottom() + 1;
    const int countsLeft = width() - stbSu->width();
    stbMsg->setGeometry(0, top, std::max(0, countsLeft + 1), BarHeight);
    stbSu->move(countsLeft, top);
}

const TPanelBar* TStatusArea::EntryBar(TSide side) const {
    return side == TSide::M ? stbFileInfoM : stbFileInfoS;
}

void TStatusArea::ShowEntryInfo(TSide side, const TSearchRecEx* entry) {
    TPanelBar* bar = side == TSide::M ? stbFileInfoM : stbFileInfoS;
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

void TStatusArea::ShowCounts(int total, int equal, int different, int throttleMs) {
    // One clock for every call: a throttled call refreshes only when at least
    // throttleMs have passed since the last refresh of any kind.
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

void TStatusArea::ShowStatusMessage(const QString& text) {
    stbMsg->SetPanelText(0,
                         text.isEmpty() ? QStringLiteral("Ctrl+R で比較処理を開始します") : text);
}

void TStatusArea::ShowExcludeStatus(const std::vector<std::string>& patterns) {
    stbMsg->SetPanelText(1, ExcludeSummary(patterns));
    stbMsg->Panel(1)->setToolTip(ExcludePatternsText(patterns));
}

void TStatusArea::BeginProgress() {
    delete ProgressBar;
    ProgressBar = new QProgressBar(stbSu);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setTextVisible(false);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    // Over the first panel, inside its frame.
    ProgressBar->setGeometry(1, 2, stbSu->PanelWidth(0), stbSu->height() - 2);
    ProgressBar->show();
}

void TStatusArea::SetProgressSteps(int steps) {
    if (!ProgressBar)
        return;
    ProgressBar->setMaximum(std::max(steps, 1));
    ProgressBar->setValue(0);
}

void TStatusArea::AdvanceProgress(int steps) {
    if (!ProgressBar)
        return;
    ProgressBar->setValue(std::min(ProgressBar->value() + steps, ProgressBar->maximum()));
    ProgressBar->repaint();
}

bool TStatusArea::EndProgress() {
    if (!ProgressBar)
        return false;
    delete ProgressBar;
    ProgressBar = nullptr;
    return true;
}

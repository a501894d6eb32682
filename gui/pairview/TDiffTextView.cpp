#include "TDiffTextView.h"

#include <QPainter>
#include <QScrollBar>

#include "TDiffMarkerBar.h"
#include "TPairViewColors.h"

namespace {

// Rows kept above a difference that F7 goes to, so that it is seen in context.
constexpr size_t ContextRows = 3;
constexpr size_t CharCacheLimit = 4096;

}  // namespace

TDiffTextView::TDiffTextView(QWidget* parent) : QAbstractScrollArea(parent) {
    MarkerBar = new TDiffMarkerBar(this, [this](size_t row) { ScrollToRow(row); });
    setViewportMargins(0, 0, TDiffMarkerBar::Width, 0);
    viewport()->setBackgroundRole(QPalette::Base);
    verticalScrollBar()->setSingleStep(1);
    setFocusPolicy(Qt::StrongFocus);
}

TDiffTextView::~TDiffTextView() = default;

void TDiffTextView::SetDiff(std::shared_ptr<const TPairDiff> diff, platform::TTextCode codeM,
                            platform::TTextCode codeS) {
    Diff = std::move(diff);
    TextM = std::make_unique<TPaneText>(Diff, TPaneSide::M, codeM);
    TextS = std::make_unique<TPaneText>(Diff, TPaneSide::S, codeS);
    CharCache.clear();
    Current = DifferenceCount();
    UpdateScrollBars();
    verticalScrollBar()->setValue(0);
    viewport()->update();
    UpdateMarkerBar();
}

void TDiffTextView::SetCode(TPaneSide side, platform::TTextCode code) {
    if (!Diff)
        return;
    (side == TPaneSide::M ? TextM : TextS) = std::make_unique<TPaneText>(Diff, side, code);
    CharCache.clear();
    viewport()->update();
}

void TDiffTextView::SetShowBlanks(bool show) {
    ShowBlanks = show;
    viewport()->update();
}

const TDiffLayout* TDiffTextView::Layout() const {
    return Diff ? &Diff->Layout : nullptr;
}

size_t TDiffTextView::RowCount() const {
    return Diff ? Diff->Layout.RowCount() : 0;
}

size_t TDiffTextView::DifferenceCount() const {
    return Diff ? Diff->Layout.DifferenceCount() : 0;
}

TDisplayRow TDiffTextView::Row(size_t row) const {
    return row < RowCount() ? Diff->Layout.Row(row) : TDisplayRow{};
}

QString TDiffTextView::RowText(TPaneSide side, size_t row) const {
    if (!Diff)
        return {};
    const TDisplayRow shown = Row(row);
    return side == TPaneSide::M ? TextM->Line(shown.LineM) : TextS->Line(shown.LineS);
}

TCharDiff TDiffTextView::ChangedCharacters(size_t row) const {
    const TDisplayRow shown = Row(row);
    if (shown.Kind != TRowKind::Changed)
        return {};
    if (auto at = CharCache.find(row); at != CharCache.end())
        return at->second;
    if (CharCache.size() > CharCacheLimit)
        CharCache.clear();
    const QString m = TextM->ComparedLine(shown.LineM), s = TextS->ComparedLine(shown.LineS);
    TCharDiff diff = DiffChars(
        std::u16string_view(reinterpret_cast<const char16_t*>(m.utf16()), size_t(m.size())),
        std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size())));
    CharCache.emplace(row, diff);
    return diff;
}

int TDiffTextView::RowHeight() const {
    return fontMetrics().height() + 2;
}

size_t TDiffTextView::TopRow() const {
    return static_cast<size_t>(verticalScrollBar()->value());
}

size_t TDiffTextView::VisibleRows() const {
    return static_cast<size_t>(std::max(1, viewport()->height() / RowHeight()));
}

bool TDiffTextView::ShowLineEnds() const {
    return ShowBlanks || (Diff && Diff->M.Lines.Style() != Diff->S.Lines.Style());
}

void TDiffTextView::UpdateScrollBars() {
    const size_t rows = RowCount();
    const size_t visible = VisibleRows();
    verticalScrollBar()->setRange(0, int(rows > visible ? rows - visible : 0));
    verticalScrollBar()->setPageStep(int(visible));
    // The width of the longest line in bytes, as characters of average
    // width: a bound that needs no line decoded.
    const size_t longest =
        Diff ? std::max(Diff->M.Lines.LongestLine(), Diff->S.Lines.LongestLine()) : 0;
    const int textWidth = int(std::min<size_t>(longest, 100000)) * fontMetrics().averageCharWidth();
    const int paneText = viewport()->width() / 2 - 60;
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, std::max(0, textWidth - paneText));
    horizontalScrollBar()->setPageStep(std::max(1, paneText));
    horizontalScrollBar()->setSingleStep(fontMetrics().averageCharWidth() * 4);
}

void TDiffTextView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const QRect area = viewport()->geometry();
    MarkerBar->setGeometry(area.right() + 1, area.top(), TDiffMarkerBar::Width, area.height());
    UpdateScrollBars();
    UpdateMarkerBar();
}

void TDiffTextView::scrollContentsBy(int, int) {
    viewport()->update();
    UpdateMarkerBar();
}

void TDiffTextView::UpdateMarkerBar() {
    MarkerBar->Show(Layout(), RowCount(), TopRow(), VisibleRows());
}

void TDiffTextView::ScrollToRow(size_t row) {
    verticalScrollBar()->setValue(
        int(std::min<size_t>(row, size_t(verticalScrollBar()->maximum()))));
}

void TDiffTextView::GoToDifference(size_t index) {
    if (index >= DifferenceCount())
        return;
    Current = index;
    const size_t row = Diff->Layout.DifferenceRow(index);
    ScrollToRow(row > ContextRows ? row - ContextRows : 0);
    viewport()->update();
    UpdateMarkerBar();
    emit CurrentDifferenceChanged();
}

void TDiffTextView::NextDifference() {
    const size_t count = DifferenceCount();
    if (Current < count) {
        GoToDifference(Current + 1);
        return;
    }
    // None chosen yet: the first one from the top row in sight.
    GoToDifference(Diff ? Diff->Layout.DifferenceFrom(TopRow()) : 0);
}

void TDiffTextView::PreviousDifference() {
    const size_t count = DifferenceCount();
    if (Current < count) {
        if (Current > 0)
            GoToDifference(Current - 1);
        return;
    }
    GoToDifference(Diff ? Diff->Layout.PreviousDifference(TopRow() + VisibleRows()) : 0);
}

void TDiffTextView::PaintPane(QPainter& p, TPaneSide side, int x, int width, int gutter, int y,
                              const TDisplayRow& row, size_t rowIndex) {
    const int h = RowHeight();
    const int64_t line = side == TPaneSide::M ? row.LineM : row.LineS;
    QColor background = palette().base().color();
    if (line < 0)
        background = PairViewColors::EmptyRow;
    else if (row.Kind == TRowKind::Changed)
        background = PairViewColors::ChangedRow;
    else if (row.Kind == TRowKind::Removed)
        background = PairViewColors::RemovedRow;
    else if (row.Kind == TRowKind::Added)
        background = PairViewColors::AddedRow;
    p.fillRect(x, y, width, h, background);
    p.fillRect(x, y, gutter, h, PairViewColors::Gutter);
    if (line < 0)
        return;
    const QFontMetrics fm = fontMetrics();
    const int baseline = y + 1 + fm.ascent();
    p.setPen(PairViewColors::GutterText);
    p.drawText(QRect(x, y, gutter - 6, h), Qt::AlignRight | Qt::AlignVCenter,
               QString::number(line + 1));

    const TPaneText& text = side == TPaneSide::M ? *TextM : *TextS;
    const TShownLine shown = ShownLine(text.Line(line), ShowBlanks);
    const int left = x + gutter + 4 - horizontalScrollBar()->value();
    p.save();
    p.setClipRect(x + gutter, y, width - gutter, h);
    if (row.Kind == TRowKind::Changed) {
        const TCharDiff diff = ChangedCharacters(rowIndex);
        for (const TCharRange& range : side == TPaneSide::M ? diff.M : diff.S) {
            const size_t end = std::min(range.Start + range.Length, shown.Column.size() - 1);
            const int x1 = left + fm.horizontalAdvance(shown.Text.left(shown.Column[range.Start]));
            const int x2 = left + fm.horizontalAdvance(shown.Text.left(shown.Column[end]));
            p.fillRect(x1, y, std::max(2, x2 - x1), h, PairViewColors::ChangedChars);
        }
    }
    p.setPen(palette().text().color());
    p.drawText(left, baseline, shown.Text);
    if (ShowLineEnds()) {
        const QString end = text.LineEnd(line);
        if (!end.isEmpty()) {
            p.setPen(PairViewColors::Blank);
            p.drawText(left + fm.horizontalAdvance(shown.Text) + 4, baseline, end);
        }
    }
    p.restore();
}

void TDiffTextView::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    p.setFont(font());
    const QRect area = viewport()->rect();
    p.fillRect(area, palette().base());
    if (!Diff)
        return;
    const int h = RowHeight();
    const size_t lines = std::max(Diff->M.Lines.Count(), Diff->S.Lines.Count());
    const int gutter = fontMetrics().horizontalAdvance(QString::number(lines)) + 12;
    const int half = area.width() / 2;
    const size_t top = TopRow();
    const size_t end = std::min(RowCount(), top + size_t(area.height() / h) + 1);
    for (size_t r = top; r < end; ++r) {
        const int y = int(r - top) * h;
        const TDisplayRow row = Diff->Layout.Row(r);
        PaintPane(p, TPaneSide::M, 0, half - 1, gutter, y, row, r);
        PaintPane(p, TPaneSide::S, half + 1, area.width() - half - 1, gutter, y, row, r);
    }
    if (Current < DifferenceCount()) {
        const size_t first = Diff->Layout.DifferenceRow(Current);
        const size_t rows = Diff->Layout.DifferenceRows(Current);
        if (first + rows > top && first < end) {
            p.setPen(QPen(PairViewColors::CurrentFrame, 2));
            p.setBrush(Qt::NoBrush);
            p.drawRect(1, int(first) * h - int(top) * h + 1, area.width() - 3, int(rows) * h - 2);
        }
    }
    p.setPen(palette().mid().color());
    p.drawLine(half, 0, half, area.height());
}

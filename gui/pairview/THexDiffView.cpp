#include "THexDiffView.h"

#include <QPainter>
#include <QScrollBar>

#include "TPairViewColors.h"

namespace {

constexpr int64_t Row = THexDiffView::BytesPerRow;

// Up to Row bytes of a file at offset (fewer at its end, none past it).
QByteArray ReadRow(const platform::TFileAt& file, int64_t offset) {
    if (offset >= file.Size())
        return {};
    QByteArray bytes(int(std::min<int64_t>(Row, file.Size() - offset)), '\0');
    const int64_t got = file.ReadAt(offset, bytes.data(), size_t(bytes.size()));
    bytes.resize(int(std::max<int64_t>(got, 0)));
    return bytes;
}

QString OffsetText(int64_t offset) {
    return QStringLiteral("%1").arg(offset, 10, 16, QLatin1Char('0'));
}

}  // namespace

THexDiffView::THexDiffView(QWidget* parent) : QAbstractScrollArea(parent) {
    viewport()->setBackgroundRole(QPalette::Base);
    setFocusPolicy(Qt::StrongFocus);
}

void THexDiffView::SetDiff(std::shared_ptr<const TPairDiff> diff) {
    Diff = std::move(diff);
    UpdateScrollBars();
    Current = RunCount();
    if (RunCount() > 0)
        GoToRun(0);
    viewport()->update();
}

size_t THexDiffView::RunCount() const {
    return Diff ? Diff->Bytes.Runs.size() : 0;
}

int64_t THexDiffView::RowCount() const {
    if (!Diff)
        return 0;
    return (std::max(Diff->M.File.Size(), Diff->S.File.Size()) + Row - 1) / Row;
}

int THexDiffView::RowHeight() const {
    return fontMetrics().height() + 2;
}

void THexDiffView::UpdateScrollBars() {
    const int64_t rows = RowCount();
    const int64_t visible = std::max(1, viewport()->height() / RowHeight());
    Scale = std::max<int64_t>(1, rows / 1000000000 + 1);
    const int64_t last = std::max<int64_t>(0, rows - visible);
    verticalScrollBar()->setRange(0, int(last / Scale));
    verticalScrollBar()->setPageStep(int(std::max<int64_t>(1, visible / Scale)));
}

void THexDiffView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

int64_t THexDiffView::TopOffset() const {
    return int64_t(verticalScrollBar()->value()) * Scale * Row;
}

void THexDiffView::ScrollToOffset(int64_t offset) {
    // A few rows of context above.
    const int64_t row = std::max<int64_t>(0, offset / Row - 2);
    verticalScrollBar()->setValue(int(row / Scale));
    viewport()->update();
}

void THexDiffView::GoToRun(size_t index) {
    if (index >= RunCount())
        return;
    Current = index;
    ScrollToOffset(Diff->Bytes.Runs[index].Offset);
    emit CurrentRunChanged();
}

void THexDiffView::NextRun() {
    if (Current + 1 < RunCount())
        GoToRun(Current + 1);
}

void THexDiffView::PreviousRun() {
    if (Current > 0 && Current <= RunCount())
        GoToRun(Current - 1);
}

QString THexDiffView::RowText(bool sideM, int64_t offset) const {
    if (!Diff)
        return {};
    const QByteArray bytes = ReadRow(sideM ? Diff->M.File : Diff->S.File, offset);
    QString hex, ascii;
    for (int i = 0; i < Row; ++i) {
        if (i < bytes.size()) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            hex += QStringLiteral("%1 ").arg(byte, 2, 16, QLatin1Char('0'));
            ascii += byte >= 0x20 && byte < 0x7f ? QChar(byte) : QChar(u'.');
        } else {
            hex += QStringLiteral("   ");
            ascii += u' ';
        }
    }
    return hex + u'|' + ascii + u'|';
}

void THexDiffView::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    p.setFont(font());
    const QRect area = viewport()->rect();
    p.fillRect(area, palette().base());
    if (!Diff)
        return;
    const QFontMetrics fm = fontMetrics();
    const int h = RowHeight();
    const int cell = fm.horizontalAdvance(QStringLiteral("0"));
    const int offsetWidth = cell * 12;
    const int sideWidth = cell * (Row * 3 + Row + 4);
    const int64_t rows = RowCount();
    int64_t row = TopOffset() / Row;
    for (int y = 0; y < area.height() && row < rows; y += h, ++row) {
        const int64_t offset = row * Row;
        const QByteArray m = ReadRow(Diff->M.File, offset), s = ReadRow(Diff->S.File, offset);
        p.setPen(PairViewColors::GutterText);
        p.drawText(4, y + 1 + fm.ascent(), OffsetText(offset));
        for (int side = 0; side < 2; ++side) {
            const QByteArray& mine = side == 0 ? m : s;
            const QByteArray& other = side == 0 ? s : m;
            const int x0 = offsetWidth + side * (sideWidth + cell * 2);
            for (int i = 0; i < mine.size(); ++i) {
                const bool differs = i >= other.size() || mine[i] != other[i];
                if (differs) {
                    p.fillRect(x0 + i * 3 * cell, y, cell * 2, h, PairViewColors::DifferentByte);
                    p.fillRect(x0 + (Row * 3 + 1 + i) * cell, y, cell, h,
                               PairViewColors::DifferentByte);
                }
            }
            p.setPen(palette().text().color());
            p.drawText(x0, y + 1 + fm.ascent(), RowText(side == 0, offset));
        }
    }
    const int divider = offsetWidth + sideWidth + cell;
    p.setPen(palette().mid().color());
    p.drawLine(divider, 0, divider, area.height());
}

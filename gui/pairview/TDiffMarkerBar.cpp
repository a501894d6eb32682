#include "TDiffMarkerBar.h"

#include <QMouseEvent>
#include <QPainter>

#include "TPairViewColors.h"
#include "pairview/TDiffLayout.h"

TDiffMarkerBar::TDiffMarkerBar(QWidget* parent, std::function<void(size_t)> scrollTo)
    : QWidget(parent), ScrollToRow(std::move(scrollTo)) {
    setFixedWidth(Width);
    setCursor(Qt::PointingHandCursor);
}

void TDiffMarkerBar::Show(const TDiffLayout* layout, size_t rows, size_t top, size_t visible) {
    Layout = layout;
    Rows = rows;
    TopRow = top;
    VisibleRows = visible;
    update();
}

namespace {

enum : uint8_t { NoMark, Added, Removed, Changed };

}  // namespace

const std::vector<uint8_t>& TDiffMarkerBar::Marks(const TDiffLayout& layout, size_t rows) {
    if (MarksLayout == &layout && MarksHeight == height())
        return PixelMarks;
    MarksLayout = &layout;
    MarksHeight = height();
    PixelMarks.assign(size_t(std::max(0, height())), NoMark);
    const double scale = double(height()) / double(rows);
    for (size_t i = 0; i < layout.DifferenceCount(); ++i) {
        const TEditRun& run = layout.EditRuns()[i];
        const uint8_t mark = run.CountA == 0 ? Added : run.CountB == 0 ? Removed : Changed;
        const size_t top = size_t(double(layout.DifferenceRow(i)) * scale);
        const size_t h = std::max<size_t>(2, size_t(double(layout.DifferenceRows(i)) * scale));
        for (size_t y = top; y < std::min(PixelMarks.size(), top + h); ++y)
            PixelMarks[y] = std::max(PixelMarks[y], mark);
    }
    return PixelMarks;
}

void TDiffMarkerBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const size_t rows = Rows;
    if (!Layout || rows == 0)
        return;
    const std::vector<uint8_t>& marks = Marks(*Layout, rows);
    for (size_t y = 0; y < marks.size();) {
        size_t end = y + 1;
        while (end < marks.size() && marks[end] == marks[y])
            ++end;
        if (marks[y] != NoMark) {
            const QColor color = marks[y] == Added     ? PairViewColors::AddedMark
                                 : marks[y] == Removed ? PairViewColors::RemovedMark
                                                       : PairViewColors::ChangedMark;
            p.fillRect(2, int(y), width() - 4, int(end - y), color);
        }
        y = end;
    }
    const double scale = double(height()) / double(rows);
    const int top = int(double(TopRow) * scale);
    const int h = std::max(3, int(double(VisibleRows) * scale));
    p.setPen(QPen(palette().text().color(), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, top, width() - 1, std::min(h, height() - top - 1));
}

void TDiffMarkerBar::ScrollTo(int y) {
    if (Rows == 0 || height() <= 0)
        return;
    const double at = std::clamp(double(y) / double(height()), 0.0, 1.0) * double(Rows);
    const size_t half = VisibleRows / 2;
    const size_t row = static_cast<size_t>(at);
    ScrollToRow(row > half ? row - half : 0);
}

void TDiffMarkerBar::mousePressEvent(QMouseEvent* event) {
    ScrollTo(int(event->position().y()));
}

void TDiffMarkerBar::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        ScrollTo(int(event->position().y()));
}

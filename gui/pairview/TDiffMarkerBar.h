#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

class TDiffLayout;

// The strip beside the panes: the whole file from top to bottom, each
// difference a mark at its place (red for lines of the source only, green
// for the target only, amber for changed lines), the part in sight as a
// frame. A click asks its owner to scroll there.
class TDiffMarkerBar : public QWidget {
public:
    static constexpr int Width = 14;
    // scrollTo: called with the row a click asks for (the top row to show).
    TDiffMarkerBar(QWidget* parent, std::function<void(size_t)> scrollTo);

    // What the panes show: their layout (null while none), rows in all, the
    // top row in sight and how many are in sight. Redraws the bar.
    void Show(const TDiffLayout* layout, size_t rows, size_t top, size_t visible);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void ScrollTo(int y);
    // What each pixel row shows (0 nothing, else the kind of mark), worked out
    // once per layout and height: a file may have tens of thousands of
    // differences, and the bar is drawn again at every scroll.
    const std::vector<uint8_t>& Marks(const TDiffLayout& layout, size_t rows);
    std::function<void(size_t)> ScrollToRow;
    const TDiffLayout* Layout = nullptr;
    size_t Rows = 0, TopRow = 0, VisibleRows = 0;
    const TDiffLayout* MarksLayout = nullptr;
    int MarksHeight = -1;
    std::vector<uint8_t> PixelMarks;
};

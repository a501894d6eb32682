#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

class TDiffLayout;
class TDiffTextView;

// The strip beside the panes: the whole file from top to bottom, each
// difference a mark at its place (red for lines of the source only, green
// for the target only, amber for changed lines), the part in sight as a
// frame. A click scrolls there.
class TDiffMarkerBar : public QWidget {
public:
    static constexpr int Width = 14;
    explicit TDiffMarkerBar(TDiffTextView* view);

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
    TDiffTextView* View;
    const TDiffLayout* MarksLayout = nullptr;
    int MarksHeight = -1;
    std::vector<uint8_t> PixelMarks;
};

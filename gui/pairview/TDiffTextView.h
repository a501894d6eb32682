#pragma once

#include <QAbstractScrollArea>
#include <memory>
#include <unordered_map>

#include "TPaneText.h"
#include "pairview/CharDiff.h"

class TDiffMarkerBar;

// The two files side by side, line by line: source left, target right, each
// with its line numbers, one vertical scroll bar for both, so they always
// scroll together, and a marker bar at the right that shows where the
// differences lie in the whole file. Only the rows in sight are decoded and
// drawn. Changed rows are tinted, the characters that differ inside them
// marked; lines of one side only stand against an empty grey row.
class TDiffTextView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TDiffTextView(QWidget* parent = nullptr);
    ~TDiffTextView() override;

    void SetDiff(std::shared_ptr<const TPairDiff> diff, platform::TTextCode codeM,
                 platform::TTextCode codeS);
    void SetCode(TPaneSide side, platform::TTextCode code);
    // Tabs as "→", trailing blanks as "·" and every line's end (CR LF or LF).
    // Line ends are also shown while the two files end their lines differently.
    void SetShowBlanks(bool show);

    // What the panes show, for the window and its tests.
    size_t RowCount() const;
    TDisplayRow Row(size_t row) const;
    QString RowText(TPaneSide side, size_t row) const;
    TCharDiff ChangedCharacters(size_t row) const;
    size_t TopRow() const;
    size_t VisibleRows() const;
    // The difference F7 and Shift+F7 went to last; DifferenceCount() when none.
    size_t CurrentDifference() const { return Current; }
    size_t DifferenceCount() const;
    const TDiffLayout* Layout() const;

    void NextDifference();
    void PreviousDifference();
    void GoToDifference(size_t index);
    // Scrolls so that row stands near the top.
    void ScrollToRow(size_t row);

signals:
    void CurrentDifferenceChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int RowHeight() const;
    void UpdateScrollBars();
    void UpdateMarkerBar();
    bool ShowLineEnds() const;
    void PaintPane(QPainter& p, TPaneSide side, int x, int width, int gutter, int y,
                   const TDisplayRow& row, size_t rowIndex);

    std::shared_ptr<const TPairDiff> Diff;
    std::unique_ptr<TPaneText> TextM;
    std::unique_ptr<TPaneText> TextS;
    TDiffMarkerBar* MarkerBar = nullptr;
    bool ShowBlanks = false;
    size_t Current = 0;
    // Changed characters of rows drawn lately; cleared when it grows large
    // or an encoding changes.
    mutable std::unordered_map<size_t, TCharDiff> CharCache;
};

#pragma once

#include <QAbstractScrollArea>
#include <memory>

#include "pairview/TPairDiff.h"

// The bytes of two files side by side, 16 a row: the offset, then for each
// file its bytes in hex and as ASCII, the bytes that differ marked. Rows are
// read from the files as they come into sight. F7 and Shift+F7 go to the
// next and previous differing run.
class THexDiffView : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int BytesPerRow = 16;

    explicit THexDiffView(QWidget* parent = nullptr);
    void SetDiff(std::shared_ptr<const TPairDiff> diff);

    // The run F7 went to last (first run when the view opens); RunCount() when none.
    size_t CurrentRun() const { return Current; }
    size_t RunCount() const;
    int64_t TopOffset() const;
    void NextRun();
    void PreviousRun();
    void GoToRun(size_t index);
    // The row text of one side as shown, for tests: "00 1f ..  |..|".
    QString RowText(bool sideM, int64_t offset) const;

signals:
    void CurrentRunChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int RowHeight() const;
    int64_t RowCount() const;
    void UpdateScrollBars();
    void ScrollToOffset(int64_t offset);
    // Scroll bar values are ints: very large files move in steps of Scale rows.
    int64_t Scale = 1;

    std::shared_ptr<const TPairDiff> Diff;
    size_t Current = 0;
};

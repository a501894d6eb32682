#pragma once

#include <optional>
#include <vector>

#include <QTableView>

#include "TResultRow.h"
#include "commands/TCursorRow.h"

class QMenu;
class TCompare;
class TSameGridModel;
class TSameGridSelection;

// The result grid: one line per result row of the last comparison under the
// seven column headers. It owns its table (TSameGridModel), its cursor rule
// (TSameGridSelection), its delegate, the four finds and the hide filter.
//
// Rows count from 0: row r shows the r-th result shown. After a clear the grid
// holds 320 empty rows and grows by blocks of 256 while rows arrive; a
// run that ends with results leaves one row per result shown. While rows
// arrive, the engine counts a row only after the grid was told about it, so
// the row right after those the engine holds may become current too: it is
// the row being delivered, written or still empty.
//
// The grid tells the window by cursorRowChanged whenever a row has become
// current (the information bars show its entries); the window never reads the
// cursor through the view's own selection.
class TSameGrid : public QTableView {
    Q_OBJECT
public:
    explicit TSameGrid(QWidget* parent = nullptr);

    // The engine whose rows the grid shows; null shows nothing.
    void SetEngine(const TCompare* engine);
    // The pop-up menu shown over the grid; the grid does not own it.
    void SetPopupMenu(QMenu* menu) { Popup = menu; }
    QMenu* PopupMenu() const { return Popup; }

    // The selection rule, with no side effect: whether row `row` may become
    // current when the engine holds `results` rows of those shown. Refused
    // before the first result and past the row being delivered (results).
    static bool MayBecomeCurrent(int row, int results);

    // Rows of the grid, empty ones included.
    int RowCount() const;
    // The current row; -1 when there is none.
    int CurrentRow() const;
    // The text of a cell; empty in a row that shows no result and outside the grid.
    QString Cell(int row, int column) const;
    // The verdict of the result a row shows; an empty row is different.
    TVerdict Verdict(int row) const;
    // That side's entry of a row, or null.
    const TSearchRecEx* Entry(int row, TSide side) const;
    // The current row and the result it shows, for the row commands.
    TCursorRow CursorRow() const;
    // Results that the grid shows and the engine holds: what selection and
    // the finds read. Below the engine's count while rows are on their way.
    int ResultCount() const;
    // Makes a row current through the selection rule; false when refused.
    bool SelectRow(int row);
    // Moves the cursor to the nearest row above (direction -1) or below (+1)
    // whose verdict is `wanted`, the current row itself not examined, and
    // takes the focus; an empty row counts as different. Without a match
    // nothing changes.
    void FindRow(int direction, TVerdict wanted);

    // Empties the grid to its 320 empty rows before the engine frees its
    // rows; a cursor past the last of them moves onto it, any other stays.
    void Clear();
    // Shows every result up to `last`, `lastRow` being that row as the engine
    // reported it.
    void ShowRows(int last, const TResultRow& lastRow);
    // The run has ended with `results` rows: the grid keeps one row per result
    // shown, and a cursor past them moves onto the last.
    void Complete(int results);
    // Leaves out the results of a verdict (none: shows all) at once; the cursor
    // stays on its result or goes to the nearest one shown.
    void SetHidden(std::optional<TVerdict> hidden);
    // Results already shown were judged again (after a copy between the
    // sides): shows them anew, through the hide filter; the cursor stays on
    // its result or goes to the nearest one shown, and cursorRowChanged
    // tells the window either way.
    void ResultsChanged();
    // The results the grid shows, in order: what an export writes.
    std::vector<const TResultRow*> ShownResults() const;

signals:
    // Row `row` has become current; -1 when the cursor was put where no row's
    // entries are to be shown.
    void cursorRowChanged(int row);

protected:
    // Shift+F10 opens the pop-up menu at the cursor row, as the Menu key does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    TSameGridModel* Model;
    TSameGridSelection* Selection;
    QMenu* Popup = nullptr;
};

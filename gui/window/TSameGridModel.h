#pragma once

#include <optional>
#include <vector>

#include <QAbstractTableModel>
#include <QStringList>

#include "TResultRow.h"
#include "commands/CommandTypes.h"

class TCompare;

// The result grid's table: seven columns under their headers and a number of
// rows that stays apart from the number of results (320 empty rows after a
// clear, growing by 256 while rows arrive). Rows count from 0; the headers
// are the view's header.
//
// The table holds no text of its own: it reads the engine's result rows, and
// shows only the rows that the window has been told about through the engine's
// callback, so that the grid follows the callbacks' order whatever the engine
// has appended meanwhile. The engine appends a row only after reporting it,
// so the last row told is kept here (three pointers into the engine's lists)
// until the engine holds it too.
//
// A hide filter leaves out the equal rows or all other rows: the table then
// shows only the results the filter keeps, in order, and keeps their indices
// (four bytes a row), so that switching it over a million rows costs one pass.
class TSameGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int ColumnCount = 7;
    static constexpr int ResultColumn = 4;
    static constexpr int ClearedRowCount = 320;
    static constexpr int GrowthRows = 256;

    explicit TSameGridModel(QObject* parent = nullptr);

    // The engine whose rows the table reads; null shows nothing.
    void SetEngine(const TCompare* engine) { Engine = engine; }

    // The seven header texts, left to right.
    static QStringList HeaderTexts();
    // Column widths in pixels, left to right.
    static QList<int> ColumnWidths();

    // Forgets the rows shown and empties the table to ClearedRowCount rows.
    // Call it before the engine frees its rows.
    void Clear();
    // Sets the number of table rows; rows past the shown ones are empty.
    void SetRowCount(int rows);
    // Shows every result row up to `last` (from 0), `lastRow` being that row as
    // the engine reported it. Whenever a shown row is the table's last row the
    // table grows by GrowthRows.
    void ShowRows(int last, const TResultRow& lastRow);

    // Leaves out the results of a verdict (none: no result) from now on, also
    // those already shown; the table is reset when the results shown change.
    void SetHidden(std::optional<TVerdict> hidden);
    std::optional<TVerdict> Hidden() const { return HiddenKind; }
    // Results already shown changed their text or verdict (judged again
    // after a copy): shows them anew, through the filter.
    void ResultsChanged();
    // The index of the result that a table row shows; -1 for an empty row.
    int ResultOf(int row) const;
    // The table row nearest to result `result` (its own when it is shown;
    // the following one on a tie); -1 when the table shows no result.
    int NearestRow(int result) const;
    // Whether the filter leaves result `result` out.
    bool IsHiddenResult(int result) const;
    // Table rows that show a result.
    int VisibleRows() const;

    // Result rows told so far, hidden ones included.
    int ShownRows() const { return Shown; }
    // Result rows that are shown and that the engine holds too: the rows that
    // selection and search may read.
    int ResultCount() const;
    // The result row shown in a table row, or null for an empty row.
    const TResultRow* Row(int row) const;
    // That row's entry on one side, or null.
    const TSearchRecEx* Entry(int row, TSide side) const;
    // The text of a cell; empty for an empty row.
    QString CellText(int row, int column) const;
    // The verdict of the result shown in a table row; an empty row is different.
    TVerdict Verdict(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const TCompare* Engine = nullptr;
    int Rows = ClearedRowCount;
    int Shown = 0;
    TResultRow LastRow;  // result row Shown - 1, until the engine has appended it
    std::optional<TVerdict> HiddenKind;
    // With a filter: the indices of the results told that it keeps, in order.
    std::vector<int> Visible;

    bool Keeps(const TResultRow* row) const;
    // Sets Visible from the results told, under the filter.
    void Refilter();
    // Result `result` (below Shown) as told.
    const TResultRow* Told(int result) const;
};

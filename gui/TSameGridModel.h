#pragma once

#include <QAbstractTableModel>
#include <QStringList>

// The result grid's table: seven columns under their headers and a number of
// rows that stays apart from the number of results (320 empty rows after a
// clear). Grid row r (from 1) is model row r - 1; the header row is the view's
// header. This version holds no result text yet: every cell is empty.
class TSameGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int ColumnCount = 7;
    static constexpr int ClearedRowCount = 320;

    explicit TSameGridModel(QObject* parent = nullptr);

    // The seven header texts, left to right.
    static QStringList HeaderTexts();
    // Column widths in pixels, left to right.
    static QList<int> ColumnWidths();

    // Empties the table to ClearedRowCount empty rows.
    void Clear();
    void SetRowCount(int rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    int Rows = ClearedRowCount;
};

#pragma once

#include <functional>

#include <QItemSelectionModel>

// The result grid's cursor: one current row, always the one selected row.
// Every move of the current row, by mouse, keys or the window itself, first
// asks MayBecomeCurrent (given the cell); a refused move leaves the
// cursor and the selection where they were, an allowed one emits RowAccepted
// (also when the row was current already). Selections other than the current
// row are refused, so that the cursor row is the one highlighted row.
class TSameGridSelection : public QItemSelectionModel {
    Q_OBJECT
public:
    using QItemSelectionModel::QItemSelectionModel;
    using QItemSelectionModel::select;

    // The selection rule; without one every move is allowed.
    std::function<bool(const QModelIndex& cell)> MayBecomeCurrent;

    // Puts the cursor on a table row without asking the rule.
    void ForceCurrentRow(int row);

    void setCurrentIndex(const QModelIndex& index,
                         QItemSelectionModel::SelectionFlags command) override;
    void select(const QItemSelection& selection,
                QItemSelectionModel::SelectionFlags command) override;

signals:
    void RowAccepted(int row);

private:
    bool Forcing = false;
};

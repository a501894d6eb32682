#include "TSameGridSelection.h"

void TSameGridSelection::ForceCurrentRow(int row) {
    const QModelIndex index = model()->index(row, 0);
    if (!index.isValid())
        return;
    Forcing = true;
    QItemSelectionModel::setCurrentIndex(index, ClearAndSelect | Rows);
    Forcing = false;
}

void TSameGridSelection::setCurrentIndex(const QModelIndex& index,
                                         QItemSelectionModel::SelectionFlags command) {
    if (!Forcing) {
        if (!index.isValid())
            return;
        if (MayBecomeCurrent && !MayBecomeCurrent(index))
            return;
        // The cursor row is always the selected row, whatever the keys held.
        QItemSelectionModel::setCurrentIndex(index, ClearAndSelect | Rows);
        emit RowAccepted(index.row());
        return;
    }
    QItemSelectionModel::setCurrentIndex(index, command);
}

void TSameGridSelection::select(const QItemSelection& selection,
                                QItemSelectionModel::SelectionFlags command) {
    if (!Forcing) {
        // Only the current row may be selected, and it stays selected.
        if (command & (Deselect | Toggle))
            return;
        if (selection.isEmpty() && (command & Clear))
            return;
        const int current = currentIndex().row();
        for (const QItemSelectionRange& range : selection) {
            if (range.top() != current || range.bottom() != current)
                return;
        }
        if (!selection.isEmpty())
            command = ClearAndSelect | Rows;
    }
    QItemSelectionModel::select(selection, command);
}

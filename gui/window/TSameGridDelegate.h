#pragma once

#include <QStyledItemDelegate>

// Draws the grid's cells as the view does, except that a cell with a text
// colour of its own (the result text of a different row) keeps that colour in
// the current row too, where the view would use the selection's text colour.
class TSameGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

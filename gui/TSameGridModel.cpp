#include "TSameGridModel.h"

TSameGridModel::TSameGridModel(QObject* parent) : QAbstractTableModel(parent) {}

QStringList TSameGridModel::HeaderTexts() {
    return {QStringLiteral("比較元ファイル"), QStringLiteral("フォルダ"),
            QStringLiteral("比較先ファイル"), QStringLiteral("フォルダ"),
            QStringLiteral("比較結果"),       QStringLiteral("比較元番号"),
            QStringLiteral("比較先番号")};
}

QList<int> TSameGridModel::ColumnWidths() {
    return {129, 128, 124, 128, 157, 29, 28};
}

void TSameGridModel::Clear() {
    SetRowCount(ClearedRowCount);
}

void TSameGridModel::SetRowCount(int rows) {
    rows = std::max(rows, 0);
    if (rows > Rows) {
        beginInsertRows({}, Rows, rows - 1);
        Rows = rows;
        endInsertRows();
    } else if (rows < Rows) {
        beginRemoveRows({}, rows, Rows - 1);
        Rows = rows;
        endRemoveRows();
    }
}

int TSameGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Rows;
}

int TSameGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TSameGridModel::data(const QModelIndex&, int) const {
    return {};
}

QVariant TSameGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    switch (role) {
        case Qt::DisplayRole:
            return HeaderTexts().at(section);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

#include "TSameGridModel.h"

#include <algorithm>

#include <QColor>

#include "TCompare.h"
#include "TReportWriter.h"

TSameGridModel::TSameGridModel(QObject* parent) : QAbstractTableModel(parent) {}

QStringList TSameGridModel::HeaderTexts() {
    // The report's column names, so that grid, report and export agree.
    static const QStringList texts = [] {
        QStringList names;
        for (const std::string& name : ReportColumnNames(false))
            names << QString::fromStdString(name);
        return names;
    }();
    return texts;
}

QList<int> TSameGridModel::ColumnWidths() {
    return {129, 128, 124, 128, 157, 29, 28};
}

void TSameGridModel::Clear() {
    const int wasShown = VisibleRows();
    Shown = 0;
    Visible.clear();
    LastRow = TResultRow();
    SetRowCount(ClearedRowCount);
    if (wasShown > 0)
        emit dataChanged(index(0, 0), index(std::min(wasShown, Rows) - 1, ColumnCount - 1));
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

bool TSameGridModel::Keeps(const TResultRow* row) const {
    return !HiddenKind || row == nullptr || row->Verdict() != *HiddenKind;
}

const TResultRow* TSameGridModel::Told(int result) const {
    if (result < 0 || result >= Shown || !Engine)
        return nullptr;
    if (const TResultRow* held = Engine->GetRow(result))
        return held;
    return result == Shown - 1 ? &LastRow : nullptr;
}

void TSameGridModel::SetHidden(std::optional<TVerdict> hidden) {
    if (hidden == HiddenKind)
        return;
    HiddenKind = hidden;
    if (Shown > 0)
        Refilter();
}

void TSameGridModel::ResultsChanged() {
    // A verdict that changed may change what the filter keeps.
    if (HiddenKind && Shown > 0)
        Refilter();
    else if (Rows > 0)
        emit dataChanged(index(0, 0), index(Rows - 1, ColumnCount - 1));
}

void TSameGridModel::Refilter() {
    const std::optional<TVerdict> hidden = HiddenKind;
    beginResetModel();
    Visible.clear();
    if (hidden) {
        for (int r = 0; r < Shown; ++r) {
            if (Keeps(Told(r)))
                Visible.push_back(r);
        }
    }
    // The results shown, or the rows there were when none is left.
    if (VisibleRows() > 0)
        Rows = VisibleRows();
    endResetModel();
}

int TSameGridModel::ResultOf(int row) const {
    if (row < 0)
        return -1;
    if (!HiddenKind)
        return row < Shown ? row : -1;
    return row < static_cast<int>(Visible.size()) ? Visible[row] : -1;
}

int TSameGridModel::NearestRow(int result) const {
    const int rows = VisibleRows();
    if (rows == 0)
        return -1;
    if (!HiddenKind)
        return std::clamp(result, 0, rows - 1);
    const auto next = std::lower_bound(Visible.begin(), Visible.end(), result);
    if (next == Visible.end())
        return rows - 1;
    const int after = static_cast<int>(next - Visible.begin());
    if (after == 0 || *next - result <= result - Visible[after - 1])
        return after;
    return after - 1;
}

bool TSameGridModel::IsHiddenResult(int result) const {
    return HiddenKind && !std::binary_search(Visible.begin(), Visible.end(), result);
}

int TSameGridModel::VisibleRows() const {
    return !HiddenKind ? Shown : static_cast<int>(Visible.size());
}

void TSameGridModel::ShowRows(int last, const TResultRow& lastRow) {
    if (last < Shown)
        return;
    int first = Shown;
    Shown = last + 1;
    LastRow = lastRow;
    if (HiddenKind) {
        // Only the rows the filter keeps come into the table.
        const int firstRow = static_cast<int>(Visible.size());
        for (int r = first; r <= last; ++r) {
            if (Keeps(Told(r)))
                Visible.push_back(r);
        }
        first = firstRow;
        last = static_cast<int>(Visible.size()) - 1;
        if (last < first)
            return;
    }
    // Rows are always written into rows the table already has: it grows ahead
    // of them, by a block whenever the row just written is its last.
    int rows = Rows;
    while (rows <= last + 1)
        rows += GrowthRows;
    if (first < Rows)
        emit dataChanged(index(first, 0), index(std::min(last, Rows - 1), ColumnCount - 1));
    SetRowCount(rows);
}

int TSameGridModel::ResultCount() const {
    const int held = Engine ? Engine->GetRowCount() : 0;
    if (!HiddenKind)
        return std::min(held, Shown);
    return static_cast<int>(std::lower_bound(Visible.begin(), Visible.end(), held) -
                            Visible.begin());
}

const TResultRow* TSameGridModel::Row(int row) const {
    return Told(ResultOf(row));
}

const TSearchRecEx* TSameGridModel::Entry(int row, TSide side) const {
    const TResultRow* result = Row(row);
    if (!result)
        return nullptr;
    return side == TSide::M ? result->EntryM() : result->EntryS();
}

QString TSameGridModel::CellText(int row, int column) const {
    const TResultRow* result = Row(row);
    if (!result)
        return {};
    std::string text;
    result->AppendColumn(column, text);
    return QString::fromUtf8(text);
}

TVerdict TSameGridModel::Verdict(int row) const {
    const TResultRow* result = Row(row);
    return result ? result->Verdict() : TVerdict::Different;
}

int TSameGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Rows;
}

int TSameGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TSameGridModel::data(const QModelIndex& index, int role) const {
    switch (role) {
        case Qt::DisplayRole: {
            QString text = CellText(index.row(), index.column());
            return text.isEmpty() ? QVariant() : QVariant(text);
        }
        case Qt::ForegroundRole:
            // A different row shows its result text in pure red.
            if (index.column() == ResultColumn && Row(index.row()) &&
                Verdict(index.row()) == TVerdict::Different)
                return QColor(255, 0, 0);
            return {};
        default:
            return {};
    }
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

Qt::ItemFlags TSameGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

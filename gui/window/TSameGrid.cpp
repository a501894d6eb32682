#include "TSameGrid.h"

#include <algorithm>

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

#include "TCompare.h"
#include "TSameGridDelegate.h"
#include "TSameGridModel.h"
#include "TSameGridSelection.h"

namespace {

constexpr int GridRowHeight = 14;

// The grid's rows are GridRowHeight pixels high where the font allows, else
// the smallest height that shows every glyph of a name whole, antialiased
// edges included: descenders, accents, brackets and kanji. The style centres
// a cell's text line in the row (its grid line is drawn over the last pixel
// row) and puts the baseline on a whole pixel.
int RowHeightFor(const QFont& font) {
    const QFontMetricsF metrics(font);
    const QRect ink =
        QFontMetrics(font).tightBoundingRect(QStringLiteral("ÅÉÇÖgjpqy_|()[]{}漢字かなカナ"));
    const int line = qRound(metrics.height());
    const int ascent = qRound(metrics.ascent());
    int height = GridRowHeight;
    for (; height < GridRowHeight + 2 * line; ++height) {
        const int baseline = (height - line) / 2 + ascent;
        if (baseline + ink.top() >= 0 && baseline + ink.bottom() <= height - 2)
            break;
    }
    return height;
}

}  // namespace

TSameGrid::TSameGrid(QWidget* parent) : QTableView(parent) {
    setObjectName(QStringLiteral("sgrdSame"));
    Model = new TSameGridModel(this);
    setModel(Model);
    // Every move of the cursor row goes through the selection rule.
    QItemSelectionModel* standard = selectionModel();
    Selection = new TSameGridSelection(Model, this);
    Selection->MayBecomeCurrent = [this](const QModelIndex& cell) {
        return MayBecomeCurrent(cell.row(), ResultCount());
    };
    connect(Selection, &TSameGridSelection::RowAccepted, this, &TSameGrid::cursorRowChanged);
    setSelectionModel(Selection);
    delete standard;
    setItemDelegate(new TSameGridDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);  // Tab goes on to the find buttons
    setWordWrap(false);
    setShowGrid(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (Popup)
            Popup->popup(viewport()->mapToGlobal(pos));
    });
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(RowHeightFor(font()));
    rows->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* columns = horizontalHeader();
    columns->setHighlightSections(false);
    columns->setSectionsClickable(false);
    // Each column at least as wide as its whole header with a little air
    // ("比較元番号" needs it).
    const QList<int> widths = TSameGridModel::ColumnWidths();
    for (int c = 0; c < widths.size(); ++c)
        columns->resizeSection(c, std::max(widths[c], columns->sectionSizeHint(c) + 4));
    // At start-up the cursor is on the first row, though no row may be selected yet.
    Selection->ForceCurrentRow(0);
}

void TSameGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        // Below the cursor row's first cell, or at the grid's corner without one.
        const QRect cell = visualRect(currentIndex());
        emit customContextMenuRequested(cell.isValid() ? cell.bottomLeft() : QPoint(0, 0));
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TSameGrid::SetEngine(const TCompare* engine) {
    Model->SetEngine(engine);
}

bool TSameGrid::MayBecomeCurrent(int row, int results) {
    return results > 0 && row >= 0 && row <= results;
}

int TSameGrid::RowCount() const {
    return Model->rowCount();
}

int TSameGrid::CurrentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

QString TSameGrid::Cell(int row, int column) const {
    if (column < 0 || column >= TSameGridModel::ColumnCount)
        return {};
    return Model->CellText(row, column);
}

TVerdict TSameGrid::Verdict(int row) const {
    return Model->Verdict(row);
}

const TSearchRecEx* TSameGrid::Entry(int row, TSide side) const {
    return Model->Entry(row, side);
}

TCursorRow TSameGrid::CursorRow() const {
    const int row = CurrentRow();
    return {row, Model->Row(row)};
}

int TSameGrid::ResultCount() const {
    return Model->ResultCount();
}

bool TSameGrid::SelectRow(int row) {
    const int column = std::max(currentIndex().column(), 0);
    const QModelIndex cell = Model->index(row, column);
    if (!cell.isValid())
        return false;
    setCurrentIndex(cell);
    return CurrentRow() == row;
}

void TSameGrid::FindRow(int direction, TVerdict wanted) {
    const int n = ResultCount();
    if (n == 0)
        return;
    // The current row itself is not examined; no wrap-around. Going up from
    // beyond the results, the empty rows count as different.
    int row = CurrentRow() + direction;
    for (;; row += direction) {
        if (direction > 0 ? row >= n : row < 0)
            return;
        if (Verdict(row) == wanted)
            break;
    }
    // The selection rule may still refuse the row found (an empty one).
    SelectRow(row);
    if (isVisible() && isEnabled())
        setFocus();
}

void TSameGrid::Clear() {
    if (CurrentRow() >= TSameGridModel::ClearedRowCount)
        Selection->ForceCurrentRow(TSameGridModel::ClearedRowCount - 1);
    Model->Clear();
}

void TSameGrid::ShowRows(int last, const TResultRow& lastRow) {
    Model->ShowRows(last, lastRow);
}

void TSameGrid::Complete(int results) {
    // Without a result shown the grid keeps its rows. A cursor beyond the
    // last result moves onto it through the selection rule, which allows it.
    const int shown = Model->VisibleRows();
    if (results != 0 && shown != 0) {
        if (CurrentRow() >= shown)
            SelectRow(shown - 1);
        Model->SetRowCount(shown);
    }
    viewport()->update();
}

void TSameGrid::SetHidden(std::optional<TVerdict> hidden) {
    if (hidden == Model->Hidden())
        return;
    if (Model->ShownRows() == 0) {
        Model->SetHidden(hidden);
        return;
    }
    // The cursor's result, or one past the last for a row beyond them.
    int result = Model->ResultOf(CurrentRow());
    if (result < 0)
        result = Model->ShownRows();
    Model->SetHidden(hidden);
    const int row = Model->NearestRow(result);
    if (row < 0 || !SelectRow(row)) {
        Selection->ForceCurrentRow(0);
        emit cursorRowChanged(-1);
    }
    viewport()->update();
}

void TSameGrid::ResultsChanged() {
    int result = Model->ResultOf(CurrentRow());
    if (result < 0)
        result = Model->ShownRows();
    Model->ResultsChanged();
    const int row = Model->NearestRow(result);
    if (row < 0 || !SelectRow(row)) {
        Selection->ForceCurrentRow(0);
        emit cursorRowChanged(-1);
    } else {
        emit cursorRowChanged(row);
    }
    viewport()->update();
}

std::vector<const TResultRow*> TSameGrid::ShownResults() const {
    const int held = Model->ResultCount();
    std::vector<const TResultRow*> rows;
    rows.reserve(static_cast<size_t>(held));
    for (int r = 0; r < held; ++r) {
        if (const TResultRow* row = Model->Row(r))
            rows.push_back(row);
    }
    return rows;
}

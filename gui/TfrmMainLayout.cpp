// The window's controls and their places: the path area with the find buttons
// at the top, the result grid in the middle, the five bars at the bottom.
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "MainFont.h"
#include "TPanelBar.h"
#include "TSameGridDelegate.h"
#include "TSameGridModel.h"
#include "TSameGridSelection.h"
#include "TfrmMain.h"

namespace {

constexpr int PathAreaHeight = 60;
constexpr int BottomPanelHeight = 69;
constexpr int PathBoxLeft = 96;
constexpr int PathBoxHeight = 22;
// Distances from the right edge of the window's client area.
constexpr int PathBoxRightGap = 116;
constexpr int FindSameRight = 104;
constexpr int FindDiffRight = 52;
constexpr int BarHeight = 17;
constexpr int GridRowHeight = 14;
constexpr int CountsPanelWidth = 70;

struct PanelSpec {
    const char* Text;
    int Width;
    Qt::Alignment Alignment;
};

// The information header's panels after its first; the two entry bars use the
// same widths and alignments. The two date-time panels are 120 pixels wide
// rather than 110: "yy/mm/dd hh:nn:ss" takes 113 pixels in the Japanese Gothic
// font at 12 pixels, and would lose its last digit in 110 with the frame.
constexpr PanelSpec InfoPanels[] = {
    {"サイズ ", 75, Qt::AlignRight},      {"属性", 45, Qt::AlignHCenter},
    {"更新日時", 120, Qt::AlignHCenter},  {"作成日時", 120, Qt::AlignHCenter},
    {"アクセス日", 60, Qt::AlignHCenter}, {" フルパス", 350, Qt::AlignLeft},
};

QPushButton* FindButton(const char* caption, const char* hint, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setToolTip(QString::fromUtf8(hint));
    button->setFixedSize(45, 17);
    return button;
}

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

QLabel* FindCaption(const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setAlignment(Qt::AlignCenter);
    label->setFixedSize(48, 13);
    return label;
}

}  // namespace

void TfrmMain::CreateControls() {
    setWindowTitle(QStringLiteral("Tandril"));
    setFont(MainFont());
    CreateActions(this);

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    CreatePathArea();
    CreateGrid();
    CreateBottomPanel();
    column->addWidget(pnlPath);
    column->addWidget(sgrdSame, 1);
    column->addWidget(pnlBottom);
    setCentralWidget(central);

    CreateBars(this, *this);
    ConnectActions();
    ConnectControls();

    setTabOrder(cmbFilePathM, cmbFilePathS);
    setTabOrder(cmbFilePathS, sgrdSame);
    setTabOrder(sgrdSame, btnFindSameUp);
    setTabOrder(btnFindSameUp, btnFindSameDown);
    setTabOrder(btnFindSameDown, btnFindDiffUp);
    setTabOrder(btnFindDiffUp, btnFindDiffDown);
}

void TfrmMain::CreatePathArea() {
    pnlPath = new QWidget;
    pnlPath->setFixedHeight(PathAreaHeight);

    auto pathBox = [this](const char* name) {
        auto* box = new QComboBox(pnlPath);
        box->setObjectName(QString::fromLatin1(name));
        box->setEditable(true);
        // The list is the history that AddPathHistory keeps, not what Enter adds.
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setMaxVisibleItems(8);
        box->setFixedHeight(PathBoxHeight);
        return box;
    };
    cmbFilePathM = pathBox("cmbFilePathM");
    cmbFilePathS = pathBox("cmbFilePathS");

    auto pathLabel = [this](const char* text, QComboBox* buddy) {
        auto* label = new QLabel(QString::fromUtf8(text), pnlPath);
        label->setBuddy(buddy);  // the accelerator moves the focus to the box
        label->setCursor(Qt::PointingHandCursor);
        label->adjustSize();
        label->installEventFilter(this);
        return label;
    };
    lblFilePathM = pathLabel("比較元のパス(&M)", cmbFilePathM);
    lblFilePathS = pathLabel("比較先のパス(&T)", cmbFilePathS);

    lblFindSame = FindCaption("等価検索", pnlPath);
    lblFindDiff = FindCaption("相違検索", pnlPath);
    btnFindSameUp = FindButton("△ (&U)", "上に向かって等価ファイルを探します", pnlPath);
    btnFindSameDown = FindButton("▽ (&D)", "下に向かって等価ファイルを探します", pnlPath);
    btnFindDiffUp = FindButton("▲ (&P)", "上に向かって相違ファイルを探します", pnlPath);
    btnFindDiffDown = FindButton("▼ (&N)", "下に向かって相違ファイルを探します", pnlPath);
    LayoutPathArea();
    pnlPath->installEventFilter(this);
}

void TfrmMain::LayoutPathArea() {
    const int w = pnlPath->width();
    lblFilePathM->move(6, 12);
    lblFilePathS->move(6, 36);
    const int boxWidth = std::max(0, w - PathBoxLeft - PathBoxRightGap);
    cmbFilePathM->setGeometry(PathBoxLeft, 8, boxWidth, PathBoxHeight);
    cmbFilePathS->setGeometry(PathBoxLeft, 32, boxWidth, PathBoxHeight);
    lblFindSame->move(w - FindSameRight - 2, 4);
    lblFindDiff->move(w - FindDiffRight - 2, 4);
    btnFindSameUp->move(w - FindSameRight, 16);
    btnFindSameDown->move(w - FindSameRight, 32);
    btnFindDiffUp->move(w - FindDiffRight, 16);
    btnFindDiffDown->move(w - FindDiffRight, 32);
}

void TfrmMain::CreateGrid() {
    // A child of the window from the start, so that it sizes its rows and
    // columns in the window's font.
    sgrdSame = new QTableView(this);
    sgrdSame->setObjectName(QStringLiteral("sgrdSame"));
    sgrdSameModel = new TSameGridModel(sgrdSame);
    sgrdSame->setModel(sgrdSameModel);
    // Every move of the cursor row goes through the selection rule.
    QItemSelectionModel* standard = sgrdSame->selectionModel();
    sgrdSameSelection = new TSameGridSelection(sgrdSameModel, sgrdSame);
    sgrdSameSelection->MayBecomeCurrent = [this](const QModelIndex& cell) {
        return sgrdSameSelectCell(cell.column(), cell.row() + 1);
    };
    sgrdSame->setSelectionModel(sgrdSameSelection);
    delete standard;
    sgrdSame->setItemDelegate(new TSameGridDelegate(sgrdSame));
    sgrdSame->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgrdSame->setSelectionMode(QAbstractItemView::SingleSelection);
    sgrdSame->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgrdSame->setTabKeyNavigation(false);  // Tab goes on to the find buttons
    sgrdSame->setWordWrap(false);
    sgrdSame->setShowGrid(true);
    sgrdSame->setContextMenuPolicy(Qt::CustomContextMenu);
    QHeaderView* rows = sgrdSame->verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(RowHeightFor(sgrdSame->font()));
    rows->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* columns = sgrdSame->horizontalHeader();
    columns->setHighlightSections(false);
    columns->setSectionsClickable(false);
    // Each column at least as wide as its whole header with a little air
    // ("比較元番号" needs it).
    const QList<int> widths = TSameGridModel::ColumnWidths();
    for (int c = 0; c < widths.size(); ++c)
        columns->resizeSection(c, std::max(widths[c], columns->sectionSizeHint(c) + 4));
    // At start-up the cursor is on row 1, though no row may be selected yet.
    sgrdSameSelection->ForceCurrentRow(0);
}

void TfrmMain::CreateBottomPanel() {
    pnlBottom = new QWidget;
    pnlBottom->setFixedHeight(BottomPanelHeight);

    auto bar = [this](const char* name) {
        auto* panelBar = new TPanelBar(pnlBottom);
        panelBar->setObjectName(QString::fromLatin1(name));
        panelBar->resize(panelBar->width(), BarHeight);
        return panelBar;
    };
    stbFileInfoHeader = bar("stbFileInfoHeader");
    stbFileInfoHeader->AddPanel(QStringLiteral("<<詳細>>"), 50, Qt::AlignHCenter, false);
    for (const PanelSpec& p : InfoPanels)
        stbFileInfoHeader->AddPanel(QString::fromUtf8(p.Text), p.Width, p.Alignment);

    auto entryBar = [&](const char* name, const char* side) {
        TPanelBar* panelBar = bar(name);
        panelBar->AddPanel(QString::fromUtf8(side), 50, Qt::AlignRight, false);
        for (const PanelSpec& p : InfoPanels)
            panelBar->AddPanel({}, p.Width, p.Alignment);
        return panelBar;
    };
    stbFileInfoM = entryBar("stbFileInfoM", "比較元 :");
    stbFileInfoS = entryBar("stbFileInfoS", "比較先 :");

    stbMsg = bar("stbMsg");
    stbMsg->AddPanel({}, 350, Qt::AlignLeft, false);
    // The exclude patterns in force; cut off where the counts begin.
    stbMsg->AddPanel({}, 2000, Qt::AlignLeft, false);

    // The counts panels hold seven-digit counts whole, with separators even.
    const int countsWidth = std::max(
        CountsPanelWidth, fontMetrics().horizontalAdvance(QStringLiteral("総数:1,003,000")) + 8);
    stbSu = bar("stbSu");
    for (int i = 0; i < 3; ++i)
        stbSu->AddPanel({}, countsWidth, Qt::AlignRight);
    stbSu->AddPanel({}, 13, Qt::AlignLeft, false);
    LayoutBottomPanel();
    pnlBottom->installEventFilter(this);
}

void TfrmMain::LayoutBottomPanel() {
    const int w = pnlBottom->width();
    stbFileInfoHeader->setGeometry(0, 1, w, BarHeight);
    stbFileInfoM->setGeometry(0, 18, w, BarHeight);
    stbFileInfoS->setGeometry(0, 35, w, BarHeight);
    // The counts bar keeps its width at the right edge; the message bar takes the rest.
    const int countsWidth = stbSu->sizeHint().width() + 2;
    stbMsg->setGeometry(0, 52, std::max(0, w - countsWidth + 1), BarHeight);
    stbSu->setGeometry(w - countsWidth, 52, countsWidth, BarHeight);
}

void TfrmMain::ConnectControls() {
    const struct {
        QPushButton* Button;
        int Direction;
        TVerdict Wanted;
    } finds[] = {
        {btnFindSameUp, -1, TVerdict::Equal},
        {btnFindSameDown, +1, TVerdict::Equal},
        {btnFindDiffUp, -1, TVerdict::Different},
        {btnFindDiffDown, +1, TVerdict::Different},
    };
    for (const auto& find : finds) {
        connect(find.Button, &QPushButton::clicked, this,
                [this, find] { FindRow(find.Direction, find.Wanted); });
    }
    connect(sgrdSame, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PopupMenu->popup(sgrdSame->viewport()->mapToGlobal(pos));
    });
}

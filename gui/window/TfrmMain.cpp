// The window's widgets, their places and their wiring: the path area with the
// find buttons at the top, the result grid in the middle, the status area at
// the bottom.
#include "TfrmMain.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "MainFont.h"
#include "TCompare.h"
#include "TPathBox.h"
#include "TPathLabel.h"
#include "TSameGrid.h"
#include "TStatusArea.h"
#include "actions/ActionIcons.h"
#include "commands/OpenPairView.h"
#include "commands/RowCommands.h"
#include "commands/TDesktopShell.h"

namespace {

constexpr int PathAreaHeight = 60;
constexpr int PathBoxHeight = 22;
constexpr int PathLabelWidth = 90;

QPushButton* FindButton(const char* name, const char* caption, const char* hint) {
    auto* button = new QPushButton(QString::fromUtf8(caption));
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(QString::fromUtf8(hint));
    button->setFixedSize(45, 17);
    return button;
}

// A caption over a column of two find buttons.
QVBoxLayout* FindColumn(const char* name, const char* caption, QPushButton* up, QPushButton* down) {
    auto* label = new QLabel(QString::fromUtf8(caption));
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    label->setFixedSize(48, 13);
    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    column->addWidget(label);
    for (QPushButton* button : {up, down}) {
        // The buttons sit under the caption, two pixels in from its left.
        auto* row = new QHBoxLayout;
        row->setContentsMargins(2, 0, 0, 0);
        row->addWidget(button);
        row->addStretch();
        column->addLayout(row);
    }
    column->addStretch();
    return column;
}

}  // namespace

TfrmMain::TfrmMain(const QString& settingsPath, QWidget* parent)
    : TfrmMain(settingsPath, std::make_unique<TComparisonRun>(), parent) {}

TfrmMain::TfrmMain(const QString& settingsPath, std::unique_ptr<TComparisonRun> run,
                   QWidget* parent)
    : QMainWindow(parent), SettingsFile(settingsPath), Run(std::move(run)) {
    setWindowTitle(QStringLiteral("Tandril"));
    Snapshot = new TSnapshotRun(this);
    setFont(MainFont());
    MainActions.CreateActions(this);
    SetActionIcons(MainActions);

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(CreatePathArea());
    // A child of the window from the start, so that it sizes its rows and
    // columns in the window's font.
    sgrdSame = new TSameGrid(central);
    sgrdSame->SetEngine(&Run->Engine());
    column->addWidget(sgrdSame, 1);
    pnlBottom = new TStatusArea(central);
    column->addWidget(pnlBottom);
    setCentralWidget(central);

    Bars.CreateBars(this, MainActions);
    sgrdSame->SetPopupMenu(Bars.PopupMenu);
    ConnectActions();
    ConnectWidgets();
    setTabOrder(cmbFilePathM, cmbFilePathS);
    setTabOrder(cmbFilePathS, sgrdSame);
    setTabOrder(sgrdSame, btnFindSameUp);
    setTabOrder(btnFindSameUp, btnFindSameDown);
    setTabOrder(btnFindSameDown, btnFindDiffUp);
    setTabOrder(btnFindDiffUp, btnFindDiffDown);
    FormCreate();
}

TfrmMain::~TfrmMain() {
    // Closing is refused while a comparison runs, so normally none runs here;
    // one that does (the window destroyed without closing) is stopped first.
    AbandonRun();
    sgrdSame->SetEngine(nullptr);
    Run.reset();
}

QWidget* TfrmMain::CreatePathArea() {
    auto* area = new QWidget;
    area->setFixedHeight(PathAreaHeight);
    cmbFilePathM = new TPathBox(QStringLiteral("cmbFilePathM"));
    cmbFilePathS = new TPathBox(QStringLiteral("cmbFilePathS"));
    lblFilePathM = new TPathLabel(QStringLiteral("比較元のパス(&M)"), cmbFilePathM);
    lblFilePathS = new TPathLabel(QStringLiteral("比較先のパス(&T)"), cmbFilePathS);
    lblFilePathM->setObjectName(QStringLiteral("lblFilePathM"));
    lblFilePathS->setObjectName(QStringLiteral("lblFilePathS"));
    auto* paths = new QGridLayout;
    paths->setContentsMargins(6, 8, 0, 0);
    paths->setHorizontalSpacing(0);
    paths->setVerticalSpacing(2);
    paths->setColumnMinimumWidth(0, PathLabelWidth);
    paths->setColumnStretch(1, 1);
    int row = 0;
    for (auto [label, box] :
         {std::pair{lblFilePathM, cmbFilePathM}, {lblFilePathS, cmbFilePathS}}) {
        box->setFixedHeight(PathBoxHeight);
        paths->addWidget(label, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
        paths->addWidget(box, row, 1);
        ++row;
    }
    paths->setRowStretch(row, 1);

    btnFindSameUp = FindButton("btnFindSameUp", "△ (&U)", "上に向かって等価ファイルを探します");
    btnFindSameDown = FindButton("btnFindSameDown", "▽ (&D)", "下に向かって等価ファイルを探します");
    btnFindDiffUp = FindButton("btnFindDiffUp", "▲ (&P)", "上に向かって相違ファイルを探します");
    btnFindDiffDown = FindButton("btnFindDiffDown", "▼ (&N)", "下に向かって相違ファイルを探します");
    // The boxes end 10 pixels before the find columns; the columns stand 4
    // pixels apart and 6 from the window's right edge.
    auto* line = new QHBoxLayout(area);
    line->setContentsMargins(0, 3, 6, 0);
    line->setSpacing(0);
    line->addLayout(paths, 1);
    line->addSpacing(10);
    line->addLayout(FindColumn("lblFindSame", "等価検索", btnFindSameUp, btnFindSameDown));
    line->addSpacing(4);
    line->addLayout(FindColumn("lblFindDiff", "相違検索", btnFindDiffUp, btnFindDiffDown));
    return area;
}

void TfrmMain::ConnectWidgets() {
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
        connect(find.Button, &QPushButton::clicked, sgrdSame,
                [this, find] { sgrdSame->FindRow(find.Direction, find.Wanted); });
    }
    connect(sgrdSame, &TSameGrid::cursorRowChanged, this, &TfrmMain::ShowCursorRow);
    // Enter and a double click on a row open what the options choose. Enter
    // is taken before the view turns it into "activated", which some styles
    // also emit on a click.
    sgrdSame->installEventFilter(this);
    connect(sgrdSame, &QAbstractItemView::doubleClicked, this, &TfrmMain::OpenCursorPair);
    connect(lblFilePathM, &TPathLabel::clicked, MainActions.mnFileOpenM, &QAction::trigger);
    connect(lblFilePathS, &TPathLabel::clicked, MainActions.mnFileOpenS, &QAction::trigger);
    // Enter in a path box starts the comparison, as Ctrl+R does.
    for (TPathBox* box : {cmbFilePathM, cmbFilePathS})
        connect(box->lineEdit(), &QLineEdit::returnPressed, MainActions.mnFileComp,
                &QAction::trigger);
    connect(Run.get(), &TComparisonRun::stateChanged, this, &TfrmMain::ApplyRunState);
    connect(Run.get(), &TComparisonRun::Begun, this, &TfrmMain::ApplyCompareBegin);
    connect(Run.get(), &TComparisonRun::ListReady, pnlBottom, [this](int countM, int countS) {
        // Each entry that pairing consumes is one step: full when pairing ends.
        pnlBottom->SetProgressSteps(countM + countS);
    });
    connect(Run.get(), &TComparisonRun::RowsMade, this, &TfrmMain::ApplyRows);
    connect(Run.get(), &TComparisonRun::Done, this, &TfrmMain::ApplyCompareDone);
    connect(Run.get(), &TComparisonRun::Ended, this, &TfrmMain::ApplyCompareEnd);
    connect(Snapshot, &TSnapshotRun::Progress, this, &TfrmMain::ApplySnapshotProgress);
    connect(Snapshot, &TSnapshotRun::Ended, this, &TfrmMain::ApplySnapshotEnd);
}

void TfrmMain::ShowCursorRow(int row) {
    pnlBottom->ShowEntryInfo(TSide::M, sgrdSame->Entry(row, TSide::M));
    pnlBottom->ShowEntryInfo(TSide::S, sgrdSame->Entry(row, TSide::S));
    MainActions.mnEditCompare->setEnabled(PairsTwoFiles(sgrdSame->CursorRow()));
    UpdateCopyActionStates();
}

TPairDiffOptions TfrmMain::PairViewOptions() const {
    TPairDiffOptions options;
    // The rule of the run whose rows the grid shows, so that the view and the
    // row agree even when the option has changed since.
    options.IgnoreLineEnds = Run->Engine().GetOption().IgnoreLineEnds;
    options.TextLimit = int64_t(Option.ViewLimitMB) << 20;
    return options;
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sgrdSame && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & ~Qt::KeypadModifier)) {
            OpenCursorPair();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::OpenCursorPair() {
    const TCursorRow row = sgrdSame->CursorRow();
    if (Option.EnterStartsCompApp && !Option.CompPath.isEmpty())
        RunCompareApp(this, Shell(), Option.CompPath, row);
    else
        OpenPairView(this, row, PairViewOptions());
}

IShellStarter& TfrmMain::Shell() {
    if (!ShellStarter)
        ShellStarter = std::make_shared<TDesktopShell>();
    return *ShellStarter;
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (Run->IsRunning() || Snapshot->IsRunning()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TfrmMain::SetTopMost(bool flag) {
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == flag)
        return;
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, flag);
    // Changing a window flag hides the window.
    if (visible)
        show();
}

QMenu* TfrmMain::createPopupMenu() {
    auto* menu = new QMenu(this);
    menu->addAction(MainActions.mnViewTBarMain);
    menu->addAction(MainActions.mnViewTBarOption);
    return menu;
}

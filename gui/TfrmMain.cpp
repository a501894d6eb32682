#include "TfrmMain.h"

#include <chrono>

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>

#include "TCompare.h"
#include "TComparisonRun.h"
#include "TSameGridModel.h"
#include "commands/TDesktopShell.h"

TfrmMain::TfrmMain(const QString& settingsPath, QWidget* parent)
    : TfrmMain(settingsPath, std::make_unique<TComparisonRun>(), parent) {}

TfrmMain::TfrmMain(const QString& settingsPath, std::unique_ptr<TComparisonRun> run,
                   QWidget* parent)
    : QMainWindow(parent),
      TickCount([] {
          using namespace std::chrono;
          return static_cast<qint64>(
              duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
      }),
      SettingsFile(settingsPath),
      Run(std::move(run)) {
    CreateControls();
    Option = AppOption();
    RegisterDropTargets();
    connect(Run.get(), &TComparisonRun::Begun, this, &TfrmMain::ApplyCompareBegin);
    connect(Run.get(), &TComparisonRun::ListReady, this, &TfrmMain::ApplyListReady);
    connect(Run.get(), &TComparisonRun::RowsMade, this, &TfrmMain::ApplyRows);
    connect(Run.get(), &TComparisonRun::Done, this, &TfrmMain::ApplyCompareDone);
    connect(Run.get(), &TComparisonRun::Ended, this, &TfrmMain::ApplyCompareEnd);
    sgrdSameModel->SetEngine(&Run->Engine());
    FormCreate();
}

TfrmMain::~TfrmMain() {
    // Closing is refused while a comparison runs, so normally none runs here;
    // one that does (the window destroyed without closing) is stopped first.
    AbandonRun();
    // FormDestroy.
    sgrdSameModel->SetEngine(nullptr);
    Run.reset();
}

IShellStarter& TfrmMain::Shell() {
    if (!ShellStarter)
        ShellStarter = std::make_shared<TDesktopShell>();
    return *ShellStarter;
}

TCompare* TfrmMain::Engine() const {
    return &Run->Engine();
}

bool TfrmMain::IsRunning() const {
    return !mnFileComp->isEnabled();
}

bool TfrmMain::FormCloseQuery() const {
    return !IsRunning();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
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

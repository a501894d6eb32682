#include "TfrmMain.h"

#include <chrono>

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>

#include "TCompare.h"
#include "TComparisonRun.h"
#include "TSameGridModel.h"
#include "settings/IniFile.h"

namespace {
constexpr const char* FormSection = "Form";
}

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

TCompare* TfrmMain::Engine() const {
    return &Run->Engine();
}

bool TfrmMain::IsRunning() const {
    return !mnFileComp->isEnabled();
}

void TfrmMain::FormCreate() {
    IniFile ini;
    ini.Load(SettingsFile);  // a missing or unreadable file: every key takes its default
    Option.Load(ini);
    LoadPlacement(ini);
    const bool maximised = ini.ReadBool(FormSection, "Max", false);
    LoadPathHistory(cmbFilePathM, ini);
    LoadPathHistory(cmbFilePathS, ini);
    cmbFilePathM->setEditText(ini.ReadString(FormSection, "FilePathM", {}));
    cmbFilePathS->setEditText(ini.ReadString(FormSection, "FilePathS", {}));
    LoadToolBars(ini);
    for (const TOptionFlag& flag : OptionFlags()) {
        if (flag.Group == TOptionFlag::TGroup::Window)
            (this->*flag.Action)->setChecked(flag.In(Option));
    }
    SetTopMost(Option.ShowFront);
    UpdateAppMenuItems();
    ClearResults();
    // Shown only now, at its restored place, so it is never seen at the built-in one.
    if (maximised) {
        showMaximized();
    } else {
        show();
    }
}

void TfrmMain::LoadPlacement(const IniFile& ini) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize =
        screen ? screen->geometry().size() : QSize(BuiltInWidth, BuiltInHeight);
    // The defaults centre the built-in size; stored values are taken as they are.
    const int top = ini.ReadInteger(FormSection, "Top", (screenSize.height() - BuiltInHeight) / 2);
    const int left = ini.ReadInteger(FormSection, "Left", (screenSize.width() - BuiltInWidth) / 2);
    const int width = ini.ReadInteger(FormSection, "Width", BuiltInWidth);
    const int height = ini.ReadInteger(FormSection, "Height", BuiltInHeight);
    move(left, top);
    resize(width, height);
}

void TfrmMain::SavePlacement(IniFile& ini) const {
    const bool maximised = isMaximized();
    ini.WriteBool(FormSection, "Max", maximised);
    // A maximised window keeps the normal placement stored before.
    if (maximised)
        return;
    ini.WriteInteger(FormSection, "Top", y());
    ini.WriteInteger(FormSection, "Left", x());
    ini.WriteInteger(FormSection, "Width", width());
    ini.WriteInteger(FormSection, "Height", height());
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

void TfrmMain::FormClose() {
    IniFile ini;
    // A file that exists but cannot be read is left alone rather than replaced
    // by this window's keys alone.
    if (!ini.Load(SettingsFile))
        return;
    SavePlacement(ini);
    ini.WriteString(FormSection, "FilePathM", cmbFilePathM->currentText());
    ini.WriteString(FormSection, "FilePathS", cmbFilePathS->currentText());
    Option.Save(ini);
    SaveToolBars(ini);
    SavePathHistory(cmbFilePathM, ini);
    SavePathHistory(cmbFilePathS, ini);
    ini.Save(SettingsFile);  // a failure is swallowed: the window closes all the same
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

// The window and the settings file: what it reads when it is made (options,
// placement, path texts and histories, toolbars), what it writes when it
// closes, and the export's choice of file type and encoding, read and
// written at each export. The keys themselves are AppOption's and
// TWindowSettings'.
//
// The tool area is a row of toolbar lines. A toolbar's place is its left and
// top in pixels inside that area; on restoring, two toolbars whose tops differ
// by less than half a toolbar's height share a line, ordered by their lefts,
// otherwise the upper one gets the first line. The toolkit then packs each
// line from the left.
#include <cstdlib>

#include <QAction>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>

#include "TCompare.h"
#include "TPathBox.h"
#include "TSameGrid.h"
#include "TfrmMain.h"
#include "commands/ExportRows.h"
#include "commands/ShowMessageBox.h"
#include "dialogs/TExportDialog.h"
#include "settings/IniFile.h"
#include "settings/WindowSettings.h"

namespace {
constexpr int SameLineTolerance = 12;
}  // namespace

void TfrmMain::FormCreate() {
    IniFile ini;
    ini.Load(SettingsFile);  // a missing or unreadable file: every key takes its default
    Option.Load(ini);
    const QScreen* screen = QGuiApplication::primaryScreen();
    TWindowSettings settings;
    settings.Load(ini, screen ? screen->geometry().size() : TWindowSettings::BuiltInSize);
    move(settings.Placement.topLeft());
    resize(settings.Placement.size());
    cmbFilePathM->SetHistory(settings.HistoryM, settings.HistoryLimit);
    cmbFilePathS->SetHistory(settings.HistoryS, settings.HistoryLimit);
    cmbFilePathM->setEditText(settings.FilePathM);
    cmbFilePathS->setEditText(settings.FilePathS);
    PlaceToolBars(settings);
    for (const TOptionFlag& flag : OptionFlags()) {
        if (flag.Group == TOptionFlag::TGroup::Window)
            (MainActions.*flag.Action)->setChecked(flag.In(Option));
    }
    SetTopMost(Option.ShowFront);
    UpdateAppMenuItems();
    ApplyRunState(Run->State());
    ClearResults();
    // Shown only now, at its restored place, so it is never seen at the built-in one.
    if (settings.Maximised) {
        showMaximized();
    } else {
        show();
    }
}

void TfrmMain::FormClose() {
    IniFile ini;
    // A file that exists but cannot be read is left alone rather than replaced
    // by this window's keys alone.
    if (!ini.Load(SettingsFile))
        return;
    TWindowSettings settings;
    settings.Maximised = isMaximized();
    settings.Placement = QRect(x(), y(), width(), height());
    settings.FilePathM = cmbFilePathM->currentText();
    settings.FilePathS = cmbFilePathS->currentText();
    RememberToolBarPlace(Bars.ToolBarMain);
    RememberToolBarPlace(Bars.ToolBarOption);
    settings.PlaceMain = PlaceMain;
    settings.PlaceOption = PlaceOption;
    settings.VisibleMain = MainActions.mnViewTBarMain->isChecked();
    settings.VisibleOption = MainActions.mnViewTBarOption->isChecked();
    // Both boxes remember the same number of folders.
    settings.HistoryLimit = cmbFilePathM->HistoryLimit();
    settings.HistoryM = cmbFilePathM->History();
    settings.HistoryS = cmbFilePathS->History();
    settings.Save(ini, Option);
    ini.Save(SettingsFile);  // a failure is swallowed: the window closes all the same
}

void TfrmMain::ExportResults(const QString& title, std::optional<TVerdict> only) {
    // Results there are, but the hide toggles or the kind chosen leave none:
    // a file of the header alone would pass for an export of them. (Before
    // any comparison, or after one that found nothing, the file is the
    // header alone.)
    const std::vector<const TResultRow*> shown = sgrdSame->ShownResults();
    if (Run->Engine().GetRowCount() > 0 && !AnyRowToExport(shown, only)) {
        ShowMessageBox(this, QMessageBox::Warning,
                       QStringLiteral("エクスポートする行がありません"));
        return;
    }
    if (SaveDialog == nullptr)
        SaveDialog = new TExportDialog(this);
    IniFile ini;
    // A settings file that exists but cannot be read leaves the dialog as it
    // is and is never written over.
    const bool settingsRead = ini.Load(SettingsFile);
    if (settingsRead) {
        TExportChoice choice;
        choice.Load(ini);
        SaveDialog->SetFilterIndex(choice.FilterIndex);
        SaveDialog->SetEncoding(choice.Encoding);
    }
    if (!ExportWithDialog(this, *SaveDialog, title, only, shown))
        return;
    // Remembered at once, also when the file could not be written.
    if (!settingsRead)
        return;
    const TExportChoice choice{SaveDialog->FilterIndex(), SaveDialog->Encoding()};
    choice.Save(ini);
    ini.Save(SettingsFile);  // a failure only means the choice is not remembered
}

void TfrmMain::PlaceToolBars(const TWindowSettings& settings) {
    PlaceMain = settings.PlaceMain;
    PlaceOption = settings.PlaceOption;

    const bool sameLine = std::abs(PlaceMain.y() - PlaceOption.y()) < SameLineTolerance;
    const bool mainFirst =
        sameLine ? PlaceMain.x() <= PlaceOption.x() : PlaceMain.y() < PlaceOption.y();
    QToolBar* first = mainFirst ? Bars.ToolBarMain : Bars.ToolBarOption;
    QToolBar* second = mainFirst ? Bars.ToolBarOption : Bars.ToolBarMain;
    addToolBar(Qt::TopToolBarArea, first);
    if (!sameLine)
        addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, second);

    MainActions.mnViewTBarMain->setChecked(settings.VisibleMain);
    MainActions.mnViewTBarOption->setChecked(settings.VisibleOption);
    ShowToolBar(Bars.ToolBarMain, settings.VisibleMain);
    ShowToolBar(Bars.ToolBarOption, settings.VisibleOption);
}

void TfrmMain::RememberToolBarPlace(QToolBar* bar) {
    // A hidden toolbar has no place of its own: it keeps the one last seen.
    if (!bar->isVisible())
        return;
    const QWidget* menu = menuWidget();
    const int areaTop = menu && menu->isVisible() ? menu->geometry().bottom() + 1 : 0;
    const QPoint place(bar->x(), bar->y() - areaTop);
    (bar == Bars.ToolBarMain ? PlaceMain : PlaceOption) = place;
}

void TfrmMain::ShowToolBar(QToolBar* bar, bool shown) {
    if (!shown)
        RememberToolBarPlace(bar);
    bar->setVisible(shown);
}

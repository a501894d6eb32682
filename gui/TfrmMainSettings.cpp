// The window and the settings file: what it reads when it is made (options,
// placement, path texts and histories, toolbars), what it writes when it
// closes, and the export's choice of file type and encoding, read and
// written at each export. The keys themselves are AppOption's and
// TWindowSettings'.
#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>

#include "TfrmMain.h"
#include "commands/ExportRows.h"
#include "commands/TExportDialog.h"
#include "settings/IniFile.h"
#include "settings/WindowSettings.h"

void TfrmMain::FormCreate() {
    IniFile ini;
    ini.Load(SettingsFile);  // a missing or unreadable file: every key takes its default
    Option.Load(ini);
    const QScreen* screen = QGuiApplication::primaryScreen();
    TWindowSettings settings;
    settings.Load(ini, screen ? screen->geometry().size() : TWindowSettings::BuiltInSize);
    move(settings.Placement.topLeft());
    resize(settings.Placement.size());
    SetPathHistory(cmbFilePathM, settings.HistoryM, settings.HistoryLimit);
    SetPathHistory(cmbFilePathS, settings.HistoryS, settings.HistoryLimit);
    cmbFilePathM->setEditText(settings.FilePathM);
    cmbFilePathS->setEditText(settings.FilePathS);
    PlaceToolBars(settings);
    for (const TOptionFlag& flag : OptionFlags()) {
        if (flag.Group == TOptionFlag::TGroup::Window)
            (this->*flag.Action)->setChecked(flag.In(Option));
    }
    SetTopMost(Option.ShowFront);
    UpdateAppMenuItems();
    SetRunningState(false);
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
    RememberToolBarPlace(ToolBarMain);
    RememberToolBarPlace(ToolBarOption);
    settings.PlaceMain = PlaceMain;
    settings.PlaceOption = PlaceOption;
    settings.VisibleMain = mnViewTBarMain->isChecked();
    settings.VisibleOption = mnViewTBarOption->isChecked();
    // Both boxes remember the same number of folders.
    settings.HistoryLimit = HistoryLimit(cmbFilePathM);
    settings.HistoryM = PathHistory(cmbFilePathM);
    settings.HistoryS = PathHistory(cmbFilePathS);
    settings.Save(ini, Option);
    ini.Save(SettingsFile);  // a failure is swallowed: the window closes all the same
}

void TfrmMain::ExportResults(const QString& title, std::optional<TVerdict> only) {
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
    if (!ExportWithDialog(this, *SaveDialog, title, only, ShownResults()))
        return;
    // Remembered at once, also when the file could not be written.
    if (!settingsRead)
        return;
    const TExportChoice choice{SaveDialog->FilterIndex(), SaveDialog->Encoding()};
    choice.Save(ini);
    ini.Save(SettingsFile);  // a failure only means the choice is not remembered
}

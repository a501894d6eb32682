// What each action does, as one table from action to handler. The handlers
// hand the cursor row, the options and the shell starter to the commands
// (gui/commands/), which know nothing of the window.
#include <functional>
#include <utility>

#include <QAction>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolBar>

#include "TCompare.h"
#include "TPathBox.h"
#include "TSameGrid.h"
#include "TStatusArea.h"
#include "TfrmMain.h"
#include "commands/CopyBetweenSides.h"
#include "commands/OpenPairView.h"
#include "commands/OpenWithShell.h"
#include "commands/ProgramInfo.h"
#include "commands/RowCommands.h"
#include "dialogs/BrowseForFolder.h"
#include "dialogs/TfrmAbout.h"
#include "dialogs/TfrmOption.h"

void TfrmMain::ConnectActions() {
    const TMainActions& a = MainActions;
    const auto chooseFolder = [this](TPathBox* box) {
        QString folder;
        if (BrowseForFolder(this, box->currentText(), folder))
            box->setEditText(folder);
    };
    const auto exportRows = [this](QAction* action, std::optional<TVerdict> only) {
        ExportResults(action->statusTip(), only);
    };
    const auto copy = [this](TCopyDirection direction) {
        const TCursorRow row = sgrdSame->CursorRow();
        if (const auto result = CopyBetweenSides(this, Run->Engine(), row, direction))
            ApplyCopy(row, *result);
    };
    const auto openWith = [this](const QString& program, TSide side) {
        OpenEntryWith(this, Shell(), program, sgrdSame->CursorRow(), side);
    };
    const auto openPage = [this](const QString& page) { OpenWithShell(this, Shell(), page); };
    const auto optionDialog = [this](bool excludePage) {
        TfrmOption dialog(this, Option);
        if (excludePage)
            dialog.pgcOption->setCurrentWidget(dialog.tabExclude);
        // The patterns of a running comparison stay those it started with.
        dialog.memExclude->setReadOnly(Run->IsRunning());
        if (dialog.exec() != QDialog::Accepted)
            return;
        UpdateAppMenuItems();
        pnlBottom->ShowExcludeStatus(Option.Compare.Exclude);
    };
    const std::pair<QAction*, std::function<void()>> handlers[] = {
        {a.mnFileNew, [this] { ClearResults(); }},
        {a.mnFileOpenM, [=, this] { chooseFolder(cmbFilePathM); }},
        {a.mnFileOpenS, [=, this] { chooseFolder(cmbFilePathS); }},
        {a.mnFileExpCsv, [=] { exportRows(a.mnFileExpCsv, std::nullopt); }},
        {a.mnFileExpCsvSame, [=] { exportRows(a.mnFileExpCsvSame, TVerdict::Equal); }},
        {a.mnFileExpCsvDiff, [=] { exportRows(a.mnFileExpCsvDiff, TVerdict::Different); }},
        {a.mnFileSnapshot, [this] { SaveSnapshot(); }},
        {a.mnFileComp, [this] { StartComparison(); }},
        {a.mnFileCompStop, [this] { StopComparison(); }},
        {a.mnFileExit, [this] { close(); }},
        {a.mnEditCopyRow, [this] { CopyRowToClipboard(this, sgrdSame->CursorRow()); }},
        {a.mnEditCopyM, [this] { CopyEntryPath(this, sgrdSame->CursorRow(), TSide::M); }},
        {a.mnEditCopyS, [this] { CopyEntryPath(this, sgrdSame->CursorRow(), TSide::S); }},
        {a.mnPopUpCopyToS, [=] { copy(TCopyDirection::ToS); }},
        {a.mnPopUpCopyToM, [=] { copy(TCopyDirection::ToM); }},
        {a.mnEditCompare, [this] { OpenPairView(this, sgrdSame->CursorRow(), PairViewOptions()); }},
        {a.mnEditOpenM, [this] { OpenEntry(this, Shell(), sgrdSame->CursorRow(), TSide::M); }},
        {a.mnEditOpenS, [this] { OpenEntry(this, Shell(), sgrdSame->CursorRow(), TSide::S); }},
        {a.mnPopUpApp1M, [=, this] { openWith(Option.Path1, TSide::M); }},
        {a.mnPopUpApp1S, [=, this] { openWith(Option.Path1, TSide::S); }},
        {a.mnPopUpApp2M, [=, this] { openWith(Option.Path2, TSide::M); }},
        {a.mnPopUpApp2S, [=, this] { openWith(Option.Path2, TSide::S); }},
        {a.mnPopUpAppCmp,
         [this] { RunCompareApp(this, Shell(), Option.CompPath, sgrdSame->CursorRow()); }},
        {a.mnViewTBarMain,
         [=, this] { ShowToolBar(Bars.ToolBarMain, a.mnViewTBarMain->isChecked()); }},
        {a.mnViewTBarOption,
         [=, this] { ShowToolBar(Bars.ToolBarOption, a.mnViewTBarOption->isChecked()); }},
        {a.mnOptExclude, [=] { optionDialog(true); }},
        {a.mnOptApp, [=] { optionDialog(false); }},
        // The page opens in the browser; a missing page is reported like any
        // other file that cannot be opened, since no help viewer is there to say so.
        {a.mnHelpContents,
         [=] { openPage(HelpFilePath(QCoreApplication::applicationFilePath())); }},
        {a.mnHelpVersionInfo,
         [this] {
             TfrmAbout dialog(this);
             dialog.exec();
         }},
        {a.mnHelpGoUrl_Dev, [=] { openPage(QString::fromLatin1(HomePageAddress)); }},
        {a.mnHelpGoUrl_New, [=] { openPage(QString::fromLatin1(DownloadPageAddress)); }},
    };
    for (const auto& [action, handler] : handlers)
        connect(action, &QAction::triggered, this, handler);
    for (const TOptionFlag& flag : OptionFlags())
        connect(a.*flag.Action, &QAction::triggered, this, [this, &flag] { mnOptExecute(flag); });
    // Shortcuts work wherever the focus is in the window, menus open or not.
    addActions(a.AllActions());
}

void TfrmMain::mnOptExecute(const TOptionFlag& flag) {
    bool& value = flag.In(Option);
    value = (MainActions.*flag.Action)->isChecked();
    switch (flag.Group) {
        case TOptionFlag::TGroup::Hide:
            // Equal and different rows are never both hidden.
            for (const TOptionFlag& other : OptionFlags()) {
                if (value && other.Group == flag.Group && &other != &flag && other.In(Option)) {
                    other.In(Option) = false;
                    (MainActions.*other.Action)->setChecked(false);
                }
            }
            ShowHiddenRows();
            break;
        case TOptionFlag::TGroup::Window:
            if (flag.ViewField == &AppOption::ShowFront)
                SetTopMost(value);
            break;
        case TOptionFlag::TGroup::Compare:
            if (flag.UpdatesStates)
                UpdateOptionActionStates();
            break;
    }
}

// What each action does, as one table from action to handler, and the rules
// that enable, check and show the actions. The handlers hand the cursor row,
// the options and the shell starter to the commands (gui/commands/), which
// know nothing of the window.
#include <functional>
#include <utility>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolBar>

#include "ExcludeStatus.h"
#include "TCompare.h"
#include "TComparisonRun.h"
#include "TfrmMain.h"
#include "commands/BrowseForFolder.h"
#include "commands/CopyBetweenSides.h"
#include "commands/OpenWithShell.h"
#include "commands/ProgramInfo.h"
#include "commands/RowCommands.h"
#include "commands/TfrmAbout.h"
#include "settings/TfrmOption.h"

void TfrmMain::ConnectActions() {
    const auto chooseFolder = [this](QComboBox* box) {
        QString folder;
        if (BrowseForFolder(this, box->currentText(), folder))
            box->setEditText(folder);
    };
    const auto exportRows = [this](QAction* action, std::optional<TVerdict> only) {
        ExportResults(action->statusTip(), only);
    };
    const auto copy = [this](TCopyDirection direction) {
        CopyBetweenSides(this, Run->Engine(), CursorRow(), direction);
    };
    const auto openWith = [this](const QString& program, TSide side) {
        OpenEntryWith(this, Shell(), program, CursorRow(), side);
    };
    const auto openPage = [this](const QString& page) { OpenWithShell(this, Shell(), page); };
    const auto optionDialog = [this](bool excludePage) {
        TfrmOption dialog(this, Option);
        if (excludePage)
            dialog.pgcOption->setCurrentWidget(dialog.tabExclude);
        // The patterns of a running comparison stay those it started with.
        dialog.memExclude->setReadOnly(IsRunning());
        if (dialog.exec() != QDialog::Accepted)
            return;
        UpdateAppMenuItems();
        ShowExcludeStatus(stbMsg, Option.Compare.Exclude);
    };
    const std::pair<QAction*, std::function<void()>> handlers[] = {
        {mnFileNew, [this] { ClearResults(); }},
        {mnFileOpenM, [=, this] { chooseFolder(cmbFilePathM); }},
        {mnFileOpenS, [=, this] { chooseFolder(cmbFilePathS); }},
        {mnFileExpCsv, [=, this] { exportRows(mnFileExpCsv, std::nullopt); }},
        {mnFileExpCsvSame, [=, this] { exportRows(mnFileExpCsvSame, TVerdict::Equal); }},
        {mnFileExpCsvDiff, [=, this] { exportRows(mnFileExpCsvDiff, TVerdict::Different); }},
        {mnFileComp, [this] { StartComparison(); }},
        {mnFileCompStop, [this] { StopComparison(); }},
        {mnFileExit, [this] { close(); }},
        {mnEditCopyRow, [this] { CopyRowToClipboard(this, CursorRow()); }},
        {mnEditCopyM, [this] { CopyEntryPath(this, CursorRow(), TSide::M); }},
        {mnEditCopyS, [this] { CopyEntryPath(this, CursorRow(), TSide::S); }},
        {mnPopUpCopyToS, [=] { copy(TCopyDirection::ToS); }},
        {mnPopUpCopyToM, [=] { copy(TCopyDirection::ToM); }},
        {mnEditOpenM, [this] { OpenEntry(this, Shell(), CursorRow(), TSide::M); }},
        {mnEditOpenS, [this] { OpenEntry(this, Shell(), CursorRow(), TSide::S); }},
        {mnPopUpApp1M, [=, this] { openWith(Option.Path1, TSide::M); }},
        {mnPopUpApp1S, [=, this] { openWith(Option.Path1, TSide::S); }},
        {mnPopUpApp2M, [=, this] { openWith(Option.Path2, TSide::M); }},
        {mnPopUpApp2S, [=, this] { openWith(Option.Path2, TSide::S); }},
        {mnPopUpAppCmp, [this] { RunCompareApp(this, Shell(), Option.CompPath, CursorRow()); }},
        {mnViewTBarMain, [this] { ShowToolBar(ToolBarMain, mnViewTBarMain->isChecked()); }},
        {mnViewTBarOption, [this] { ShowToolBar(ToolBarOption, mnViewTBarOption->isChecked()); }},
        {mnOptExclude, [=] { optionDialog(true); }},
        {mnOptApp, [=] { optionDialog(false); }},
        // The page opens in the browser; a missing page is reported like any
        // other file that cannot be opened, since no help viewer is there to say so.
        {mnHelpContents, [=] { openPage(HelpFilePath(QCoreApplication::applicationFilePath())); }},
        {mnHelpVersionInfo,
         [this] {
             TfrmAbout dialog(this);
             dialog.exec();
         }},
        {mnHelpGoUrl_Dev, [=] { openPage(QString::fromLatin1(HomePageAddress)); }},
        {mnHelpGoUrl_New, [=] { openPage(QString::fromLatin1(DownloadPageAddress)); }},
    };
    for (const auto& [action, handler] : handlers)
        connect(action, &QAction::triggered, this, handler);
    for (const TOptionFlag& flag : OptionFlags())
        connect(this->*flag.Action, &QAction::triggered, this,
                [this, &flag] { mnOptExecute(flag); });
    // Shortcuts work wherever the focus is in the window, menus open or not.
    addActions(AllActions());
}

void TfrmMain::ShowToolBar(QToolBar* bar, bool shown) {
    if (!shown)
        RememberToolBarPlace(bar);
    bar->setVisible(shown);
}

void TfrmMain::mnOptExecute(const TOptionFlag& flag) {
    bool& value = flag.In(Option);
    value = (this->*flag.Action)->isChecked();
    switch (flag.Group) {
        case TOptionFlag::TGroup::Hide:
            // Equal and different rows are never both hidden.
            for (const TOptionFlag& other : OptionFlags()) {
                if (value && other.Group == flag.Group && &other != &flag && other.In(Option)) {
                    other.In(Option) = false;
                    (this->*other.Action)->setChecked(false);
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

void TfrmMain::SetOptionChecks() {
    for (const TOptionFlag& flag : OptionFlags()) {
        if (flag.Group != TOptionFlag::TGroup::Window)
            (this->*flag.Action)->setChecked(flag.In(Option));
    }
}

void TfrmMain::SetRunningState(bool running) {
    cmbFilePathM->setEnabled(!running);
    cmbFilePathS->setEnabled(!running);
    for (QAction* action :
         {mnFileNew, mnFileOpenM, mnFileOpenS, mnFileComp, mnFileExpCsv, mnFileExpCsvSame,
          mnFileExpCsvDiff, mnFileExit, mnViewSame, mnViewDiff, mnOptExclude})
        action->setEnabled(!running);
    for (QAction* action : OptionActions(*this, TOptionFlag::TGroup::Compare))
        action->setEnabled(!running);
    mnFileCompStop->setEnabled(running);
    if (!running)
        UpdateOptionActionStates();
}

void TfrmMain::UpdateOptionActionStates() {
    const bool singleAttributes = !mnOptAttr->isChecked();
    for (QAction* action : {mnOptAttrR, mnOptAttrH, mnOptAttrS, mnOptAttrA})
        action->setEnabled(singleAttributes);
    // Folders are compared by nothing else when both time and size are ignored.
    mnOptUpdYmdtDir->setEnabled(!(mnOptUpdYmdt->isChecked() && mnOptSize->isChecked()));
}

void TfrmMain::UpdateAppMenuItems() {
    mnPopUpApp->setVisible(false);
    const auto application = [this](const QString& path, const QString& title, QAction* openM,
                                    QAction* openS) {
        const bool configured = !path.isEmpty();
        openM->setVisible(configured);
        openS->setVisible(configured);
        if (!configured)
            return;
        openM->setEnabled(true);
        openS->setEnabled(true);
        openM->setText(QStringLiteral("比較元を開く → ") + title);
        openS->setText(QStringLiteral("比較先を開く → ") + title);
        mnPopUpApp->setVisible(true);
    };
    application(Option.Path1, Option.Title1, mnPopUpApp1M, mnPopUpApp1S);
    application(Option.Path2, Option.Title2, mnPopUpApp2M, mnPopUpApp2S);
    // The separator belongs to applications 1 and 2 only.
    mnPopUpAppCmp->setVisible(!Option.CompPath.isEmpty());
    if (!Option.CompPath.isEmpty()) {
        mnPopUpAppCmp->setEnabled(true);
        mnPopUpAppCmp->setText(Option.CompTitle);
    }
}

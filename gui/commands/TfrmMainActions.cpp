// The actions' handlers that fit in a few lines (toggles, folder choice,
// closing) and the rules that enable, check and show the actions.
#include <QAction>
#include <QComboBox>
#include <QToolBar>

#include "BrowseForFolder.h"
#include "TfrmMain.h"

void TfrmMain::ConnectActions() {
    const auto on = [this](QAction* action, void (TfrmMain::*handler)()) {
        connect(action, &QAction::triggered, this, handler);
    };
    on(mnFileNew, &TfrmMain::mnFileNewExecute);
    on(mnFileOpenM, &TfrmMain::mnFileOpenMExecute);
    on(mnFileOpenS, &TfrmMain::mnFileOpenSExecute);
    on(mnFileExpCsv, &TfrmMain::mnFileExpCsvExecute);
    on(mnFileExpCsvSame, &TfrmMain::mnFileExpCsvSameExecute);
    on(mnFileExpCsvDiff, &TfrmMain::mnFileExpCsvDiffExecute);
    on(mnFileComp, &TfrmMain::mnFileCompExecute);
    on(mnFileCompStop, &TfrmMain::mnFileCompStopExecute);
    on(mnFileExit, &TfrmMain::mnFileExitExecute);
    on(mnEditCopyRow, &TfrmMain::mnEditCopyRowExecute);
    on(mnEditCopyM, &TfrmMain::mnEditCopyMExecute);
    on(mnEditCopyS, &TfrmMain::mnEditCopySExecute);
    on(mnPopUpCopyToS, &TfrmMain::mnPopUpCopyToSExecute);
    on(mnPopUpCopyToM, &TfrmMain::mnPopUpCopyToMExecute);
    on(mnEditOpenM, &TfrmMain::mnEditOpenMExecute);
    on(mnEditOpenS, &TfrmMain::mnEditOpenSExecute);
    on(mnPopUpApp1M, &TfrmMain::mnPopUpApp1MExecute);
    on(mnPopUpApp1S, &TfrmMain::mnPopUpApp1SExecute);
    on(mnPopUpApp2M, &TfrmMain::mnPopUpApp2MExecute);
    on(mnPopUpApp2S, &TfrmMain::mnPopUpApp2SExecute);
    on(mnPopUpAppCmp, &TfrmMain::mnPopUpAppCmpExecute);
    on(mnViewTBarMain, &TfrmMain::mnViewTBarMainExecute);
    on(mnViewTBarOption, &TfrmMain::mnViewTBarOptionExecute);
    for (const TOptionFlag& flag : OptionFlags())
        connect(this->*flag.Action, &QAction::triggered, this,
                [this, &flag] { mnOptExecute(flag); });
    on(mnOptApp, &TfrmMain::mnOptAppExecute);
    on(mnHelpContents, &TfrmMain::mnHelpContentsExecute);
    on(mnHelpVersionInfo, &TfrmMain::mnHelpVersionInfoExecute);
    on(mnHelpGoUrl_Dev, &TfrmMain::mnHelpGoUrl_DevExecute);
    on(mnHelpGoUrl_New, &TfrmMain::mnHelpGoUrl_NewExecute);
    // Shortcuts work wherever the focus is in the window, menus open or not.
    addActions(AllActions());
}

void TfrmMain::mnFileNewExecute() {
    ClearResults();
}

void TfrmMain::mnFileOpenMExecute() {
    QString folder;
    if (BrowseForFolder(this, cmbFilePathM->currentText(), folder))
        cmbFilePathM->setEditText(folder);
}

void TfrmMain::mnFileOpenSExecute() {
    QString folder;
    if (BrowseForFolder(this, cmbFilePathS->currentText(), folder))
        cmbFilePathS->setEditText(folder);
}

void TfrmMain::mnFileExpCsvExecute() {
    ExportResults(mnFileExpCsv->statusTip(), ExportKind::All);
}

void TfrmMain::mnFileExpCsvSameExecute() {
    ExportResults(mnFileExpCsvSame->statusTip(), ExportKind::EqualOnly);
}

void TfrmMain::mnFileExpCsvDiffExecute() {
    ExportResults(mnFileExpCsvDiff->statusTip(), ExportKind::DifferentOnly);
}

void TfrmMain::mnFileCompExecute() {
    StartComparison();
}
void TfrmMain::mnFileCompStopExecute() {
    StopComparison();
}
void TfrmMain::mnFileExitExecute() {
    close();
}

void TfrmMain::mnPopUpCopyToSExecute() {
    CopyBetweenSides(TCopyDirection::ToS);
}
void TfrmMain::mnPopUpCopyToMExecute() {
    CopyBetweenSides(TCopyDirection::ToM);
}
void TfrmMain::mnPopUpApp1MExecute() {
    OpenWithApp(1, TSide::M);
}
void TfrmMain::mnPopUpApp1SExecute() {
    OpenWithApp(1, TSide::S);
}
void TfrmMain::mnPopUpApp2MExecute() {
    OpenWithApp(2, TSide::M);
}
void TfrmMain::mnPopUpApp2SExecute() {
    OpenWithApp(2, TSide::S);
}
void TfrmMain::mnPopUpAppCmpExecute() {
    RunCompareApp();
}

void TfrmMain::mnViewTBarMainExecute() {
    if (!mnViewTBarMain->isChecked())
        RememberToolBarPlace(ToolBarMain);
    ToolBarMain->setVisible(mnViewTBarMain->isChecked());
}

void TfrmMain::mnViewTBarOptionExecute() {
    if (!mnViewTBarOption->isChecked())
        RememberToolBarPlace(ToolBarOption);
    ToolBarOption->setVisible(mnViewTBarOption->isChecked());
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

void TfrmMain::mnOptAppExecute() {
    if (ShowOptionDialog())
        UpdateAppMenuItems();
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
    for (QAction* action : {mnFileNew, mnFileOpenM, mnFileOpenS, mnFileComp, mnFileExpCsv,
                            mnFileExpCsvSame, mnFileExpCsvDiff, mnFileExit, mnViewSame, mnViewDiff})
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

// The actions' handlers that fit in a few lines (toggles, folder choice,
// closing) and the rules that enable, check and show the actions.
#include <QAction>
#include <QComboBox>
#include <QToolBar>

#include "BrowseForFolder.h"
#include "TfrmMain.h"

namespace {

struct OptionToggle {
    QAction* TMainActions::*Action;
    bool AppOption::*Field;
    bool UpdatesStates;  // whether the enabling rules depend on it
};

// The nine comparison-option toggles and the fields they flip, in order.
constexpr OptionToggle OptionToggles[] = {
    {&TMainActions::mnOptSize, &AppOption::Size, true},
    {&TMainActions::mnOptAttr, &AppOption::Attr, true},
    {&TMainActions::mnOptAttrR, &AppOption::AttrR, false},
    {&TMainActions::mnOptAttrH, &AppOption::AttrH, false},
    {&TMainActions::mnOptAttrS, &AppOption::AttrS, false},
    {&TMainActions::mnOptAttrA, &AppOption::AttrA, false},
    {&TMainActions::mnOptUpdYmdt, &AppOption::UpdYmdt, true},
    {&TMainActions::mnOptUpdYmdtDir, &AppOption::UpdYmdtDir, false},
    {&TMainActions::mnOptNaiyou, &AppOption::Naiyou, false},
};

}  // namespace

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
    on(mnViewFront, &TfrmMain::mnViewFrontExecute);
    on(mnViewEndInfo, &TfrmMain::mnViewEndInfoExecute);
    on(mnViewSame, &TfrmMain::mnViewSameExecute);
    on(mnViewDiff, &TfrmMain::mnViewDiffExecute);
    for (const OptionToggle& toggle : OptionToggles) {
        QAction* action = this->*toggle.Action;
        connect(action, &QAction::triggered, this, [this, action] { mnOptExecute(action); });
    }
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

void TfrmMain::mnViewFrontExecute() {
    Option.ShowFront = mnViewFront->isChecked();
    SetTopMost(Option.ShowFront);
}

void TfrmMain::mnViewEndInfoExecute() {
    Option.EndDialog = mnViewEndInfo->isChecked();
}

void TfrmMain::mnViewSameExecute() {
    Option.SameOff = mnViewSame->isChecked();
    // Equal and different rows are never both hidden.
    if (Option.SameOff && Option.DiffOff) {
        Option.DiffOff = false;
        mnViewDiff->setChecked(false);
    }
}

void TfrmMain::mnViewDiffExecute() {
    Option.DiffOff = mnViewDiff->isChecked();
    if (Option.DiffOff && Option.SameOff) {
        Option.SameOff = false;
        mnViewSame->setChecked(false);
    }
}

void TfrmMain::mnOptExecute(QAction* action) {
    for (const OptionToggle& toggle : OptionToggles) {
        if (this->*toggle.Action != action)
            continue;
        Option.*toggle.Field = action->isChecked();
        if (toggle.UpdatesStates)
            UpdateOptionActionStates();
        return;
    }
}

void TfrmMain::mnOptAppExecute() {
    if (ShowOptionDialog())
        UpdateAppMenuItems();
}

void TfrmMain::SetOptionChecks() {
    mnViewSame->setChecked(Option.SameOff);
    mnViewDiff->setChecked(Option.DiffOff);
    for (const OptionToggle& toggle : OptionToggles)
        (this->*toggle.Action)->setChecked(Option.*toggle.Field);
}

void TfrmMain::SetRunningState(bool running) {
    cmbFilePathM->setEnabled(!running);
    cmbFilePathS->setEnabled(!running);
    for (QAction* action : {mnFileNew, mnFileOpenM, mnFileOpenS, mnFileComp, mnFileExpCsv,
                            mnFileExpCsvSame, mnFileExpCsvDiff, mnFileExit, mnViewSame, mnViewDiff})
        action->setEnabled(!running);
    for (QAction* action : CompareOptionActions())
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

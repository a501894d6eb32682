// Starting and stopping a comparison, clearing its results, and what its run
// (TComparisonRun) tells the window, carried out on the window's thread in
// callback order: status text, progress bar, rows, counts, path histories,
// end dialog. The snapshot of the source box's tree (ファイル →
// スナップショットを保存), written on a worker with the progress bar and a
// stop. Also the enabled, checked and shown states of the actions that the
// runs' states and the options decide.
#include <QAction>
#include <QApplication>

#include "TCompare.h"
#include "TEntrySource.h"
#include "TPathBox.h"
#include "TSameGrid.h"
#include "TStatusArea.h"
#include "TfrmMain.h"
#include "commands/CopyBetweenSides.h"
#include "commands/PathText.h"
#include "commands/ShowMessageBox.h"
#include "dialogs/BrowseForFolder.h"

namespace {

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text);
}

}  // namespace

void TfrmMain::StartComparison() {
    if (Run->IsRunning() || Snapshot->IsRunning())
        return;
    // The boxes' texts as they stand (no trimming), a relative folder made
    // absolute: the run, the boxes and the histories keep the folder the
    // working folder gives it now. A refused start leaves the engine as it
    // was, so that the results on screen keep belonging to the folders of
    // their own run.
    const QString textM = AbsolutePath(cmbFilePathM->currentText());
    const QString textS = AbsolutePath(cmbFilePathS->currentText());
    const std::string pathM = textM.toStdString();
    const std::string pathS = textS.toStdString();
    const TPathCheck check = CheckFolders(pathM, pathS);
    if (check.Status != CompareStatus::Success) {
        ShowMessageBox(this, QMessageBox::Warning, Utf8(check.Message));
        return;
    }
    cmbFilePathM->setEditText(textM);
    cmbFilePathS->setEditText(textS);
    ClearResults();
    TCompare& engine = Run->Engine();
    engine.SetOption(Option.EngineOption());
    engine.SetRemoteSettings(Option.RemoteSettings());
    engine.SetPathM(pathM);
    engine.SetPathS(pathS);
    Run->Start(Option.Speed);
}

void TfrmMain::StopComparison() {
    if (Snapshot->IsRunning()) {
        pnlBottom->ShowStatusMessage(QStringLiteral("処理を中断します..."));
        Snapshot->RequestStop();
        return;
    }
    // Only while running, and once per run.
    if (Run->State() != TComparisonRun::TState::Running)
        return;
    pnlBottom->ShowStatusMessage(QStringLiteral("処理を中断します..."));
    Run->RequestStop();
}

void TfrmMain::AbandonRun() {
    if (!Run->Abandon())
        return;
    // A run whose end was never carried out leaves the busy cursor behind.
    if (pnlBottom->EndProgress())
        QApplication::restoreOverrideCursor();
}

void TfrmMain::ClearResults() {
    Run->WaitForWorkerEnd();
    // The grid forgets the engine's rows before the engine frees them.
    sgrdSame->Clear();
    Run->Engine().Clear();
    SetOptionChecks();
    ShowHiddenRows();
    UpdateOptionActionStates();
    sgrdSame->viewport()->update();
    pnlBottom->ShowCounts(0, 0, 0, 0);
    pnlBottom->ShowStatusMessage({});
    pnlBottom->ShowExcludeStatus(Option.Compare.Exclude);
    pnlBottom->ShowEntryInfo(TSide::M, nullptr);
    pnlBottom->ShowEntryInfo(TSide::S, nullptr);
    UpdateCopyActionStates();
}

void TfrmMain::ApplyCompareBegin() {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    // A stop asked for before the engine began keeps its message.
    if (Run->State() == TComparisonRun::TState::Running)
        pnlBottom->ShowStatusMessage(QStringLiteral("比較処理中です... (Ctrl+B で中断します)"));
    pnlBottom->BeginProgress();
}

void TfrmMain::ApplyRows(const TRunEvent& rows) {
    pnlBottom->ShowCounts(-1, rows.Equal, rows.Different, 900);
    sgrdSame->ShowRows(rows.LastIndex, rows.LastRow);
    pnlBottom->AdvanceProgress(rows.Steps);
}

void TfrmMain::ApplyCompareDone(int rows, int equal, int different) {
    pnlBottom->ShowCounts(rows, equal, different, 0);
    sgrdSame->Complete(rows);
}

void TfrmMain::ApplyCompareEnd() {
    cmbFilePathM->AddHistory(cmbFilePathM->currentText());
    cmbFilePathS->AddHistory(cmbFilePathS->currentText());
    UpdateCopyActionStates();
    pnlBottom->EndProgress();
    const TCompare& engine = Run->Engine();
    const QString message = engine.GetStatus() != CompareStatus::Success
                                ? Utf8(engine.GetErrorMessage())
                                : QStringLiteral("比較処理が終了しました");
    const std::string summary = engine.GetSummary();
    const QString detail = summary.empty()
                               ? QString()
                               : QStringLiteral("\r\n  （") + Utf8(summary) + QStringLiteral("）");
    pnlBottom->ShowStatusMessage(message);
    // The run stays running until the dialog is closed.
    if (Option.EndDialog)
        ShowMessageBox(this, QMessageBox::Information, message + detail);
    QApplication::restoreOverrideCursor();
}

void TfrmMain::ApplyCopy(const TCursorRow& row, const platform::TCopyResult& result) {
    TCompare& engine = Run->Engine();
    if (!Run->IsRunning() && row.Result != nullptr) {
        engine.CompareRowsAgain(row.Result);
        // Entries examined again show their new sizes and times even where
        // their result stayed.
        sgrdSame->ResultsChanged();
        const int rows = engine.GetRowCount();
        int equal = 0;
        for (int i = 0; i < rows; ++i)
            equal += engine.GetRow(i)->Verdict() == TVerdict::Equal ? 1 : 0;
        pnlBottom->ShowCounts(rows, equal, rows - equal, 0);
    }
    pnlBottom->ShowStatusMessage(CopyOutcomeText(result));
}

void TfrmMain::ApplyRunState(TComparisonRun::TState state) {
    const TMainActions& a = MainActions;
    const bool running = state != TComparisonRun::TState::Idle;
    cmbFilePathM->setEnabled(!running);
    cmbFilePathS->setEnabled(!running);
    for (QAction* action : {a.mnFileNew, a.mnFileOpenM, a.mnFileOpenS, a.mnFileComp, a.mnFileExpCsv,
                            a.mnFileExpCsvSame, a.mnFileExpCsvDiff, a.mnFileSnapshot, a.mnFileExit,
                            a.mnViewSame, a.mnViewDiff, a.mnOptExclude})
        action->setEnabled(!running);
    for (QAction* action : OptionActions(a, TOptionFlag::TGroup::Compare))
        action->setEnabled(!running);
    a.mnFileCompStop->setEnabled(state == TComparisonRun::TState::Running);
    if (!running)
        UpdateOptionActionStates();
}

void TfrmMain::SetOptionChecks() {
    for (const TOptionFlag& flag : OptionFlags()) {
        if (flag.Group != TOptionFlag::TGroup::Window)
            (MainActions.*flag.Action)->setChecked(flag.In(Option));
    }
}

void TfrmMain::UpdateOptionActionStates() {
    const TMainActions& a = MainActions;
    const bool singleAttributes = !a.mnOptAttr->isChecked();
    for (QAction* action : {a.mnOptAttrR, a.mnOptAttrH, a.mnOptAttrS, a.mnOptAttrA})
        action->setEnabled(singleAttributes);
    // Folders are compared by nothing else when both time and size are ignored.
    a.mnOptUpdYmdtDir->setEnabled(!(a.mnOptUpdYmdt->isChecked() && a.mnOptSize->isChecked()));
}

void TfrmMain::UpdateAppMenuItems() {
    const TMainActions& a = MainActions;
    a.mnPopUpApp->setVisible(false);
    const auto application = [&a](const QString& path, const QString& title, QAction* openM,
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
        a.mnPopUpApp->setVisible(true);
    };
    application(Option.Path1, Option.Title1, a.mnPopUpApp1M, a.mnPopUpApp1S);
    application(Option.Path2, Option.Title2, a.mnPopUpApp2M, a.mnPopUpApp2S);
    // The separator belongs to applications 1 and 2 only.
    a.mnPopUpAppCmp->setVisible(!Option.CompPath.isEmpty());
    if (!Option.CompPath.isEmpty()) {
        a.mnPopUpAppCmp->setEnabled(true);
        a.mnPopUpAppCmp->setText(Option.CompTitle);
    }
}

void TfrmMain::ShowHiddenRows() {
    sgrdSame->SetHidden(Option.SameOff   ? TVerdict::Equal
                        : Option.DiffOff ? std::optional(TVerdict::Different)
                                         : std::nullopt);
}

void TfrmMain::SaveSnapshot() {
    if (Run->IsRunning() || Snapshot->IsRunning())
        return;
    const QString source = cmbFilePathM->currentText();
    if (!IsComparableSide(source.toStdString())) {
        ShowMessageBox(this, QMessageBox::Warning, QStringLiteral("比較元のパスが不正です"));
        return;
    }
    QString file;
    if (!ChooseSnapshotFile(this, source, file))
        return;
    SnapshotShown = 0;
    SetSnapshotRunning(true);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    pnlBottom->ShowStatusMessage(
        QStringLiteral("スナップショットを保存しています... (Ctrl+B で中断します)"));
    pnlBottom->BeginProgress();
    Snapshot->Start(source, file, Option.Compare.Exclude);
}

void TfrmMain::ApplySnapshotProgress(qint64 written, qint64 total) {
    // The number of entries is known once the tree is listed.
    if (total <= 0)
        return;
    if (SnapshotShown == 0)
        pnlBottom->SetProgressSteps(static_cast<int>(std::min<qint64>(total, INT_MAX)));
    pnlBottom->AdvanceProgress(static_cast<int>(written - SnapshotShown));
    SnapshotShown = written;
}

void TfrmMain::ApplySnapshotEnd(TSnapshotRun::TEnd end, const QString& message) {
    pnlBottom->EndProgress();
    QApplication::restoreOverrideCursor();
    pnlBottom->ShowStatusMessage(message.section(QStringLiteral("\r\n"), 0, 0));
    SetSnapshotRunning(false);
    if (end == TSnapshotRun::TEnd::Failed)
        ShowMessageBox(this, QMessageBox::Warning, message);
    else if (Option.EndDialog)
        ShowMessageBox(this, QMessageBox::Information, message);
}

void TfrmMain::SetSnapshotRunning(bool running) {
    const TMainActions& a = MainActions;
    cmbFilePathM->setEnabled(!running);
    cmbFilePathS->setEnabled(!running);
    for (QAction* action : {a.mnFileNew, a.mnFileOpenM, a.mnFileOpenS, a.mnFileComp,
                            a.mnFileSnapshot, a.mnFileExit, a.mnOptExclude})
        action->setEnabled(!running);
    // Ctrl+B stops the snapshot as it stops a comparison.
    a.mnFileCompStop->setEnabled(running);
}

void TfrmMain::UpdateCopyActionStates() {
    const bool files = CopiesBetweenSides(Run->Engine());
    MainActions.mnPopUpCopyToS->setEnabled(files);
    MainActions.mnPopUpCopyToM->setEnabled(files);
}

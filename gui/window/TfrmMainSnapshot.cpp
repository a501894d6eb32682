// The snapshot of the source box's tree (ファイル → スナップショットを保存),
// written on a worker with the progress bar and a stop, and the copy commands
// that a snapshot side turns off.
#include <QAction>
#include <QApplication>
#include <QFileInfo>

#include "TCompare.h"
#include "TEntrySource.h"
#include "TPathBox.h"
#include "TStatusArea.h"
#include "TfrmMain.h"
#include "commands/CopyBetweenSides.h"
#include "commands/ShowMessageBox.h"
#include "dialogs/BrowseForFolder.h"

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

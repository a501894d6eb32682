// Starting and stopping a comparison, and what its run (TComparisonRun)
// tells the window, carried out on the window's thread in callback order:
// cursor, status text, progress bar, rows, counts, path histories, end dialog
// and running state.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QProgressBar>
#include <QTableView>

#include "TCompare.h"
#include "TComparisonRun.h"
#include "TPanelBar.h"
#include "TSameGridModel.h"
#include "TfrmMain.h"
#include "commands/ShowMessageBox.h"

namespace {

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text);
}

}  // namespace

void TfrmMain::StartComparison() {
    if (IsRunning())
        return;
    Run->WaitForWorkerEnd();
    TCompare& engine = Run->Engine();
    const std::string oldPathM = engine.GetPathM();
    const std::string oldPathS = engine.GetPathS();
    engine.SetOption(Option.Compare);
    // The boxes' texts exactly as they stand: no trimming.
    engine.SetPathM(cmbFilePathM->currentText().toStdString());
    engine.SetPathS(cmbFilePathS->currentText().toStdString());
    if (engine.CheckPaths() != CompareStatus::Success) {
        ShowMessageBox(this, QMessageBox::Warning, Utf8(engine.GetErrorMessage()));
        // The results on screen keep belonging to the folders of their own run.
        engine.SetPathM(oldPathM);
        engine.SetPathS(oldPathS);
        return;
    }
    ClearResults();
    SetRunningState(true);
    Run->Start(Option.Speed);
}

void TfrmMain::StopComparison() {
    // Only while running, and once per run.
    if (!IsRunning() || !mnFileCompStop->isEnabled())
        return;
    mnFileCompStop->setEnabled(false);
    ShowStatusMessage(QStringLiteral("処理を中断します..."));
    Run->RequestStop();
}

void TfrmMain::AbandonRun() {
    if (!Run->Abandon())
        return;
    // A run whose end was never carried out leaves the busy cursor behind.
    if (ProgressBar) {
        QApplication::restoreOverrideCursor();
        delete ProgressBar;
        ProgressBar = nullptr;
    }
}

void TfrmMain::ApplyCompareBegin() {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    if (mnFileCompStop->isEnabled()) {
        ShowStatusMessage(QStringLiteral("比較処理中です... (Ctrl+B で中断します)"));
    } else {
        // The user asked for the stop before the engine began: its start
        // cleared the request. The stop is asked for again, and its message stays.
        Run->RequestStop();
    }
    delete ProgressBar;
    ProgressBar = new QProgressBar(stbSu);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setTextVisible(false);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setGeometry(1, 2, stbSu->PanelWidth(0), stbSu->height() - 2);
    ProgressBar->show();
}

void TfrmMain::ApplyListReady(int countM, int countS) {
    if (!ProgressBar)
        return;
    // Each entry that pairing consumes is one step: full when pairing ends.
    ProgressBar->setMaximum(std::max(countM + countS, 1));
    ProgressBar->setValue(0);
}

void TfrmMain::ApplyRows(const TRunEvent& rows) {
    ShowCounts(-1, rows.Equal, rows.Different, 900);
    sgrdSameModel->ShowRows(rows.LastIndex, rows.LastRow);
    if (ProgressBar) {
        ProgressBar->setValue(std::min(ProgressBar->value() + rows.Steps, ProgressBar->maximum()));
        ProgressBar->repaint();
    }
}

void TfrmMain::ApplyCompareDone(int rows, int equal, int different) {
    ShowCounts(rows, equal, different, 0);
    // Without a result shown the grid keeps its rows; otherwise one row per
    // result shown. A cursor beyond the last result moves onto it through the
    // selection rule, which allows it: the information bars show that row's
    // entries.
    const int shown = sgrdSameModel->VisibleRows();
    if (rows != 0 && shown != 0) {
        if (CurrentGridRow() > shown)
            SelectGridRow(shown);
        sgrdSameModel->SetRowCount(shown);
    }
    sgrdSame->viewport()->update();
}

void TfrmMain::ApplyCompareEnd() {
    AddPathHistory(cmbFilePathM, cmbFilePathM->currentText());
    AddPathHistory(cmbFilePathS, cmbFilePathS->currentText());
    delete ProgressBar;
    ProgressBar = nullptr;
    const TCompare& engine = Run->Engine();
    const int status = engine.GetStatus();
    const QString message = status != CompareStatus::Success
                                ? Utf8(engine.GetErrorMessage())
                                : QStringLiteral("比較処理が終了しました");
    const std::string summary = engine.GetSummary();
    const QString detail = summary.empty()
                               ? QString()
                               : QStringLiteral("\r\n  （") + Utf8(summary) + QStringLiteral("）");
    ShowStatusMessage(message);
    // The window stays in the running state until the dialog is closed.
    if (Option.EndDialog)
        ShowMessageBox(this, QMessageBox::Information, message + detail);
    SetRunningState(false);
    QApplication::restoreOverrideCursor();
}

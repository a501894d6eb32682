// Starting and stopping a comparison on its worker thread, and the window's
// side of the engine's callbacks. The callbacks run on the worker and only
// queue their effects (TRunEvents); the window's thread carries them out in
// the same order: cursor, status text, progress bar, rows, counts, path
// histories, end dialog and running state.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QProgressBar>
#include <QTableView>
#include <QTimer>

#include "ShowMessageBox.h"
#include "TCompare.h"
#include "TPanelBar.h"
#include "TSameGridModel.h"
#include "TfrmMain.h"
#include "ThreadComp.h"

namespace {

// Rows arriving while the window's thread is idle are taken at most this
// often: each batch costs a repaint of the grid and the progress bar.
constexpr int RowsTakeIntervalMs = 50;

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text);
}

}  // namespace

void TfrmMain::StartComparison() {
    if (IsRunning())
        return;
    WaitForWorkerEnd();
    const std::string oldPathM = CompareEngine->GetPathM();
    const std::string oldPathS = CompareEngine->GetPathS();
    CompareEngine->SetOption(Option.Compare);
    // The boxes' texts exactly as they stand: no trimming.
    CompareEngine->SetPathM(cmbFilePathM->currentText().toStdString());
    CompareEngine->SetPathS(cmbFilePathS->currentText().toStdString());
    if (CompareEngine->CheckPaths() != CompareStatus::Success) {
        ShowMessageBox(this, QMessageBox::Warning, Utf8(CompareEngine->GetErrorMessage()));
        // The results on screen keep belonging to the folders of their own run.
        CompareEngine->SetPathM(oldPathM);
        CompareEngine->SetPathS(oldPathS);
        return;
    }
    ClearResults();
    SetRunningState(true);
    RunEvents.Restart();
    auto* worker = new ThreadComp(*CompareEngine, Option.Speed);
    Worker = worker;
    worker->start();
}

void TfrmMain::StopComparison() {
    // Only while running, and once per run.
    if (!IsRunning() || !mnFileCompStop->isEnabled())
        return;
    mnFileCompStop->setEnabled(false);
    ShowStatusMessage(QStringLiteral("処理を中断します..."));
    CompareEngine->RequestStop(true);
}

void TfrmMain::WaitForWorkerEnd() {
    // The window leaves the running state while the worker is still returning
    // from Compare; it is gone a moment later. Until then the engine's state
    // is not touched, so that the worker's last reads of it stay its own.
    if (Worker)
        Worker->wait();
}

void TfrmMain::AbandonRun() {
    if (!Worker)
        return;
    RunEvents.Abandon();
    CompareEngine->RequestStop(true);
    Worker->wait();
    delete Worker.data();
    // A run whose end was never carried out leaves the busy cursor behind.
    if (ProgressBar) {
        QApplication::restoreOverrideCursor();
        delete ProgressBar;
        ProgressBar = nullptr;
    }
}

// --- The engine's callbacks, on the worker ---

void TfrmMain::OnCompareBegin(TCompare*) {
    RunEvents.Push(TRunEvent(TRunEvent::TKind::Begin));
}

void TfrmMain::OnListReady(TCompare*, int countM, int countS) {
    TRunEvent event(TRunEvent::TKind::ListReady);
    event.Count1 = countM;
    event.Count2 = countS;
    RunEvents.Push(event);
}

void TfrmMain::OnRowReady(TCompare*, int index, int equal, int different, const TSearchRecEx* m,
                          const TSearchRecEx* s, const TResultRow& row) {
    RunEvents.PushRow(index, equal, different, (m ? 1 : 0) + (s ? 1 : 0), row);
}

void TfrmMain::OnCompareDone(TCompare*, int rows, int equal, int different) {
    TRunEvent event(TRunEvent::TKind::Done);
    event.Count1 = rows;
    event.Count2 = equal;
    event.Count3 = different;
    RunEvents.Push(event);
}

void TfrmMain::OnCompareEnd(TCompare*) {
    // The worker goes on only when the end's effects, a shown end dialog
    // included, are done; so the window leaves the running state while the
    // worker still exists, and no stop request reaches a finished one.
    RunEvents.PushEndAndWait();
}

// --- Their effects, on the window's thread ---

void TfrmMain::RunEventsArrived(bool urgent) {
    if (!RunEventsTimer) {
        RunEventsTimer = new QTimer(this);
        RunEventsTimer->setSingleShot(true);
        connect(RunEventsTimer, &QTimer::timeout, this, &TfrmMain::TakeRunEvents);
    }
    const qint64 since = LastTake.isValid() ? LastTake.elapsed() : RowsTakeIntervalMs;
    if (urgent || since >= RowsTakeIntervalMs || RunEvents.HasUrgent()) {
        RunEventsTimer->stop();
        TakeRunEvents();
    } else if (!RunEventsTimer->isActive()) {
        RunEventsTimer->start(static_cast<int>(RowsTakeIntervalMs - since));
    }
}

void TfrmMain::TakeRunEvents() {
    // The end dialog runs an event loop of its own; nothing is taken meanwhile
    // (the worker waits for the dialog anyway).
    if (Taking)
        return;
    Taking = true;
    LastTake.start();
    for (const TRunEvent& event : RunEvents.Take())
        ApplyRunEvent(event);
    Taking = false;
}

void TfrmMain::ApplyRunEvent(const TRunEvent& event) {
    switch (event.Kind) {
        case TRunEvent::TKind::Begin:
            ApplyCompareBegin();
            break;
        case TRunEvent::TKind::ListReady:
            ApplyListReady(event.Count1, event.Count2);
            break;
        case TRunEvent::TKind::Rows:
            ApplyRows(event);
            break;
        case TRunEvent::TKind::Done:
            ApplyCompareDone(event.Count1, event.Count2, event.Count3);
            break;
        case TRunEvent::TKind::End:
            ApplyCompareEnd();
            break;
    }
}

void TfrmMain::ApplyCompareBegin() {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    if (mnFileCompStop->isEnabled()) {
        ShowStatusMessage(QStringLiteral("比較処理中です... (Ctrl+B で中断します)"));
    } else {
        // The user asked for the stop before the engine began: its start
        // cleared the request. The stop is asked for again, and its message stays.
        CompareEngine->RequestStop(true);
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
    // Without a result the grid keeps its rows; otherwise one row per result.
    // A cursor beyond the last result moves onto it through the selection
    // rule, which allows it: the information bars show that row's entries.
    if (rows != 0) {
        if (CurrentGridRow() > rows)
            SelectGridRow(rows);
        sgrdSameModel->SetRowCount(rows);
    }
    sgrdSame->viewport()->update();
}

void TfrmMain::ApplyCompareEnd() {
    AddPathHistory(cmbFilePathM, cmbFilePathM->currentText());
    AddPathHistory(cmbFilePathS, cmbFilePathS->currentText());
    delete ProgressBar;
    ProgressBar = nullptr;
    const int status = CompareEngine->GetStatus();
    const QString message = status != CompareStatus::Success
                                ? Utf8(CompareEngine->GetErrorMessage())
                                : QStringLiteral("比較処理が終了しました");
    const std::string summary = CompareEngine->GetSummary();
    const QString detail = summary.empty()
                               ? QString()
                               : QStringLiteral("\r\n  （") + Utf8(summary) + QStringLiteral("）");
    ShowStatusMessage(message);
    // The window stays in the running state until the dialog is closed.
    if (Option.EndDialog)
        ShowMessageBox(this, QMessageBox::Information, message + detail);
    SetRunningState(false);
    QApplication::restoreOverrideCursor();
    RunEvents.EndDone();
}

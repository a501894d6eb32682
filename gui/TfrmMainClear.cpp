// Clearing the results and the status message bar.
#include <QTableView>

#include "ExcludeStatus.h"
#include "TCompare.h"
#include "TComparisonRun.h"
#include "TPanelBar.h"
#include "TSameGridModel.h"
#include "TSameGridSelection.h"
#include "TfrmMain.h"

void TfrmMain::ClearResults() {
    Run->WaitForWorkerEnd();
    // The grid forgets the engine's rows before the engine frees them.
    const int current = CurrentGridRow();
    if (current > TSameGridModel::ClearedRowCount)
        sgrdSameSelection->ForceCurrentRow(TSameGridModel::ClearedRowCount - 1);
    sgrdSameModel->Clear();
    Run->Engine().Clear();
    SetOptionChecks();
    ShowHiddenRows();
    UpdateOptionActionStates();
    // Asking for row 1 is refused by the selection rule on a cleared engine:
    // the cursor stays where it was.
    SelectGridRow(1);
    sgrdSame->viewport()->update();
    ShowCounts(0, 0, 0, 0);
    ShowStatusMessage({});
    ShowExcludeStatus(stbMsg, Option.Compare.Exclude);
    ShowEntryInfo(stbFileInfoM, nullptr);
    ShowEntryInfo(stbFileInfoS, nullptr);
}

void TfrmMain::ShowStatusMessage(const QString& text) {
    stbMsg->SetPanelText(0,
                         text.isEmpty() ? QStringLiteral("Ctrl+R で比較処理を開始します") : text);
}

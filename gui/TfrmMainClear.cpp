// Clearing the results and the status message bar.
#include "TCompare.h"
#include "TPanelBar.h"
#include "TSameGridModel.h"
#include "TfrmMain.h"

void TfrmMain::ClearResults() {
    CompareEngine->Clear();
    SetOptionChecks();
    UpdateOptionActionStates();
    sgrdSameModel->Clear();
    ShowCounts(0, 0, 0, 0);
    ShowStatusMessage({});
    ShowEntryInfo(stbFileInfoM, nullptr);
    ShowEntryInfo(stbFileInfoS, nullptr);
}

void TfrmMain::ShowStatusMessage(const QString& text) {
    stbMsg->SetPanelText(0,
                         text.isEmpty() ? QStringLiteral("Ctrl+R で比較処理を開始します") : text);
}

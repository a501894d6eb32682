// TO BE FILLED by the opening work: an entry with its associated application,
// with external application 1 or 2, and the comparison application on a row.
#include "TfrmMain.h"

void TfrmMain::mnEditOpenMExecute() {}

void TfrmMain::mnEditOpenSExecute() {}

void TfrmMain::OpenWithApp(int, TSide) {}

void TfrmMain::RunCompareApp() {}

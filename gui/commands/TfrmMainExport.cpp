// TO BE FILLED by the export work: the save dialog with its four file types,
// "FilterIndex" in the settings file, and writing the chosen rows.
#include "TfrmMain.h"

void TfrmMain::ExportResults(const QString&, ExportKind) {}

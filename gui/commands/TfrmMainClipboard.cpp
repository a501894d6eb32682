// TO BE FILLED by the clipboard work: the cursor row or an entry's full path
// to the clipboard.
#include "TfrmMain.h"

void TfrmMain::mnEditCopyRowExecute() {}

void TfrmMain::mnEditCopyMExecute() {}

void TfrmMain::mnEditCopySExecute() {}

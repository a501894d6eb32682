// TO BE FILLED by the external-applications dialog work: TfrmOption shown
// modally on the window's options. Until then nothing changes.
#include "TfrmMain.h"

bool TfrmMain::ShowOptionDialog() {
    return false;
}

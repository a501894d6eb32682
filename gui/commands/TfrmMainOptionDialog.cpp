// The external-applications dialog, shown modally on the window's options.
#include "TfrmMain.h"
#include "settings/TfrmOption.h"

bool TfrmMain::ShowOptionDialog() {
    TfrmOption dialog(this, Option);
    return dialog.exec() == QDialog::Accepted;
}

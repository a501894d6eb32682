// TO BE FILLED by the help work: the help page, the version dialog TfrmAbout
// and the two web links.
#include "TfrmMain.h"

void TfrmMain::mnHelpContentsExecute() {}

void TfrmMain::mnHelpVersionInfoExecute() {}

void TfrmMain::mnHelpGoUrl_DevExecute() {}

void TfrmMain::mnHelpGoUrl_NewExecute() {}

// The Help menu: the help page, the version dialog and the two web links.
#include <QCoreApplication>

#include "OpenWithShell.h"
#include "ProgramInfo.h"
#include "TfrmAbout.h"
#include "TfrmMain.h"

void TfrmMain::mnHelpContentsExecute() {
    // The page opens in the browser; a missing page is reported like any
    // other file that cannot be opened, since no help viewer is there to say so.
    OpenWithShell(this, Shell(), HelpFilePath(QCoreApplication::applicationFilePath()));
}

void TfrmMain::mnHelpVersionInfoExecute() {
    TfrmAbout dialog(this);
    dialog.exec();
}

void TfrmMain::mnHelpGoUrl_DevExecute() {
    OpenWithShell(this, Shell(), QString::fromLatin1(HomePageAddress));
}

void TfrmMain::mnHelpGoUrl_NewExecute() {
    OpenWithShell(this, Shell(), QString::fromLatin1(DownloadPageAddress));
}

// Opening the cursor row's entries: with the associated application, with
// external application 1 or 2, and the comparison application on the pair.
#include <QMessageBox>

#include "CompareAppCall.h"
#include "OpenWithShell.h"
#include "PathText.h"
#include "ShowMessageBox.h"
#include "TDesktopShell.h"
#include "TSearchRec.h"
#include "TfrmMain.h"

namespace {

void CannotOpen(TfrmMain* frm) {
    ShowMessageBox(frm, QMessageBox::Warning, QStringLiteral("開くことができません"));
}

// The path as the programs get it: by its own bytes, also where they are not UTF-8.
QString FullPathOf(const TSearchRecEx* entry) {
    return entry ? PathText(entry->FullPath()) : QString();
}

void OpenEntry(TfrmMain* frm, TSide side) {
    const TSearchRecEx* entry = frm->RowEntry(frm->CurrentGridRow(), side);
    if (entry == nullptr) {
        CannotOpen(frm);
        return;
    }
    OpenWithShell(frm, frm->Shell(), FullPathOf(entry));
}

}  // namespace

IShellStarter& TfrmMain::Shell() {
    if (!ShellStarter)
        ShellStarter = std::make_shared<TDesktopShell>();
    return *ShellStarter;
}

void TfrmMain::mnEditOpenMExecute() {
    OpenEntry(this, TSide::M);
}

void TfrmMain::mnEditOpenSExecute() {
    OpenEntry(this, TSide::S);
}

void TfrmMain::OpenWithApp(int application, TSide side) {
    const TSearchRecEx* entry = RowEntry(CurrentGridRow(), side);
    if (entry == nullptr) {
        CannotOpen(this);
        return;
    }
    // The entry's path is one argument as it stands: blanks, quotes or shell
    // signs in a file name are never read by anything but the program.
    const QString& program = application == 1 ? Option.Path1 : Option.Path2;
    StartWithShell(this, Shell(), program, {FullPathOf(entry)});
}

void TfrmMain::RunCompareApp() {
    const int row = CurrentGridRow();
    if (row < 1 || Option.CompPath.isEmpty()) {
        CannotOpen(this);
        return;
    }
    // A missing side stands as an empty path: the application still starts.
    const TProgramCall call = BuildCompareAppCall(
        Option.CompPath, FullPathOf(RowEntry(row, TSide::M)), FullPathOf(RowEntry(row, TSide::S)));
    // A template of blanks only names no program.
    if (call.Program.isEmpty()) {
        CannotOpen(this);
        return;
    }
    StartWithShell(this, Shell(), call.Program, call.Arguments);
}

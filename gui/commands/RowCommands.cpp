#include "RowCommands.h"

#include <QMessageBox>

#include "CompareAppCall.h"
#include "CopyTextToClipboard.h"
#include "OpenWithShell.h"
#include "PathText.h"
#include "RowText.h"
#include "ShowMessageBox.h"

namespace {

void CannotCopy(QWidget* owner) {
    ShowMessageBox(owner, QMessageBox::Warning, QStringLiteral("コピーできません"));
}

void CannotOpen(QWidget* owner) {
    ShowMessageBox(owner, QMessageBox::Warning, QStringLiteral("開くことができません"));
}

// The path as the programs get it: by its own bytes, also where they are not UTF-8.
QString FullPathOf(const TSearchRecEx* entry) {
    return entry ? PathText(entry->FullPath()) : QString();
}

}  // namespace

QString RowClipboardText(const TResultRow& row, char separator) {
    // Each cell as the grid shows it: a byte that is not UTF-8 as U+FFFD.
    std::vector<std::string> cells = row.Strings();
    for (std::string& cell : cells)
        cell = QString::fromUtf8(cell).toStdString();
    return QString::fromStdString(RowLine(cells, separator, '"'));
}

void CopyRowToClipboard(QWidget* owner, const TCursorRow& row) {
    if (row.Entry(TSide::M) == nullptr && row.Entry(TSide::S) == nullptr) {
        CannotCopy(owner);
        return;
    }
    CopyTextToClipboard(RowClipboardText(*row.Result, '\t'));
}

void CopyEntryPath(QWidget* owner, const TCursorRow& row, TSide side) {
    const TSearchRecEx* entry = row.Entry(side);
    if (entry == nullptr) {
        CannotCopy(owner);
        return;
    }
    CopyTextToClipboard(QString::fromUtf8(entry->FullPath()));
}

void OpenEntry(QWidget* owner, IShellStarter& shell, const TCursorRow& row, TSide side) {
    const TSearchRecEx* entry = row.Entry(side);
    if (entry == nullptr) {
        CannotOpen(owner);
        return;
    }
    OpenWithShell(owner, shell, FullPathOf(entry));
}

void OpenEntryWith(QWidget* owner, IShellStarter& shell, const QString& program,
                   const TCursorRow& row, TSide side) {
    const TSearchRecEx* entry = row.Entry(side);
    if (entry == nullptr) {
        CannotOpen(owner);
        return;
    }
    // The entry's path is one argument as it stands: blanks, quotes or shell
    // signs in a file name are never read by anything but the program.
    StartWithShell(owner, shell, program, {FullPathOf(entry)});
}

void RunCompareApp(QWidget* owner, IShellStarter& shell, const QString& commandTemplate,
                   const TCursorRow& row) {
    if (row.Row < 0 || commandTemplate.isEmpty()) {
        CannotOpen(owner);
        return;
    }
    const TProgramCall call = BuildCompareAppCall(commandTemplate, FullPathOf(row.Entry(TSide::M)),
                                                  FullPathOf(row.Entry(TSide::S)));
    // A template of blanks only names no program.
    if (call.Program.isEmpty()) {
        CannotOpen(owner);
        return;
    }
    StartWithShell(owner, shell, call.Program, call.Arguments);
}

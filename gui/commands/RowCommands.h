#pragma once

#include <QString>

#include "TCursorRow.h"

class IShellStarter;
class QWidget;

// The commands on the grid's cursor row that hand its entries elsewhere: to
// the clipboard, to the associated application, to an external application
// or to the comparison application. Each reports a row it cannot serve in a
// message box owned by owner.

// The row's seven cells joined by separator (the RowLine rule).
QString RowClipboardText(const TResultRow& row, char separator);
// Puts the row's cells, tab-separated, on the clipboard.
void CopyRowToClipboard(QWidget* owner, const TCursorRow& row);
// Puts one side's full path on the clipboard.
void CopyEntryPath(QWidget* owner, const TCursorRow& row, TSide side);
// Opens one side's entry with the application associated with it.
void OpenEntry(QWidget* owner, IShellStarter& shell, const TCursorRow& row, TSide side);
// Starts program with one side's full path as its one argument.
void OpenEntryWith(QWidget* owner, IShellStarter& shell, const QString& program,
                   const TCursorRow& row, TSide side);
// Starts the comparison application's command template on the row's pair; a
// missing side stands as an empty path.
void RunCompareApp(QWidget* owner, IShellStarter& shell, const QString& commandTemplate,
                   const TCursorRow& row);

#pragma once

#include <QString>
#include <QStringList>

#include "IShellStarter.h"

class QWidget;

// "エラーが発生しました", CR LF, and the text for the code (nothing more for a
// code without one).
QString ShellErrorText(TShellResult code);

// Opens a file, folder or web address with its associated application, with
// the wait cursor shown meanwhile. On failure shows ShellErrorText in a box
// owned by owner (exclamation icon) and returns true; returns false on success.
bool OpenWithShell(QWidget* owner, IShellStarter& shell, const QString& file);

// Starts program with the argument list, as OpenWithShell does a file.
bool StartWithShell(QWidget* owner, IShellStarter& shell, const QString& program,
                    const QStringList& arguments);

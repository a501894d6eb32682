#pragma once

#include "IShellStarter.h"

// The desktop's starter: programs through QProcess::startDetached with an
// argument list, files, folders and web addresses through QDesktopServices.
// Before starting it tells apart the failures it can see coming (missing
// program or folder, a file that is not executable); a program that the
// system then refuses to run counts as BadFormat.
class TDesktopShell : public IShellStarter {
public:
    TShellResult StartProgram(const QString& program, const QStringList& arguments) override;
    TShellResult OpenDocument(const QString& target) override;
};

// Whether target is a web address (or any other address with a scheme of two
// or more letters) rather than a path.
bool IsAddress(const QString& target);

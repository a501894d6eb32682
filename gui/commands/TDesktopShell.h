#pragma once

#include <QUrl>

#include "IShellStarter.h"

// The desktop's starter: programs started on their own with an argument list
// of raw bytes (platform::StartDetached; paths as PathText carries them),
// files, folders and web addresses through QDesktopServices.
// Before starting it tells apart the failures it can see coming (missing
// program or folder, a file that is not executable); a program that the
// system then refuses to run counts as BadFormat.
class TDesktopShell : public IShellStarter {
public:
    TShellResult StartProgram(const QString& program, const QStringList& arguments) override;
    TShellResult OpenDocument(const QString& target) override;
};

// The file: address of a path as PathText carries it, made absolute, its bytes
// percent-encoded (so that a name that is not UTF-8 keeps them).
QUrl LocalFileUrl(const QString& path);

// Whether target is a web address (or any other address with a scheme of two
// or more letters) rather than a path.
bool IsAddress(const QString& target);

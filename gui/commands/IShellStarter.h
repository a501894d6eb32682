#pragma once

#include <QString>
#include <QStringList>

// Outcomes of starting a program or opening a file, numbered like the error
// codes whose texts the window shows (ShellErrorText).
enum class TShellResult : int {
    OutOfResources = 0,
    FileNotFound = 2,
    PathNotFound = 3,
    AccessDenied = 5,
    BadFormat = 11,  // not a program that can be started
    NoAssociation = 31,
    Success = 42,
};

// How the window hands work to other programs. The desktop's own starter
// (TDesktopShell) is replaced in tests by one that records the calls.
class IShellStarter {
public:
    virtual ~IShellStarter() = default;
    // Starts program with exactly these arguments, without a shell and
    // without waiting for it. A program name without "/" is looked up in PATH.
    virtual TShellResult StartProgram(const QString& program, const QStringList& arguments) = 0;
    // Opens a file or folder (by path) or a web address with the application
    // the desktop associates with it.
    virtual TShellResult OpenDocument(const QString& target) = 0;
};

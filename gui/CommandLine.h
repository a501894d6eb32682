#pragma once

#include <QString>
#include <QStringList>

class TfrmMain;

// The desktop program's command line: `Tandril [folder [folder]]`, as a file
// manager or the desktop entry (`Exec=Tandril %F`) hands it over, plus
// --help and --version. Qt's own options (-platform, -style, ...) are taken
// out by the application object before the rest is read here.
struct TCommandLine {
    enum class TKind {
        Window,   // open the window on Folders
        Usage,    // print UsageText and end with status 0
        Version,  // print the program's name and version and end with status 0
        Refused,  // print Message on standard error and end with RefusedStatus
    };
    TKind Kind = TKind::Window;
    QStringList Folders;  // every argument that is no option, in order
    QString Unknown;      // the first unknown option, when refused
    QString Message;      // why the command line was refused
};

// The exit status of a refused command line.
constexpr int RefusedStatus = 2;

// Reads the arguments after the program's name. "--help" or "-h" anywhere
// before "--" asks for the usage, "--version" for the version; any other
// argument that begins with "-" (but "-" alone) before "--" is refused as an
// unknown option; every other argument names a folder.
TCommandLine ParseCommandLine(const QStringList& arguments);

// Whether a word that ParseCommandLine refused may still be one of Qt's own
// options, which only the application object takes out.
bool MayBeToolkitOption(const QString& argument);

// The usage text (Japanese, lines ending in "\n") for programName.
QString UsageText(const QString& programName);

// Puts the command line's folders into the shown window: one folder into the
// source box, two into the source and target boxes and the comparison starts.
// Each folder that exists goes into its box's history. A source that is not a
// folder gets the window's message for a bad path (with two folders, the
// comparison's own check gives it); more than two folders get a message of
// their own and fill nothing.
void OpenCommandLineFolders(TfrmMain& frm, const QStringList& folders);

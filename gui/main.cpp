// The desktop program Tandril: `Tandril [folder [folder]]` opens its window
// (on the folders given), `--help` and `--version` print and end. Returns 0
// when the window has closed, RefusedStatus for an unknown option.
#include <clocale>
#include <cstdio>
#include <exception>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>

#include "CommandLine.h"
#include "commands/ProgramInfo.h"
#include "platform/Encoding.h"
#include "platform/OutputFile.h"
#include "settings/SettingsPath.h"
#include "window/MainFont.h"
#include "window/TfrmMain.h"

namespace {

void Print(const QString& text, std::FILE* stream) {
    const std::string bytes = platform::ToConsoleEncoding(text.toStdString());
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

// Carries out a command line that opens no window; returns whether it did.
bool AnswerWithoutWindow(const TCommandLine& line, int& status) {
    switch (line.Kind) {
        case TCommandLine::TKind::Usage:
            Print(UsageText(QStringLiteral("Tandril")), stdout);
            status = 0;
            return true;
        case TCommandLine::TKind::Version:
            Print(QStringLiteral("Tandril %1\n").arg(VersionText()), stdout);
            status = 0;
            return true;
        case TCommandLine::TKind::Refused:
            Print(line.Message, stderr);
            status = RefusedStatus;
            return true;
        case TCommandLine::TKind::Window:
            break;
    }
    return false;
}

QStringList ArgumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

}  // namespace

int main(int argc, char* argv[]) {
    // The console's encoding is the locale's codeset.
    std::setlocale(LC_CTYPE, "");
    int status = 0;
    // Usage, version and unknown options are answered before the display is
    // opened, so that they work without one. Only a word that may be one of
    // Qt's own options waits for the application object to take Qt's out.
    const TCommandLine early = ParseCommandLine(ArgumentsOf(argc, argv));
    if (!MayBeToolkitOption(early.Unknown) && AnswerWithoutWindow(early, status))
        return status;
    QApplication app(argc, argv);
    const TCommandLine line = ParseCommandLine(QApplication::arguments().mid(1));
    if (AnswerWithoutWindow(line, status))
        return status;
    platform::ReportFileSizeLimitAsWriteFailure();
    QApplication::setApplicationName(QStringLiteral("Tandril"));
    // Lets the desktop match the window to its menu entry and icon.
    QApplication::setDesktopFileName(QStringLiteral("org.example.tandril"));
    QApplication::setFont(MainFont());
    QApplication::setWindowIcon(ProgramIcon());
    // Qt's own dialogs (file dialogs, standard buttons) speak Japanese as well.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    try {
        // The window shows itself once its placement is restored.
        TfrmMain frmMain(SettingsFilePath());
        // Once the message loop runs, so that a message box has its window.
        QTimer::singleShot(0, &frmMain,
                           [&frmMain, &line] { OpenCommandLineFolders(frmMain, line.Folders); });
        QApplication::exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QStringLiteral("Tandril"), QString::fromUtf8(error.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, QStringLiteral("Tandril"), QString());
    }
    return 0;
}

// The desktop program Tandril. Takes no arguments; returns 0 when its window
// has closed.
#include <exception>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include "MainFont.h"
#include "TfrmMain.h"
#include "commands/ProgramInfo.h"
#include "platform/OutputFile.h"
#include "settings/SettingsPath.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
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
        QApplication::exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QStringLiteral("Tandril"), QString::fromUtf8(error.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, QStringLiteral("Tandril"), QString());
    }
    return 0;
}

// The Help menu: the help page beside the executable, the version dialog
// centred on the main window, and the two web links.
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "DialogDriver.h"
#include "RecordingShell.h"
#include "RunWindow.h"
#include "TestFiles.h"
#include "commands/ProgramInfo.h"
#include "dialogs/TfrmAbout.h"
#include "window/TfrmMain.h"

class HelpTest : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;

private slots:
    void HelpPageLiesBesideTheExecutableUnderItsName() {
        QCOMPARE(HelpFilePath(QStringLiteral("/opt/tandril/Tandril")),
                 QStringLiteral("/opt/tandril/Tandril.html"));
        QCOMPARE(HelpFilePath(QStringLiteral("/opt/tandril/Folders")),
                 QStringLiteral("/opt/tandril/Folders.html"));
        // An installed program finds the page in ../share/tandril/; a page
        // beside the executable comes first.
        const QString bin = Dir.filePath(QStringLiteral("prefix/bin"));
        const QString shared = Dir.filePath(QStringLiteral("prefix/share/tandril/Tandril.html"));
        QVERIFY(QDir().mkpath(bin) && QDir().mkpath(QFileInfo(shared).path()));
        QCOMPARE(HelpFilePath(bin + QStringLiteral("/Tandril")),
                 bin + QStringLiteral("/Tandril.html"));
        WriteBytes(shared, "<html>");
        QCOMPARE(HelpFilePath(bin + QStringLiteral("/Tandril")), shared);
        QCOMPARE(HelpFilePath(bin + QStringLiteral("/Folders")),
                 bin + QStringLiteral("/Folders.html"));
        WriteBytes(bin + QStringLiteral("/Tandril.html"), "<html>");
        QCOMPARE(HelpFilePath(bin + QStringLiteral("/Tandril")),
                 bin + QStringLiteral("/Tandril.html"));
        // The build puts the page beside the executable, in Japanese.
        const QByteArray page = ReadBytes(HelpFilePath(QStringLiteral(TANDRIL_EXE)));
        QVERIFY(page.contains("<html lang=\"ja\">"));
        QVERIFY(page.contains(QStringLiteral("エクスポート").toUtf8()));

        TfrmMain frm(Dir.filePath(QStringLiteral("Tandril.ini")));
        auto shell = std::make_shared<TRecordingShell>();
        frm.SetShell(shell);
        frm.Actions().mnHelpContents->trigger();
        QCOMPARE(shell->Documents,
                 QStringList({HelpFilePath(QCoreApplication::applicationFilePath())}));
    }

    void VersionDialogIsCentredOnTheMainWindow() {
        TfrmMain frm(Dir.filePath(QStringLiteral("Tandril.ini")));
        frm.setGeometry(37, 55, 900, 600);
        TDialogDriver driver;
        bool seen = false;
        driver.OnDialog = [&](QDialog* dialog) {
            auto* about = qobject_cast<TfrmAbout*>(dialog);
            QVERIFY(about != nullptr);
            seen = true;
            const QRect main = frm.frameGeometry();
            const QRect self = about->frameGeometry();
            QCOMPARE(self.left(), main.left() + (main.width() - self.width()) / 2);
            QCOMPARE(self.top(), main.top() + (main.height() - self.height()) / 2);
            QCOMPARE(about->windowTitle(), QStringLiteral("バージョン情報"));
            QCOMPARE(about->Version->text(), QStringLiteral("Ver.1.1.2.0"));
            QCOMPARE(about->ProductName->text(), QStringLiteral("Tandril"));
            QVERIFY(about->Memo->toPlainText().startsWith(
                QStringLiteral("フォルダ内比較ツール\n\n\n  ")));
            QVERIFY(!about->windowFlags().testFlag(Qt::WindowCloseButtonHint));
            about->btnOK->click();
        };
        frm.Actions().mnHelpVersionInfo->trigger();
        QVERIFY(seen);
    }

    void WebLinksOpenInTheBrowser() {
        TfrmMain frm(Dir.filePath(QStringLiteral("Tandril.ini")));
        auto shell = std::make_shared<TRecordingShell>();
        frm.SetShell(shell);
        frm.Actions().mnHelpGoUrl_Dev->trigger();
        frm.Actions().mnHelpGoUrl_New->trigger();
        QCOMPARE(shell->Documents, QStringList({QString::fromLatin1(HomePageAddress),
                                                QString::fromLatin1(DownloadPageAddress)}));
        shell->Result = TShellResult::NoAssociation;
        TDialogDriver driver;
        frm.Actions().mnHelpGoUrl_New->trigger();
        QCOMPARE(driver.Messages.size(), 1);
        QVERIFY(driver.Messages.at(0).startsWith(QStringLiteral("エラーが発生しました\r\n")));
    }
};

QTEST_MAIN(HelpTest)
#include "HelpTest.moc"

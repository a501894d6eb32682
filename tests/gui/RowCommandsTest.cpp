// The commands on the grid's cursor row, on real folders compared by the real
// window: clipboard, opening, the external applications and the comparison
// application (checked on what would be started), and the real starter.
#include <memory>

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include "DialogDriver.h"
#include "RecordingShell.h"
#include "RunWindow.h"
#include "TestFiles.h"
#include "commands/OpenWithShell.h"
#include "commands/TDesktopShell.h"

class RowCommandsTest : public QObject, TTestFolders {
    Q_OBJECT
    std::unique_ptr<RunWindow> Frm;
    std::shared_ptr<TRecordingShell> Shell;

    // Compares M and S in a fresh window that starts nothing for real.
    void Compare() {
        Frm = std::make_unique<RunWindow>(Settings());
        Shell = std::make_shared<TRecordingShell>();
        Frm->SetShell(Shell);
        Frm->Compare(M, S);
        QTRY_VERIFY_WITH_TIMEOUT(!Frm->ComparisonRun().IsRunning(), RunTimeoutMs);
    }
    void Select(const QString& name) {
        const int row = RowOf(*Frm, name);
        QVERIFY2(row > 0, qPrintable(name));
        QVERIFY(SelectGridRow(*Frm, row));
    }
    static QString Clipboard() { return QGuiApplication::clipboard()->text(); }

private slots:
    void init() {
        NextFolders();
        QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    }
    void cleanup() { Frm.reset(); }

    void MissingTargetRefusesOnItsSideOnly() {
        MakeTree(M, {{"only.txt", "m"}});
        MakeTree(S, {{"other.txt", "s"}});
        Compare();
        Frm->Options().Path1 = QStringLiteral("/opt/viewer");
        Frm->Options().CompPath = QStringLiteral("/usr/local/bin/hoge ?m ?s");
        Select(QStringLiteral("only.txt"));
        TDialogDriver driver;
        Frm->Actions().mnEditCopyS->trigger();
        Frm->Actions().mnEditOpenS->trigger();
        Frm->Actions().mnPopUpApp1S->trigger();
        QCOMPARE(driver.Messages, QStringList({QStringLiteral("コピーできません"),
                                               QStringLiteral("開くことができません"),
                                               QStringLiteral("開くことができません")}));
        QCOMPARE(Clipboard(), QStringLiteral("untouched"));
        QVERIFY(Shell->Programs.isEmpty() && Shell->Documents.isEmpty());

        // The source side works; the full path, not the bare name.
        const QString path = M + QStringLiteral("/only.txt");
        Frm->Actions().mnEditCopyM->trigger();
        QCOMPARE(Clipboard(), path);
        Frm->Actions().mnEditOpenM->trigger();
        QCOMPARE(Shell->Documents, QStringList({path}));
        Frm->Actions().mnPopUpApp1M->trigger();
        // The comparison application still starts: the missing side is "".
        Frm->Actions().mnPopUpAppCmp->trigger();
        QCOMPARE(Shell->Programs,
                 (QList<QStringList>{{QStringLiteral("/opt/viewer"), path},
                                     {QStringLiteral("/usr/local/bin/hoge"), path, QString()}}));
        QCOMPARE(driver.Messages.size(), 3);
    }

    void EqualRowCopiesItsCellsAndFullPaths() {
        MakeTree(M, {{"sub/a b.txt", "same"}});
        MakeTree(S, {{"sub/a b.txt", "same"}});
        Compare();
        Select(QStringLiteral("a b.txt"));
        QVERIFY((GridRowVerdict(*Frm, CurrentGridRow(*Frm)) == TVerdict::Equal));
        Frm->Actions().mnEditCopyRow->trigger();
        // The seven cells, tab-separated; a cell with a blank is quoted.
        QCOMPARE(Clipboard(), QStringLiteral("\"a b.txt\"\tsub/\t\"a b.txt\"\tsub/\t等価\t1\t1"));
        Frm->Actions().mnEditCopyS->trigger();
        QCOMPARE(Clipboard(), S + QStringLiteral("/sub/a b.txt"));
    }

    void RowWithoutResultStartsOnlyTheComparisonApplication() {
        MakeTree(M, {{"a.txt", "1"}});
        MakeTree(S, {{"a.txt", "2"}});
        Compare();
        Select(QStringLiteral("a.txt"));
        // "新規" empties the grid; the cursor stays on a row without numbers.
        Frm->Actions().mnFileNew->trigger();
        QCOMPARE(CurrentGridRow(*Frm), 1);
        Frm->Options().CompPath = QStringLiteral("/usr/local/bin/hoge ?m ?s");
        TDialogDriver driver;
        Frm->Actions().mnEditCopyRow->trigger();
        Frm->Actions().mnEditCopyM->trigger();
        Frm->Actions().mnEditOpenM->trigger();
        QCOMPARE(driver.Messages.size(), 3);
        Frm->Actions().mnPopUpAppCmp->trigger();
        QCOMPARE(
            Shell->Programs,
            (QList<QStringList>{{QStringLiteral("/usr/local/bin/hoge"), QString(), QString()}}));
        // Without a template the command refuses.
        Frm->Options().CompPath.clear();
        Frm->Actions().mnPopUpAppCmp->trigger();
        QCOMPARE(driver.Messages.last(), QStringLiteral("開くことができません"));
    }

    void StarterFailureIsShownWithItsText() {
        MakeTree(M, {{"data.xyz", "1"}});
        MakeTree(S, {{"data.xyz", "1"}});
        Compare();
        Select(QStringLiteral("data.xyz"));
        Shell->Result = TShellResult::NoAssociation;
        TDialogDriver driver;
        Frm->Actions().mnEditOpenM->trigger();
        QCOMPARE(
            driver.Messages,
            QStringList({QStringLiteral("エラーが発生しました\r\n指定されたファイル名の拡張子には､ "
                                        "アプリケーションが関連付けられていません")}));
        QCOMPARE(ShellErrorText(TShellResult::AccessDenied),
                 QStringLiteral("エラーが発生しました\r\n"));
    }

    void FileNamesReachTheProgramAsOneArgument() {
        // A real program started by the real starter writes out what it got.
        const QString out = Dir.filePath(QStringLiteral("args.txt"));
        const QString recorder =
            MakeArgumentRecorder(Dir.filePath(QStringLiteral("recorder")), out);
        const QString hostile = QStringLiteral("a;b $(touch pwned) `touch pwned` \"q\" 'p'.txt");
        MakeTree(M, {{hostile, "m"}});
        MakeTree(S, {{hostile, "s"}});
        Compare();
        Frm->SetShell(std::make_shared<TDesktopShell>());
        Frm->Options().Path2 = recorder;
        Select(hostile);
        TDialogDriver driver;
        Frm->Actions().mnPopUpApp2S->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), EventTimeoutMs);
        QCOMPARE(ReadBytes(out),
                 QByteArray("1\n") + (S + QLatin1Char('/') + hostile).toUtf8() + "\n");
        QFile::remove(out);
        Frm->Options().CompPath = QLatin1Char('"') + recorder + QStringLiteral("\" ?s ?m");
        Frm->Actions().mnPopUpAppCmp->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), EventTimeoutMs);
        QCOMPARE(ReadBytes(out), QByteArray("2\n") + (S + QLatin1Char('/') + hostile).toUtf8() +
                                     "\n" + (M + QLatin1Char('/') + hostile).toUtf8() + "\n");
        QVERIFY(driver.Messages.isEmpty());
        QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("pwned"))));
    }

    void RealStarterTellsFailuresApart() {
        TDesktopShell shell;
        const QString plain = Dir.filePath(QStringLiteral("plain.txt"));
        WriteBytes(plain, "not a program");
        QCOMPARE(shell.StartProgram(Dir.filePath(QStringLiteral("nothing")), {}),
                 TShellResult::FileNotFound);
        QCOMPARE(shell.StartProgram(Dir.filePath(QStringLiteral("no/where/prog")), {}),
                 TShellResult::PathNotFound);
        QCOMPARE(shell.StartProgram(plain, {}), TShellResult::BadFormat);
        QCOMPARE(shell.StartProgram(Dir.path(), {}), TShellResult::BadFormat);
        QCOMPARE(shell.StartProgram(QStringLiteral("tandril-no-such-program"), {}),
                 TShellResult::FileNotFound);
        QCOMPARE(shell.OpenDocument(Dir.filePath(QStringLiteral("no/where.txt"))),
                 TShellResult::PathNotFound);
        QVERIFY(IsAddress(QStringLiteral("https://tandril.example.org/")));
        QVERIFY(!IsAddress(QStringLiteral("/tmp/a:b")) && !IsAddress(QStringLiteral("c:x")));
    }
};

QTEST_MAIN(RowCommandsTest)
#include "RowCommandsTest.moc"

// The desktop program's command line: how its words are read, what the real
// program prints and returns without opening its window, and what the window
// does with the folders it is given.
#include <memory>

#include <QAction>
#include <QComboBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "CommandLine.h"
#include "RunWindow.h"
#include "TCompare.h"
#include "TestFiles.h"
#include "window/TPanelBar.h"

namespace {

using TKind = TCommandLine::TKind;

}  // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;
    QString Settings() const { return Dir.filePath(QStringLiteral("Tandril.ini")); }
    std::unique_ptr<RunWindow> Open() { return std::make_unique<RunWindow>(Settings()); }

private slots:
    void init() { QFile::remove(Settings()); }

    void WordsAreFoldersOptionsOrRefused_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("unknown");
        const auto row = [](const char* name, QStringList arguments, TKind kind,
                            QStringList folders, QString unknown = {}) {
            QTest::newRow(name) << arguments << int(kind) << folders << unknown;
        };
        row("none", {}, TKind::Window, {});
        row("two folders", {"/a", "b c"}, TKind::Window, {"/a", "b c"});
        row("three folders are read all", {"/a", "/b", "/c"}, TKind::Window, {"/a", "/b", "/c"});
        row("a lone dash is a folder", {"-"}, TKind::Window, {"-"});
        row("help", {"--help"}, TKind::Usage, {});
        row("short help beside folders", {"/a", "-h", "/b"}, TKind::Usage, {});
        row("help wins over an unknown word", {"--bogus", "--help"}, TKind::Usage, {});
        row("version", {"--version"}, TKind::Version, {});
        row("unknown long option", {"/a", "--bogus", "-x"}, TKind::Refused, {"/a"}, "--bogus");
        row("unknown word beats version", {"--version", "-v"}, TKind::Refused, {}, "-v");
        row("words after -- are folders", {"--", "-h", "--x"}, TKind::Window, {"-h", "--x"});
    }

    void WordsAreFoldersOptionsOrRefused() {
        QFETCH(QStringList, arguments);
        QFETCH(int, kind);
        const TCommandLine line = ParseCommandLine(arguments);
        QCOMPARE(int(line.Kind), kind);
        QTEST(line.Folders, "folders");
        QTEST(line.Unknown, "unknown");
        if (line.Kind == TKind::Refused)
            QVERIFY(line.Message.contains(line.Unknown));
        // Only Qt's own words wait for the application object.
        QVERIFY(MayBeToolkitOption(QStringLiteral("-platform")));
        QVERIFY(MayBeToolkitOption(QStringLiteral("--style=fusion")));
        QVERIFY(!MayBeToolkitOption(QStringLiteral("--bogus")));
        QVERIFY(!MayBeToolkitOption(QString()));
    }

    // The real program: answers without a window, so without a display too
    // (xcb with no DISPLAY would fail before any window opened).
    void TheProgramAnswersWithoutItsWindow_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("help") << QStringList{"--help"} << "xcb" << 0
                              << "使い方: Tandril [オプション] [比較元フォルダ [比較先フォルダ]]\n"
                              << "";
        QTest::newRow("help among folders")
            << QStringList{"/a", "/b", "-h"} << "xcb" << 0 << "使い方: Tandril"
            << "";
        QTest::newRow("version") << QStringList{"--version"} << "xcb" << 0 << "Tandril 1.1.2.0\n"
                                 << "";
        QTest::newRow("unknown option")
            << QStringList{"--bogus", "/a"} << "xcb" << 2 << ""
            << "Tandril: 不明なオプションです: --bogus\n使い方は Tandril --help で表示します\n";
        // Qt's own options are taken out by Qt; the rest is refused before
        // the window is made.
        QTest::newRow("unknown beside Qt's options")
            << QStringList{"-platform", "offscreen", "-x"} << "offscreen" << 2 << ""
            << "Tandril: 不明なオプションです: -x\n";
    }

    void TheProgramAnswersWithoutItsWindow() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, platform);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(TANDRIL_EXE), arguments);
        QVERIFY(program.waitForFinished(RunTimeoutMs));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QTEST(program.exitCode(), "status");
        const QString stdOut = QString::fromUtf8(program.readAllStandardOutput());
        const QString stdErr = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
        QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.startsWith(err), qPrintable(stdErr));
    }

    void TwoFoldersFillBothBoxesAndStartTheComparison() {
        const QString m = Dir.filePath(QStringLiteral("two/m"));
        const QString s = Dir.filePath(QStringLiteral("two/s"));
        MakeTree(m, {{"a.txt", "same"}, {"b.txt", "left"}});
        MakeTree(s, {{"a.txt", "same"}});
        auto frm = Open();
        OpenCommandLineFolders(*frm, {m, s});
        QCOMPARE(frm->PathBox(TSide::M)->currentText(), m);
        QCOMPARE(frm->PathBox(TSide::S)->currentText(), s);
        QCOMPARE(frm->PathBox(TSide::M)->itemText(0), m);
        QCOMPARE(frm->PathBox(TSide::S)->itemText(0), s);
        QTRY_VERIFY_WITH_TIMEOUT(!frm->ComparisonRun().IsRunning(), RunTimeoutMs);
        QCOMPARE(GridRowCount(*frm), 3);
        QCOMPARE(GridCell(*frm, 2, 4), QStringLiteral("比較先無し"));
        QCOMPARE(frm->StatusArea()->MessageBar()->PanelText(0),
                 QStringLiteral("比較処理が終了しました"));
        // The folders are kept as the boxes' texts and histories.
        frm->close();
        QCOMPARE(IniValue(Settings(), "Form", "FilePathS"), s);
        QCOMPARE(IniValue(Settings(), "RecentFile", "FilePathM000"), m);
    }

    void OneFolderFillsTheSourceBoxOnly() {
        const QString m = Dir.filePath(QStringLiteral("one"));
        MakeTree(m, {{"a.txt", "x"}});
        WriteLines(Settings(), {"[Form]", "FilePathM=/earlier/m", "FilePathS=/earlier/s"});
        auto frm = Open();
        OpenCommandLineFolders(*frm, {m});
        QCOMPARE(frm->PathBox(TSide::M)->currentText(), m);
        QCOMPARE(frm->PathBox(TSide::M)->itemText(0), m);
        QCOMPARE(frm->PathBox(TSide::S)->currentText(), QStringLiteral("/earlier/s"));
        QVERIFY(!frm->ComparisonRun().IsRunning());
        QCOMPARE(frm->StatusArea()->CountsBar()->PanelText(0), QString());
    }

    void BadFoldersOpenTheWindowWithItsMessage_data() {
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("boxM");
        const QString dir = Dir.path();
        // A device is neither a folder nor a snapshot file (a regular file).
        const QString file = QStringLiteral("/dev/null");
        QTest::newRow("one device") << QStringList{file} << "比較元のパスが不正です" << file;
        QTest::newRow("missing target")
            << QStringList{dir, dir + "/missing"} << "比較先のパスが不正です" << dir;
        QTest::newRow("device as source")
            << QStringList{file, dir} << "比較元のパスが不正です" << file;
        QTest::newRow("three folders")
            << QStringList{dir, dir, dir}
            << "フォルダは２つまでしか指定できません (3 個指定されました)"
            << "";
    }

    void BadFoldersOpenTheWindowWithItsMessage() {
        QFETCH(QStringList, folders);
        WriteBytes(Dir.filePath(QStringLiteral("file.txt")), "x");
        auto frm = Open();
        MessageBoxCatcher box(frm.get());
        OpenCommandLineFolders(*frm, folders);
        QTRY_VERIFY(box.Seen);
        QTEST(box.Text, "message");
        QCOMPARE(box.Icon, QMessageBox::Warning);
        QTEST(frm->PathBox(TSide::M)->currentText(), "boxM");
        QVERIFY(!frm->ComparisonRun().IsRunning());
        // A file or a missing folder never goes into a history.
        for (const QComboBox* box : {frm->PathBox(TSide::M), frm->PathBox(TSide::S)})
            for (int i = 0; i < box->count(); ++i)
                QCOMPARE(box->itemText(i), Dir.path());
        QVERIFY(frm->ComparisonRun().Engine().GetPathM().empty());
    }
};

QTEST_MAIN(CommandLineTest)
#include "CommandLineTest.moc"

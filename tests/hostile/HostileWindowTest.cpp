// The real window on hostile input: names that are no text (shown, started,
// and exported as TandrilB reports them), a long run that the window reads
// from while the worker writes, a stop in the middle of it, and a settings
// file that cannot be written when the window closes.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include <QComboBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "DialogDriver.h"
#include "RunWindow.h"
#include "TCompare.h"
#include "TestFiles.h"
#include "commands/CommandTypes.h"
#include "commands/ExportRows.h"
#include "commands/PathText.h"
#include "commands/TDesktopShell.h"
#include "platform/OutputFile.h"
#include "window/TPanelBar.h"
#include "window/TSameGridModel.h"

namespace {

constexpr int HostileRunTimeoutMs = 60000;

// Writes a file by its raw bytes, with a fixed modification time.
void RawFile(const QByteArray& path, const QByteArray& contents) {
    int fd = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || write(fd, contents.constData(), size_t(contents.size())) != contents.size())
        qFatal("cannot write %s", path.constData());
    struct timespec times[2] = {{1600000000, 0}, {1600000000, 0}};
    futimens(fd, times);
    close(fd);
}

}  // namespace

class HostileWindowTest : public QObject, TTestFolders {
    Q_OBJECT
    static void WaitForIdle(RunWindow& frm) {
        QTRY_VERIFY_WITH_TIMEOUT(!frm.ComparisonRun().IsRunning(), HostileRunTimeoutMs);
    }

private slots:
    void init() {
        QFile::remove(Settings());
        NextFolders(true);
    }

    void NamesThatAreNoTextShowWithoutHarm() {
        const QList<QByteArray> names = {"new\nline", "tab\there",         "cr\rname",
                                         "quo\"te",   "\xff\xfe",          "caf\xe9",
                                         "\x01",      QByteArray(255, 'n')};
        for (const QByteArray& name : names) {
            RawFile(QFile::encodeName(M) + "/" + name, name);
            RawFile(QFile::encodeName(S) + "/" + name, name);
        }
        RawFile(QFile::encodeName(M) + "/differs", "1");
        RawFile(QFile::encodeName(S) + "/differs", "2");
        RunWindow frm(Settings());
        frm.Compare(M, S);
        WaitForIdle(frm);
        QCOMPARE(frm.StatusArea()->MessageBar()->PanelText(0),
                 QStringLiteral("比較処理が終了しました"));
        QCOMPARE(GridRowCount(frm), names.size() + 2);
        QStringList shown;
        for (int row = 1; row < GridRowCount(frm); ++row) {
            shown << GridCell(frm, row, 0);
            // Each name pairs with itself.
            QCOMPARE(GridCell(frm, row, 2), GridCell(frm, row, 0));
            QCOMPARE(GridCell(frm, row, 4), GridCell(frm, row, 0) == QStringLiteral("differs")
                                                ? QStringLiteral("相違: 内容が不一致")
                                                : QStringLiteral("等価"));
            QVERIFY(SelectGridRow(frm, row));
            QCOMPARE(frm.StatusArea()->EntryBar(TSide::M)->PanelText(6),
                     M + "/" + GridCell(frm, row, 0));
        }
        // A byte that is not UTF-8 shows as U+FFFD; the rest as it is.
        QVERIFY(shown.contains(QStringLiteral("\uFFFD\uFFFD")));
        QVERIFY(shown.contains(QStringLiteral("caf\uFFFD")));
        QVERIFY(shown.contains(QStringLiteral("new\nline")));
    }

    void NamesThatAreNoTextReachProgramsByTheirOwnBytes() {
        // A real program, started by the real starter, writes out its arguments.
        const QString out = Dir.filePath(QStringLiteral("args.txt"));
        const QString recorder =
            MakeArgumentRecorder(Dir.filePath(QStringLiteral("recorder")), out);
        const QByteArray name = "caf\xe9 $(touch pwned).txt";
        RawFile(QFile::encodeName(M) + "/" + name, "m");
        RawFile(QFile::encodeName(S) + "/" + name, "s");
        RunWindow frm(Settings());
        frm.Compare(M, S);
        WaitForIdle(frm);
        QVERIFY(SelectGridRow(frm, 1));
        frm.SetShell(std::make_shared<TDesktopShell>());
        TDialogDriver driver;

        frm.Options().Path1 = recorder;
        frm.Actions().mnPopUpApp1M->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), EventTimeoutMs);
        QCOMPARE(ReadBytes(out), "1\n" + QFile::encodeName(M) + "/" + name + "\n");
        QFile::remove(out);

        frm.Options().CompPath = QLatin1Char('"') + recorder + QStringLiteral("\" ?s ?m");
        frm.Actions().mnPopUpAppCmp->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), EventTimeoutMs);
        QCOMPARE(ReadBytes(out), "2\n" + QFile::encodeName(S) + "/" + name + "\n" +
                                     QFile::encodeName(M) + "/" + name + "\n");
        QVERIFY(driver.Messages.isEmpty());
        QVERIFY(!QFile::exists(QStringLiteral("pwned")));
        // The associated application gets a file: address of the same bytes.
        const QString path = PathText((QFile::encodeName(M) + "/" + name).toStdString());
        QVERIFY(LocalFileUrl(path).toEncoded().endsWith("/caf%E9%20%24%28touch%20pwned%29.txt"));
        QCOMPARE(QByteArray::fromStdString(PathBytes(path)), QFile::encodeName(M) + "/" + name);
    }

    void ExportIsTheConsoleReportByteForByte() {
        // The demo folders, prepared as a user would.
        const QString demo = Dir.filePath(QStringLiteral("demo"));
        QCOMPARE(QProcess::execute(
                     QStringLiteral("cp"),
                     {QStringLiteral("-R"), QStringLiteral(TANDRIL_SOURCE_DIR "/examples"), demo}),
                 0);
        QCOMPARE(QProcess::execute(QStringLiteral("bash"), {demo + QStringLiteral("/prepare.sh")}),
                 0);
        // Names that must be quoted, that CP932 cannot hold or that are no
        // text, on both sides, on one side, and with different contents.
        const QList<QByteArray> names = {
            "a,b",     "sp ace", "quo\"te",          "tab\there",    "new\nline",   "\xff\xfe",
            "caf\xe9", "\x01",   "\xf0\x9f\x98\x80", "\xef\xbd\xb6", "\xe6\x97\xa5"};
        for (const QByteArray& name : names) {
            RawFile(QFile::encodeName(M) + "/" + name, name);
            RawFile(QFile::encodeName(S) + "/" + name, name == "a,b" ? "other" : name);
        }
        RawFile(QFile::encodeName(M) + "/only\tsource", "m");
        RawFile(QFile::encodeName(S) + "/only \"target\"", "s");

        const auto report = [](const QString& m, const QString& s, const QString& file,
                               const QString& format, const QString& encoding) {
            QProcess batch;
            batch.start(QStringLiteral(TANDRILB),
                        {QStringLiteral("/file"), file, QStringLiteral("/fromdir"), m,
                         QStringLiteral("/todir"), s, QStringLiteral("/format"), format,
                         QStringLiteral("/encoding"), encoding, QStringLiteral("/noComment"),
                         QStringLiteral("/Appendix")});
            return batch.waitForFinished(HostileRunTimeoutMs) && batch.exitCode() == 0;
        };
        const QString trees[][2] = {
            {demo + QStringLiteral("/source"), demo + QStringLiteral("/target")}, {M, S}};
        const struct {
            QString Format;
            char Delimiter;
        } formats[] = {{QStringLiteral("csv"), ','},
                       {QStringLiteral("tsv"), '\t'},
                       {QStringLiteral("txt"), ' '}};
        const QString exported = Dir.filePath(QStringLiteral("export"));
        const QString written = Dir.filePath(QStringLiteral("report"));
        for (const auto& tree : trees) {
            // A first run moves the access times of the files it reads, so
            // that both writers see the same times after it.
            QVERIFY(report(tree[0], tree[1], QStringLiteral("/dev/null"), QStringLiteral("csv"),
                           QStringLiteral("sjis")));
            RunWindow frm(Settings());
            frm.Compare(tree[0], tree[1]);
            WaitForIdle(frm);
            QVERIFY(GridRowCount(frm) > 10);
            for (const auto& format : formats) {
                for (auto encoding :
                     {platform::TTextEncoding::Cp932, platform::TTextEncoding::Utf8}) {
                    const bool utf8 = encoding == platform::TTextEncoding::Utf8;
                    QVERIFY(WriteExportFile(&frm, exported, format.Delimiter, std::nullopt,
                                            encoding, frm.Grid()->ShownResults()));
                    QVERIFY(report(tree[0], tree[1], written, format.Format,
                                   utf8 ? QStringLiteral("utf8") : QStringLiteral("sjis")));
                    QCOMPARE(ReadBytes(exported), ReadBytes(written));
                }
            }
        }
    }

    void cleanup() {
        // QTemporaryDir cannot remove names that are not UTF-8: remove them by bytes.
        for (const QString& root : {M, S})
            std::filesystem::remove_all(QFile::encodeName(root).toStdString());
    }

    void TheWindowReadsRowsWhileTheWorkerWritesThemAndStops() {
        MakeFiles(M, QStringLiteral("f"), 999);
        MakeFiles(S, QStringLiteral("f"), 999);
        MakeFiles(M, QStringLiteral("g"), 999);
        MakeFiles(S, QStringLiteral("h"), 999);
        RunWindow frm(Settings());
        frm.PauseAtRow = 2500;
        frm.Compare(M, S);
        // While rows arrive the window selects, searches and reads entries.
        int reads = 0;
        for (bool more = true; more;) {
            more = GridModel(frm)->ShownRows() < 2500;
            const int shown = frm.Grid()->ResultCount();
            if (shown > 0) {
                SelectGridRow(frm, shown);
                SelectGridRow(frm, 1 + shown / 2);
                frm.Grid()->FindRow(1, TVerdict::Different);
                frm.Grid()->FindRow(-1, TVerdict::Equal);
                const TResultRow* row = frm.ComparisonRun().Engine().GetRow(shown - 1);
                QVERIFY(row && (row->EntryM() || row->EntryS()));
                QVERIFY(frm.ComparisonRun().Engine().GetRowEntryM(shown - 1) == row->EntryM());
                ++reads;
            }
            QTest::qWait(1);
        }
        QVERIFY(reads > 0);
        frm.Key(Qt::Key_B);
        frm.Release();
        WaitForIdle(frm);
        QCOMPARE(frm.StatusArea()->MessageBar()->PanelText(0),
                 QStringLiteral("処理が中断されました"));
        const int rows = frm.ComparisonRun().Engine().GetRowCount();
        QCOMPARE(rows, 2501);
        QCOMPARE(GridRowCount(frm), rows + 1);
        QCOMPARE(frm.StatusArea()->CountsBar()->PanelText(0), QStringLiteral("総数:%1").arg(rows));
        // Every grid row is the engine's row.
        for (int row = 1; row <= rows; row += 97)
            QCOMPARE(GridCell(frm, row, 4),
                     QString::fromStdString((*frm.ComparisonRun().Engine().GetRow(row - 1))[4]));
    }

    void SettingsThatCannotBeWrittenKeepTheOldFile() {
        // The old file, and a window that changed options meanwhile.
        WriteLines(Settings(), {"[Thread]", "Speed=4", "[Application]", "Title1=old"});
        const QByteArray before = ReadBytes(Settings());
        {
            RunWindow frm(Settings());
            frm.Options().Title1 = QStringLiteral("new title that is never saved");
            // Past a file-size limit the new file cannot be written whole;
            // as in the program, the limit is a write failure, not a kill.
            platform::ReportFileSizeLimitAsWriteFailure();
            struct rlimit old;
            getrlimit(RLIMIT_FSIZE, &old);
            struct rlimit tiny {
                16, old.rlim_max
            };
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &tiny), 0);
            frm.close();
            setrlimit(RLIMIT_FSIZE, &old);
        }
        QCOMPARE(ReadBytes(Settings()), before);

        // A full disk: the same.
        const QString disk = Dir.filePath(QStringLiteral("disk"));
        QDir().mkpath(disk);
        if (mount("tandril-test", QFile::encodeName(disk).constData(), "tmpfs", 0,
                  "size=4k,mode=0777") != 0)
            QSKIP("no tmpfs can be mounted here");
        const QString settings = disk + QStringLiteral("/Tandril.ini");
        WriteLines(settings, {"[Thread]", "Speed=4"});
        const QByteArray old = ReadBytes(settings);
        {
            QFile filler(disk + QStringLiteral("/filler"));
            filler.open(QIODevice::WriteOnly);
            while (filler.write(QByteArray(512, 'x')) == 512 && filler.flush()) {
            }
        }
        {
            RunWindow frm(settings);
            frm.close();
        }
        const QByteArray after = ReadBytes(settings);
        umount(QFile::encodeName(disk).constData());
        QCOMPARE(after, old);
    }

    void ExportPastAFileSizeLimitSaysSo() {
        MakeFiles(M, QStringLiteral("file-with-a-long-name-"), 300);
        MakeFiles(S, QStringLiteral("file-with-a-long-name-"), 300);
        RunWindow frm(Settings());
        frm.Compare(M, S);
        WaitForIdle(frm);
        const QString name = Dir.filePath(QStringLiteral("export.csv"));
        TDialogDriver driver;
        platform::ReportFileSizeLimitAsWriteFailure();
        struct rlimit old;
        getrlimit(RLIMIT_FSIZE, &old);
        struct rlimit small {
            8192, old.rlim_max
        };
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool written =
            WriteExportFile(&frm, name, ',', std::nullopt, platform::TTextEncoding::Cp932,
                            frm.Grid()->ShownResults());
        setrlimit(RLIMIT_FSIZE, &old);
        // Not taken for a complete export: the failure is shown with its reason.
        QVERIFY(!written);
        QCOMPARE(driver.Messages.size(), 1);
        QVERIFY2(driver.Messages.at(0).contains(name) &&
                     driver.Messages.at(0).contains(QStringLiteral("File too large")),
                 qPrintable(driver.Messages.at(0)));
        // Without the limit the same export is whole.
        driver.Messages.clear();
        QVERIFY(WriteExportFile(&frm, name, ',', std::nullopt, platform::TTextEncoding::Cp932,
                                frm.Grid()->ShownResults()));
        QCOMPARE(ReadLines(name).size(), 301);  // the header and 300 rows
        QVERIFY(driver.Messages.isEmpty());
    }

    void SettingsWhoseFolderIsAFileCloseQuietly() {
        const QString blocker = Dir.filePath(QStringLiteral("blocker"));
        WriteBytes(blocker, "x");
        auto frm = std::make_unique<RunWindow>(blocker + QStringLiteral("/Tandril.ini"));
        QVERIFY(frm->close());
        frm.reset();
        QCOMPARE(ReadBytes(blocker), QByteArray("x"));
    }
};

QTEST_MAIN(HostileWindowTest)
#include "HostileWindowTest.moc"

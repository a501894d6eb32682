// The export commands on the real window: the save dialog driven by the test,
// the file types, the extension rules, "FilterIndex" and the failure boxes.
#include <memory>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "DialogDriver.h"
#include "RunWindow.h"
#include "TestFiles.h"
#include "commands/ExportFileType.h"
#include "commands/ExportRows.h"
#include "dialogs/TExportDialog.h"
#include "platform/Encoding.h"
#include "window/TfrmMain.h"

namespace {

const QString Header = QStringLiteral(
    "比較元ファイル,フォルダ,比較先ファイル,フォルダ,比較結果,比較元番号,比較先番号,(比較元)サイズ,"
    "(比較元)属性,(比較元)更新日時,(比較元)作成日時,(比較元)アクセス日,(比較元)パス,(比較先)サイズ,"
    "(比較先)属性,(比較先)更新日時,(比較先)作成日時,(比較先)アクセス日,(比較先)パス");

QByteArray Cp932(const QString& text) {
    return QByteArray::fromStdString(platform::Utf8ToCp932(text.toStdString()));
}

}  // namespace

class ExportTest : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;
    QString Ini() const { return Dir.filePath(QStringLiteral("Tandril.ini")); }

    // Answers the next save dialog with a file type, a name and an encoding;
    // records the file type the dialog offered.
    void Answer(TDialogDriver& driver, int index, const QString& name, bool utf8 = false,
                int* offered = nullptr) {
        driver.OnFileDialog = [=](QFileDialog* files) {
            auto* dialog = qobject_cast<TExportDialog*>(files);
            QVERIFY(dialog != nullptr);
            if (offered)
                *offered = dialog->FilterIndex();
            dialog->SetFilterIndex(index);
            dialog->SetEncoding(utf8 ? platform::TTextEncoding::Utf8
                                     : platform::TTextEncoding::Cp932);
            // Typed into the name box, as a user would (selectFile leaves a
            // focused box alone).
            auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(box != nullptr);
            box->setText(name);
            static_cast<QDialog*>(dialog)->accept();
        };
    }

private slots:
    void init() { QFile::remove(Ini()); }

    void HeaderOnlyBeforeAnyComparison() {
        TfrmMain frm(Ini());
        TDialogDriver driver;
        const struct {
            int Index;
            QString Name;
            QString Written;
            QChar Delimiter;
        } cases[] = {
            {1, QStringLiteral("comma"), QStringLiteral("comma.csv"), QLatin1Char(',')},
            {2, QStringLiteral("tab"), QStringLiteral("tab.csv"), QLatin1Char('\t')},
            {3, QStringLiteral("blank"), QStringLiteral("blank.txt"), QLatin1Char(' ')},
            {4, QStringLiteral("every"), QStringLiteral("every"), QLatin1Char('\t')},
        };
        for (const auto& c : cases) {
            Answer(driver, c.Index, Dir.filePath(c.Name));
            frm.Actions().mnFileExpCsvDiff->trigger();
            QString expected = Header;
            expected.replace(QLatin1Char(','), c.Delimiter);
            QCOMPARE(ReadBytes(Dir.filePath(c.Written)), Cp932(expected) + "\r\n");
        }
        // UTF-8 when chosen, still CR LF and no byte-order mark.
        Answer(driver, 1, Dir.filePath(QStringLiteral("utf8.csv")), true);
        frm.Actions().mnFileExpCsv->trigger();
        QCOMPARE(ReadBytes(Dir.filePath(QStringLiteral("utf8.csv"))), Header.toUtf8() + "\r\n");
        QCOMPARE(IniValue(Ini(), QStringLiteral("Form"), QStringLiteral("ExportEncoding")),
                 QStringLiteral("utf8"));
        QVERIFY(driver.Messages.isEmpty());
    }

    void ExtensionRules() {
        QDir(Dir.path()).mkpath(QStringLiteral("a.b"));
        const QString folder = Dir.filePath(QStringLiteral("a.b"));
        TfrmMain frm(Ini());
        TDialogDriver driver;
        // A dot in the folder's name is no extension of the file.
        Answer(driver, 1, folder + QStringLiteral("/result"));
        frm.Actions().mnFileExpCsv->trigger();
        QVERIFY(QFile::exists(folder + QStringLiteral("/result.csv")));
        QVERIFY(!QFile::exists(folder + QStringLiteral("/result")));
        // A typed extension is kept, whatever the type.
        Answer(driver, 3, folder + QStringLiteral("/typed.dat"));
        frm.Actions().mnFileExpCsv->trigger();
        QVERIFY(ReadBytes(folder + QStringLiteral("/typed.dat"))
                    .startsWith(Cp932(QStringLiteral("比較元ファイル フォルダ"))));

        QCOMPARE(ExportFileType::CompleteName(QStringLiteral("/x/a.b/result"), 2),
                 QStringLiteral("/x/a.b/result.csv"));
        QCOMPARE(ExportFileType::CompleteName(QStringLiteral("/x/r"), 7), QStringLiteral("/x/r"));
        QCOMPARE(ExportFileType::CompleteName(QStringLiteral("/x/r.txt"), 1),
                 QStringLiteral("/x/r.txt"));
        // A dot alone is an extension: the name is used as typed.
        QCOMPARE(ExportFileType::CompleteName(QStringLiteral("/x/r. "), 1),
                 QStringLiteral("/x/r. "));
        QCOMPARE(ExportFileType::Delimiter(9), '\t');
    }

    void FileTypeIsRememberedAtOnceAndAfterARestart() {
        int offered = 0;
        {
            TfrmMain frm(Ini());
            TDialogDriver driver;
            Answer(driver, 3, Dir.filePath(QStringLiteral("r")), false, &offered);
            frm.Actions().mnFileExpCsvSame->trigger();
            QCOMPARE(offered, 2);  // the default: tab-separated
            QCOMPARE(IniValue(Ini(), QStringLiteral("Form"), QStringLiteral("FilterIndex")),
                     QStringLiteral("3"));
            // Cancelled: nothing written, the setting untouched.
            driver.OnFileDialog = [](QFileDialog* files) {
                qobject_cast<TExportDialog*>(files)->SetFilterIndex(1);
                files->reject();
            };
            frm.Actions().mnFileExpCsv->trigger();
            QCOMPARE(IniValue(Ini(), QStringLiteral("Form"), QStringLiteral("FilterIndex")),
                     QStringLiteral("3"));
            frm.close();
        }
        TfrmMain frm(Ini());
        TDialogDriver driver;
        Answer(driver, 3, Dir.filePath(QStringLiteral("r")), false, &offered);
        frm.Actions().mnFileExpCsv->trigger();
        QCOMPARE(offered, 3);
    }

    void RowsOfEachKindAsTheConsoleProgramWritesThem() {
        const QString m = Dir.filePath(QStringLiteral("rows m"));
        const QString s = Dir.filePath(QStringLiteral("rows s"));
        MakeTree(
            m, {{"a b.txt", "same"}, {"diff.txt", "left"}, {"only.txt", "m"}, {"日本語.txt", "j"}});
        MakeTree(s, {{"a b.txt", "same"}, {"diff.txt", "rght"}, {"日本語.txt", "j"}});
        RunWindow frm(Ini());
        frm.Compare(m, s);
        QTRY_VERIFY_WITH_TIMEOUT(!frm.ComparisonRun().IsRunning(), 30000);
        QCOMPARE(GridRowCount(frm), 5);
        TDialogDriver driver;
        const QString all = Dir.filePath(QStringLiteral("all.tsv"));
        Answer(driver, 2, all);
        frm.Actions().mnFileExpCsv->trigger();

        // The same bytes as TandrilB's tab-separated report with details.
        const QString report = Dir.filePath(QStringLiteral("report.tsv"));
        QProcess batch;
        batch.start(QStringLiteral(TANDRILB),
                    {QStringLiteral("/file"), report, QStringLiteral("/fromdir"), m,
                     QStringLiteral("/todir"), s, QStringLiteral("/format"), QStringLiteral("tsv"),
                     QStringLiteral("/noComment"), QStringLiteral("/Appendix")});
        QVERIFY(batch.waitForFinished(30000));
        QCOMPARE(batch.exitCode(), 0);
        const QByteArray bytes = ReadBytes(all);
        QCOMPARE(bytes, ReadBytes(report));
        const QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.size(), 6);  // header, four rows, and nothing after the last CR LF
        // A path with a blank is quoted with any delimiter, the tab too.
        QVERIFY(lines.at(1).startsWith("\"a b.txt\"\t/\t\"a b.txt\"\t/\t" +
                                       Cp932(QStringLiteral("等価"))));
        QVERIFY(lines.at(1).contains(("\t\"" + m + "/a b.txt\"\t").toUtf8()));
        QVERIFY(lines.at(4).startsWith(Cp932(QStringLiteral("日本語.txt"))));

        const QString equal = Dir.filePath(QStringLiteral("equal.csv"));
        Answer(driver, 1, equal);
        frm.Actions().mnFileExpCsvSame->trigger();
        QStringList written =
            QString::fromStdString(platform::Cp932ToUtf8(ReadBytes(equal).toStdString()))
                .split(QStringLiteral("\r\n"));
        QCOMPARE(written.size(), 4);
        QVERIFY(written.at(1).startsWith(QStringLiteral("\"a b.txt\",/,\"a b.txt\",/,等価,")));
        QVERIFY(written.at(2).startsWith(QStringLiteral("日本語.txt,/,日本語.txt,/,等価,")));

        // Every row that is not exactly "等価", a missing side too.
        const QString different = Dir.filePath(QStringLiteral("different"));
        Answer(driver, 3, different);
        frm.Actions().mnFileExpCsvDiff->trigger();
        written =
            QString::fromStdString(
                platform::Cp932ToUtf8(ReadBytes(different + QStringLiteral(".txt")).toStdString()))
                .split(QStringLiteral("\r\n"));
        QCOMPARE(written.size(), 4);
        QVERIFY(written.at(1).startsWith(QStringLiteral("diff.txt / diff.txt / \"相違: ")));
        QVERIFY(written.at(2).startsWith(QStringLiteral("only.txt /   比較先無し 2  1 ----- ")));
        QVERIFY(driver.Messages.isEmpty());

        // With the different rows hidden none is left to export: no file dialog,
        // no header-only file that would pass for them.
        frm.Actions().mnViewDiff->trigger();
        driver.OnFileDialog = [](QFileDialog* files) {
            QFAIL("the save dialog opened");
            files->reject();
        };
        frm.Actions().mnFileExpCsvDiff->trigger();
        QCOMPARE(driver.Messages, QStringList({QStringLiteral("エクスポートする行がありません")}));
        // The equal rows are there.
        Answer(driver, 1, Dir.filePath(QStringLiteral("equal again")));
        frm.Actions().mnFileExpCsvSame->trigger();
        QCOMPARE(ReadBytes(Dir.filePath(QStringLiteral("equal again.csv"))), ReadBytes(equal));
        QCOMPARE(driver.Messages.size(), 1);
    }

    void FailuresAreReported() {
        TfrmMain frm(Ini());
        TDialogDriver driver;
        // The folder does not exist: two boxes, and the type is still remembered.
        Answer(driver, 1, Dir.filePath(QStringLiteral("missing/out")));
        frm.Actions().mnFileExpCsv->trigger();
        QCOMPARE(driver.Messages.size(), 2);
        QCOMPARE(driver.Messages.at(0), QStringLiteral("ファイルのオープンに失敗しました"));
        QVERIFY2(driver.Messages.at(1).contains(QStringLiteral("missing/out.csv")),
                 qPrintable(driver.Messages.at(1)));
        QCOMPARE(IniValue(Ini(), QStringLiteral("Form"), QStringLiteral("FilterIndex")),
                 QStringLiteral("1"));
        // A device that refuses every write: the failure is not taken for success.
        driver.Messages.clear();
        QVERIFY(!WriteExportFile(&frm, QStringLiteral("/dev/full"), '\t', std::nullopt,
                                 platform::TTextEncoding::Cp932, frm.Grid()->ShownResults()));
        QCOMPARE(driver.Messages.size(), 1);
        QVERIFY2(driver.Messages.at(0).contains(QStringLiteral("/dev/full")),
                 qPrintable(driver.Messages.at(0)));
    }
};

QTEST_MAIN(ExportTest)
#include "ExportTest.moc"

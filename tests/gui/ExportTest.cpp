// The export commands on the real window: the save dialog driven by the test,
// the file types, the extension rules, "FilterIndex" and the failure boxes.
#include <memory>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "DialogDriver.h"
#include "TestFiles.h"
#include "TfrmMain.h"
#include "commands/ExportFileType.h"
#include "commands/TExportDialog.h"
#include "platform/Encoding.h"

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
            frm.mnFileExpCsvDiff->trigger();
            QString expected = Header;
            expected.replace(QLatin1Char(','), c.Delimiter);
            QCOMPARE(ReadBytes(Dir.filePath(c.Written)), Cp932(expected) + "\r\n");
        }
        // UTF-8 when chosen, still CR LF and no byte-order mark.
        Answer(driver, 1, Dir.filePath(QStringLiteral("utf8.csv")), true);
        frm.mnFileExpCsv->trigger();
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
        frm.mnFileExpCsv->trigger();
        QVERIFY(QFile::exists(folder + QStringLiteral("/result.csv")));
        QVERIFY(!QFile::exists(folder + QStringLiteral("/result")));
        // A typed extension is kept, whatever the type.
        Answer(driver, 3, folder + QStringLiteral("/typed.dat"));
        frm.mnFileExpCsv->trigger();
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
            frm.mnFileExpCsvSame->trigger();
            QCOMPARE(offered, 2);  // the default: tab-separated
            QCOMPARE(IniValue(Ini(), QStringLiteral("Form"), QStringLiteral("FilterIndex")),
                     QStringLiteral("3"));
            // Cancelled: nothing written, the setting untouched.
            driver.OnFileDialog = [](QFileDialog* files) {
                qobject_cast<TExportDialog*>(files)->SetFilterIndex(1);
                files->reject();
            };
            frm.mnFileExpCsv->trigger();
            QCOMPARE(IniValue(Ini(), QStringLiteral("Form"), QStringLiteral("FilterIndex")),
                     QStringLiteral("3"));
            frm.close();
        }
        TfrmMain frm(Ini());
        TDialogDriver driver;
        Answer(driver, 3, Dir.filePath(QStringLiteral("r")), false, &offered);
        frm.mnFileExpCsv->trigger();
        QCOMPARE(offered, 3);
    }

    void FailuresAreReported() {
        TfrmMain frm(Ini());
        TDialogDriver driver;
        // The folder does not exist: two boxes, and the type is still remembered.
        Answer(driver, 1, Dir.filePath(QStringLiteral("missing/out")));
        frm.mnFileExpCsv->trigger();
        QCOMPARE(driver.Messages.size(), 2);
        QCOMPARE(driver.Messages.at(0), QStringLiteral("ファイルのオープンに失敗しました"));
        QVERIFY2(driver.Messages.at(1).contains(QStringLiteral("missing/out.csv")),
                 qPrintable(driver.Messages.at(1)));
        QCOMPARE(IniValue(Ini(), QStringLiteral("Form"), QStringLiteral("FilterIndex")),
                 QStringLiteral("1"));
        // A device that refuses every write: the failure is not taken for success.
        driver.Messages.clear();
        QVERIFY(!frm.WriteExportFile(QStringLiteral("/dev/full"), '\t', ExportKind::All));
        QCOMPARE(driver.Messages.size(), 1);
        QVERIFY2(driver.Messages.at(0).contains(QStringLiteral("/dev/full")),
                 qPrintable(driver.Messages.at(0)));
    }
};

QTEST_MAIN(ExportTest)
#include "ExportTest.moc"

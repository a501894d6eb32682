// A comparison run in the real window on real folders: starting, rows
// arriving, the end with its messages and dialog, stopping, refusals, and the
// worker's priority.
#include <memory>

#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "../remote/SshServer.h"
#include "DialogDriver.h"
#include "RunWindow.h"
#include "TCompare.h"
#include "TSnapshotWriter.h"
#include "TestFiles.h"
#include "platform/ThreadNice.h"
#include "window/TPanelBar.h"
#include "window/TSameGridModel.h"

namespace {

// Writes the snapshot of folder to file as TandrilB /snapshot does.
void WriteSnapshot(const QString& folder, const QString& file) {
    std::atomic<bool> noStop{false};
    TSnapshotWriter writer(noStop);
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    const auto result = writer.Write(folder.toStdString(), [&out](std::string_view bytes) {
        return out.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
    });
    QCOMPARE(result, TSnapshotWriter::TResult::Written);
}

// Every row of the grid, its seven strings joined.
QStringList GridRows(const RunWindow& frm) {
    QStringList rows;
    for (int row = 1; row < GridRowCount(frm); ++row) {
        QStringList cells;
        for (int column = 0; column < 7; ++column)
            cells.append(GridCell(frm, row, column));
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows;
}

}  // namespace

class ComparisonRunTest : public QObject, TTestFolders {
    Q_OBJECT
    std::unique_ptr<RunWindow> Open() { return std::make_unique<RunWindow>(Settings()); }
    static void WaitForIdle(RunWindow& frm) {
        QTRY_VERIFY_WITH_TIMEOUT(!frm.ComparisonRun().IsRunning(), RunTimeoutMs);
    }

private slots:
    void init() {
        QFile::remove(Settings());
        NextFolders();
    }

    void AFarSideFillsTheGridAsALocalFolderDoes() {
        MakeTree(M, {{"a.txt", "same"}, {"b.txt", "left"}});
        MakeTree(S, {{"a.txt", "same"}, {"b.txt", "rght"}, {"c.txt", "new"}});
        const TSshServer& server = TSshServer::Instance();
        WriteLines(Settings(), {"[Remote]", "Ssh=" + QString::fromStdString(server.SshCommand()),
                                QStringLiteral("Program=" TANDRILB_PATH)});
        auto frm = Open();
        const QString far = QString::fromStdString(server.Url(S.toStdString()));
        frm->Compare(M, far);
        WaitForIdle(*frm);
        QCOMPARE(GridRowCount(*frm), 4);
        QCOMPARE(GridCell(*frm, 1, 4), QStringLiteral("等価"));
        QCOMPARE(GridCell(*frm, 2, 4), QStringLiteral("相違: 内容が不一致"));
        QCOMPARE(GridCell(*frm, 3, 4), QStringLiteral("比較元無し"));
        QCOMPARE(frm->PathBox(TSide::S)->itemText(0), far);
        // Nothing is copied to or from the far side, nor into a folder named
        // after its URL below the current one.
        QVERIFY(SelectGridRow(*frm, 3));
        QVERIFY(!frm->Actions().mnPopUpCopyToS->isEnabled() &&
                !frm->Actions().mnPopUpCopyToM->isEnabled());
        TDialogDriver driver;
        frm->Actions().mnPopUpCopyToM->setEnabled(true);
        frm->Actions().mnPopUpCopyToM->trigger();
        QCOMPARE(driver.Messages, QStringList({"別のマシンの側とはコピーできません"}));
        QVERIFY(!QFileInfo::exists(QStringLiteral("ssh:")) && !QFile::exists(M + "/c.txt"));
    }

    void ThreeResultsFillTheGridAndEndIdle() {
        // One equal pair, one pair with different contents, one file on the target side only.
        MakeTree(M, {{"a.txt", "same"}, {"b.txt", "left"}});
        MakeTree(S, {{"a.txt", "same"}, {"b.txt", "rght"}, {"c.txt", "new"}});
        // The helper's files carry its fixed time, so that equal files made
        // in different seconds still compare equal.
        QCOMPARE(QFileInfo(S + QStringLiteral("/c.txt")).lastModified(),
                 QDateTime(QDate(2020, 1, 2), QTime(12, 0)));
        auto frm = Open();
        frm->Compare(M, S);
        QVERIFY(frm->ComparisonRun().IsRunning());
        QVERIFY(!frm->Actions().mnFileComp->isEnabled() &&
                frm->Actions().mnFileCompStop->isEnabled());
        QVERIFY(!frm->PathBox(TSide::M)->isEnabled());
        WaitForIdle(*frm);

        QCOMPARE(GridRowCount(*frm), 4);
        QCOMPARE(GridCell(*frm, 1, 0), QStringLiteral("a.txt"));
        QCOMPARE(GridCell(*frm, 1, 1), QStringLiteral("/"));
        QCOMPARE(GridCell(*frm, 1, 4), QStringLiteral("等価"));
        QCOMPARE(GridCell(*frm, 1, 5), QStringLiteral("0"));
        QVERIFY(GridCell(*frm, 2, 4).startsWith(QStringLiteral("相違: ")));
        QCOMPARE(GridCell(*frm, 3, 0), QString());
        QCOMPARE(GridCell(*frm, 3, 2), QStringLiteral("c.txt"));
        QCOMPARE(GridCell(*frm, 3, 4), QStringLiteral("比較元無し"));
        QCOMPARE(GridCell(*frm, 3, 5), QString());
        QCOMPARE(GridCell(*frm, 0, 4), QStringLiteral("比較結果"));
        QVERIFY((GridRowVerdict(*frm, 1) == TVerdict::Equal));
        QVERIFY((GridRowVerdict(*frm, 2) == TVerdict::Different) &&
                (GridRowVerdict(*frm, 3) == TVerdict::Different));

        // Result texts other than "等価" are red; nothing else is.
        const QAbstractItemModel* model = GridModel(*frm);
        const auto colour = [model](int row, int column) {
            return model->index(row - 1, column).data(Qt::ForegroundRole);
        };
        QVERIFY(!colour(1, 4).isValid());
        QCOMPARE(colour(2, 4).value<QColor>(), QColor(255, 0, 0));
        QCOMPARE(colour(3, 4).value<QColor>(), QColor(255, 0, 0));
        QVERIFY(!colour(3, 2).isValid());

        QCOMPARE(PanelTexts(frm->StatusArea()->CountsBar()),
                 QStringList({"総数:3", "等価:1", "相違:2", ""}));
        QCOMPARE(frm->StatusArea()->MessageBar()->PanelText(0),
                 QStringLiteral("比較処理が終了しました"));
        QVERIFY(!frm->findChild<QProgressBar*>());
        QVERIFY(frm->Actions().mnFileComp->isEnabled() &&
                !frm->Actions().mnFileCompStop->isEnabled());
        QVERIFY(frm->PathBox(TSide::M)->isEnabled());
        // Both folders went into their histories.
        QCOMPARE(frm->PathBox(TSide::M)->itemText(0), M);
        QCOMPARE(frm->PathBox(TSide::S)->itemText(0), S);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void NoResultKeepsTheClearedGridAndShowsTheSummaryInTheEndDialog() {
        MakeTree(M, {});
        MakeTree(S, {});
        auto frm = Open();
        frm->Actions().mnViewEndInfo->trigger();
        QVERIFY(frm->Options().EndDialog);
        MessageBoxCatcher box(frm.get());
        frm->Compare(M, S);
        WaitForIdle(*frm);
        QVERIFY(box.Seen);
        QCOMPARE(box.Text,
                 QStringLiteral("比較処理が終了しました\r\n  （相違はありませんでした）"));
        QCOMPARE(box.Icon, QMessageBox::Information);
        // The window stayed in the running state while the dialog was open.
        QVERIFY(box.WindowWasRunning);
        QCOMPARE(GridRowCount(*frm), 321);
        QCOMPARE(PanelTexts(frm->StatusArea()->CountsBar()), QStringList({"", "", "", ""}));
        QCOMPARE(frm->StatusArea()->MessageBar()->PanelText(0),
                 QStringLiteral("比較処理が終了しました"));
    }

    void ARunOfFourHundredGrowsTheGridByBlocksAndEndsWithItsRows() {
        MakeFiles(M, QStringLiteral("f"), 400);
        MakeTree(S, {});
        auto frm = Open();
        frm->PauseAtRow = 319;
        frm->Compare(M, S);
        // Row index 319 is written into grid row 320, the last of the cleared
        // grid: the grid grows by 256 at once.
        QTRY_COMPARE_WITH_TIMEOUT(GridModel(*frm)->ShownRows(), 320, RunTimeoutMs);
        QCOMPARE(GridRowCount(*frm), 577);
        QCOMPARE(GridCell(*frm, 320, 0), QStringLiteral("f319.txt"));
        QCOMPARE(GridCell(*frm, 320, 4), QStringLiteral("比較先無し"));
        // During the run the total is not shown; the progress bar lies over it.
        QVERIFY(frm->findChild<QProgressBar*>());
        QCOMPARE(frm->StatusArea()->CountsBar()->PanelText(0), QString());
        frm->Release();
        WaitForIdle(*frm);
        QCOMPARE(GridRowCount(*frm), 401);
        QCOMPARE(PanelTexts(frm->StatusArea()->CountsBar()),
                 QStringList({"総数:400", "等価:0", "相違:400", ""}));
        QCOMPARE(frm->StatusArea()->MessageBar()->PanelText(0),
                 QStringLiteral("比較処理が終了しました"));
    }

    void ARunOfThreeHundredNeverGrowsTheGrid() {
        MakeFiles(M, QStringLiteral("f"), 300);
        MakeTree(S, {});
        auto frm = Open();
        QSignalSpy inserted(GridModel(*frm), &QAbstractItemModel::rowsInserted);
        frm->Compare(M, S);
        WaitForIdle(*frm);
        QCOMPARE(inserted.count(), 0);
        QCOMPARE(GridRowCount(*frm), 301);
    }

    void StartAndStopKeysDuringARun() {
        MakeFiles(M, QStringLiteral("f"), 20);
        MakeFiles(S, QStringLiteral("f"), 20);
        auto frm = Open();
        // Ctrl+B while idle does nothing.
        frm->Key(Qt::Key_B);
        QCOMPARE(frm->StatusArea()->MessageBar()->PanelText(0),
                 QStringLiteral("Ctrl+R で比較処理を開始します"));

        frm->PauseAtRow = 5;
        frm->Compare(M, S);
        QTRY_COMPARE_WITH_TIMEOUT(GridModel(*frm)->ShownRows(), 6, RunTimeoutMs);
        QCOMPARE(frm->StatusArea()->MessageBar()->PanelText(0),
                 QStringLiteral("比較処理中です... (Ctrl+B で中断します)"));
        // Ctrl+R during the run changes nothing: no clear, no second run.
        frm->Key(Qt::Key_R);
        frm->Actions().mnFileComp->trigger();
        QCOMPARE(GridModel(*frm)->ShownRows(), 6);
        // Closing is refused while the run goes on.
        QVERIFY(!frm->close());
        QVERIFY(frm->isVisible());

        frm->Key(Qt::Key_B);
        QCOMPARE(frm->StatusArea()->MessageBar()->PanelText(0),
                 QStringLiteral("処理を中断します..."));
        QVERIFY(!frm->Actions().mnFileCompStop->isEnabled());
        QVERIFY(frm->ComparisonRun().Engine().IsStopRequested());
        frm->Key(Qt::Key_B);
        QCOMPARE(frm->StatusArea()->MessageBar()->PanelText(0),
                 QStringLiteral("処理を中断します..."));
        frm->Release();
        WaitForIdle(*frm);
        // The rows delivered before the stop stay, and the grid fits them.
        QCOMPARE(frm->StatusArea()->MessageBar()->PanelText(0),
                 QStringLiteral("処理が中断されました"));
        QCOMPARE(GridRowCount(*frm), 7);
        QCOMPARE(frm->StatusArea()->CountsBar()->PanelText(0), QStringLiteral("総数:6"));
        // Idle again: the window may close.
        QVERIFY(!frm->ComparisonRun().IsRunning());
    }

    void AStopWhileListingShowsTheInterruptedListingMessage() {
        MakeFiles(M, QStringLiteral("f"), 5);
        MakeFiles(S, QStringLiteral("g"), 5);
        auto frm = Open();
        frm->PauseAtBegin = true;
        frm->Compare(M, S);
        // Ctrl+B at once, perhaps before the engine has even begun (which
        // clears any stop request): the stop holds all the same, and the
        // begin does not overwrite its message.
        frm->Key(Qt::Key_B);
        QTRY_VERIFY_WITH_TIMEOUT(frm->findChild<QProgressBar*>(), RunTimeoutMs);
        QCOMPARE(frm->StatusArea()->MessageBar()->PanelText(0),
                 QStringLiteral("処理を中断します..."));
        frm->Release();
        WaitForIdle(*frm);
        // Still pending when the target listing starts, the stop ends it too.
        QCOMPARE(frm->StatusArea()->MessageBar()->PanelText(0),
                 QStringLiteral("比較先のファイルリスト取得中に処理が中断されました"));
        QCOMPARE(GridRowCount(*frm), 321);
        QCOMPARE(GridCell(*frm, 1, 0), QString());
        QCOMPARE(PanelTexts(frm->StatusArea()->CountsBar()), QStringList({"", "", "", ""}));
    }

    void AnInvalidFolderIsRefusedAndTheEarlierResultsStay() {
        MakeTree(M, {{"a.txt", "1"}});
        MakeTree(S, {{"a.txt", "2"}});
        auto frm = Open();
        frm->Compare(M, S);
        WaitForIdle(*frm);
        QCOMPARE(GridRowCount(*frm), 2);

        for (const auto& [pathM, pathS, message] :
             {std::tuple{Dir.filePath(QStringLiteral("missing")), S,
                         QStringLiteral("比較元のパスが不正です")},
              std::tuple{QString(), QString(), QStringLiteral("比較元のパスが不正です")},
              // A device is neither a folder nor a snapshot file.
              std::tuple{M, QStringLiteral("/dev/null"),
                         QStringLiteral("比較先のパスが不正です")}}) {
            MessageBoxCatcher box(frm.get());
            frm->Compare(pathM, pathS);
            QVERIFY(box.Seen);
            QCOMPARE(box.Text, message);
            QCOMPARE(box.Icon, QMessageBox::Warning);
            QVERIFY(!frm->ComparisonRun().IsRunning());
            QCOMPARE(GridRowCount(*frm), 2);
            QVERIFY(GridCell(*frm, 1, 4).startsWith(QStringLiteral("相違: ")));
            QCOMPARE(frm->StatusArea()->CountsBar()->PanelText(0), QStringLiteral("総数:1"));
            // The engine keeps the folders of the results it holds.
            QCOMPARE(QString::fromStdString(frm->ComparisonRun().Engine().GetPathM()), M);
            QCOMPARE(QString::fromStdString(frm->ComparisonRun().Engine().GetPathS()), S);
        }
        // The boxes keep what the user typed.
        QCOMPARE(frm->PathBox(TSide::S)->currentText(), QStringLiteral("/dev/null"));
    }

    void ASnapshotInAPathBoxComparesLikeItsFolderButNeverCopies() {
        MakeTree(M, {{"a.txt", "same"}, {"b.txt", "left"}, {"sub/", ""}});
        MakeTree(S, {{"a.txt", "same"}, {"b.txt", "rght"}, {"c.txt", "new"}});
        const QString snapshot = Dir.filePath(QStringLiteral("m.mtree"));
        WriteSnapshot(M, snapshot);
        auto frm = Open();
        frm->Compare(M, S);
        WaitForIdle(*frm);
        const QStringList folders = GridRows(*frm);
        QVERIFY(SelectGridRow(*frm, 1));
        QVERIFY(frm->Actions().mnPopUpCopyToS->isEnabled());

        frm->Compare(snapshot, S);
        WaitForIdle(*frm);
        QCOMPARE(GridRows(*frm), folders);
        QCOMPARE(frm->PathBox(TSide::M)->itemText(0), snapshot);
        // There is no file to copy from a snapshot, nor into one.
        QVERIFY(SelectGridRow(*frm, 2));
        QVERIFY(!frm->Actions().mnPopUpCopyToS->isEnabled() &&
                !frm->Actions().mnPopUpCopyToM->isEnabled());
        TDialogDriver driver;
        frm->Actions().mnPopUpCopyToM->setEnabled(true);
        frm->Actions().mnPopUpCopyToM->trigger();
        QCOMPARE(driver.Messages,
                 QStringList({"スナップショットの側とはコピーできません\r\n"
                              "(スナップショットにはコピーするファイルがありません)"}));
        QCOMPARE(ReadBytes(S + QStringLiteral("/b.txt")), QByteArray("rght"));
    }

    void SavingASnapshotOfTheSourceShowsItsEndAndStops() {
        MakeTree(M, {{"a.txt", "one"}, {"sub/b.txt", "two"}});
        auto frm = Open();
        frm->PathBox(TSide::M)->setEditText(M);
        const QString file = Dir.filePath(QStringLiteral("saved.mtree"));
        TDialogDriver driver;
        QString title;
        driver.OnFileDialog = [&](QFileDialog* dialog) {
            title = dialog->windowTitle();
            dialog->selectFile(file);
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        };
        TSnapshotRun* snapshot = frm->findChild<TSnapshotRun*>();
        QSignalSpy ended(snapshot, &TSnapshotRun::Ended);
        frm->Actions().mnFileSnapshot->trigger();
        QVERIFY(ended.wait(RunTimeoutMs) || !ended.isEmpty());
        QCOMPARE(title, QStringLiteral("スナップショットを保存"));
        QCOMPARE(frm->StatusArea()->MessageBar()->PanelText(0),
                 QStringLiteral("スナップショットを保存しました. 項目 : 4 件"));
        QVERIFY(ReadBytes(file).contains("\n./sub/b.txt type=file "));
        QVERIFY(frm->Actions().mnFileComp->isEnabled() &&
                !frm->Actions().mnFileCompStop->isEnabled());

        // Ctrl+B stops it: the earlier file stays as it was.
        MakeFiles(M + QStringLiteral("/many"), QStringLiteral("f"), 3000);
        driver.Answers = {QMessageBox::Yes};  // replace the file saved before
        frm->Actions().mnFileSnapshot->trigger();
        QVERIFY(snapshot->IsRunning() && frm->Actions().mnFileCompStop->isEnabled());
        QVERIFY(!frm->Actions().mnFileComp->isEnabled() && !frm->PathBox(TSide::M)->isEnabled());
        frm->Actions().mnFileCompStop->trigger();
        QVERIFY(ended.wait(RunTimeoutMs));
        QCOMPARE(ended.last().at(0).value<TSnapshotRun::TEnd>(), TSnapshotRun::TEnd::Stopped);
        QCOMPARE(frm->StatusArea()->MessageBar()->PanelText(0),
                 QStringLiteral("処理が中断されました"));
        QVERIFY(!ReadBytes(file).contains("many"));

        // A source that is neither a folder nor a snapshot is refused at once.
        frm->PathBox(TSide::M)->setEditText(QStringLiteral("/dev/null"));
        frm->Actions().mnFileSnapshot->trigger();
        QTRY_COMPARE(driver.Messages.value(1), QStringLiteral("比較元のパスが不正です"));
    }

    void TheWorkerRunsBelowNormalPriorityByDefault() {
        MakeTree(M, {});
        MakeTree(S, {});
        const int base = platform::CurrentThreadNice();
        for (const auto& [speed, offset] : {std::pair{2, 5}, std::pair{0, 19}, std::pair{3, 0}}) {
            WriteLines(Settings(), {"[Thread]", QStringLiteral("Speed=%1").arg(speed)});
            auto frm = Open();
            frm->Compare(M, S);
            WaitForIdle(*frm);
            QCOMPARE(frm->WorkerNice.load(), std::min(base + offset, 19));
        }
    }
};

QTEST_MAIN(ComparisonRunTest)
#include "ComparisonRunTest.moc"

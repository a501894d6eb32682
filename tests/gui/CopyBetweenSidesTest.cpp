// Copying between the sides in the real window on real folders: folders made
// on the receiving side, questions before replacing, refusals, a failure in
// mid-file, and the copied pair equal when compared again.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <functional>
#include <memory>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>

#include "DialogDriver.h"
#include "RunWindow.h"
#include "TCompare.h"
#include "TestFiles.h"
#include "window/TPanelBar.h"
#include "window/TStatusArea.h"

namespace {

// How long the user reads each question: past the four seconds after which a
// QProgressDialog would show itself, and many times the half second after
// which a copy shows its progress. TANDRIL_QUESTION_OPEN_MS sets another
// time (10 s in the run under a window manager).
int QuestionOpenMs() {
    bool set = false;
    const int ms = qEnvironmentVariableIntValue("TANDRIL_QUESTION_OPEN_MS", &set);
    return set ? ms : 4500;
}

// Every name below folder, hidden ones included.
QStringList Listing(const QString& folder) {
    QStringList names;
    QDir dir(folder);
    for (const QFileInfo& info :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)) {
        names << info.fileName();
        if (info.isDir()) {
            for (const QString& inner : Listing(info.filePath()))
                names << info.fileName() + QLatin1Char('/') + inner;
        }
    }
    return names;
}

void SetFolderTime(const QString& folder, qint64 seconds) {
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    QVERIFY(utimensat(AT_FDCWD, QFile::encodeName(folder).constData(), times, 0) == 0);
}

// A user who reads each question for a while and then answers it through the
// window system, as a key press or a click on the screen would: input to a
// window that another modal dialog blocks is dropped, as it is for a user.
// Notes a progress dialog standing over an open question, and closes a
// question that the answer did not close within 10 s, so the test never hangs.
class TSlowUser {
public:
    TSlowUser(int readMs, std::function<void(QMessageBox*)> answer) : Answer(std::move(answer)) {
        Poll.setInterval(20);
        QObject::connect(&Poll, &QTimer::timeout, [this, readMs] {
            QMessageBox* box = nullptr;
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (auto* found = qobject_cast<QMessageBox*>(top); found && found->isVisible())
                    box = found;
            }
            if (box == nullptr)
                return;
            if (box != Current) {
                Current = box;
                Questions << box->text();
                Open.start();
                Answered = false;
            }
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (qobject_cast<QProgressDialog*>(top) && top->isVisible() &&
                    box->parentWidget() != top)
                    Covered = true;
            }
            if (!Answered && Open.elapsed() >= readMs) {
                Answered = true;
                Answer(box);
            } else if (Answered && Open.elapsed() >= readMs + 10000) {
                GaveUp = true;
                box->button(QMessageBox::Cancel)->click();
            }
        });
        Poll.start();
    }
    QStringList Questions;
    bool Covered = false;  // a progress dialog showed over an open question
    bool GaveUp = false;   // the answer did not reach the question

private:
    std::function<void(QMessageBox*)> Answer;
    QTimer Poll;
    QPointer<QMessageBox> Current;
    QElapsedTimer Open;
    bool Answered = false;
};

}  // namespace

class CopyBetweenSidesTest : public QObject, TTestFolders {
    Q_OBJECT
    std::unique_ptr<RunWindow> Frm;

    // Compares M and S, in the window of the test when it has one.
    void Compare() {
        if (!Frm)
            Frm = std::make_unique<RunWindow>(Settings());
        Frm->Compare(M, S);
        QTRY_VERIFY_WITH_TIMEOUT(!Frm->ComparisonRun().IsRunning(), RunTimeoutMs);
    }
    void Select(const QString& name) {
        const int row = RowOf(*Frm, name);
        QVERIFY2(row > 0, qPrintable(name));
        QVERIFY(SelectGridRow(*Frm, row));
    }
    QString Result(const QString& name) const { return GridCell(*Frm, RowOf(*Frm, name), 4); }
    QString Status() const { return Frm->StatusArea()->MessageBar()->PanelText(0); }

private slots:
    void init() { NextFolders(); }
    void cleanup() { Frm.reset(); }

    void SourceOnlyFileMakesItsFoldersOnTheTarget() {
        MakeTree(M, {{"a/b/only.txt", "only"}});
        MakeTree(S, {{"x.txt", "x"}});
        Compare();
        Select(QStringLiteral("only.txt"));
        TDialogDriver driver;
        // Nothing to copy from the target side.
        Frm->Actions().mnPopUpCopyToM->trigger();
        QCOMPARE(driver.Messages, QStringList({QStringLiteral("コピーできません")}));
        Frm->Actions().mnPopUpCopyToS->trigger();
        QCOMPARE(driver.Messages.size(), 1);
        QCOMPARE(ReadBytes(S + QStringLiteral("/a/b/only.txt")), QByteArray("only"));
        QCOMPARE(Listing(S), QStringList({"a", "a/b", "a/b/only.txt", "x.txt"}));
        // The pair and the folders made above it are compared again at once
        // (the time came along), with the counts and the entry bar; the status
        // bar says what was copied. The next comparison agrees.
        const QStringList rows = {"a/", "b/", "only.txt", "x.txt"};
        const auto results = [&] {
            QStringList shown;
            for (const QString& name : rows)
                shown << Result(name);
            return shown;
        };
        const QStringList after = {"等価", "等価", "等価", "比較元無し"};
        QCOMPARE(results(), after);
        QCOMPARE(PanelTexts(Frm->StatusArea()->CountsBar()).mid(0, 3),
                 QStringList({"総数:4", "等価:3", "相違:1"}));
        QCOMPARE(Frm->StatusArea()->EntryBar(TSide::S)->PanelText(6),
                 S + QStringLiteral("/a/b/only.txt"));
        QCOMPARE(Status(), QStringLiteral("コピーしました: ファイル 1 個"));
        Compare();
        QCOMPARE(results(), after);
    }

    void EqualFileAsksBeforeReplacing() {
        MakeTree(M, {{"d/e.txt", "same"}});
        MakeTree(S, {{"d/e.txt", "same"}});
        Compare();
        Select(QStringLiteral("e.txt"));
        TDialogDriver driver;
        driver.Answers = {QMessageBox::No};
        Frm->Actions().mnPopUpCopyToS->trigger();
        QCOMPARE(driver.Messages.size(), 1);
        QVERIFY2(driver.Messages.at(0).contains(S + QStringLiteral("/d/e.txt")),
                 qPrintable(driver.Messages.at(0)));
        QVERIFY(driver.Messages.at(0).contains(M + QStringLiteral("/d/e.txt")));
        // Into the folder that holds the namesake, not into a sub-folder.
        QCOMPARE(Listing(S), QStringList({"d", "d/e.txt"}));
        QCOMPARE(Status(),
                 QStringLiteral("コピーしました: ファイル 0 個、置き換えなかったファイル 1 個"));
        driver.Answers = {QMessageBox::Cancel};
        Frm->Actions().mnPopUpCopyToM->trigger();
        QCOMPARE(driver.Messages.size(), 2);
        QCOMPARE(Listing(M), QStringList({"d", "d/e.txt"}));
        QCOMPARE(Status(), QStringLiteral("コピーを中止しました: ファイル 0 個をコピー済み"));
    }

    void CopyLeavesOutWhatTheComparisonExcludes() {
        MakeTree(M, {{"sub/deep.log", "log"}, {"sub/keep.txt", "new"}, {"sub/inner/x.log", "x"}});
        MakeTree(S, {{"sub/keep.txt", "old"}});
        Frm = std::make_unique<RunWindow>(Settings());
        Frm->Options().Compare.Exclude = {"*.log"};
        Compare();
        QCOMPARE(RowOf(*Frm, QStringLiteral("deep.log")), -1);
        Select(QStringLiteral("sub/"));
        TDialogDriver driver;
        driver.Answers = {QMessageBox::Yes};
        Frm->Actions().mnPopUpCopyToS->trigger();
        QCOMPARE(driver.Messages.size(), 1);
        QVERIFY2(driver.Messages.at(0).endsWith(
                     QStringLiteral("\n\n除外パターンに合う項目はコピーしません: *.log")),
                 qPrintable(driver.Messages.at(0)));
        QCOMPARE(Listing(S), QStringList({"sub", "sub/inner", "sub/keep.txt"}));
        QCOMPARE(ReadBytes(S + QStringLiteral("/sub/keep.txt")), QByteArray("new"));
        QCOMPARE(Status(), QStringLiteral("コピーしました: ファイル 1 個、除外 2 個"));
        QCOMPARE(Result(QStringLiteral("keep.txt")), QStringLiteral("等価"));
        QCOMPARE(Result(QStringLiteral("inner/")), QStringLiteral("等価"));
    }

    void AQuestionLeftOpenStaysAnswerable() {
        MakeTree(M, {{"a.txt", "new a"}, {"b.txt", "new b"}});
        MakeTree(S, {{"a.txt", "old"}, {"b.txt", "old"}});
        Compare();
        Select(QStringLiteral("a.txt"));
        {
            TSlowUser user(QuestionOpenMs(), [](QMessageBox* box) {
                QTest::keyClick(box->windowHandle(), Qt::Key_Y, Qt::AltModifier);
            });
            Frm->Actions().mnPopUpCopyToS->trigger();
            QCOMPARE(user.Questions.size(), 1);
            QVERIFY(!user.Covered);
            QVERIFY(!user.GaveUp);
        }
        QCOMPARE(ReadBytes(S + QStringLiteral("/a.txt")), QByteArray("new a"));
        Select(QStringLiteral("b.txt"));
        {
            TSlowUser user(QuestionOpenMs(), [](QMessageBox* box) {
                const QAbstractButton* no = box->button(QMessageBox::No);
                QTest::mouseClick(box->windowHandle(), Qt::LeftButton, {},
                                  no->mapTo(box, no->rect().center()));
            });
            Frm->Actions().mnPopUpCopyToS->trigger();
            QCOMPARE(user.Questions.size(), 1);
            QVERIFY(!user.Covered);
            QVERIFY(!user.GaveUp);
        }
        QCOMPARE(ReadBytes(S + QStringLiteral("/b.txt")), QByteArray("old"));
    }

    void DifferentFileReplacedComparesEqualAgain() {
        MakeTree(M, {{"f.bin", QByteArray(300000, 'm')}, {"g.txt", "g"}});
        MakeTree(S, {{"f.bin", "short"}, {"g.txt", "g"}});
        QFile::setPermissions(M + QStringLiteral("/f.bin"), QFile::ReadOwner | QFile::ReadGroup);
        Compare();
        Select(QStringLiteral("f.bin"));
        QVERIFY((GridRowVerdict(*Frm, CurrentGridRow(*Frm)) == TVerdict::Different));
        TDialogDriver driver;
        driver.Answers = {QMessageBox::Yes};
        Frm->Actions().mnPopUpCopyToS->trigger();
        QCOMPARE(driver.Messages.size(), 1);
        QCOMPARE(ReadBytes(S + QStringLiteral("/f.bin")), QByteArray(300000, 'm'));
        // Read-only came along, so the attribute compares equal too.
        QCOMPARE(QFileInfo(S + QStringLiteral("/f.bin")).permissions() & 0x7777,
                 QFileInfo(M + QStringLiteral("/f.bin")).permissions() & 0x7777);
        Compare();
        QCOMPARE(GridCell(*Frm, RowOf(*Frm, QStringLiteral("f.bin")), 4), QStringLiteral("等価"));
        QCOMPARE(Listing(S), QStringList({"f.bin", "g.txt"}));
    }

    void FolderRowsMergeWhenEqualAndNestWhenDifferent() {
        MakeTree(M, {{"eq/in.txt", "1"}, {"eq/new.txt", "n"}, {"df/other.txt", "o"}});
        MakeTree(S, {{"eq/in.txt", "1"}, {"df/", ""}});
        // Folder times take part, and only the df pair's differ.
        SetFolderTime(M + QStringLiteral("/eq"), 1600000000);
        SetFolderTime(S + QStringLiteral("/eq"), 1600000000);
        SetFolderTime(M + QStringLiteral("/df"), 1600000000);
        SetFolderTime(S + QStringLiteral("/df"), 1700000000);
        Frm = std::make_unique<RunWindow>(Dir.filePath(QStringLiteral("Tandril.ini")));
        Frm->Options().Compare.IgnoreDirTimeSize = false;
        Compare();
        QVERIFY((GridRowVerdict(*Frm, RowOf(*Frm, QStringLiteral("eq/"))) == TVerdict::Equal));
        QVERIFY((GridRowVerdict(*Frm, RowOf(*Frm, QStringLiteral("df/"))) == TVerdict::Different));

        // Equal folders: merged into the namesake, asking once with "すべてはい".
        Select(QStringLiteral("eq/"));
        TDialogDriver driver;
        driver.Answers = {QMessageBox::YesToAll};
        Frm->Actions().mnPopUpCopyToS->trigger();
        QCOMPARE(driver.Messages.size(), 1);
        QCOMPARE(ReadBytes(S + QStringLiteral("/eq/new.txt")), QByteArray("n"));
        // Different folders: the source folder goes inside the target folder.
        Select(QStringLiteral("df/"));
        Frm->Actions().mnPopUpCopyToS->trigger();
        QCOMPARE(driver.Messages.size(), 1);
        QCOMPARE(Listing(S),
                 QStringList({"df", "df/df", "df/df/other.txt", "eq", "eq/in.txt", "eq/new.txt"}));
    }

    void FailureInMidFileLeavesNoPartialFile() {
        MakeTree(M, {{"big.bin", QByteArray(3 * 1024 * 1024, 'b')}});
        MakeTree(S, {{"big.bin", "old"}});
        Compare();
        Select(QStringLiteral("big.bin"));
        TDialogDriver driver;
        driver.Answers = {QMessageBox::Yes};
        // Files may not grow past 1 MiB while the copy runs.
        struct rlimit saved;
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit = {1024 * 1024, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
        Frm->Actions().mnPopUpCopyToS->trigger();
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, oldHandler);
        QCOMPARE(driver.Messages.size(), 2);
        QVERIFY2(
            driver.Messages.at(1).startsWith(QStringLiteral("コピー中にエラーが発生しました\r\n")),
            qPrintable(driver.Messages.at(1)));
        QCOMPARE(ReadBytes(S + QStringLiteral("/big.bin")), QByteArray("old"));
        QCOMPARE(Listing(S), QStringList({"big.bin"}));
    }

    void GoneRootRefusesAndARunningComparisonKeepsItsStop() {
        MakeFiles(M, QStringLiteral("f"), 20);
        MakeFiles(S, QStringLiteral("f"), 20);
        Frm = std::make_unique<RunWindow>(Dir.filePath(QStringLiteral("Tandril.ini")));
        Frm->PauseAtRow = 5;
        Frm->Compare(M, S);
        QTRY_VERIFY_WITH_TIMEOUT(Frm->Grid()->ResultCount() >= 3, RunTimeoutMs);
        Frm->Key(Qt::Key_B);
        QVERIFY(Frm->ComparisonRun().Engine().IsStopRequested());
        // The copy's root check leaves the pending stop alone.
        Select(QStringLiteral("f001.txt"));
        TDialogDriver driver;
        driver.Answers = {QMessageBox::No};
        Frm->Actions().mnPopUpCopyToS->trigger();
        QCOMPARE(driver.Messages.size(), 1);
        QVERIFY(Frm->ComparisonRun().Engine().IsStopRequested());
        Frm->Release();
        QTRY_VERIFY_WITH_TIMEOUT(!Frm->ComparisonRun().IsRunning(), RunTimeoutMs);
        QCOMPARE(Frm->ComparisonRun().Engine().GetStatus(), CompareStatus::PairingStopped);

        // A root deleted after the comparison: both directions refuse.
        QVERIFY(QDir(M).removeRecursively());
        Frm->Actions().mnPopUpCopyToS->trigger();
        Frm->Actions().mnPopUpCopyToM->trigger();
        QCOMPARE(driver.Messages.mid(1), QStringList({QStringLiteral("コピーできません"),
                                                      QStringLiteral("コピーできません")}));
        QCOMPARE(Listing(S).size(), 20);
    }
};

QTEST_MAIN(CopyBetweenSidesTest)
#include "CopyBetweenSidesTest.moc"

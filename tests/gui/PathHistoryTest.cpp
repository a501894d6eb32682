// The path boxes: their folder histories through the settings file, drops of
// files and folders, and the two path labels.
#include <memory>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "DialogDriver.h"
#include "RunWindow.h"
#include "TCompare.h"
#include "TestFiles.h"
#include "window/TfrmMain.h"

namespace {

QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// Sends a drop of the urls to the widget, as a drag from a file manager ends.
bool Drop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

}  // namespace

class PathHistoryTest : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;
    QString Path() const { return Dir.filePath(QStringLiteral("Tandril.ini")); }
    std::unique_ptr<TfrmMain> Open() { return std::make_unique<TfrmMain>(Path()); }
    QString Folder(const QString& name) {
        const QString path = Dir.filePath(name);
        QDir().mkpath(path);
        return path;
    }

private slots:
    void init() { QFile::remove(Path()); }

    void GapsCloseUpAndStaleKeysGo() {
        WriteLines(Path(), {"[RecentFile]", "ListCount=3", "FilePathM000=", "FilePathM001=/A",
                            "FilePathM002=/B", "FilePathM003=/beyond"});
        {
            auto frm = Open();
            QCOMPARE(Items(frm->PathBox(TSide::M)), QStringList({"/A", "/B"}));
            QCOMPARE(frm->PathBox(TSide::S)->HistoryLimit(),
                     3);  // one count for both boxes
            QVERIFY(frm->close());
        }
        QCOMPARE(IniValue(Path(), "RecentFile", "FilePathM000"), QStringLiteral("/A"));
        QCOMPARE(IniValue(Path(), "RecentFile", "FilePathM001"), QStringLiteral("/B"));
        QVERIFY(IniValue(Path(), "RecentFile", "FilePathM002").isNull());
        // Keys at or past the limit are left alone; the count itself is never written.
        QCOMPARE(IniValue(Path(), "RecentFile", "FilePathM003"), QStringLiteral("/beyond"));
        QCOMPARE(IniValue(Path(), "RecentFile", "ListCount"), QStringLiteral("3"));
    }

    void ListCountIsClampedToItsRange() {
        QStringList lines = {"[RecentFile]", "ListCount=300"};
        for (int i = 0; i < 257; ++i)
            lines << QStringLiteral("FilePathS%1=/s%2").arg(i, 3, 10, QLatin1Char('0')).arg(i);
        WriteLines(Path(), lines);
        {
            auto frm = Open();
            QCOMPARE(frm->PathBox(TSide::S)->HistoryLimit(), 256);
            QCOMPARE(frm->PathBox(TSide::S)->count(), 256);
            QCOMPARE(frm->PathBox(TSide::S)->itemText(255), QStringLiteral("/s255"));
        }
        WriteLines(Path(), {"[RecentFile]", "ListCount=-1", "FilePathM000=/A"});
        auto frm = Open();
        QCOMPARE(frm->PathBox(TSide::M)->HistoryLimit(), 0);
        QCOMPARE(frm->PathBox(TSide::M)->count(), 0);
    }

    void HistoryOffLeavesBoxAndFileAlone() {
        const QString a = Folder(QStringLiteral("a"));
        WriteLines(Path(), {"[RecentFile]", "ListCount=0", "FilePathM000=/kept"});
        {
            auto frm = Open();
            frm->PathBox(TSide::M)->AddHistory(a + QStringLiteral("  "));
            QCOMPARE(frm->PathBox(TSide::M)->count(), 0);
            QVERIFY(frm->close());
        }
        QCOMPARE(IniValue(Path(), "RecentFile", "FilePathM000"), QStringLiteral("/kept"));
    }

    void AddingAKnownFolderMovesItToTopInItsLatestCase() {
        const QString work = Folder(QStringLiteral("work"));
        const QString upper = Dir.filePath(QStringLiteral("Work"));
        WriteLines(Path(),
                   {"[RecentFile]", "FilePathM000=/A", "FilePathM001=" + upper, "FilePathM002=/B"});
        auto frm = Open();
        frm->PathBox(TSide::M)->setEditText(work + QStringLiteral(" \t"));
        frm->PathBox(TSide::M)->AddHistory(frm->PathBox(TSide::M)->currentText());
        QCOMPARE(Items(frm->PathBox(TSide::M)), QStringList({work, "/A", "/B"}));
        QCOMPARE(frm->PathBox(TSide::M)->currentText(), work);
    }

    void AddingToAFullListDropsTheOldest() {
        const QString d = Folder(QStringLiteral("d"));
        WriteLines(Path(), {"[RecentFile]", "ListCount=3", "FilePathS000=/A", "FilePathS001=/B",
                            "FilePathS002=/C"});
        {
            auto frm = Open();
            frm->PathBox(TSide::S)->AddHistory(d);
            QCOMPARE(Items(frm->PathBox(TSide::S)), QStringList({d, "/A", "/B"}));
            QVERIFY(frm->close());
        }
        QCOMPARE(IniValue(Path(), "RecentFile", "FilePathS000"), d);
        QCOMPARE(IniValue(Path(), "RecentFile", "FilePathS002"), QStringLiteral("/B"));
    }

    void OnlyExistingFoldersAndSnapshotFilesAreAdded() {
        const QString file = Dir.filePath(QStringLiteral("before.mtree"));
        WriteBytes(file, "#mtree\n. type=dir\n");
        auto frm = Open();
        for (const QString& text :
             {Dir.filePath(QStringLiteral("missing")), QString("  "), QString("/dev/null"),
              QString("ssh://host"), QString("ssh://-oX=y/srv")})
            frm->PathBox(TSide::M)->AddHistory(text);
        QCOMPARE(frm->PathBox(TSide::M)->count(), 0);
        // A far side is kept by its form: its folder is known only once it
        // answers. A snapshot file is kept as a folder is.
        frm->PathBox(TSide::M)->AddHistory(QStringLiteral("ssh://me@host:2222/srv/www "));
        frm->PathBox(TSide::M)->AddHistory(file);
        QCOMPARE(Items(frm->PathBox(TSide::M)), QStringList({file, "ssh://me@host:2222/srv/www"}));
    }

    void EnterStartsTheComparisonAndRelativeFoldersBecomeAbsolute() {
        const QString m = Folder(QStringLiteral("trees/src"));
        const QString s = Folder(QStringLiteral("trees/dst"));
        const QString home = QDir::currentPath();
        QVERIFY(QDir::setCurrent(Dir.path()));
        auto frm = Open();
        frm->PathBox(TSide::M)->setEditText(QStringLiteral("trees/src"));
        frm->PathBox(TSide::S)->setEditText(QStringLiteral("./trees/./dst"));
        QTest::keyClick(frm->PathBox(TSide::S)->lineEdit(), Qt::Key_Return);
        // Enter itself adds nothing: the run's end does.
        QCOMPARE(frm->PathBox(TSide::M)->count(), 0);
        QVERIFY(frm->ComparisonRun().IsRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!frm->ComparisonRun().IsRunning(), RunTimeoutMs);
        QVERIFY(QDir::setCurrent(home));
        // What a start from another working folder finds again.
        QCOMPARE(frm->PathBox(TSide::M)->currentText(), m);
        QCOMPARE(Items(frm->PathBox(TSide::M)), QStringList({m}));
        QCOMPARE(Items(frm->PathBox(TSide::S)), QStringList({s}));
        QCOMPARE(frm->ComparisonRun().Engine().GetPathS(), s.toStdString());
    }

    void FirstDroppedNameLandsInTheBoxUnderTheCursor() {
        const QString a = Folder(QStringLiteral("drop a"));
        const QString b = Folder(QStringLiteral("drop b"));
        auto frm = Open();
        frm->PathBox(TSide::M)->setEditText(QStringLiteral("/before"));
        QVERIFY(Drop(
            frm->PathBox(TSide::S)->lineEdit(),
            {QUrl::fromLocalFile(a), QUrl::fromLocalFile(b), QUrl::fromLocalFile(Dir.path())}));
        QCOMPARE(frm->PathBox(TSide::S)->currentText(), a);
        QCOMPARE(frm->PathBox(TSide::M)->currentText(), QStringLiteral("/before"));
        // A file is taken as well, also when dropped on the box's button part.
        const QString file = Dir.filePath(QStringLiteral("dropped.txt"));
        WriteBytes(file, "x");
        QVERIFY(Drop(frm->PathBox(TSide::M),
                     {QUrl(QStringLiteral("https://example.org/")), QUrl::fromLocalFile(file)}));
        QCOMPARE(frm->PathBox(TSide::M)->currentText(), file);
        // The history is not touched by a drop.
        QCOMPARE(frm->PathBox(TSide::M)->count(), 0);
    }

    void DropsFindNoTargetWhileRunning() {
        auto frm = std::make_unique<RunWindow>(Path());
        frm->Held.SetState(TComparisonRun::TState::Running);
        frm->PathBox(TSide::S)->setEditText(QStringLiteral("/before"));
        QVERIFY(!frm->PathBox(TSide::S)->DropFiles(nullptr));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(Dir.path())});
        QVERIFY(!frm->PathBox(TSide::S)->DropFiles(&data));
        QCOMPARE(frm->PathBox(TSide::S)->currentText(), QStringLiteral("/before"));
        frm->Held.SetState(TComparisonRun::TState::Idle);
    }

    void PathLabelsLightUpUnderTheMouse() {
        auto frm = Open();
        QLabel* label = Part<QLabel>(*frm, "lblFilePathM");
        QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(label, &enter);
        QVERIFY(label->font().underline());
        QVERIFY(!label->font().bold());
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(label, &leave);
        QCOMPARE(label->font(), frm->font());
        QCOMPARE(label->palette().color(QPalette::WindowText),
                 frm->palette().color(QPalette::WindowText));
        // Following the window again: a later window font reaches the label.
        QFont bigger = frm->font();
        bigger.setPixelSize(20);
        frm->setFont(bigger);
        QCOMPARE(label->font().pixelSize(), 20);
    }

    void ClickingAPathLabelChoosesAFolderForItsBox() {
        const QString chosen = Folder(QStringLiteral("chosen"));
        auto frm = Open();
        frm->PathBox(TSide::S)->setEditText(QStringLiteral("/before"));
        QString title;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            title = dialog->windowTitle();
            dialog->setDirectory(Dir.path());
            dialog->selectFile(chosen);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QTest::mouseClick(Part<QLabel>(*frm, "lblFilePathS"), Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("フォルダを選択して下さい"));
        QCOMPARE(frm->PathBox(TSide::S)->currentText(), chosen);
        QCOMPARE(frm->PathBox(TSide::S)->count(), 0);

        // Cancelling leaves the box as it was.
        QTimer::singleShot(0, this, [] {
            if (QWidget* dialog = QApplication::activeModalWidget())
                static_cast<QDialog*>(dialog)->reject();
        });
        frm->Actions().mnFileOpenS->trigger();
        QCOMPARE(frm->PathBox(TSide::S)->currentText(), chosen);

        // The folder dialog's button leads to a file dialog for a snapshot.
        const QString snapshot = Dir.filePath(QStringLiteral("before.mtree"));
        WriteBytes(snapshot, "#mtree\n. type=dir\n");
        TDialogDriver driver;
        QStringList titles;
        driver.OnFileDialog = [&](QFileDialog* dialog) {
            titles.append(dialog->windowTitle());
            if (auto* button = dialog->findChild<QPushButton*>(QStringLiteral("btnSnapshot"))) {
                button->click();
                return;
            }
            dialog->selectFile(snapshot);
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        };
        QTest::mouseClick(Part<QLabel>(*frm, "lblFilePathM"), Qt::LeftButton);
        QCOMPARE(titles,
                 QStringList({"フォルダを選択して下さい", "スナップショットを選択して下さい"}));
        QCOMPARE(frm->PathBox(TSide::M)->currentText(), snapshot);
    }
};

QTEST_MAIN(PathHistoryTest)
#include "PathHistoryTest.moc"

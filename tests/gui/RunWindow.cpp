#include "RunWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "TestFiles.h"
#include "platform/ThreadNice.h"
#include "window/TPanelBar.h"

namespace {

const QDateTime FixedTime(QDate(2020, 1, 2), QTime(12, 0, 0));

}  // namespace

void MakeTree(const QString& root, const QList<std::pair<QString, QByteArray>>& files) {
    QDir().mkpath(root);
    for (const auto& [name, contents] : files) {
        const QString path = root + QLatin1Char('/') + name;
        if (name.endsWith(QLatin1Char('/'))) {
            QDir().mkpath(path);
            continue;
        }
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        // The time is set after the bytes are written out: QFile buffers them
        // and writing them at close would make the time "now" again.
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(contents) != contents.size() || !file.flush() ||
            !file.setFileTime(FixedTime, QFileDevice::FileModificationTime))
            qFatal("cannot create %s", qPrintable(path));
    }
}

void MakeFiles(const QString& folder, const QString& prefix, int count) {
    QList<std::pair<QString, QByteArray>> files;
    for (int i = 0; i < count; ++i)
        files.append({prefix + QStringLiteral("%1.txt").arg(i, 3, 10, QLatin1Char('0')), "x"});
    MakeTree(folder, files);
}

void THeldRun::ReleaseAll() {
    Ending = true;
    Gate.release(1000);
}

void THeldRun::OnCompareBegin(TCompare* sender) {
    TComparisonRun::OnCompareBegin(sender);
    WorkerNice = platform::CurrentThreadNice();
    if (PauseAtBegin && !Ending)
        Gate.acquire();
}

void THeldRun::OnRowReady(TCompare* sender, int index, int equal, int different,
                          const TSearchRecEx* m, const TSearchRecEx* s, const TResultRow& row) {
    TComparisonRun::OnRowReady(sender, index, equal, different, m, s, row);
    if (index == PauseAtRow && !Ending)
        Gate.acquire();
}

RunWindow::RunWindow(const QString& settingsPath)
    : TfrmMain(settingsPath, std::make_unique<THeldRun>()),
      Held(static_cast<THeldRun&>(ComparisonRun())) {}

RunWindow::~RunWindow() {
    // Let a held worker go and end its run while the whole window still exists.
    Held.ReleaseAll();
    AbandonRun();
}

void RunWindow::Compare(const QString& pathM, const QString& pathS) {
    PathBox(TSide::M)->setEditText(pathM);
    PathBox(TSide::S)->setEditText(pathS);
    Key(Qt::Key_R);
}

void RunWindow::Key(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    // Shortcuts reach only the active window.
    if (!isActiveWindow()) {
        activateWindow();
        if (!QTest::qWaitForWindowActive(this, EventTimeoutMs))
            qWarning("the window did not become active");
    }
    QTest::keyClick(this, key, modifiers);
}

MessageBoxCatcher::MessageBoxCatcher(const TfrmMain* window) {
    Poll.setInterval(10);
    QObject::connect(&Poll, &QTimer::timeout, [this, window] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || Seen)
            return;
        Seen = true;
        Text = box->text();
        Icon = box->icon();
        WindowWasRunning = window->ComparisonRun().IsRunning();
        box->accept();
        Poll.stop();
    });
    Poll.start();
}

QStringList PanelTexts(const TPanelBar* bar) {
    QStringList texts;
    for (int i = 0; i < bar->PanelCount(); ++i)
        texts << bar->PanelText(i);
    return texts;
}

void TTestFolders::NextFolders(bool made) {
    static int n = 0;
    ++n;
    M = Dir.filePath(QStringLiteral("m%1").arg(n));
    S = Dir.filePath(QStringLiteral("s%1").arg(n));
    if (made) {
        QDir().mkpath(M);
        QDir().mkpath(S);
    }
}

int RowOf(const TfrmMain& frm, const QString& name) {
    for (int r = 1; r < GridRowCount(frm); ++r) {
        if (GridCell(frm, r, 0) == name || GridCell(frm, r, 2) == name)
            return r;
    }
    return -1;
}

int GridRowCount(const TfrmMain& frm) {
    return frm.Grid()->RowCount() + 1;
}

int CurrentGridRow(const TfrmMain& frm) {
    return frm.Grid()->CurrentRow() + 1;
}

QString GridCell(const TfrmMain& frm, int row, int column) {
    if (row == 0)
        return GridModel(frm)->headerData(column, Qt::Horizontal).toString();
    return frm.Grid()->Cell(row - 1, column);
}

bool SelectGridRow(TfrmMain& frm, int row) {
    return frm.Grid()->SelectRow(row - 1);
}

TVerdict GridRowVerdict(const TfrmMain& frm, int row) {
    return frm.Grid()->Verdict(row - 1);
}

const TSameGridModel* GridModel(const TfrmMain& frm) {
    return static_cast<const TSameGridModel*>(frm.Grid()->model());
}

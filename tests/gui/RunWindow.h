#pragma once

#include <atomic>
#include <functional>

#include <QMessageBox>
#include <QSemaphore>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include "run/TComparisonRun.h"
#include "window/TPathBox.h"
#include "window/TSameGrid.h"
#include "window/TSameGridModel.h"
#include "window/TStatusArea.h"
#include "window/TfrmMain.h"

// Helpers for window tests that run real comparisons on real folders.

// How long a window test waits for a comparison to end: generous, since the
// machine may be loaded.
constexpr int RunTimeoutMs = 30000;

// A test's folders: a temporary folder holding the settings file and, for
// each test, a fresh pair of folder names M and S (made by NextFolders,
// created on disk only when made is set).
struct TTestFolders {
    QTemporaryDir Dir;
    QString M, S;
    QString Settings() const { return Dir.filePath(QStringLiteral("Tandril.ini")); }
    void NextFolders(bool made = false);
};

// The grid as the tests count its rows, as a user does: row 0 is the header
// row and row r >= 1 is the grid's row r - 1 (TSameGrid counts from 0).
int GridRowCount(const TfrmMain& frm);
int CurrentGridRow(const TfrmMain& frm);
QString GridCell(const TfrmMain& frm, int row, int column);
bool SelectGridRow(TfrmMain& frm, int row);
TVerdict GridRowVerdict(const TfrmMain& frm, int row);
const TSameGridModel* GridModel(const TfrmMain& frm);

// A part of the window by its object name: toolbars, menus, the export
// button, labels and find buttons.
template <class T>
T* Part(const TfrmMain& frm, const char* name) {
    return frm.findChild<T*>(QString::fromLatin1(name));
}

// The grid row whose source or target name is name; -1 when none.
int RowOf(const TfrmMain& frm, const QString& name);

// Creates the files (path relative to root → contents) and their folders, all
// with one fixed modification time so that equal files compare equal. A path
// ending in "/" makes a folder.
void MakeTree(const QString& root, const QList<std::pair<QString, QByteArray>>& files);
// Creates `count` files named prefix000.txt, prefix001.txt, ... in folder.
void MakeFiles(const QString& folder, const QString& prefix, int count);

// The window's real comparison run, able to hold its worker at a chosen
// callback: the worker waits there until Release() (or the run's end), so that
// a test sees the window in mid-run deterministically.
class THeldRun : public TComparisonRun {
public:
    std::atomic<bool> PauseAtBegin{false};
    std::atomic<int> PauseAtRow{-1};
    // The worker's nice value, seen from inside its OnCompareBegin.
    std::atomic<int> WorkerNice{1000};
    // Puts the run into a state without running anything.
    using TComparisonRun::SetState;

    void Release() { Gate.release(); }
    // Lets a held worker go and every later one pass.
    void ReleaseAll();

    void OnCompareBegin(TCompare* sender) override;
    void OnRowReady(TCompare* sender, int index, int equal, int different, const TSearchRecEx* m,
                    const TSearchRecEx* s, const TResultRow& row) override;

private:
    QSemaphore Gate;
    std::atomic<bool> Ending{false};
};

// The real window over a THeldRun.
class RunWindow : public TfrmMain {
public:
    explicit RunWindow(const QString& settingsPath);
    ~RunWindow() override;

    THeldRun& Held;
    std::atomic<bool>& PauseAtBegin = Held.PauseAtBegin;
    std::atomic<int>& PauseAtRow = Held.PauseAtRow;
    std::atomic<int>& WorkerNice = Held.WorkerNice;

    void Release() { Held.Release(); }
    // Sets the two path boxes and starts a comparison with Ctrl+R.
    void Compare(const QString& pathM, const QString& pathS);
    // Types a key in the active window, as a user would.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier);
};

// Watches for a message box while the test's event loop runs, notes its text
// and icon and whether the window was running then, and closes it with OK.
class MessageBoxCatcher {
public:
    explicit MessageBoxCatcher(const TfrmMain* window);
    bool Seen = false;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    bool WindowWasRunning = false;

private:
    QTimer Poll;
};

// The texts of a panel bar's panels.
class TPanelBar;
QStringList PanelTexts(const TPanelBar* bar);

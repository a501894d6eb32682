#pragma once

#include <memory>
#include <optional>

#include <QMainWindow>
#include <QPoint>

#include "TResultRow.h"
#include "actions/TMainActions.h"
#include "actions/TMainBars.h"
#include "commands/CommandTypes.h"
#include "pairview/TPairDiff.h"
#include "run/TComparisonRun.h"
#include "run/TSnapshotRun.h"
#include "settings/AppOption.h"

class IShellStarter;
class QLabel;
class QPushButton;
class QToolBar;
class TExportDialog;
class TPathBox;
class TPathLabel;
class TSameGrid;
class TStatusArea;
struct TCursorRow;
struct TOptionFlag;
struct TRunEvent;
struct TWindowSettings;
namespace platform {
struct TCopyResult;
}

// The desktop program's one window: two path boxes with their histories, the
// result grid with its find buttons, the bars along the bottom edge, the menus
// and the two toolbars. It wires these widgets together and to its actions;
// each widget keeps its own state and tells what changed by signals. It runs
// its comparisons through one comparison run (TComparisonRun) for its whole
// life and carries out what the run tells it. Its options and layout are read
// from the settings file when it is made and written back when it closes.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window, then restores options, placement, histories and
    // toolbars from the settings file at settingsPath and shows the window.
    // The settings file is only read here.
    explicit TfrmMain(const QString& settingsPath, QWidget* parent = nullptr);
    // Stops a comparison still running, then destroys the engine.
    ~TfrmMain() override;

    TSameGrid* Grid() const { return sgrdSame; }
    TPathBox* PathBox(TSide side) const { return side == TSide::M ? cmbFilePathM : cmbFilePathS; }
    TStatusArea* StatusArea() const { return pnlBottom; }
    // Every action of the menus, the pop-up menus and the toolbars.
    const TMainActions& Actions() const { return MainActions; }
    TComparisonRun& ComparisonRun() const { return *Run; }
    // The options in force: what the option actions, the dialogs and the next
    // comparison read, and what closing writes.
    AppOption& Options() { return Option; }
    const AppOption& Options() const { return Option; }
    // The starter through which programs, files and web addresses are opened;
    // tests put in their own.
    void SetShell(std::shared_ptr<IShellStarter> shell) { ShellStarter = std::move(shell); }

protected:
    // The window over a comparison run of the caller's (which it owns).
    TfrmMain(const QString& settingsPath, std::unique_ptr<TComparisonRun> run,
             QWidget* parent = nullptr);
    // Ends a running comparison without carrying out its remaining effects.
    // For the window's end only (closing is refused during a run).
    void AbandonRun();

    // Enter on the grid opens the cursor row's pair (OpenCursorPair).
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Refused while a comparison runs; otherwise writes the settings file.
    void closeEvent(QCloseEvent* event) override;
    // The tool area's own pop-up menu: the two toolbar toggles.
    QMenu* createPopupMenu() override;

private:
    // --- TfrmMain.cpp: the widgets and their wiring ---
    QWidget* CreatePathArea();
    void ConnectWidgets();
    void ShowCursorRow(int row);
    // Enter or a double click on the grid: the comparison application when
    // the options choose it and it is configured, else the pair view.
    void OpenCursorPair();
    TPairDiffOptions PairViewOptions() const;
    void SetTopMost(bool flag);
    IShellStarter& Shell();

    // --- TfrmMainCommands.cpp: what each action does ---
    void ConnectActions();
    // The toggles of the options' truth values share one handler.
    void mnOptExecute(const TOptionFlag& flag);

    // --- TfrmMainSettings.cpp: the settings file ---
    void FormCreate();
    void FormClose();
    void PlaceToolBars(const TWindowSettings& settings);
    void RememberToolBarPlace(QToolBar* bar);
    void ShowToolBar(QToolBar* bar, bool shown);
    // Reads the export's last choice, exports the rows of verdict `only`
    // (all without one) through the save dialog and remembers the choice made.
    void ExportResults(const QString& title, std::optional<TVerdict> only);

    // --- TfrmMainRun.cpp: runs, clearing and the actions' states ---
    void StartComparison();
    void StopComparison();
    void ClearResults();
    void ApplyCompareBegin();
    void ApplyRows(const TRunEvent& rows);
    void ApplyCompareDone(int rows, int equal, int different);
    void ApplyCompareEnd();
    void ApplyRunState(TComparisonRun::TState state);
    // After a copy between the sides from the row: its pairs compared again,
    // their rows, the counts and the entry bars shown anew (not while a run
    // makes new rows), and what was copied said in the status bar.
    void ApplyCopy(const TCursorRow& row, const platform::TCopyResult& result);
    void SetOptionChecks();
    void UpdateOptionActionStates();
    void UpdateAppMenuItems();
    // The hide filter the options give, shown at once.
    void ShowHiddenRows();

    // The snapshot of the source box's tree: asks for the file and writes the
    // snapshot of the source box's folder (or snapshot) on a worker, with the
    // progress bar; Ctrl+B stops it.
    void SaveSnapshot();
    void ApplySnapshotProgress(qint64 written, qint64 total);
    void ApplySnapshotEnd(TSnapshotRun::TEnd end, const QString& message);
    // The actions and boxes while a snapshot is written, as during a run.
    void SetSnapshotRunning(bool running);
    // Copying between the sides needs files here on both: never with a snapshot
    // or a far side.
    void UpdateCopyActionStates();

    QString SettingsFile;
    AppOption Option;
    TMainActions MainActions;
    TMainBars Bars;
    std::shared_ptr<IShellStarter> ShellStarter;
    std::unique_ptr<TComparisonRun> Run;
    TSnapshotRun* Snapshot = nullptr;  // a child of the window
    int64_t SnapshotShown = 0;         // entries the progress bar has advanced by

    TPathLabel* lblFilePathM = nullptr;
    TPathLabel* lblFilePathS = nullptr;
    TPathBox* cmbFilePathM = nullptr;
    TPathBox* cmbFilePathS = nullptr;
    QPushButton* btnFindSameUp = nullptr;
    QPushButton* btnFindSameDown = nullptr;
    QPushButton* btnFindDiffUp = nullptr;
    QPushButton* btnFindDiffDown = nullptr;
    TSameGrid* sgrdSame = nullptr;
    TStatusArea* pnlBottom = nullptr;
    // The export's save dialog, made at the first export and kept, so that it
    // offers the last file name again.
    TExportDialog* SaveDialog = nullptr;
    // Places of the toolbars in the tool area (left, top), as last seen.
    QPoint PlaceMain;
    QPoint PlaceOption;
};

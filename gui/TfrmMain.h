#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QMainWindow>
#include <QPoint>

#include "commands/CommandTypes.h"
#include "commands/TCursorRow.h"
#include "commands/TMainActions.h"
#include "commands/TMainBars.h"
#include "settings/AppOption.h"

class IShellStarter;
struct TWindowSettings;
class QComboBox;
class QLabel;
class QMimeData;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;
class QToolBar;
class TCompare;
class TComparisonRun;
class TExportDialog;
class TPanelBar;
class TSameGridModel;
class TSameGridSelection;
struct TRunEvent;

// The desktop program's one window: two path boxes with their histories, the
// result grid, the find buttons, the information, message and counts bars, the
// menus and the two toolbars. It runs its comparisons through one comparison
// run (TComparisonRun) for its whole life and carries out what the run tells
// it. Its options and layout are read from the settings file when it is made
// and written back when it closes. What its actions do is one table
// (ConnectActions): the commands themselves are functions in gui/commands/
// over the cursor row, the options and a shell starter.
//
// The controls, actions, menus and toolbars are public members under their
// own names, as the fields of a form, so that the window tests reach them.
class TfrmMain : public QMainWindow, public TMainActions, public TMainBars {
    Q_OBJECT
public:
    // Builds the window, makes the engine, then restores options, placement,
    // histories and toolbars from the settings file at settingsPath and shows
    // the window (FormCreate). The settings file is only read here.
    explicit TfrmMain(const QString& settingsPath, QWidget* parent = nullptr);
    // FormDestroy: destroys the engine.
    ~TfrmMain() override;

    // --- Controls ---
    QWidget* pnlPath = nullptr;
    QLabel* lblFilePathM = nullptr;
    QLabel* lblFilePathS = nullptr;
    QComboBox* cmbFilePathM = nullptr;
    QComboBox* cmbFilePathS = nullptr;
    QLabel* lblFindSame = nullptr;  // "等価検索"
    QLabel* lblFindDiff = nullptr;  // "相違検索"
    QPushButton* btnFindSameUp = nullptr;
    QPushButton* btnFindSameDown = nullptr;
    QPushButton* btnFindDiffUp = nullptr;
    QPushButton* btnFindDiffDown = nullptr;
    QTableView* sgrdSame = nullptr;
    TSameGridModel* sgrdSameModel = nullptr;
    TSameGridSelection* sgrdSameSelection = nullptr;
    QWidget* pnlBottom = nullptr;
    TPanelBar* stbFileInfoHeader = nullptr;
    TPanelBar* stbFileInfoM = nullptr;
    TPanelBar* stbFileInfoS = nullptr;
    TPanelBar* stbMsg = nullptr;
    TPanelBar* stbSu = nullptr;
    QProgressBar* ProgressBar = nullptr;  // over stbSu's first panel, only during a run

    // --- State ---
    const AppOption& Options() const { return Option; }
    AppOption& Options() { return Option; }
    TCompare* Engine() const;
    const QString& SettingsPath() const { return SettingsFile; }
    // A comparison runs exactly while the start action is disabled.
    bool IsRunning() const;

    // --- Window lifecycle and settings sections ---
    // Whether the window may close: never while a comparison runs.
    bool FormCloseQuery() const;
    // Writes the "Form", option, "ToolBar" and "RecentFile" sections into the
    // settings file. Every failure is swallowed.
    void FormClose();
    // Keeps the window above all others, or stops doing so.
    void SetTopMost(bool flag);

    // --- Path histories ---
    // Sets the box's history limit (0..256) and its list.
    static void SetPathHistory(QComboBox* box, const QStringList& history, int limit);
    // The box's list, newest first.
    static QStringList PathHistory(const QComboBox* box);
    // Puts the trimmed text at the top of the box's list when it names an
    // existing folder, dropping the oldest entry of a full list.
    void AddPathHistory(QComboBox* box, const QString& text);
    static int HistoryLimit(const QComboBox* box);

    // --- Drops and path labels ---
    // Puts the first local file or folder of a drop into the box. Returns
    // whether the drop held one.
    bool WmDropFiles(QComboBox* box, const QMimeData* data);
    void HighlightLabel(QLabel* label);
    void UnhighlightLabel(QLabel* label);

    // --- Action states ---
    void SetRunningState(bool running);
    void UpdateOptionActionStates();
    void UpdateAppMenuItems();
    // Sets the checks of the hide and comparison-option actions from Option.
    void SetOptionChecks();

    // --- The result grid as the commands read it ---
    // Grid row 0 is the header; grid row r >= 1 shows result row r - 1.
    // Rows of the grid, the header included.
    int GridRowCount() const;
    // The grid's current row (from 1; the header is never current).
    int CurrentGridRow() const;
    // The text of a cell: the header texts in row 0; empty in a row that shows
    // no result and outside the grid.
    QString GridCell(int row, int column) const;
    // The verdict of the result a grid row shows; an empty row is different.
    TVerdict GridRowVerdict(int row) const;
    // Result rows that the grid shows and the engine holds: n of the selection
    // rule and the search. Below GetRowCount while rows are still on their way.
    int ResultRowCount() const;
    // The selection rule: whether grid row `row` may become current (refused
    // when there is no result or beyond row n + 1); when it may, shows the
    // row's two entries in the information bars.
    bool sgrdSameSelectCell(int column, int row);
    // Makes a grid row current through the selection rule; false when refused.
    bool SelectGridRow(int row);

    // --- Results, run and status ---
    void ClearResults();
    void ShowStatusMessage(const QString& text);
    void StartComparison();
    void StopComparison();
    void FindRow(int direction, TVerdict wanted);
    void ShowEntryInfo(TPanelBar* bar, const TSearchRecEx* entry);
    void ShowCounts(int total, int equal, int different, int throttleMs);
    // The system tick count in milliseconds that ShowCounts throttles by.
    std::function<qint64()> TickCount;

    // That side's entry of the grid row, or null (the header, an empty row).
    const TSearchRecEx* RowEntry(int row, TSide side) const;
    // The result rows the grid shows, in order: what the export writes.
    std::vector<const TResultRow*> ShownResults() const;

    // The starter through which programs, files and web addresses are opened;
    // tests put in their own.
    void SetShell(std::shared_ptr<IShellStarter> shell) { ShellStarter = std::move(shell); }

protected:
    // The window over a comparison run of the caller's (which it owns).
    TfrmMain(const QString& settingsPath, std::unique_ptr<TComparisonRun> run,
             QWidget* parent = nullptr);
    TComparisonRun& ComparisonRun() const { return *Run; }

    // Ends a running comparison without carrying out its remaining effects:
    // requests the stop and waits for the worker. For the window's end only
    // (closing is refused during a run, so normally nothing runs then).
    void AbandonRun();

    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The tool area's own pop-up menu: the two toolbar toggles.
    QMenu* createPopupMenu() override;

private:
    void CreateControls();
    void CreatePathArea();
    void CreateGrid();
    void CreateBottomPanel();
    // Connects every action to its handler.
    void ConnectActions();
    // The toggles of the options' truth values share one handler.
    void mnOptExecute(const TOptionFlag& flag);
    void ConnectControls();
    void LayoutPathArea();
    void LayoutBottomPanel();
    void RegisterDropTargets();

    void FormCreate();
    // Puts the toolbars into the tool area at their places and shows them.
    void PlaceToolBars(const TWindowSettings& settings);
    void RememberToolBarPlace(QToolBar* bar);
    void ShowToolBar(QToolBar* bar, bool shown);
    // Reads the export's last choice, exports through the save dialog and
    // remembers the choice made.
    void ExportResults(const QString& title, std::optional<TVerdict> only);
    // Shows the grid's rows through the hide filter the options give, at
    // once; the cursor stays on its row or goes to the nearest one shown.
    void ShowHiddenRows();
    // The grid's cursor row, for the row commands.
    TCursorRow CursorRow() const;
    IShellStarter& Shell();
    QComboBox* PathBoxOf(QObject* watched) const;
    bool PathLabelEvent(QLabel* label, QEvent* event);
    bool PathBoxDragEvent(QComboBox* box, QEvent* event);

    // What the run tells, on the window's thread.
    void ApplyCompareBegin();
    void ApplyListReady(int countM, int countS);
    void ApplyRows(const TRunEvent& rows);
    void ApplyCompareDone(int rows, int equal, int different);
    void ApplyCompareEnd();

    QString SettingsFile;
    AppOption Option;
    std::shared_ptr<IShellStarter> ShellStarter;
    // The export's save dialog, made at the first export and kept, so that it
    // offers the last file name again.
    TExportDialog* SaveDialog = nullptr;
    std::unique_ptr<TComparisonRun> Run;
    // Places of the toolbars in the tool area (left, top), as last seen.
    QPoint PlaceMain;
    QPoint PlaceOption;
    // ShowCounts' clock: the tick count of its last refresh, 0 before the first.
    qint64 CountsClock = 0;
};

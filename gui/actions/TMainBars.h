#pragma once

class QMainWindow;
class QMenu;
class QMenuBar;
class QToolBar;
class QToolButton;
struct TMainActions;

// The main menu, the grid's pop-up menu, the export drop-down and the two
// toolbars of the main window. They hold no logic: each entry shows one of
// the window's actions (TMainActions).
struct TMainBars {
    QMenuBar* MenuMain = nullptr;
    QMenu* PopupMenu = nullptr;    // the grid's pop-up menu
    QMenu* PopupExport = nullptr;  // the export button's drop-down
    QToolBar* ToolBarMain = nullptr;
    QToolBar* ToolBarOption = nullptr;
    QToolButton* tbtnExpCsv = nullptr;  // split button: mnFileExpCsv, arrow opens PopupExport

    // Fills the window's menu bar and makes the pop-up menus and the toolbars,
    // owned by the window. The toolbars are not yet in its tool area.
    void CreateBars(QMainWindow* window, const TMainActions& actions);
};

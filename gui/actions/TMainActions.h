#pragma once

#include <QList>

class QAction;
class QObject;

// Every command of the main window, each made once by CreateActions. The same
// action object sits in the main menu, the grid's pop-up menu, the export
// drop-down and the toolbars, so that its caption, enabled state and check mark
// are the same wherever it is shown.
struct TMainActions {
    // File
    QAction* mnFileNew = nullptr;
    QAction* mnFileOpenM = nullptr;
    QAction* mnFileOpenS = nullptr;
    QAction* mnFileExpCsv = nullptr;
    QAction* mnFileExpCsvSame = nullptr;
    QAction* mnFileExpCsvDiff = nullptr;
    // Writes the snapshot of the source box's folder.
    QAction* mnFileSnapshot = nullptr;
    QAction* mnFileComp = nullptr;
    QAction* mnFileCompStop = nullptr;
    QAction* mnFileExit = nullptr;
    // Edit and the grid's pop-up menu
    QAction* mnEditCopyRow = nullptr;
    QAction* mnEditCopyM = nullptr;
    QAction* mnEditCopyS = nullptr;
    QAction* mnPopUpCopyToS = nullptr;
    QAction* mnPopUpCopyToM = nullptr;
    QAction* mnEditOpenM = nullptr;
    QAction* mnEditOpenS = nullptr;
    // The pair view on the cursor row's two files; enabled when the row pairs two files.
    QAction* mnEditCompare = nullptr;
    QAction* mnPopUpApp = nullptr;  // the separator before the external applications
    QAction* mnPopUpApp1M = nullptr;
    QAction* mnPopUpApp1S = nullptr;
    QAction* mnPopUpApp2M = nullptr;
    QAction* mnPopUpApp2S = nullptr;
    QAction* mnPopUpAppCmp = nullptr;
    // View
    QAction* mnViewTBarMain = nullptr;
    QAction* mnViewTBarOption = nullptr;
    QAction* mnViewFront = nullptr;
    QAction* mnViewEndInfo = nullptr;
    QAction* mnViewSame = nullptr;  // hide equal rows; never with mnViewDiff
    QAction* mnViewDiff = nullptr;
    // Options
    QAction* mnOptSize = nullptr;
    QAction* mnOptAttr = nullptr;
    QAction* mnOptAttrR = nullptr;
    QAction* mnOptAttrH = nullptr;
    QAction* mnOptAttrS = nullptr;
    QAction* mnOptAttrA = nullptr;
    QAction* mnOptUpdYmdt = nullptr;
    QAction* mnOptUpdYmdtDir = nullptr;
    QAction* mnOptNaiyou = nullptr;
    QAction* mnOptKaigyou = nullptr;  // line ends and trailing blanks ignored
    // Opt-in verdicts: moved files, time shift, time tolerance, letter case.
    QAction* mnOptIdou = nullptr;
    QAction* mnOptJisa = nullptr;
    QAction* mnOptKyoyou = nullptr;
    QAction* mnOptDaishou = nullptr;
    QAction* mnOptExclude = nullptr;
    QAction* mnOptApp = nullptr;
    // Help
    QAction* mnHelpContents = nullptr;
    QAction* mnHelpVersionInfo = nullptr;
    QAction* mnHelpGoUrl_Dev = nullptr;
    QAction* mnHelpGoUrl_New = nullptr;

    // Makes every action, owned by owner, with its caption, hint (tool tip: the
    // part before "|"; status tip: the whole hint), shortcut, check mode and
    // its state at creation (SetActionIcons gives the icons): mnFileCompStop disabled, mnViewSame
    // and mnViewDiff disabled and checked, all others enabled and unchecked.
    void CreateActions(QObject* owner);

    // Every action (the separator included), in the order above.
    QList<QAction*> AllActions() const;
};

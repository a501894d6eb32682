// The main menu, the grid's pop-up menu, the export drop-down and the two
// toolbars. They hold no logic: each entry shows one of the window's actions.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "ActionIcons.h"
#include "TfrmMain.h"

namespace {

QMenu* AddMenu(QMenuBar* bar, const char* caption, std::initializer_list<QAction*> actions) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(caption));
    for (QAction* action : actions) {
        if (action == nullptr) {
            menu->addSeparator();
        } else {
            menu->addAction(action);
        }
    }
    return menu;
}

QToolBar* MakeToolBar(const char* name, const char* title, QWidget* parent) {
    auto* bar = new QToolBar(QString::fromUtf8(title), parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setMovable(true);
    bar->setFloatable(false);
    bar->setAllowedAreas(Qt::TopToolBarArea);
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return bar;
}

void AddActions(QToolBar* bar, std::initializer_list<QAction*> actions) {
    for (QAction* action : actions) {
        if (action == nullptr) {
            bar->addSeparator();
        } else {
            bar->addAction(action);
        }
    }
}

}  // namespace

void TfrmMain::CreateMenus() {
    constexpr QAction* Separator = nullptr;
    MenuMain = menuBar();
    MenuMain->setObjectName(QStringLiteral("MenuMain"));
    AddMenu(MenuMain, "ファイル(&F)",
            {mnFileNew, mnFileOpenM, mnFileOpenS, Separator, mnFileExpCsv, mnFileExpCsvSame,
             mnFileExpCsvDiff, Separator, mnFileComp, mnFileCompStop, Separator, mnFileExit});
    AddMenu(MenuMain, "編集(&E)",
            {mnEditCopyRow, mnEditCopyM, mnEditCopyS, Separator, mnPopUpCopyToS, mnPopUpCopyToM,
             Separator, mnEditOpenM, mnEditOpenS});
    QMenu* view = MenuMain->addMenu(QStringLiteral("表示(&V)"));
    QMenu* toolBars = view->addMenu(QStringLiteral("ツールバー(&T)"));
    toolBars->addAction(mnViewTBarMain);
    toolBars->addAction(mnViewTBarOption);
    view->addSeparator();
    view->addAction(mnViewFront);
    view->addAction(mnViewEndInfo);
    AddMenu(MenuMain, "オプション(&O)",
            {mnOptSize, mnOptAttr, mnOptAttrR, mnOptAttrH, mnOptAttrS, mnOptAttrA, mnOptUpdYmdt,
             mnOptUpdYmdtDir, mnOptNaiyou, Separator, mnOptApp});
    AddMenu(MenuMain, "ヘルプ(&H)",
            {mnHelpContents, mnHelpVersionInfo, Separator, mnHelpGoUrl_Dev, mnHelpGoUrl_New});

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    for (QAction* action :
         {mnEditCopyRow, mnEditCopyM, mnEditCopyS, Separator, mnPopUpCopyToS, mnPopUpCopyToM,
          Separator, mnEditOpenM, mnEditOpenS, mnPopUpApp, mnPopUpApp1M, mnPopUpApp1S, mnPopUpApp2M,
          mnPopUpApp2S, mnPopUpAppCmp}) {
        if (action == nullptr) {
            PopupMenu->addSeparator();
        } else {
            PopupMenu->addAction(action);
        }
    }

    PopupExport = new QMenu(this);
    PopupExport->setObjectName(QStringLiteral("PopupExport"));
    PopupExport->addAction(mnFileExpCsv);
    PopupExport->addAction(mnFileExpCsvSame);
    PopupExport->addAction(mnFileExpCsvDiff);
}

void TfrmMain::CreateToolBars() {
    constexpr QAction* Separator = nullptr;
    // Placed into the tool area by PlaceToolBars, in the order the settings give.
    ToolBarMain = MakeToolBar("ToolBarMain", "標準", this);
    AddActions(ToolBarMain, {mnFileNew, Separator, mnFileComp, mnFileCompStop, Separator});
    tbtnExpCsv = new QToolButton(ToolBarMain);
    tbtnExpCsv->setObjectName(QStringLiteral("tbtnExpCsv"));
    tbtnExpCsv->setDefaultAction(mnFileExpCsv);
    tbtnExpCsv->setMenu(PopupExport);
    tbtnExpCsv->setPopupMode(QToolButton::MenuButtonPopup);
    tbtnExpCsv->setAutoRaise(true);
    tbtnExpCsv->setIconSize(ToolBarMain->iconSize());
    ToolBarMain->addWidget(tbtnExpCsv);
    AddActions(ToolBarMain,
               {Separator, mnEditCopyRow, mnEditCopyM, mnEditCopyS, Separator, mnViewFront,
                mnViewEndInfo, Separator, mnHelpContents, mnHelpVersionInfo});

    ToolBarOption = MakeToolBar("ToolBarOption", "オプション", this);
    AddActions(ToolBarOption,
               {mnOptSize, Separator, mnOptAttr, mnOptAttrR, mnOptAttrH, mnOptAttrS, mnOptAttrA,
                Separator, mnOptUpdYmdt, Separator, mnOptUpdYmdtDir, Separator, mnOptNaiyou});
    ShowPressedToggles(ToolBarMain);
    ShowPressedToggles(ToolBarOption);
}

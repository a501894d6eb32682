#include "TMainBars.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "ActionIcons.h"
#include "TMainActions.h"

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

void TMainBars::CreateBars(QMainWindow* window, const TMainActions& actions) {
    constexpr QAction* Separator = nullptr;
    const TMainActions& a = actions;
    MenuMain = window->menuBar();
    MenuMain->setObjectName(QStringLiteral("MenuMain"));
    AddMenu(MenuMain, "ファイル(&F)",
            {a.mnFileNew, a.mnFileOpenM, a.mnFileOpenS, Separator, a.mnFileExpCsv,
             a.mnFileExpCsvSame, a.mnFileExpCsvDiff, a.mnFileSnapshot, Separator, a.mnFileComp,
             a.mnFileCompStop, Separator, a.mnFileExit});
    AddMenu(
        MenuMain, "編集(&E)",
        {a.mnEditCopyRow, a.mnEditCopyM, a.mnEditCopyS, Separator, a.mnPopUpCopyToS,
         a.mnPopUpCopyToM, Separator, a.mnEditOpenM, a.mnEditOpenS, Separator, a.mnEditCompare});
    QMenu* view = MenuMain->addMenu(QStringLiteral("表示(&V)"));
    QMenu* toolBars = view->addMenu(QStringLiteral("ツールバー(&T)"));
    toolBars->addAction(a.mnViewTBarMain);
    toolBars->addAction(a.mnViewTBarOption);
    view->addSeparator();
    view->addAction(a.mnViewFront);
    view->addAction(a.mnViewEndInfo);
    view->addSeparator();
    view->addAction(a.mnViewSame);
    view->addAction(a.mnViewDiff);
    AddMenu(
        MenuMain, "オプション(&O)",
        {a.mnOptSize, a.mnOptAttr, a.mnOptAttrR, a.mnOptAttrH, a.mnOptAttrS, a.mnOptAttrA,
         a.mnOptUpdYmdt, a.mnOptUpdYmdtDir, a.mnOptNaiyou, a.mnOptKaigyou, Separator, a.mnOptIdou,
         a.mnOptJisa, a.mnOptKyoyou, a.mnOptDaishou, Separator, a.mnOptExclude, a.mnOptApp});
    AddMenu(
        MenuMain, "ヘルプ(&H)",
        {a.mnHelpContents, a.mnHelpVersionInfo, Separator, a.mnHelpGoUrl_Dev, a.mnHelpGoUrl_New});

    PopupMenu = new QMenu(window);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    for (QAction* action :
         {a.mnEditCopyRow, a.mnEditCopyM, a.mnEditCopyS, Separator, a.mnPopUpCopyToS,
          a.mnPopUpCopyToM, Separator, a.mnEditCompare, a.mnEditOpenM, a.mnEditOpenS, a.mnPopUpApp,
          a.mnPopUpApp1M, a.mnPopUpApp1S, a.mnPopUpApp2M, a.mnPopUpApp2S, a.mnPopUpAppCmp}) {
        if (action == nullptr) {
            PopupMenu->addSeparator();
        } else {
            PopupMenu->addAction(action);
        }
    }

    PopupExport = new QMenu(window);
    PopupExport->setObjectName(QStringLiteral("PopupExport"));
    PopupExport->addAction(a.mnFileExpCsv);
    PopupExport->addAction(a.mnFileExpCsvSame);
    PopupExport->addAction(a.mnFileExpCsvDiff);

    // Placed into the tool area by PlaceToolBars, in the order the settings give.
    ToolBarMain = MakeToolBar("ToolBarMain", "標準", window);
    AddActions(ToolBarMain, {a.mnFileNew, Separator, a.mnFileComp, a.mnFileCompStop, Separator});
    tbtnExpCsv = new QToolButton(ToolBarMain);
    tbtnExpCsv->setObjectName(QStringLiteral("tbtnExpCsv"));
    tbtnExpCsv->setDefaultAction(a.mnFileExpCsv);
    tbtnExpCsv->setMenu(PopupExport);
    tbtnExpCsv->setPopupMode(QToolButton::MenuButtonPopup);
    tbtnExpCsv->setAutoRaise(true);
    tbtnExpCsv->setIconSize(ToolBarMain->iconSize());
    ToolBarMain->addWidget(tbtnExpCsv);
    AddActions(ToolBarMain,
               {Separator, a.mnEditCopyRow, a.mnEditCopyM, a.mnEditCopyS, Separator, a.mnViewFront,
                a.mnViewEndInfo, Separator, a.mnHelpContents, a.mnHelpVersionInfo});

    ToolBarOption = MakeToolBar("ToolBarOption", "オプション", window);
    AddActions(ToolBarOption, {a.mnOptSize, Separator, a.mnOptAttr, a.mnOptAttrR, a.mnOptAttrH,
                               a.mnOptAttrS, a.mnOptAttrA, Separator, a.mnOptUpdYmdt, Separator,
                               a.mnOptUpdYmdtDir, Separator, a.mnOptNaiyou, a.mnOptKaigyou,
                               Separator, a.mnOptIdou, a.mnOptJisa, a.mnOptKyoyou, a.mnOptDaishou});
    ShowPressedToggles(ToolBarMain);
    ShowPressedToggles(ToolBarOption);
}

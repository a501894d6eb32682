// Where the two toolbars sit in the tool area and whether they are shown
// (the "ToolBar" section of the settings file).
//
// The tool area is a row of toolbar lines. A toolbar's place is its left and
// top in pixels inside that area; on restoring, two toolbars whose tops differ
// by less than half a toolbar's height share a line, ordered by their lefts,
// otherwise the upper one gets the first line. The toolkit then packs each
// line from the left.
#include <cstdlib>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "TfrmMain.h"
#include "settings/WindowSettings.h"

namespace {
constexpr int SameLineTolerance = 12;
}  // namespace

void TfrmMain::PlaceToolBars(const TWindowSettings& settings) {
    PlaceMain = settings.PlaceMain;
    PlaceOption = settings.PlaceOption;

    const bool sameLine = std::abs(PlaceMain.y() - PlaceOption.y()) < SameLineTolerance;
    const bool mainFirst =
        sameLine ? PlaceMain.x() <= PlaceOption.x() : PlaceMain.y() < PlaceOption.y();
    QToolBar* first = mainFirst ? ToolBarMain : ToolBarOption;
    QToolBar* second = mainFirst ? ToolBarOption : ToolBarMain;
    addToolBar(Qt::TopToolBarArea, first);
    if (!sameLine)
        addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, second);

    mnViewTBarMain->setChecked(settings.VisibleMain);
    mnViewTBarOption->setChecked(settings.VisibleOption);
    ShowToolBar(ToolBarMain, settings.VisibleMain);
    ShowToolBar(ToolBarOption, settings.VisibleOption);
}

void TfrmMain::RememberToolBarPlace(QToolBar* bar) {
    // A hidden toolbar has no place of its own: it keeps the one last seen.
    if (!bar->isVisible())
        return;
    const QWidget* menu = menuWidget();
    const int areaTop = menu && menu->isVisible() ? menu->geometry().bottom() + 1 : 0;
    const QPoint place(bar->x(), bar->y() - areaTop);
    (bar == ToolBarMain ? PlaceMain : PlaceOption) = place;
}

QMenu* TfrmMain::createPopupMenu() {
    auto* menu = new QMenu(this);
    menu->addAction(mnViewTBarMain);
    menu->addAction(mnViewTBarOption);
    return menu;
}

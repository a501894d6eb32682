// The "ToolBar" section: where the two toolbars sit in the tool area and
// whether they are shown.
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
#include "settings/IniFile.h"

namespace {
constexpr const char* ToolBarSection = "ToolBar";
constexpr QPoint BuiltInPlaceMain(11, 2);
constexpr QPoint BuiltInPlaceOption(328, 2);
constexpr int SameLineTolerance = 12;
}  // namespace

void TfrmMain::LoadToolBars(const IniFile& ini) {
    PlaceMain = QPoint(ini.ReadInteger(ToolBarSection, "Left1", BuiltInPlaceMain.x()),
                       ini.ReadInteger(ToolBarSection, "Top1", BuiltInPlaceMain.y()));
    PlaceOption = QPoint(ini.ReadInteger(ToolBarSection, "Left2", BuiltInPlaceOption.x()),
                         ini.ReadInteger(ToolBarSection, "Top2", BuiltInPlaceOption.y()));

    const bool sameLine = std::abs(PlaceMain.y() - PlaceOption.y()) < SameLineTolerance;
    const bool mainFirst =
        sameLine ? PlaceMain.x() <= PlaceOption.x() : PlaceMain.y() < PlaceOption.y();
    QToolBar* first = mainFirst ? ToolBarMain : ToolBarOption;
    QToolBar* second = mainFirst ? ToolBarOption : ToolBarMain;
    addToolBar(Qt::TopToolBarArea, first);
    if (!sameLine)
        addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, second);

    mnViewTBarMain->setChecked(ini.ReadBool(ToolBarSection, "Visible1", true));
    mnViewTBarOption->setChecked(ini.ReadBool(ToolBarSection, "Visible2", true));
    mnViewTBarMainExecute();
    mnViewTBarOptionExecute();
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

void TfrmMain::SaveToolBars(IniFile& ini) {
    RememberToolBarPlace(ToolBarMain);
    RememberToolBarPlace(ToolBarOption);
    ini.WriteInteger(ToolBarSection, "Top1", PlaceMain.y());
    ini.WriteInteger(ToolBarSection, "Left1", PlaceMain.x());
    ini.WriteInteger(ToolBarSection, "Top2", PlaceOption.y());
    ini.WriteInteger(ToolBarSection, "Left2", PlaceOption.x());
    ini.WriteBool(ToolBarSection, "Visible1", mnViewTBarMain->isChecked());
    ini.WriteBool(ToolBarSection, "Visible2", mnViewTBarOption->isChecked());
}

QMenu* TfrmMain::createPopupMenu() {
    auto* menu = new QMenu(this);
    menu->addAction(mnViewTBarMain);
    menu->addAction(mnViewTBarOption);
    return menu;
}

// The window's actions: enabling and check rules, the running state, the
// external-application items of the pop-up menu, and where actions are shown.
#include <memory>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "DialogDriver.h"
#include "RecordingShell.h"
#include "RunWindow.h"
#include "TestFiles.h"
#include "window/TfrmMain.h"

namespace {

// The visible entries of the pop-up menu after "比較先ファイルを開く", as object
// names ("-" for a separator).
QStringList AppItemsShown(TfrmMain& frm) {
    QStringList shown;
    bool after = false;
    for (QAction* action : frm.Grid()->PopupMenu()->actions()) {
        if (action == frm.Actions().mnEditOpenS) {
            after = true;
            continue;
        }
        if (!after || !action->isVisible())
            continue;
        shown << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    }
    return shown;
}

// Pixels of two pictures of one size that differ by more than a third of the
// scale in some colour channel: what a glance tells apart, unlike a shade.
int ClearlyDifferentPixels(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int row = 0; row < std::min(x.height(), y.height()); ++row) {
        for (int column = 0; column < std::min(x.width(), y.width()); ++column) {
            const QRgb p = x.pixel(column, row), q = y.pixel(column, row);
            if (std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q))}) > 85)
                ++count;
        }
    }
    return count;
}

}  // namespace

class MainWindowActionsTest : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;
    QString Path() const { return Dir.filePath(QStringLiteral("Tandril.ini")); }
    std::unique_ptr<TfrmMain> Open() { return std::make_unique<TfrmMain>(Path()); }

private slots:
    void init() { QFile::remove(Path()); }

    void AllAttributesSwitchesTheSingleAttributesOff() {
        auto frm = Open();
        frm->Actions().mnOptAttrH->trigger();  // a check that must survive
        frm->Actions().mnOptAttr->trigger();
        QVERIFY(frm->Options().Compare.IgnoreAttr);
        for (QAction* a : {frm->Actions().mnOptAttrR, frm->Actions().mnOptAttrH,
                           frm->Actions().mnOptAttrS, frm->Actions().mnOptAttrA})
            QVERIFY(!a->isEnabled());
        QVERIFY(frm->Actions().mnOptAttrR->isChecked() && frm->Actions().mnOptAttrH->isChecked());
        QVERIFY(!frm->Actions().mnOptAttrS->isChecked() && frm->Actions().mnOptAttrA->isChecked());
        frm->Actions().mnOptAttr->trigger();
        for (QAction* a : {frm->Actions().mnOptAttrR, frm->Actions().mnOptAttrH,
                           frm->Actions().mnOptAttrS, frm->Actions().mnOptAttrA})
            QVERIFY(a->isEnabled());
        QVERIFY(frm->Actions().mnOptAttrH->isChecked() && frm->Options().Compare.IgnoreAttrH);
    }

    void FolderTimeAndSizeNeedsTimeOrSize() {
        auto frm = Open();
        frm->Actions().mnOptUpdYmdt->trigger();
        QVERIFY(frm->Actions().mnOptUpdYmdtDir->isEnabled());
        frm->Actions().mnOptSize->trigger();
        QVERIFY(!frm->Actions().mnOptUpdYmdtDir->isEnabled());
        QVERIFY(frm->Actions().mnOptUpdYmdtDir->isChecked());  // its check stays
        frm->Actions().mnOptUpdYmdt->trigger();
        QVERIFY(frm->Actions().mnOptUpdYmdtDir->isEnabled());
        frm->Actions().mnOptUpdYmdt->trigger();
        frm->Actions().mnOptSize->trigger();
        QVERIFY(frm->Actions().mnOptUpdYmdtDir->isEnabled());
        QVERIFY(frm->Options().Compare.IgnoreTime && !frm->Options().Compare.IgnoreSize);
    }

    void TogglesKeepTheirFieldsEqual() {
        auto frm = Open();
        // Those that others disable go first.
        for (QAction* action :
             {frm->Actions().mnOptAttrR, frm->Actions().mnOptAttrH, frm->Actions().mnOptAttrS,
              frm->Actions().mnOptAttrA, frm->Actions().mnOptUpdYmdtDir, frm->Actions().mnOptNaiyou,
              frm->Actions().mnOptKaigyou, frm->Actions().mnOptSize, frm->Actions().mnOptAttr,
              frm->Actions().mnOptUpdYmdt})
            action->trigger();
        const TCompareOption& o = frm->Options().Compare;
        QVERIFY(o.IgnoreSize && o.IgnoreAttr && !o.IgnoreAttrR && o.IgnoreAttrH && o.IgnoreAttrS);
        QVERIFY(!o.IgnoreAttrA && o.IgnoreTime && !o.IgnoreDirTimeSize && o.SkipContents);
        QVERIFY(o.IgnoreLineEnds);
        // "新規" sets the checks from the record again.
        frm->Options().Compare.SkipContents = false;
        frm->Actions().mnFileNew->trigger();
        QVERIFY(!frm->Actions().mnOptNaiyou->isChecked());
        QVERIFY(frm->Actions().mnOptSize->isChecked());
    }

    void RunningDisablesStartResetExportAndOptions() {
        auto frm = std::make_unique<RunWindow>(Path());
        frm->Actions().mnOptAttr->trigger();
        frm->Held.SetState(TComparisonRun::TState::Running);
        QVERIFY(frm->ComparisonRun().IsRunning());
        QVERIFY(!frm->PathBox(TSide::M)->isEnabled() && !frm->PathBox(TSide::S)->isEnabled());
        for (QAction* a :
             {frm->Actions().mnFileNew, frm->Actions().mnFileOpenM, frm->Actions().mnFileOpenS,
              frm->Actions().mnFileComp, frm->Actions().mnFileExpCsv,
              frm->Actions().mnFileExpCsvSame, frm->Actions().mnFileExpCsvDiff,
              frm->Actions().mnFileExit, frm->Actions().mnViewSame, frm->Actions().mnViewDiff,
              frm->Actions().mnOptExclude})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        for (QAction* a : OptionActions(frm->Actions(), TOptionFlag::TGroup::Compare))
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        QVERIFY(frm->Actions().mnFileCompStop->isEnabled());
        // Row commands, window toggles, the dialog and help stay usable.
        for (QAction* a :
             {frm->Actions().mnEditCopyRow, frm->Actions().mnEditCopyM, frm->Actions().mnEditCopyS,
              frm->Actions().mnPopUpCopyToS, frm->Actions().mnPopUpCopyToM,
              frm->Actions().mnEditOpenM, frm->Actions().mnEditOpenS, frm->Actions().mnViewTBarMain,
              frm->Actions().mnViewFront, frm->Actions().mnViewEndInfo, frm->Actions().mnOptApp,
              frm->Actions().mnHelpContents, frm->Actions().mnHelpVersionInfo,
              frm->Actions().mnHelpGoUrl_Dev})
            QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));

        // Closing is refused without a word, and nothing is written.
        QVERIFY(!frm->close());
        QVERIFY(frm->isVisible());
        QVERIFY(!QFile::exists(Path()));

        frm->Held.SetState(TComparisonRun::TState::Idle);
        QVERIFY(!frm->ComparisonRun().IsRunning());
        QVERIFY(frm->PathBox(TSide::M)->isEnabled());
        QVERIFY(!frm->Actions().mnFileCompStop->isEnabled());
        QVERIFY(frm->Actions().mnViewSame->isEnabled() && frm->Actions().mnViewDiff->isEnabled());
        // The enabling rules apply again: all attributes are still ignored.
        QVERIFY(!frm->Actions().mnOptAttrR->isEnabled());
        QVERIFY(frm->Actions().mnOptAttr->isEnabled());
        QVERIFY(frm->close());
    }

    void HideTogglesExcludeEachOther() {
        auto frm = Open();
        // Enabled whenever nothing runs, checked from the settings.
        QVERIFY(frm->Actions().mnViewSame->isEnabled() && frm->Actions().mnViewDiff->isEnabled());
        QVERIFY(!frm->Actions().mnViewSame->isChecked() && !frm->Actions().mnViewDiff->isChecked());
        frm->Actions().mnViewSame->trigger();
        frm->Actions().mnViewSame->trigger();
        QVERIFY(!frm->Options().SameOff && !frm->Options().DiffOff);
        frm->Actions().mnViewDiff->trigger();
        frm->Actions().mnViewSame->trigger();
        QVERIFY(frm->Options().SameOff && frm->Actions().mnViewSame->isChecked());
        QVERIFY(!frm->Options().DiffOff && !frm->Actions().mnViewDiff->isChecked());
        frm->Actions().mnViewDiff->trigger();
        QVERIFY(frm->Options().DiffOff && !frm->Options().SameOff);
        QVERIFY(!frm->Actions().mnViewSame->isChecked());
    }

    void NoExternalApplicationShowsNoItem() {
        auto frm = Open();
        QVERIFY(AppItemsShown(*frm).isEmpty());
    }

    void OnlyApplicationOneShowsItsTwoItemsAfterTheSeparator() {
        WriteLines(Path(), {"[Application]", "Title1=差分ツール", "Path1=/usr/bin/diffuse"});
        auto frm = Open();
        QCOMPARE(AppItemsShown(*frm), QStringList({"-", "mnPopUpApp1M", "mnPopUpApp1S"}));
        QCOMPARE(frm->Actions().mnPopUpApp1M->text(), QStringLiteral("比較元を開く → 差分ツール"));
        QCOMPARE(frm->Actions().mnPopUpApp1S->text(), QStringLiteral("比較先を開く → 差分ツール"));
        QVERIFY(frm->Actions().mnPopUpApp1M->isEnabled());
    }

    void OnlyTheComparisonApplicationFollowsWithoutSeparator() {
        WriteLines(Path(), {"[Application]", "CompTitle=Meld で比較", "CompPath=meld ?m ?s"});
        auto frm = Open();
        QCOMPARE(AppItemsShown(*frm), QStringList({"mnPopUpAppCmp"}));
        QCOMPARE(frm->Actions().mnPopUpAppCmp->text(), QStringLiteral("Meld で比較"));
        // Changed and read again: application 2 joins, with the separator.
        WriteLines(Path(), {"[Application]", "Title2=gedit", "Path2=/usr/bin/gedit"});
        frm = Open();
        QCOMPARE(AppItemsShown(*frm), QStringList({"-", "mnPopUpApp2M", "mnPopUpApp2S"}));
    }

    void ToolBarsShowActionsWithIconsAndShortTips() {
        auto frm = Open();
        int shown = 0;
        for (QToolBar* bar :
             {Part<QToolBar>(*frm, "ToolBarMain"), Part<QToolBar>(*frm, "ToolBarOption")}) {
            for (QAction* action : bar->actions()) {
                if (action->isSeparator())
                    continue;
                QWidget* button = bar->widgetForAction(action);
                QVERIFY(button);
                auto* tool = qobject_cast<QToolButton*>(button);
                QVERIFY(tool);
                QAction* shownAction = tool->defaultAction();
                QVERIFY2(!shownAction->icon().isNull(), qPrintable(shownAction->objectName()));
                QVERIFY(!shownAction->toolTip().contains(QLatin1Char('|')));
                ++shown;
            }
        }
        QCOMPARE(shown, 11 + 14);
        QCOMPARE(Part<QToolButton>(*frm, "tbtnExpCsv")->defaultAction(),
                 frm->Actions().mnFileExpCsv);
        QCOMPARE(Part<QToolButton>(*frm, "tbtnExpCsv")->menu(), Part<QMenu>(*frm, "PopupExport"));
        QCOMPARE(frm->Actions().mnEditCopyRow->toolTip(), QStringLiteral("カーソル行をコピー"));
        QCOMPARE(frm->Actions().mnEditCopyRow->statusTip(),
                 QStringLiteral("カーソル行をコピー|カーソル行をクリップボードにコピー"));
    }

    void CheckedTogglesStandOutInMenusAndOnToolBars() {
        auto frm = Open();
        // Every toggle with an icon: a check mark in its menu, a button on its
        // toolbar that a glance tells pressed from raised.
        for (QAction* toggle :
             OptionActions(frm->Actions(), TOptionFlag::TGroup::Compare) +
                 QList{frm->Actions().mnViewFront, frm->Actions().mnViewEndInfo}) {
            QMenu* menu = nullptr;
            QToolButton* button = nullptr;
            for (QObject* shown : toggle->associatedObjects()) {
                if (auto* m = qobject_cast<QMenu*>(shown))
                    menu = m;
                if (auto* bar = qobject_cast<QToolBar*>(shown))
                    button = qobject_cast<QToolButton*>(bar->widgetForAction(toggle));
            }
            QVERIFY2(menu && button, qPrintable(toggle->objectName()));
            menu->resize(menu->sizeHint());
            const auto pictures = [&] {
                return std::pair{menu->grab(menu->actionGeometry(toggle)).toImage(),
                                 button->grab().toImage()};
            };
            toggle->setChecked(false);
            const auto [menuOff, buttonOff] = pictures();
            toggle->setChecked(true);
            QVERIFY(button->isChecked());
            const auto [menuOn, buttonOn] = pictures();
            // A check mark is a dozen pixels or more; a pressed button's
            // outline runs round at least half of it.
            QVERIFY2(ClearlyDifferentPixels(menuOff, menuOn) >= 12,
                     qPrintable(toggle->objectName()));
            QVERIFY2(
                ClearlyDifferentPixels(buttonOff, buttonOn) >= button->width() + button->height(),
                qPrintable(toggle->objectName()));
        }
    }

    void ShortcutsReachTheirActions() {
        auto frm = Open();
        // The commands run for real: their refusals are answered, nothing is started.
        TDialogDriver driver;
        frm->SetShell(std::make_shared<TRecordingShell>());
        frm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frm.get(), EventTimeoutMs));
        struct Case {
            QAction* action;
            QKeyCombination key;
        };
        // Ctrl+R on the empty path boxes is refused with a message box: close it.
        QTimer closer;
        connect(&closer, &QTimer::timeout, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->accept();
        });
        closer.start(10);
        const Case cases[] = {{frm->Actions().mnFileNew, Qt::CTRL | Qt::Key_N},
                              {frm->Actions().mnViewEndInfo, Qt::CTRL | Qt::Key_I},
                              {frm->Actions().mnEditCopyRow, Qt::CTRL | Qt::ALT | Qt::Key_C},
                              {frm->Actions().mnHelpContents, QKeyCombination(Qt::Key_F1)},
                              {frm->Actions().mnFileComp, Qt::CTRL | Qt::Key_R}};
        for (const Case& c : cases) {
            // A refusal's box may have taken the activation away.
            frm->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(frm.get(), EventTimeoutMs));
            QSignalSpy spy(c.action, &QAction::triggered);
            QTest::keyClick(frm->PathBox(TSide::M)->lineEdit(), c.key.key(),
                            c.key.keyboardModifiers());
            QCOMPARE(spy.count(), 1);
        }
        // A disabled action's shortcut does nothing.
        frm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frm.get(), EventTimeoutMs));
        QSignalSpy stop(frm->Actions().mnFileCompStop, &QAction::triggered);
        QTest::keyClick(frm->PathBox(TSide::M)->lineEdit(), Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(stop.count(), 0);
        // Shift+F10 opens the grid's pop-up menu, as the Menu key does.
        frm->Grid()->setFocus();
        QTest::keyClick(frm->Grid(), Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(frm->Grid()->PopupMenu()->isVisible());
        frm->Grid()->PopupMenu()->hide();
    }

    void MenusHoldTheirActionsOnce() {
        auto frm = Open();
        // Every action is reachable from a menu or the pop-up menu.
        QSet<QAction*> reachable;
        std::function<void(QMenu*)> collect = [&](QMenu* menu) {
            for (QAction* action : menu->actions()) {
                reachable.insert(action);
                if (action->menu())
                    collect(action->menu());
            }
        };
        for (QAction* top : frm->menuBar()->actions())
            collect(top->menu());
        collect(frm->Grid()->PopupMenu());
        for (QAction* action : frm->Actions().AllActions())
            QVERIFY2(reachable.contains(action), qPrintable(action->objectName()));
        QCOMPARE(frm->menuBar()->actions().size(), 5);
    }
};

QTEST_MAIN(MainWindowActionsTest)
#include "MainWindowActionsTest.moc"

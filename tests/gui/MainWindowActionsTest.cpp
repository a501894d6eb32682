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
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "DialogDriver.h"
#include "RecordingShell.h"
#include "TestFiles.h"
#include "TfrmMain.h"

namespace {

// The visible entries of the pop-up menu after "比較先ファイルを開く", as object
// names ("-" for a separator).
QStringList AppItemsShown(TfrmMain& frm) {
    QStringList shown;
    bool after = false;
    for (QAction* action : frm.PopupMenu->actions()) {
        if (action == frm.mnEditOpenS) {
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
        frm->mnOptAttrH->trigger();  // a check that must survive
        frm->mnOptAttr->trigger();
        QVERIFY(frm->Options().Compare.IgnoreAttr);
        for (QAction* a : {frm->mnOptAttrR, frm->mnOptAttrH, frm->mnOptAttrS, frm->mnOptAttrA})
            QVERIFY(!a->isEnabled());
        QVERIFY(frm->mnOptAttrR->isChecked() && frm->mnOptAttrH->isChecked());
        QVERIFY(!frm->mnOptAttrS->isChecked() && frm->mnOptAttrA->isChecked());
        frm->mnOptAttr->trigger();
        for (QAction* a : {frm->mnOptAttrR, frm->mnOptAttrH, frm->mnOptAttrS, frm->mnOptAttrA})
            QVERIFY(a->isEnabled());
        QVERIFY(frm->mnOptAttrH->isChecked() && frm->Options().Compare.IgnoreAttrH);
    }

    void FolderTimeAndSizeNeedsTimeOrSize() {
        auto frm = Open();
        frm->mnOptUpdYmdt->trigger();
        QVERIFY(frm->mnOptUpdYmdtDir->isEnabled());
        frm->mnOptSize->trigger();
        QVERIFY(!frm->mnOptUpdYmdtDir->isEnabled());
        QVERIFY(frm->mnOptUpdYmdtDir->isChecked());  // its check stays
        frm->mnOptUpdYmdt->trigger();
        QVERIFY(frm->mnOptUpdYmdtDir->isEnabled());
        frm->mnOptUpdYmdt->trigger();
        frm->mnOptSize->trigger();
        QVERIFY(frm->mnOptUpdYmdtDir->isEnabled());
        QVERIFY(frm->Options().Compare.IgnoreTime && !frm->Options().Compare.IgnoreSize);
    }

    void TogglesKeepTheirFieldsEqual() {
        auto frm = Open();
        // Those that others disable go first.
        for (QAction* action : {frm->mnOptAttrR, frm->mnOptAttrH, frm->mnOptAttrS, frm->mnOptAttrA,
                                frm->mnOptUpdYmdtDir, frm->mnOptNaiyou, frm->mnOptKaigyou,
                                frm->mnOptSize, frm->mnOptAttr, frm->mnOptUpdYmdt})
            action->trigger();
        const TCompareOption& o = frm->Options().Compare;
        QVERIFY(o.IgnoreSize && o.IgnoreAttr && !o.IgnoreAttrR && o.IgnoreAttrH && o.IgnoreAttrS);
        QVERIFY(!o.IgnoreAttrA && o.IgnoreTime && !o.IgnoreDirTimeSize && o.SkipContents);
        QVERIFY(o.IgnoreLineEnds);
        // "新規" sets the checks from the record again.
        frm->Options().Compare.SkipContents = false;
        frm->mnFileNew->trigger();
        QVERIFY(!frm->mnOptNaiyou->isChecked());
        QVERIFY(frm->mnOptSize->isChecked());
    }

    void RunningDisablesStartResetExportAndOptions() {
        auto frm = Open();
        frm->mnOptAttr->trigger();
        frm->SetRunningState(true);
        QVERIFY(frm->IsRunning());
        QVERIFY(!frm->cmbFilePathM->isEnabled() && !frm->cmbFilePathS->isEnabled());
        for (QAction* a : {frm->mnFileNew, frm->mnFileOpenM, frm->mnFileOpenS, frm->mnFileComp,
                           frm->mnFileExpCsv, frm->mnFileExpCsvSame, frm->mnFileExpCsvDiff,
                           frm->mnFileExit, frm->mnViewSame, frm->mnViewDiff, frm->mnOptExclude})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        for (QAction* a : OptionActions(*frm, TOptionFlag::TGroup::Compare))
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        QVERIFY(frm->mnFileCompStop->isEnabled());
        // Row commands, window toggles, the dialog and help stay usable.
        for (QAction* a :
             {frm->mnEditCopyRow, frm->mnEditCopyM, frm->mnEditCopyS, frm->mnPopUpCopyToS,
              frm->mnPopUpCopyToM, frm->mnEditOpenM, frm->mnEditOpenS, frm->mnViewTBarMain,
              frm->mnViewFront, frm->mnViewEndInfo, frm->mnOptApp, frm->mnHelpContents,
              frm->mnHelpVersionInfo, frm->mnHelpGoUrl_Dev})
            QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));

        // Closing is refused without a word, and nothing is written.
        QVERIFY(!frm->close());
        QVERIFY(frm->isVisible());
        QVERIFY(!QFile::exists(Path()));

        frm->SetRunningState(false);
        QVERIFY(!frm->IsRunning());
        QVERIFY(frm->cmbFilePathM->isEnabled());
        QVERIFY(!frm->mnFileCompStop->isEnabled());
        QVERIFY(frm->mnViewSame->isEnabled() && frm->mnViewDiff->isEnabled());
        // The enabling rules apply again: all attributes are still ignored.
        QVERIFY(!frm->mnOptAttrR->isEnabled());
        QVERIFY(frm->mnOptAttr->isEnabled());
        QVERIFY(frm->close());
    }

    void HideTogglesExcludeEachOther() {
        auto frm = Open();
        // Enabled whenever nothing runs, checked from the settings.
        QVERIFY(frm->mnViewSame->isEnabled() && frm->mnViewDiff->isEnabled());
        QVERIFY(!frm->mnViewSame->isChecked() && !frm->mnViewDiff->isChecked());
        frm->mnViewSame->trigger();
        frm->mnViewSame->trigger();
        QVERIFY(!frm->Options().SameOff && !frm->Options().DiffOff);
        frm->mnViewDiff->trigger();
        frm->mnViewSame->trigger();
        QVERIFY(frm->Options().SameOff && frm->mnViewSame->isChecked());
        QVERIFY(!frm->Options().DiffOff && !frm->mnViewDiff->isChecked());
        frm->mnViewDiff->trigger();
        QVERIFY(frm->Options().DiffOff && !frm->Options().SameOff);
        QVERIFY(!frm->mnViewSame->isChecked());
    }

    void NoExternalApplicationShowsNoItem() {
        auto frm = Open();
        QVERIFY(AppItemsShown(*frm).isEmpty());
    }

    void OnlyApplicationOneShowsItsTwoItemsAfterTheSeparator() {
        WriteLines(Path(), {"[Application]", "Title1=差分ツール", "Path1=/usr/bin/diffuse"});
        auto frm = Open();
        QCOMPARE(AppItemsShown(*frm), QStringList({"-", "mnPopUpApp1M", "mnPopUpApp1S"}));
        QCOMPARE(frm->mnPopUpApp1M->text(), QStringLiteral("比較元を開く → 差分ツール"));
        QCOMPARE(frm->mnPopUpApp1S->text(), QStringLiteral("比較先を開く → 差分ツール"));
        QVERIFY(frm->mnPopUpApp1M->isEnabled());
    }

    void OnlyTheComparisonApplicationFollowsWithoutSeparator() {
        WriteLines(Path(), {"[Application]", "CompTitle=Meld で比較", "CompPath=meld ?m ?s"});
        auto frm = Open();
        QCOMPARE(AppItemsShown(*frm), QStringList({"mnPopUpAppCmp"}));
        QCOMPARE(frm->mnPopUpAppCmp->text(), QStringLiteral("Meld で比較"));
        // Changed in memory and applied again: application 2 joins, with the separator.
        frm->Options().Path2 = QStringLiteral("/usr/bin/gedit");
        frm->Options().Title2 = QStringLiteral("gedit");
        frm->Options().CompPath.clear();
        frm->UpdateAppMenuItems();
        QCOMPARE(AppItemsShown(*frm), QStringList({"-", "mnPopUpApp2M", "mnPopUpApp2S"}));
    }

    void ToolBarsShowActionsWithIconsAndShortTips() {
        auto frm = Open();
        int shown = 0;
        for (QToolBar* bar : {frm->ToolBarMain, frm->ToolBarOption}) {
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
        QCOMPARE(shown, 11 + 10);
        QCOMPARE(frm->tbtnExpCsv->defaultAction(), frm->mnFileExpCsv);
        QCOMPARE(frm->tbtnExpCsv->menu(), frm->PopupExport);
        QCOMPARE(frm->mnEditCopyRow->toolTip(), QStringLiteral("カーソル行をコピー"));
        QCOMPARE(frm->mnEditCopyRow->statusTip(),
                 QStringLiteral("カーソル行をコピー|カーソル行をクリップボードにコピー"));
    }

    void CheckedTogglesStandOutInMenusAndOnToolBars() {
        auto frm = Open();
        // Every toggle with an icon: a check mark in its menu, a button on its
        // toolbar that a glance tells pressed from raised.
        for (QAction* toggle : OptionActions(*frm, TOptionFlag::TGroup::Compare) +
                                   QList{frm->mnViewFront, frm->mnViewEndInfo}) {
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
        const Case cases[] = {{frm->mnFileNew, Qt::CTRL | Qt::Key_N},
                              {frm->mnViewEndInfo, Qt::CTRL | Qt::Key_I},
                              {frm->mnEditCopyRow, Qt::CTRL | Qt::ALT | Qt::Key_C},
                              {frm->mnHelpContents, QKeyCombination(Qt::Key_F1)},
                              {frm->mnFileComp, Qt::CTRL | Qt::Key_R}};
        for (const Case& c : cases) {
            // A refusal's box may have taken the activation away.
            frm->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(frm.get(), EventTimeoutMs));
            QSignalSpy spy(c.action, &QAction::triggered);
            QTest::keyClick(frm->cmbFilePathM->lineEdit(), c.key.key(), c.key.keyboardModifiers());
            QCOMPARE(spy.count(), 1);
        }
        // A disabled action's shortcut does nothing.
        frm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frm.get(), EventTimeoutMs));
        QSignalSpy stop(frm->mnFileCompStop, &QAction::triggered);
        QTest::keyClick(frm->cmbFilePathM->lineEdit(), Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(stop.count(), 0);
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
        for (QAction* top : frm->MenuMain->actions())
            collect(top->menu());
        collect(frm->PopupMenu);
        for (QAction* action : frm->AllActions())
            QVERIFY2(reachable.contains(action), qPrintable(action->objectName()));
        QCOMPARE(frm->MenuMain->actions().size(), 5);
    }
};

QTEST_MAIN(MainWindowActionsTest)
#include "MainWindowActionsTest.moc"

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
        QVERIFY(frm->Options().Attr);
        for (QAction* a : {frm->mnOptAttrR, frm->mnOptAttrH, frm->mnOptAttrS, frm->mnOptAttrA})
            QVERIFY(!a->isEnabled());
        QVERIFY(frm->mnOptAttrR->isChecked() && frm->mnOptAttrH->isChecked());
        QVERIFY(!frm->mnOptAttrS->isChecked() && frm->mnOptAttrA->isChecked());
        frm->mnOptAttr->trigger();
        for (QAction* a : {frm->mnOptAttrR, frm->mnOptAttrH, frm->mnOptAttrS, frm->mnOptAttrA})
            QVERIFY(a->isEnabled());
        QVERIFY(frm->mnOptAttrH->isChecked() && frm->Options().AttrH);
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
        QVERIFY(frm->Options().UpdYmdt && !frm->Options().Size);
    }

    void TogglesKeepTheirFieldsEqual() {
        auto frm = Open();
        // Those that others disable go first.
        for (QAction* action : {frm->mnOptAttrR, frm->mnOptAttrH, frm->mnOptAttrS, frm->mnOptAttrA,
                                frm->mnOptUpdYmdtDir, frm->mnOptNaiyou, frm->mnOptSize,
                                frm->mnOptAttr, frm->mnOptUpdYmdt})
            action->trigger();
        const AppOption& o = frm->Options();
        QVERIFY(o.Size && o.Attr && !o.AttrR && o.AttrH && o.AttrS && !o.AttrA && o.UpdYmdt);
        QVERIFY(!o.UpdYmdtDir && o.Naiyou);
        // "新規" sets the checks from the record again.
        frm->Options().Naiyou = false;
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
                           frm->mnFileExit, frm->mnViewSame, frm->mnViewDiff})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        for (QAction* a : frm->CompareOptionActions())
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
        // Disabled and cleared from the settings until the first run ends.
        QVERIFY(!frm->mnViewSame->isEnabled());
        QVERIFY(!frm->mnViewSame->isChecked() && !frm->mnViewDiff->isChecked());
        frm->SetRunningState(false);
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
        QCOMPARE(shown, 11 + 9);
        QCOMPARE(frm->tbtnExpCsv->defaultAction(), frm->mnFileExpCsv);
        QCOMPARE(frm->tbtnExpCsv->menu(), frm->PopupExport);
        QCOMPARE(frm->mnEditCopyRow->toolTip(), QStringLiteral("カーソル行をコピー"));
        QCOMPARE(frm->mnEditCopyRow->statusTip(),
                 QStringLiteral("カーソル行をコピー|カーソル行をクリップボードにコピー"));
        // A checked toggle shows as a pressed button.
        auto* attrR =
            qobject_cast<QToolButton*>(frm->ToolBarOption->widgetForAction(frm->mnOptAttrR));
        QVERIFY(attrR->isChecked());
    }

    void ShortcutsReachTheirActions() {
        auto frm = Open();
        // The commands run for real: their refusals are answered, nothing is started.
        TDialogDriver driver;
        frm->SetShell(std::make_shared<TRecordingShell>());
        frm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frm.get()));
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
            QVERIFY(QTest::qWaitForWindowActive(frm.get()));
            QSignalSpy spy(c.action, &QAction::triggered);
            QTest::keyClick(frm->cmbFilePathM->lineEdit(), c.key.key(), c.key.keyboardModifiers());
            QCOMPARE(spy.count(), 1);
        }
        // A disabled action's shortcut does nothing.
        frm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frm.get()));
        QSignalSpy stop(frm->mnFileCompStop, &QAction::triggered);
        QTest::keyClick(frm->cmbFilePathM->lineEdit(), Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(stop.count(), 0);
    }

    void MenusHoldTheirActionsOnce() {
        auto frm = Open();
        // Every action but the hide toggles is reachable from a menu or the pop-up menu.
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
        for (QAction* action : frm->AllActions()) {
            const bool hidden = action == frm->mnViewSame || action == frm->mnViewDiff;
            QVERIFY2(reachable.contains(action) != hidden, qPrintable(action->objectName()));
        }
        QCOMPARE(frm->MenuMain->actions().size(), 5);
    }
};

QTEST_MAIN(MainWindowActionsTest)
#include "MainWindowActionsTest.moc"

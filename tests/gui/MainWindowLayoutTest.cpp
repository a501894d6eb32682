// The window's controls as a user meets them: focus order, accelerators, the
// fixed texts of the bars and buttons, and what follows a resize.
#include <memory>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "RunWindow.h"
#include "TestFiles.h"
#include "window/TPanelBar.h"
#include "window/TfrmMain.h"

namespace {

QStringList Texts(const TPanelBar* bar) {
    QStringList texts;
    for (int i = 0; i < bar->PanelCount(); ++i)
        texts << bar->PanelText(i);
    return texts;
}

}  // namespace

class MainWindowLayoutTest : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;
    std::unique_ptr<TfrmMain> Open() {
        auto frm = std::make_unique<TfrmMain>(Dir.filePath(QStringLiteral("Tandril.ini")));
        frm->activateWindow();
        if (!QTest::qWaitForWindowActive(frm.get(), EventTimeoutMs))
            qWarning("the window did not become active");
        return frm;
    }

private slots:
    void TabVisitsBoxesGridThenFindButtons() {
        auto frm = Open();
        frm->PathBox(TSide::M)->setFocus();
        QVERIFY(frm->PathBox(TSide::M)->hasFocus());
        const QList<QWidget*> order = {frm->PathBox(TSide::S),
                                       frm->Grid(),
                                       Part<QPushButton>(*frm, "btnFindSameUp"),
                                       Part<QPushButton>(*frm, "btnFindSameDown"),
                                       Part<QPushButton>(*frm, "btnFindDiffUp"),
                                       Part<QPushButton>(*frm, "btnFindDiffDown")};
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY2(next->hasFocus() || next->isAncestorOf(QApplication::focusWidget()),
                     qPrintable(next->objectName()));
        }
    }

    void LabelAcceleratorsFocusTheirBoxes() {
        auto frm = Open();
        frm->Grid()->setFocus();
        QTest::keyClick(frm.get(), Qt::Key_T, Qt::AltModifier);
        QVERIFY(frm->PathBox(TSide::S)->hasFocus());
        QTest::keyClick(frm.get(), Qt::Key_M, Qt::AltModifier);
        QVERIFY(frm->PathBox(TSide::M)->hasFocus());
    }

    void FixedTextsOfButtonsAndBars() {
        auto frm = Open();
        QCOMPARE(Part<QLabel>(*frm, "lblFilePathM")->text(), QStringLiteral("比較元のパス(&M)"));
        QCOMPARE(Part<QLabel>(*frm, "lblFilePathS")->text(), QStringLiteral("比較先のパス(&T)"));
        QCOMPARE(Part<QLabel>(*frm, "lblFindSame")->text(), QStringLiteral("等価検索"));
        QCOMPARE(Part<QLabel>(*frm, "lblFindDiff")->text(), QStringLiteral("相違検索"));
        QCOMPARE(Part<QPushButton>(*frm, "btnFindDiffDown")->text(), QStringLiteral("▼ (&N)"));
        QCOMPARE(Part<QPushButton>(*frm, "btnFindSameUp")->toolTip(),
                 QStringLiteral("上に向かって等価ファイルを探します"));
        QCOMPARE(Texts(frm->StatusArea()->HeaderBar()),
                 QStringList({"<<詳細>>", "サイズ ", "属性", "更新日時", "作成日時", "アクセス日",
                              " フルパス"}));
        QCOMPARE(Texts(frm->StatusArea()->EntryBar(TSide::M)),
                 QStringList({"比較元 :", "", "", "", "", "", ""}));
        QCOMPARE(Texts(frm->StatusArea()->EntryBar(TSide::S)).first(), QStringLiteral("比較先 :"));
        QCOMPARE(frm->StatusArea()->CountsBar()->PanelCount(), 4);
        QCOMPARE(Texts(frm->StatusArea()->CountsBar()), QStringList({"", "", "", ""}));
        // The counts panels hold seven-digit counts whole, separators and all.
        const QStringList labels = {"総数:", "等価:", "相違:"};
        for (int i = 0; i < labels.size(); ++i) {
            const QLabel* panel = frm->StatusArea()->CountsBar()->Panel(i);
            QVERIFY(panel->width() >= 70);
            QVERIFY2(panel->contentsRect().width() >=
                         panel->fontMetrics().horizontalAdvance(labels[i] + "1,003,000"),
                     qPrintable(labels[i]));
        }
    }

    void ResizingStretchesBoxesAndKeepsTheRightEdgeControls() {
        auto frm = Open();
        frm->resize(900, 500);
        QTRY_COMPARE_WITH_TIMEOUT(frm->width(), 900, EventTimeoutMs);
        const int right = frm->centralWidget()->width();
        QCOMPARE(frm->PathBox(TSide::M)->geometry().right() + 1, right - 116);
        QCOMPARE(Part<QPushButton>(*frm, "btnFindDiffDown")->geometry().left(), right - 52);
        // The counts bar, all its panels inside, at the right edge; the message
        // bar takes the rest.
        QCOMPARE(frm->StatusArea()->CountsBar()->geometry().right() + 1, right);
        QVERIFY(frm->StatusArea()->CountsBar()->Panel(3)->geometry().right() <
                frm->StatusArea()->CountsBar()->width());
        QCOMPARE(frm->StatusArea()->MessageBar()->geometry().right(),
                 frm->StatusArea()->CountsBar()->x());
        QCOMPARE(frm->StatusArea()->EntryBar(TSide::M)->width(), right);
        // The bars' panels never make the window wider than the user wants it.
        frm->resize(300, 300);
        QTRY_COMPARE_WITH_TIMEOUT(frm->width(), std::max(300, frm->minimumSizeHint().width()),
                                  EventTimeoutMs);
        QVERIFY(frm->minimumSizeHint().width() < 685);
    }
};

QTEST_MAIN(MainWindowLayoutTest)
#include "MainWindowLayoutTest.moc"

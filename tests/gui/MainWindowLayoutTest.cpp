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

#include "TPanelBar.h"
#include "TestFiles.h"
#include "TfrmMain.h"

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
        frm->cmbFilePathM->setFocus();
        QVERIFY(frm->cmbFilePathM->hasFocus());
        const QList<QWidget*> order = {frm->cmbFilePathS,  frm->sgrdSame,
                                       frm->btnFindSameUp, frm->btnFindSameDown,
                                       frm->btnFindDiffUp, frm->btnFindDiffDown};
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY2(next->hasFocus() || next->isAncestorOf(QApplication::focusWidget()),
                     qPrintable(next->objectName()));
        }
    }

    void LabelAcceleratorsFocusTheirBoxes() {
        auto frm = Open();
        frm->sgrdSame->setFocus();
        QTest::keyClick(frm.get(), Qt::Key_T, Qt::AltModifier);
        QVERIFY(frm->cmbFilePathS->hasFocus());
        QTest::keyClick(frm.get(), Qt::Key_M, Qt::AltModifier);
        QVERIFY(frm->cmbFilePathM->hasFocus());
    }

    void FixedTextsOfButtonsAndBars() {
        auto frm = Open();
        QCOMPARE(frm->lblFilePathM->text(), QStringLiteral("比較元のパス(&M)"));
        QCOMPARE(frm->lblFilePathS->text(), QStringLiteral("比較先のパス(&T)"));
        QCOMPARE(frm->lblFindSame->text(), QStringLiteral("等価検索"));
        QCOMPARE(frm->lblFindDiff->text(), QStringLiteral("相違検索"));
        QCOMPARE(frm->btnFindDiffDown->text(), QStringLiteral("▼ (&N)"));
        QCOMPARE(frm->btnFindSameUp->toolTip(),
                 QStringLiteral("上に向かって等価ファイルを探します"));
        QCOMPARE(Texts(frm->stbFileInfoHeader),
                 QStringList({"<<詳細>>", "サイズ ", "属性", "更新日時", "作成日時", "アクセス日",
                              " フルパス"}));
        QCOMPARE(Texts(frm->stbFileInfoM), QStringList({"比較元 :", "", "", "", "", "", ""}));
        QCOMPARE(Texts(frm->stbFileInfoS).first(), QStringLiteral("比較先 :"));
        QCOMPARE(frm->stbSu->PanelCount(), 4);
        QCOMPARE(Texts(frm->stbSu), QStringList({"", "", "", ""}));
        // The counts panels hold seven-digit counts whole, separators and all.
        const QStringList labels = {"総数:", "等価:", "相違:"};
        for (int i = 0; i < labels.size(); ++i) {
            const QLabel* panel = frm->stbSu->Panel(i);
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
        QCOMPARE(frm->cmbFilePathM->geometry().right() + 1, right - 116);
        QCOMPARE(frm->btnFindDiffDown->geometry().left(), right - 52);
        // The counts bar, all its panels inside, at the right edge; the message
        // bar takes the rest.
        QCOMPARE(frm->stbSu->geometry().right() + 1, right);
        QVERIFY(frm->stbSu->Panel(3)->geometry().right() < frm->stbSu->width());
        QCOMPARE(frm->stbMsg->geometry().right(), frm->stbSu->x());
        QCOMPARE(frm->stbFileInfoM->width(), right);
        // The bars' panels never make the window wider than the user wants it.
        frm->resize(300, 300);
        QTRY_COMPARE_WITH_TIMEOUT(frm->width(), std::max(300, frm->minimumSizeHint().width()),
                                  EventTimeoutMs);
        QVERIFY(frm->minimumSizeHint().width() < 685);
    }
};

QTEST_MAIN(MainWindowLayoutTest)
#include "MainWindowLayoutTest.moc"

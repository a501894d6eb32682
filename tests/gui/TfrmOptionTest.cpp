// The external-applications dialog: its checks in order with their focus,
// trimming, limits, the program chooser, and the pop-up menu after OK.
#include <memory>

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "DialogDriver.h"
#include "TestFiles.h"
#include "TfrmMain.h"
#include "settings/TfrmOption.h"

class TfrmOptionTest : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;

    static void Fill(TfrmOption& dialog, const QStringList& texts) {
        QLineEdit* boxes[] = {dialog.edtApp1Title, dialog.edtApp1Path,    dialog.edtApp2Title,
                              dialog.edtApp2Path,  dialog.edtAppCmpTitle, dialog.edtAppCmpPath};
        for (int i = 0; i < 6; ++i)
            boxes[i]->setText(texts.value(i));
    }

private slots:
    void ChecksRunInGroupOrderAndStopAtTheFirstFailure() {
        AppOption option;
        TfrmOption dialog(nullptr, option);
        dialog.show();
        TDialogDriver driver;
        // Application 1 passes; application 2's title holds "&"; the
        // comparison group would fail too but is never reached.
        Fill(dialog,
             {QStringLiteral("Editor"), QStringLiteral("/usr/bin/editor"), QStringLiteral("a&b"),
              QStringLiteral("/usr/bin/b"), QStringLiteral("cmp"), QString()});
        dialog.OKBtn->click();
        QCOMPARE(driver.Messages, QStringList({QStringLiteral("記号 & は使用できません")}));
        QCOMPARE(dialog.focusWidget(), dialog.edtApp2Title);
        QVERIFY(dialog.isVisible() && dialog.result() != QDialog::Accepted);
        QVERIFY(option.Title1.isEmpty() && option.Path1.isEmpty());

        dialog.edtApp2Title->setText(QStringLiteral("ab"));
        dialog.OKBtn->click();
        QCOMPARE(driver.Messages.last(), QStringLiteral("プログラムが未入力です"));
        QCOMPARE(dialog.focusWidget(), dialog.edtAppCmpPath);

        dialog.edtAppCmpTitle->clear();
        dialog.edtApp1Title->clear();
        dialog.OKBtn->click();
        QCOMPARE(driver.Messages.last(), QStringLiteral("タイトルが未入力です"));
        QCOMPARE(dialog.focusWidget(), dialog.edtApp1Title);
        QCOMPARE(driver.Messages.size(), 3);
        QVERIFY(option.Path1.isEmpty());
    }

    void FirstTwoGroupsAreTrimmedTheComparisonGroupIsNot() {
        AppOption option;
        TfrmOption dialog(nullptr, option);
        TDialogDriver driver;
        // A title of blanks only is empty once trimmed; the trimming stays in
        // the boxes although the check fails.
        Fill(dialog, {QStringLiteral(" \t "), QStringLiteral("  /usr/bin/a\t"), QString(),
                      QString(), QStringLiteral(" cmp "), QStringLiteral("   ")});
        dialog.OKBtn->click();
        QCOMPARE(driver.Messages, QStringList({QStringLiteral("タイトルが未入力です")}));
        QCOMPARE(dialog.edtApp1Title->text(), QString());
        QCOMPARE(dialog.edtApp1Path->text(), QStringLiteral("/usr/bin/a"));
        // A full-width blank is no blank to the trimming.
        dialog.edtApp1Title->setText(QStringLiteral("\u3000エディタ "));
        dialog.OKBtn->click();
        QCOMPARE(driver.Messages.size(), 1);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(option.Title1, QStringLiteral("\u3000エディタ"));
        QCOMPARE(option.Path1, QStringLiteral("/usr/bin/a"));
        // The comparison program of blanks only passes and is kept as typed.
        QCOMPARE(option.CompTitle, QStringLiteral(" cmp "));
        QCOMPARE(option.CompPath, QStringLiteral("   "));
    }

    void TitlesTakeThirtyCharacters() {
        AppOption option;
        TfrmOption dialog(nullptr, option);
        for (QLineEdit* title : {dialog.edtApp1Title, dialog.edtApp2Title, dialog.edtAppCmpTitle}) {
            QTest::keyClicks(title, QString(31, QLatin1Char('x')));
            QCOMPARE(title->text().size(), 30);
        }
        QTest::keyClicks(dialog.edtApp1Path, QString(300, QLatin1Char('p')));
        QCOMPARE(dialog.edtApp1Path->text().size(), 300);
    }

    void ProgramLabelReplacesTheWholeTemplate() {
        const QString program = Dir.filePath(QStringLiteral("my diff"));
        WriteBytes(program, "#!/bin/sh\n");
        AppOption option;
        option.CompTitle = QStringLiteral("diff");
        option.CompPath = QStringLiteral("/usr/bin/diff ?m ?s");
        TfrmOption dialog(nullptr, option);
        dialog.show();
        TDialogDriver driver;
        driver.OnFileDialog = [&](QFileDialog* files) {
            files->selectFile(program);
            static_cast<QDialog*>(files)->accept();
        };
        QTest::mouseClick(dialog.lblAppCmpPath, Qt::LeftButton);
        QCOMPARE(dialog.edtAppCmpPath->text(), program);
        QCOMPARE(dialog.focusWidget(), dialog.edtAppCmpPath);
        // Cancelled: the text stays, the focus still moves.
        driver.OnFileDialog = [](QFileDialog* files) { files->reject(); };
        dialog.edtApp1Title->setFocus();
        QTest::mouseClick(dialog.lblApp2Path, Qt::LeftButton);
        QCOMPARE(dialog.edtApp2Path->text(), QString());
        QCOMPARE(dialog.focusWidget(), dialog.edtApp2Path);
        // Nothing reached the record.
        QCOMPARE(option.CompPath, QStringLiteral("/usr/bin/diff ?m ?s"));
    }

    void OkUpdatesThePopUpMenuCancelChangesNothing() {
        TfrmMain frm(Dir.filePath(QStringLiteral("Tandril.ini")));
        TDialogDriver driver;
        driver.OnDialog = [](QDialog* dialog) {
            auto* options = qobject_cast<TfrmOption*>(dialog);
            QVERIFY(options != nullptr);
            options->edtApp1Title->setText(QStringLiteral("Viewer"));
            options->edtApp1Path->setText(QStringLiteral("/usr/bin/viewer"));
            options->edtAppCmpTitle->setText(QStringLiteral("比較"));
            options->edtAppCmpPath->setText(QStringLiteral("meld ?m ?s"));
            options->OKBtn->click();
        };
        frm.mnOptApp->trigger();
        QCOMPARE(frm.Options().Path1, QStringLiteral("/usr/bin/viewer"));
        QVERIFY(frm.mnPopUpApp1M->isVisible() && frm.mnPopUpApp->isVisible());
        QCOMPARE(frm.mnPopUpApp1S->text(), QStringLiteral("比較先を開く → Viewer"));
        QVERIFY(frm.mnPopUpAppCmp->isVisible() && !frm.mnPopUpApp2M->isVisible());

        driver.OnDialog = [](QDialog* dialog) {
            auto* options = qobject_cast<TfrmOption*>(dialog);
            QCOMPARE(options->edtApp1Path->text(), QStringLiteral("/usr/bin/viewer"));
            options->edtApp1Path->clear();
            options->CancelBtn->click();
        };
        frm.mnOptApp->trigger();
        QCOMPARE(frm.Options().Path1, QStringLiteral("/usr/bin/viewer"));

        // All six boxes empty: OK closes, and no application item is left.
        driver.OnDialog = [](QDialog* dialog) {
            auto* options = qobject_cast<TfrmOption*>(dialog);
            for (QLineEdit* box : options->findChildren<QLineEdit*>())
                box->clear();
            options->OKBtn->click();
        };
        frm.mnOptApp->trigger();
        QVERIFY(driver.Messages.isEmpty());
        for (QAction* item : {frm.mnPopUpApp, frm.mnPopUpApp1M, frm.mnPopUpApp1S, frm.mnPopUpApp2M,
                              frm.mnPopUpApp2S, frm.mnPopUpAppCmp})
            QVERIFY(!item->isVisible());
    }
};

QTEST_MAIN(TfrmOptionTest)
#include "TfrmOptionTest.moc"

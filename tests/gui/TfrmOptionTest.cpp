// The external-applications dialog: its checks in order with their focus,
// trimming, limits, the program chooser, and the pop-up menu after OK.
#include <memory>

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "DialogDriver.h"
#include "RunWindow.h"
#include "TExcludeFilter.h"
#include "TestFiles.h"
#include "dialogs/TfrmOption.h"
#include "window/TPanelBar.h"
#include "window/TSameGridModel.h"
#include "window/TfrmMain.h"

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

    void ExcludeBoxRefusesMalformedPatternsWithTheEnginesReason_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("line");         // of the refused pattern, -1 for none
        QTest::addColumn<QString>("pattern");  // the refused one
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("unclosed set") << "*.o\nsrc/[ab" << 1 << "src/[ab" << QStringList();
        QTest::newRow("negation") << "\n!keep  " << 1 << "!keep" << QStringList();
        QTest::newRow("backslash at the end") << "a\\" << 0 << "a\\" << QStringList();
        QTest::newRow("blank, comment and trimmed lines")
            << "cache/  \r\n\n# [note\n*.o\n[ab]c\n a\\ \t" << -1 << ""
            << QStringList{"cache/", "*.o", "[ab]c", " a\\ "};
        QTest::newRow("none") << "\n \n" << -1 << "" << QStringList();
    }

    void ExcludeBoxRefusesMalformedPatternsWithTheEnginesReason() {
        QFETCH(QString, text);
        QFETCH(int, line);
        QFETCH(QString, pattern);
        QFETCH(QStringList, kept);
        AppOption option;
        option.Compare.Exclude = {"old/"};
        TfrmOption dialog(nullptr, option);
        QCOMPARE(dialog.memExclude->toPlainText(), QStringLiteral("old/"));
        dialog.show();
        TDialogDriver driver;
        dialog.memExclude->setPlainText(text);
        dialog.OKBtn->click();
        if (line < 0) {
            QVERIFY(driver.Messages.isEmpty());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            std::vector<std::string> patterns;
            for (const QString& p : kept)
                patterns.push_back(p.toStdString());
            QCOMPARE(option.Compare.Exclude, patterns);
            return;
        }
        const QString reason =
            QString::fromStdString(TExcludeFilter::CheckPattern(pattern.toStdString()));
        QVERIFY(!reason.isEmpty());
        QCOMPARE(driver.Messages,
                 QStringList({QStringLiteral("除外するパターンの %1 行目「%2」: %3")
                                  .arg(line + 1)
                                  .arg(pattern, reason)}));
        // The refused line is shown selected, and nothing reached the record.
        QCOMPARE(dialog.pgcOption->currentWidget(), dialog.tabExclude);
        QCOMPARE(dialog.focusWidget(), dialog.memExclude);
        QCOMPARE(dialog.memExclude->textCursor().blockNumber(), line);
        QVERIFY(dialog.memExclude->textCursor().selectedText().contains(pattern));
        QVERIFY(dialog.isVisible() && dialog.result() != QDialog::Accepted);
        QCOMPARE(option.Compare.Exclude, std::vector<std::string>({"old/"}));
    }

    void ExcludedEntriesHaveNoRowAndThePatternsAreShown() {
        const QString m = Dir.filePath(QStringLiteral("ex/m"));
        const QString s = Dir.filePath(QStringLiteral("ex/s"));
        MakeTree(m, {{"a.txt", "same"}, {"node_modules/x/y.js", "1"}, {"sub/b.tmp", "left"}});
        MakeTree(s, {{"a.txt", "same"}, {"node_modules/z.js", "2"}, {"sub/b.tmp", "rght"}});
        const QString settings = Dir.filePath(QStringLiteral("exclude.ini"));
        QFile::remove(settings);
        RunWindow frm(settings);
        QCOMPARE(frm.StatusArea()->MessageBar()->PanelText(1), QString());
        TDialogDriver driver;
        driver.OnDialog = [](QDialog* dialog) {
            auto* options = qobject_cast<TfrmOption*>(dialog);
            QCOMPARE(options->pgcOption->currentWidget(), options->tabExclude);
            QVERIFY(!options->memExclude->isReadOnly());
            options->memExclude->setPlainText(QStringLiteral("node_modules/\n*.TMP"));
            options->OKBtn->click();
        };
        frm.Actions().mnOptExclude->trigger();
        QCOMPARE(frm.StatusArea()->MessageBar()->PanelText(1),
                 QStringLiteral("除外: node_modules/, *.TMP"));
        QCOMPARE(frm.StatusArea()->MessageBar()->Panel(1)->toolTip(),
                 QStringLiteral("node_modules/\n*.TMP"));

        frm.Compare(m, s);
        QTRY_VERIFY_WITH_TIMEOUT(!frm.ComparisonRun().IsRunning(), 30000);
        // Only a.txt and the folder sub are left; letter case is ignored.
        QCOMPARE(GridRowCount(frm), 3);
        QCOMPARE(GridCell(frm, 1, 0), QStringLiteral("a.txt"));
        QCOMPARE(GridCell(frm, 2, 0), QStringLiteral("sub/"));
        QCOMPARE(frm.StatusArea()->MessageBar()->PanelText(1),
                 QStringLiteral("除外: node_modules/, *.TMP"));

        // While a comparison runs the patterns are shown but cannot change.
        frm.Held.SetState(TComparisonRun::TState::Running);
        QVERIFY(!frm.Actions().mnOptExclude->isEnabled());
        driver.OnDialog = [](QDialog* dialog) {
            auto* options = qobject_cast<TfrmOption*>(dialog);
            QVERIFY(options->memExclude->isReadOnly());
            options->CancelBtn->click();
        };
        frm.Actions().mnOptApp->trigger();
        frm.Held.SetState(TComparisonRun::TState::Idle);
        // Kept in the settings file; without patterns the panel is empty again.
        frm.close();
        QVERIFY(ReadBytes(settings).contains("node_modules/\r\n*.TMP"));
        frm.Options().Compare.Exclude.clear();
        frm.Actions().mnFileNew->trigger();
        QCOMPARE(frm.StatusArea()->MessageBar()->PanelText(1), QString());
        QVERIFY(driver.Messages.isEmpty());
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
            QVERIFY(options->rbtnEnterView->isChecked());
            QCOMPARE(options->spnViewLimit->value(), 256);
            options->rbtnEnterApp->setChecked(true);
            options->spnViewLimit->setValue(64);
            options->OKBtn->click();
        };
        frm.Actions().mnOptApp->trigger();
        QCOMPARE(frm.Options().Path1, QStringLiteral("/usr/bin/viewer"));
        QVERIFY(frm.Options().EnterStartsCompApp);
        QCOMPARE(frm.Options().ViewLimitMB, 64);
        QVERIFY(frm.Actions().mnPopUpApp1M->isVisible() && frm.Actions().mnPopUpApp->isVisible());
        QCOMPARE(frm.Actions().mnPopUpApp1S->text(), QStringLiteral("比較先を開く → Viewer"));
        QVERIFY(frm.Actions().mnPopUpAppCmp->isVisible() &&
                !frm.Actions().mnPopUpApp2M->isVisible());

        driver.OnDialog = [](QDialog* dialog) {
            auto* options = qobject_cast<TfrmOption*>(dialog);
            QCOMPARE(options->edtApp1Path->text(), QStringLiteral("/usr/bin/viewer"));
            QVERIFY(options->rbtnEnterApp->isChecked());
            QCOMPARE(options->spnViewLimit->value(), 64);
            options->edtApp1Path->clear();
            options->CancelBtn->click();
        };
        frm.Actions().mnOptApp->trigger();
        QCOMPARE(frm.Options().Path1, QStringLiteral("/usr/bin/viewer"));

        // All six boxes empty: OK closes, and no application item is left.
        driver.OnDialog = [](QDialog* dialog) {
            auto* options = qobject_cast<TfrmOption*>(dialog);
            for (QLineEdit* box : options->findChildren<QLineEdit*>())
                box->clear();
            options->OKBtn->click();
        };
        frm.Actions().mnOptApp->trigger();
        QVERIFY(driver.Messages.isEmpty());
        for (QAction* item :
             {frm.Actions().mnPopUpApp, frm.Actions().mnPopUpApp1M, frm.Actions().mnPopUpApp1S,
              frm.Actions().mnPopUpApp2M, frm.Actions().mnPopUpApp2S, frm.Actions().mnPopUpAppCmp})
            QVERIFY(!item->isVisible());
    }
};

QTEST_MAIN(TfrmOptionTest)
#include "TfrmOptionTest.moc"

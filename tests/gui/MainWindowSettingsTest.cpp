// The main window against its settings file: first start, restoring, and what
// closing writes.
#include <memory>

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include "RunWindow.h"
#include "TestFiles.h"
#include "window/TPanelBar.h"
#include "window/TSameGridModel.h"
#include "window/TfrmMain.h"

class MainWindowSettingsTest : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;
    QString Path() const { return Dir.filePath(QStringLiteral("Tandril.ini")); }
    std::unique_ptr<TfrmMain> Open() { return std::make_unique<TfrmMain>(Path()); }

private slots:
    void init() { QFile::remove(Path()); }

    void FirstStartWithoutSettingsFile() {
        auto frm = Open();
        QVERIFY(frm->isVisible());
        QVERIFY(!frm->isMaximized());
        QCOMPARE(frm->windowTitle(), QStringLiteral("Tandril"));
        QCOMPARE(frm->size(), QSize(685, 429));
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        QCOMPARE(frm->pos(), QPoint((screen.width() - 685) / 2, (screen.height() - 429) / 2));
        QVERIFY(Part<QToolBar>(*frm, "ToolBarMain")->isVisible() &&
                frm->Actions().mnViewTBarMain->isChecked());
        QVERIFY(Part<QToolBar>(*frm, "ToolBarOption")->isVisible() &&
                frm->Actions().mnViewTBarOption->isChecked());
        for (TPathBox* box : {frm->PathBox(TSide::M), frm->PathBox(TSide::S)}) {
            QVERIFY(box->currentText().isEmpty());
            QCOMPARE(box->count(), 0);
            QCOMPARE(box->HistoryLimit(), 16);
        }
        QVERIFY(!frm->Actions().mnViewFront->isChecked() &&
                !frm->Actions().mnViewEndInfo->isChecked());
        QVERIFY(!frm->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(frm->Options().Compare, TCompareOption());
        QVERIFY(frm->Actions().mnOptAttrR->isChecked() && frm->Actions().mnOptAttrA->isChecked());
        QVERIFY(frm->Actions().mnOptUpdYmdtDir->isChecked() &&
                !frm->Actions().mnOptSize->isChecked());
        QCOMPARE(frm->StatusArea()->MessageBar()->PanelText(0),
                 QStringLiteral("Ctrl+R で比較処理を開始します"));
        QCOMPARE(frm->Grid()->model()->rowCount(), 320);
        QCOMPARE(frm->Grid()->horizontalHeader()->count(), 7);
        QCOMPARE(frm->Grid()->model()->headerData(4, Qt::Horizontal).toString(),
                 QStringLiteral("比較結果"));
        // Reading alone writes nothing.
        QVERIFY(!QFile::exists(Path()));
    }

    void RestoresPlacementAsStored() {
        // Values are applied as read, without comparing them with the screen.
        WriteLines(Path(), {"[Form]", "Top=-20", "Left=3000", "Width=500", "Height=300",
                            "FilePathM=/no/such/folder", "FilePathS=比較先"});
        auto frm = Open();
        QCOMPARE(frm->pos(), QPoint(3000, -20));
        QCOMPARE(frm->size(), QSize(500, 300));
        QCOMPARE(frm->PathBox(TSide::M)->currentText(), QStringLiteral("/no/such/folder"));
        QCOMPARE(frm->PathBox(TSide::S)->currentText(), QStringLiteral("比較先"));
    }

    void ClosingWritesEverySectionInOrder() {
        auto frm = Open();
        QVERIFY(frm->close());
        QCOMPARE(Sections(Path()),
                 QStringList({"Form", "View", "Option", "Thread", "Application", "ToolBar"}));
        const QStringList form = SectionLines(Path(), "Form");
        QStringList formKeys;
        for (const QString& line : form)
            formKeys << line.section(QLatin1Char('='), 0, 0);
        QCOMPARE(formKeys,
                 QStringList({"Max", "Top", "Left", "Width", "Height", "FilePathM", "FilePathS"}));
        QCOMPARE(IniValue(Path(), "Form", "Max"), QStringLiteral("0"));
        QCOMPARE(IniValue(Path(), "Form", "Width"), QStringLiteral("685"));
        QCOMPARE(IniValue(Path(), "Form", "Height"), QStringLiteral("429"));
        QStringList toolBarKeys;
        for (const QString& line : SectionLines(Path(), "ToolBar"))
            toolBarKeys << line.section(QLatin1Char('='), 0, 0);
        QCOMPARE(toolBarKeys,
                 QStringList({"Top1", "Left1", "Top2", "Left2", "Visible1", "Visible2"}));
        QCOMPARE(SectionLines(Path(), "Application").size(), 6);
        // Every line break is CR LF and the file is text.
        const QByteArray bytes = ReadBytes(Path());
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QVERIFY(!bytes.startsWith("\xef\xbb\xbf"));
    }

    void ClosingKeepsOtherKeysOfTheFile() {
        WriteLines(Path(), {"[Form]", "FilterIndex=3", "[Other]", "Key=kept"});
        auto frm = Open();
        QVERIFY(frm->close());
        QCOMPARE(IniValue(Path(), "Form", "FilterIndex"), QStringLiteral("3"));
        QCOMPARE(IniValue(Path(), "Other", "Key"), QStringLiteral("kept"));
    }

    void OutOfRangeValuesAreClampedOrNormalised() {
        WriteLines(Path(), {"[View]", "SameOff=5", "[Thread]", "Speed=256"});
        {
            auto frm = Open();
            QVERIFY(frm->Options().SameOff);
            QCOMPARE(frm->Options().Speed, uint8_t(0));
            QVERIFY(frm->close());
        }
        QCOMPARE(IniValue(Path(), "View", "SameOff"), QStringLiteral("1"));
        QCOMPARE(IniValue(Path(), "Thread", "Speed"), QStringLiteral("0"));
        for (const char* speed : {"7", "-1"}) {
            WriteLines(Path(), {"[Thread]", QStringLiteral("Speed=") + QLatin1String(speed)});
            auto frm = Open();
            QCOMPARE(frm->Options().Speed, uint8_t(2));
        }
    }

    void ClosingWhileMaximisedKeepsTheEarlierPlacement() {
        WriteLines(Path(), {"[Form]", "Top=40", "Left=50", "Width=600", "Height=350", "Max=0"});
        {
            auto frm = Open();
            frm->showMaximized();
            QTRY_VERIFY_WITH_TIMEOUT(frm->isMaximized(), EventTimeoutMs);
            QVERIFY(frm->close());
        }
        QCOMPARE(IniValue(Path(), "Form", "Max"), QStringLiteral("1"));
        QCOMPARE(IniValue(Path(), "Form", "Top"), QStringLiteral("40"));
        QCOMPARE(IniValue(Path(), "Form", "Left"), QStringLiteral("50"));
        QCOMPARE(IniValue(Path(), "Form", "Width"), QStringLiteral("600"));
        QCOMPARE(IniValue(Path(), "Form", "Height"), QStringLiteral("350"));
        // The next start is maximised over the same normal placement.
        auto frm = Open();
        QTRY_VERIFY_WITH_TIMEOUT(frm->isMaximized(), EventTimeoutMs);
        QCOMPARE(frm->normalGeometry().size(), QSize(600, 350));
        frm->showNormal();
        QTRY_COMPARE_WITH_TIMEOUT(frm->size(), QSize(600, 350), EventTimeoutMs);
    }

    void JapaneseTextAndSpacesSurviveARoundTrip() {
        QTemporaryDir folders;
        const QString m = folders.filePath(QStringLiteral("比較 元 フォルダ"));
        const QString s = folders.filePath(QStringLiteral(" leading and trailing "));
        {
            auto frm = Open();
            frm->PathBox(TSide::M)->setEditText(m);
            frm->PathBox(TSide::S)->setEditText(s);
            frm->Options().Title1 = QStringLiteral("外部 ツール");
            frm->Options().Path1 = QStringLiteral("/opt/外部 ツール/bin/tool");
            QVERIFY(frm->close());
        }
        auto frm = Open();
        QCOMPARE(frm->PathBox(TSide::M)->currentText(), m);
        QCOMPARE(frm->PathBox(TSide::S)->currentText(), s);
        QCOMPARE(frm->Options().Title1, QStringLiteral("外部 ツール"));
        QCOMPARE(frm->Options().Path1, QStringLiteral("/opt/外部 ツール/bin/tool"));
    }

    void WriteFailureIsSwallowedAndTheWindowCloses() {
        const QString blocker = Dir.filePath(QStringLiteral("blocker"));
        WriteBytes(blocker, "x");
        TfrmMain frm(blocker + QStringLiteral("/Tandril.ini"));
        QVERIFY(frm.close());
        QVERIFY(!frm.isVisible());
        QCOMPARE(ReadBytes(blocker), QByteArray("x"));
    }

    void HiddenToolBarsStayHidden() {
        WriteLines(Path(), {"[ToolBar]", "Visible1=0", "Visible2=1"});
        {
            auto frm = Open();
            QVERIFY(!Part<QToolBar>(*frm, "ToolBarMain")->isVisible());
            QVERIFY(!frm->Actions().mnViewTBarMain->isChecked());
            QVERIFY(Part<QToolBar>(*frm, "ToolBarOption")->isVisible());
            frm->Actions().mnViewTBarOption->trigger();
            QVERIFY(!Part<QToolBar>(*frm, "ToolBarOption")->isVisible());
            QVERIFY(frm->close());
        }
        QCOMPARE(IniValue(Path(), "ToolBar", "Visible1"), QStringLiteral("0"));
        QCOMPARE(IniValue(Path(), "ToolBar", "Visible2"), QStringLiteral("0"));
        // A toolbar hidden from the start keeps its stored place.
        QCOMPARE(IniValue(Path(), "ToolBar", "Left1"), QStringLiteral("11"));
        QCOMPARE(IniValue(Path(), "ToolBar", "Top1"), QStringLiteral("2"));
    }

    void ToolBarPlacesPersist() {
        // The option toolbar on a line of its own below the standard one.
        WriteLines(Path(), {"[ToolBar]", "Top1=2", "Left1=11", "Top2=40", "Left2=11"});
        {
            auto frm = Open();
            QVERIFY(Part<QToolBar>(*frm, "ToolBarOption")->y() >
                    Part<QToolBar>(*frm, "ToolBarMain")->y());
            QVERIFY(frm->close());
        }
        const int top1 = IniValue(Path(), "ToolBar", "Top1").toInt();
        const int top2 = IniValue(Path(), "ToolBar", "Top2").toInt();
        QVERIFY(top2 > top1);
        // One line, the option toolbar first.
        WriteLines(Path(), {"[ToolBar]", "Top1=2", "Left1=400", "Top2=2", "Left2=11"});
        {
            auto frm = Open();
            QCOMPARE(Part<QToolBar>(*frm, "ToolBarOption")->y(),
                     Part<QToolBar>(*frm, "ToolBarMain")->y());
            QVERIFY(Part<QToolBar>(*frm, "ToolBarOption")->x() <
                    Part<QToolBar>(*frm, "ToolBarMain")->x());
            QVERIFY(frm->close());
        }
        QCOMPARE(IniValue(Path(), "ToolBar", "Top1"), IniValue(Path(), "ToolBar", "Top2"));
        QVERIFY(IniValue(Path(), "ToolBar", "Left2").toInt() <
                IniValue(Path(), "ToolBar", "Left1").toInt());
    }

    void AlwaysOnTopFollowsTheOption() {
        WriteLines(Path(), {"[View]", "ShowFront=1", "EndDialog=1"});
        auto frm = Open();
        QVERIFY(frm->Actions().mnViewFront->isChecked());
        QVERIFY(frm->Actions().mnViewEndInfo->isChecked());
        QVERIFY(frm->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        frm->Actions().mnViewFront->trigger();
        QVERIFY(!frm->Options().ShowFront);
        QVERIFY(!frm->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(frm->isVisible());  // changing the flag does not leave the window hidden
        frm->Actions().mnViewEndInfo->trigger();
        QVERIFY(!frm->Options().EndDialog);
    }
};

QTEST_MAIN(MainWindowSettingsTest)
#include "MainWindowSettingsTest.moc"

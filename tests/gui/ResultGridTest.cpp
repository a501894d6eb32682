// The result grid after and during real runs: the selection rule, the find
// buttons, the entry information bars, the counts bar and the result colour.
#include <cstdint>
#include <ctime>
#include <memory>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "RunWindow.h"
#include "TCompare.h"
#include "TSearchRec.h"
#include "TestFiles.h"
#include "window/TPanelBar.h"
#include "window/TSameGridDelegate.h"
#include "window/TSameGridModel.h"

namespace {

// Rows of a picture that hold ink: a pixel that is not white.
int InkRows(const QImage& picture) {
    int rows = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (qGray(picture.pixel(x, y)) < 255) {
                ++rows;
                break;
            }
        }
    }
    return rows;
}

// Exposes the delegate's styling of a cell.
class DelegateProbe : public TSameGridDelegate {
public:
    using TSameGridDelegate::initStyleOption;
};

}  // namespace

class ResultGridTest : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;
    int Folders = 0;
    QString Settings() const { return Dir.filePath(QStringLiteral("Tandril.ini")); }
    std::unique_ptr<RunWindow> Open() { return std::make_unique<RunWindow>(Settings()); }
    QString NewFolder() { return Dir.filePath(QStringLiteral("t%1").arg(++Folders)); }
    static void WaitForIdle(RunWindow& frm) {
        QTRY_VERIFY_WITH_TIMEOUT(!frm.ComparisonRun().IsRunning(), RunTimeoutMs);
    }
    // Runs a comparison of two folders to its end.
    static void Run(RunWindow& frm, const QString& m, const QString& s) {
        frm.Compare(m, s);
        WaitForIdle(frm);
    }
    static void Click(RunWindow& frm, int row) {
        const QModelIndex cell = GridModel(frm)->index(row - 1, 1);
        frm.Grid()->scrollTo(cell);
        QTest::mouseClick(frm.Grid()->viewport(), Qt::LeftButton, {},
                          frm.Grid()->visualRect(cell).center());
    }
    static QString FullPathShown(const TPanelBar* bar) { return bar->PanelText(6); }

private slots:
    // The grid's rows count from 0; a row may become current from the first
    // result to the row being delivered (one past those the engine holds).
    void SelectionRuleReadsOnlyTheRowAndTheResultsHeld() {
        const struct {
            int Row, Results;
            bool May;
        } cases[] = {{0, 0, false}, {-1, 5, false}, {0, 5, true}, {5, 5, true}, {6, 5, false}};
        for (const auto& c : cases)
            QCOMPARE(TSameGrid::MayBecomeCurrent(c.Row, c.Results), c.May);
    }

    void initTestCase() {
        // Times in the bars are local times; make them the same everywhere.
        qputenv("TZ", "UTC");
        tzset();
    }
    void init() { QFile::remove(Settings()); }

    void AtStartUpNoRowCanBeSelected() {
        auto frm = Open();
        QCOMPARE(GridRowCount(*frm), 321);
        QCOMPARE(CurrentGridRow(*frm), 1);
        QCOMPARE(frm->Grid()->columnWidth(4), 157);
        Click(*frm, 5);
        QCOMPARE(CurrentGridRow(*frm), 1);
        frm->Grid()->setFocus();
        QTest::keyClick(frm->Grid(), Qt::Key_Down);
        QTest::keyClick(frm->Grid(), Qt::Key_End);
        QCOMPARE(CurrentGridRow(*frm), 1);
        QVERIFY(!SelectGridRow(*frm, 2));
        QCOMPARE(PanelTexts(frm->StatusArea()->EntryBar(TSide::M)),
                 QStringList({"比較元 :", "", "", "", "", "", ""}));
        QCOMPARE(PanelTexts(frm->StatusArea()->EntryBar(TSide::S)),
                 QStringList({"比較先 :", "", "", "", "", "", ""}));
        // The find buttons have nothing to search.
        Part<QPushButton>(*frm, "btnFindDiffDown")->click();
        QCOMPARE(CurrentGridRow(*frm), 1);
    }

    void WhileRowsArriveTheRowBeingDeliveredMayBeSelectedButNotBeyond() {
        const QString m = NewFolder(), s = NewFolder();
        MakeFiles(m, QStringLiteral("f"), 20);
        MakeFiles(s, QStringLiteral("f"), 20);
        auto frm = Open();
        frm->PauseAtRow = 10;
        frm->Compare(m, s);
        QTRY_COMPARE_WITH_TIMEOUT(GridModel(*frm)->ShownRows(), 11, RunTimeoutMs);
        // The engine has appended 10 rows; row 11 is being delivered.
        QCOMPARE(frm->ComparisonRun().Engine().GetRowCount(), 10);
        QCOMPARE(frm->Grid()->ResultCount(), 10);
        QCOMPARE(GridCell(*frm, 11, 0), QStringLiteral("f010.txt"));
        QVERIFY(SelectGridRow(*frm, 11));
        QCOMPARE(FullPathShown(frm->StatusArea()->EntryBar(TSide::M)),
                 m + QStringLiteral("/f010.txt"));
        QCOMPARE(FullPathShown(frm->StatusArea()->EntryBar(TSide::S)),
                 s + QStringLiteral("/f010.txt"));
        QVERIFY(!SelectGridRow(*frm, 12));
        Click(*frm, 12);
        QCOMPARE(CurrentGridRow(*frm), 11);
        Click(*frm, 3);
        QCOMPARE(CurrentGridRow(*frm), 3);
        QCOMPARE(FullPathShown(frm->StatusArea()->EntryBar(TSide::M)),
                 m + QStringLiteral("/f002.txt"));
        // Keys move the cursor through the same rule.
        frm->Grid()->setFocus();
        QTest::keyClick(frm->Grid(), Qt::Key_End);
        QCOMPARE(CurrentGridRow(*frm), 3);
        QTest::keyClick(frm->Grid(), Qt::Key_Down);
        QCOMPARE(CurrentGridRow(*frm), 4);
        frm->Release();
        WaitForIdle(*frm);
        QCOMPARE(GridRowCount(*frm), 21);
        QVERIFY(SelectGridRow(*frm, 20));
    }

    void HideTogglesShowOnlyTheirRowsAtOnce() {
        const QString m = NewFolder(), s = NewFolder();
        MakeTree(m,
                 {{"a.txt", "1"}, {"b.txt", "2"}, {"c.txt", "3"}, {"d.txt", "4"}, {"e.txt", "5"}});
        MakeTree(s,
                 {{"a.txt", "1"}, {"b.txt", "x"}, {"c.txt", "3"}, {"e.txt", "5"}, {"f.txt", "6"}});
        auto frm = Open();
        Run(*frm, m, s);
        const auto names = [&] {
            QStringList shown;
            for (int r = 1; r < GridRowCount(*frm); ++r)
                shown << GridCell(*frm, r, 0) + GridCell(*frm, r, 2).left(1);
            return shown;
        };
        const QStringList counts = PanelTexts(frm->StatusArea()->CountsBar());
        QVERIFY(SelectGridRow(*frm, 2));  // b.txt
        struct {
            QAction* Toggle;
            QStringList Rows;    // source name and the target name's first letter
            QString CursorName;  // the cursor row's source or target name
        } const steps[] = {
            // Equal rows hidden: the cursor stays on its row.
            {frm->Actions().mnViewSame, {"b.txtb", "d.txt", "f"}, "b.txt"},
            // Different rows hidden instead: b.txt goes, the nearest row follows it.
            {frm->Actions().mnViewDiff, {"a.txta", "c.txtc", "e.txte"}, "c.txt"},
            // Nothing hidden.
            {frm->Actions().mnViewDiff,
             {"a.txta", "b.txtb", "c.txtc", "d.txt", "e.txte", "f"},
             "c.txt"},
            // c.txt goes: of b.txt and d.txt, as near, the following one.
            {frm->Actions().mnViewSame, {"b.txtb", "d.txt", "f"}, "d.txt"},
        };
        for (const auto& step : steps) {
            step.Toggle->trigger();
            QCOMPARE(names(), step.Rows);
            const int row = CurrentGridRow(*frm);
            QCOMPARE(row, RowOf(*frm, step.CursorName));
            QCOMPARE(FullPathShown(frm->StatusArea()->EntryBar(TSide::M)).isEmpty() &&
                         FullPathShown(frm->StatusArea()->EntryBar(TSide::S)).isEmpty(),
                     false);
            // The counts bar counts every row.
            QCOMPARE(PanelTexts(frm->StatusArea()->CountsBar()), counts);
        }
        // Search and export skip the hidden rows.
        QVERIFY(SelectGridRow(*frm, 1));
        Part<QPushButton>(*frm, "btnFindSameDown")->click();
        QCOMPARE(CurrentGridRow(*frm), 1);
        QCOMPARE(frm->Grid()->ShownResults().size(), size_t(3));
        // A run with a toggle set shows only the rows kept, as they arrive.
        frm->PauseAtRow = 3;
        frm->Compare(m, s);
        QTRY_COMPARE_WITH_TIMEOUT(GridModel(*frm)->ShownRows(), 4, RunTimeoutMs);
        QCOMPARE(GridCell(*frm, 1, 0), QStringLiteral("b.txt"));
        QCOMPARE(GridCell(*frm, 2, 0), QStringLiteral("d.txt"));
        QCOMPARE(GridCell(*frm, 3, 0), QString());
        frm->Release();
        WaitForIdle(*frm);
        QCOMPARE(names(), QStringList({"b.txtb", "d.txt", "f"}));
        QCOMPARE(PanelTexts(frm->StatusArea()->CountsBar()), counts);
    }

    void FindButtonsWalkToTheNextMatchWithoutWrapping() {
        const QString m = NewFolder(), s = NewFolder();
        MakeFiles(m, QStringLiteral("f"), 10);
        MakeFiles(s, QStringLiteral("f"), 10);
        // Rows 6 and 9 differ in their contents.
        MakeTree(s, {{"f005.txt", "y"}, {"f008.txt", "y"}});
        auto frm = Open();
        Run(*frm, m, s);
        QCOMPARE(GridRowCount(*frm), 11);
        QVERIFY(SelectGridRow(*frm, 5));
        frm->PathBox(TSide::M)->setFocus();
        Part<QPushButton>(*frm, "btnFindDiffDown")->click();
        QCOMPARE(CurrentGridRow(*frm), 6);
        QVERIFY(frm->Grid()->hasFocus());
        QCOMPARE(FullPathShown(frm->StatusArea()->EntryBar(TSide::S)),
                 s + QStringLiteral("/f005.txt"));
        Part<QPushButton>(*frm, "btnFindDiffDown")->click();
        QCOMPARE(CurrentGridRow(*frm), 9);
        Part<QPushButton>(*frm, "btnFindDiffDown")->click();
        QCOMPARE(CurrentGridRow(*frm), 9);
        Part<QPushButton>(*frm, "btnFindSameDown")->click();
        QCOMPARE(CurrentGridRow(*frm), 10);
        Part<QPushButton>(*frm, "btnFindDiffUp")->click();
        QCOMPARE(CurrentGridRow(*frm), 9);
        Part<QPushButton>(*frm, "btnFindSameUp")->click();
        QCOMPARE(CurrentGridRow(*frm), 8);
        // The accelerators press the buttons (a pressed button clicks a moment later).
        frm->Key(Qt::Key_P, Qt::AltModifier);
        QTRY_COMPARE_WITH_TIMEOUT(CurrentGridRow(*frm), 6, EventTimeoutMs);
        frm->Key(Qt::Key_U, Qt::AltModifier);
        QTRY_COMPARE_WITH_TIMEOUT(CurrentGridRow(*frm), 5, EventTimeoutMs);
        frm->Key(Qt::Key_N, Qt::AltModifier);
        QTRY_COMPARE_WITH_TIMEOUT(CurrentGridRow(*frm), 6, EventTimeoutMs);
        frm->Key(Qt::Key_D, Qt::AltModifier);
        QTRY_COMPARE_WITH_TIMEOUT(CurrentGridRow(*frm), 7, EventTimeoutMs);
        // Nothing above row 1, and the header is never examined.
        QVERIFY(SelectGridRow(*frm, 1));
        Part<QPushButton>(*frm, "btnFindSameUp")->click();
        Part<QPushButton>(*frm, "btnFindDiffUp")->click();
        QCOMPARE(CurrentGridRow(*frm), 1);
    }

    void SearchingFromAnEmptyRowBeyondTheResults() {
        const QString first = NewFolder(), empty = NewFolder();
        MakeFiles(first, QStringLiteral("a"), 100);
        MakeTree(empty, {});
        const QString m = NewFolder(), s = NewFolder();
        MakeFiles(m, QStringLiteral("f"), 20);
        MakeFiles(s, QStringLiteral("f"), 20);
        MakeTree(s, {{"f003.txt", "y"}});
        auto frm = Open();
        Run(*frm, first, empty);
        QVERIFY(SelectGridRow(*frm, 57));

        // A new run keeps the cursor on row 57, now empty and beyond the results.
        frm->PauseAtRow = 10;
        frm->Compare(m, s);
        QTRY_COMPARE_WITH_TIMEOUT(GridModel(*frm)->ShownRows(), 11, RunTimeoutMs);
        QCOMPARE(CurrentGridRow(*frm), 57);
        frm->PathBox(TSide::M)->setFocus();
        Part<QPushButton>(*frm, "btnFindSameDown")->click();
        QCOMPARE(CurrentGridRow(*frm), 57);
        // The empty row 56 counts as different; the rule refuses it, but the
        // grid takes the focus.
        Part<QPushButton>(*frm, "btnFindDiffUp")->click();
        QCOMPARE(CurrentGridRow(*frm), 57);
        QVERIFY(frm->Grid()->hasFocus());
        Part<QPushButton>(*frm, "btnFindSameUp")->click();
        QCOMPARE(CurrentGridRow(*frm), 11);
        Part<QPushButton>(*frm, "btnFindDiffUp")->click();
        QCOMPARE(CurrentGridRow(*frm), 4);
        frm->Release();
        WaitForIdle(*frm);
    }

    void TheCursorFollowsTheGridWhenItShrinks() {
        const QString many = NewFolder(), empty = NewFolder(), few = NewFolder();
        MakeFiles(many, QStringLiteral("a"), 500);
        MakeTree(empty, {});
        MakeFiles(few, QStringLiteral("b"), 30);
        auto frm = Open();
        Run(*frm, many, empty);
        QVERIFY(SelectGridRow(*frm, 400));

        // Clearing for a new run puts a cursor beyond row 320 on row 320.
        frm->PauseAtBegin = true;
        frm->Compare(few, empty);
        QCOMPARE(GridRowCount(*frm), 321);
        QCOMPARE(CurrentGridRow(*frm), 320);
        QCOMPARE(FullPathShown(frm->StatusArea()->EntryBar(TSide::M)), QString());
        frm->Release();
        WaitForIdle(*frm);
        // The run ends with 30 results: the cursor moves onto the last one
        // through the selection rule, which shows its entries.
        QCOMPARE(GridRowCount(*frm), 31);
        QCOMPARE(CurrentGridRow(*frm), 30);
        QCOMPARE(FullPathShown(frm->StatusArea()->EntryBar(TSide::M)),
                 few + QStringLiteral("/b029.txt"));
        QCOMPARE(FullPathShown(frm->StatusArea()->EntryBar(TSide::S)), QString());
        QVERIFY(frm->Grid()->selectionModel()->isRowSelected(29, {}));
    }

    void NamesAndHeadersShowWhole() {
        const QString m = NewFolder(), s = NewFolder();
        const QString name = QStringLiteral("Åy(g)_|[漢字].txt");
        MakeTree(m, {{"a.txt", "a"}});
        MakeTree(s, {{"a.txt", "a"}, {name, "x"}});
        auto frm = Open();
        Run(*frm, m, s);
        QCOMPARE(GridCell(*frm, 2, 2), name);
        // The name drawn unclipped, and as the grid shows it in row 2.
        QImage sheet(600, 60, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        painter.setFont(frm->Grid()->font());
        painter.setPen(Qt::black);
        painter.drawText(4, 40, name);
        painter.end();
        const int whole = InkRows(sheet);
        const auto shown = [&] {
            const QRect cell = frm->Grid()->visualRect(GridModel(*frm)->index(1, 2));
            return InkRows(frm->Grid()->viewport()->grab(cell).toImage());
        };
        // 14 pixels where the font allows, else the smallest height that shows it whole.
        const int height = frm->Grid()->rowHeight(1);
        QVERIFY(height >= 14);
        QCOMPARE(shown(), whole);
        if (height > 14) {
            frm->Grid()->setRowHeight(1, height - 1);
            QVERIFY(shown() < whole);
        }
        // Every header fits its column at the default widths.
        const QHeaderView* header = frm->Grid()->horizontalHeader();
        const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int c = 0; c < TSameGridModel::ColumnCount; ++c) {
            const QString text = GridCell(*frm, 0, c);
            QVERIFY2(header->sectionSize(c) >=
                         header->fontMetrics().horizontalAdvance(text) + 2 * margin,
                     qPrintable(text));
        }
    }

    void EntryBarsShowSizeAttributesTimesAndThePath() {
        auto frm = Open();
        TFolder folder{"/data/sub/", 6};
        TSearchRecEx entry;
        entry.Folder = &folder;
        entry.Name = "big.bin";
        entry.Size = 4294967306;  // 4 GiB and 10 bytes: shown whole
        entry.Attr = Attr::ReadOnly | Attr::Hidden;
        entry.Time = 1262304000;  // 2010-01-01 00:00:00 UTC
        entry.FindData.CreationTime = 0;
        entry.FindData.LastAccessTime = 130000000000000000;  // 2012-12-14 23:06:40 UTC
        frm->StatusArea()->ShowEntryInfo(TSide::M, &entry);
        QCOMPARE(PanelTexts(frm->StatusArea()->EntryBar(TSide::M)),
                 QStringList({"比較元 :", "4294967306", "-RH--", "10/01/01 00:00:00",
                              "99/12/30 00:00:00", "12/12/14", "/data/sub/big.bin"}));
        QCOMPARE(frm->StatusArea()->EntryBar(TSide::M)->toolTip(),
                 QStringLiteral("/data/sub/big.bin"));
        // Sizes show whole up to the largest a file can have.
        const QLabel* size = frm->StatusArea()->EntryBar(TSide::M)->Panel(1);
        for (int64_t big : {int64_t(3221225472), int64_t(8589934592), INT64_MAX}) {
            entry.Size = big;
            frm->StatusArea()->ShowEntryInfo(TSide::M, &entry);
            QCOMPARE(size->text(), QString::number(big));
            QVERIFY2(
                size->fontMetrics().horizontalAdvance(size->text()) <= size->contentsRect().width(),
                qPrintable(size->text()));
        }

        TSearchRecEx dir;
        dir.Folder = &folder;
        dir.Name = "d";
        dir.Attr = Attr::Directory;
        frm->StatusArea()->ShowEntryInfo(TSide::S, &dir);
        QCOMPARE(frm->StatusArea()->EntryBar(TSide::S)->PanelText(1), QStringLiteral("0"));
        QCOMPARE(frm->StatusArea()->EntryBar(TSide::S)->PanelText(2), QStringLiteral("D----"));

        frm->StatusArea()->ShowEntryInfo(TSide::M, nullptr);
        QCOMPARE(PanelTexts(frm->StatusArea()->EntryBar(TSide::M)),
                 QStringList({"比較元 :", "", "", "", "", "", ""}));
        QCOMPARE(frm->StatusArea()->EntryBar(TSide::M)->toolTip(), QString());
    }

    void CountsRefreshAtMostEvery900Milliseconds() {
        auto frm = Open();
        qint64 now = 100000;
        frm->StatusArea()->TickCount = [&now] { return now; };
        frm->StatusArea()->ShowCounts(5, 2, 3, 0);
        QCOMPARE(PanelTexts(frm->StatusArea()->CountsBar()),
                 QStringList({"総数:5", "等価:2", "相違:3", ""}));
        now += 500;
        frm->StatusArea()->ShowCounts(-1, 7, 8, 900);
        QCOMPARE(PanelTexts(frm->StatusArea()->CountsBar()),
                 QStringList({"総数:5", "等価:2", "相違:3", ""}));
        now += 400;
        frm->StatusArea()->ShowCounts(-1, 7, 8, 900);
        QCOMPARE(PanelTexts(frm->StatusArea()->CountsBar()),
                 QStringList({"", "等価:7", "相違:8", ""}));
        // An unthrottled call always refreshes and restarts the clock.
        now += 100;
        frm->StatusArea()->ShowCounts(9, 9, 0, 0);
        QCOMPARE(PanelTexts(frm->StatusArea()->CountsBar()),
                 QStringList({"総数:9", "等価:9", "相違:0", ""}));
        now += 899;
        frm->StatusArea()->ShowCounts(-1, 1, 1, 900);
        QCOMPARE(frm->StatusArea()->CountsBar()->PanelText(1), QStringLiteral("等価:9"));
        frm->StatusArea()->ShowCounts(0, 0, 0, 0);
        QCOMPARE(PanelTexts(frm->StatusArea()->CountsBar()), QStringList({"", "", "", ""}));
    }

    void ResultTextStaysRedInTheCurrentRow() {
        const QString m = NewFolder(), s = NewFolder();
        MakeTree(m, {{"a.txt", "1"}, {"b.txt", "1"}});
        MakeTree(s, {{"a.txt", "1"}, {"b.txt", "2"}});
        auto frm = Open();
        Run(*frm, m, s);
        DelegateProbe probe;
        const auto highlighted = [&](int row) {
            QStyleOptionViewItem option;
            option.initFrom(frm->Grid());
            option.state |= QStyle::State_Selected;
            probe.initStyleOption(&option, GridModel(*frm)->index(row - 1, 4));
            return option.palette.color(QPalette::HighlightedText);
        };
        QCOMPARE(highlighted(2), QColor(255, 0, 0));
        QCOMPARE(highlighted(1), frm->Grid()->palette().color(QPalette::HighlightedText));
    }
};

QTEST_MAIN(ResultGridTest)
#include "ResultGridTest.moc"

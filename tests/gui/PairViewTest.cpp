// The pair view on the offscreen platform: the rows, marks and F7 positions of
// a fixed pair of text files, the bytes of a binary pair, the reason for a file
// that cannot be read, Japanese text in CP932 and EUC-JP, the line-end rule and
// the size limit; opened from the main window's menus, Enter and a double click.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include "RecordingShell.h"
#include "RunWindow.h"
#include "TestFiles.h"
#include "pairview/TDiffMarkerBar.h"
#include "pairview/TDiffTextView.h"
#include "pairview/THexDiffView.h"
#include "pairview/TfrmPairView.h"
#include "window/TSameGrid.h"

namespace {

// The fixed pair: one changed line, one removed, two added.
const QByteArray FixedM = "alpha\nbeta\ngamma\ndelta\nepsilon\nzeta\neta\ntheta\n";
const QByteArray FixedS = "alpha\nbeta\ngamma 2\ndelta\nzeta\neta\nnew 1\nnew 2\ntheta\n";

}  // namespace

class PairViewTest : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;
    int Files = 0;

    // Writes the two files and opens the view on them, shown and loaded.
    std::unique_ptr<TfrmPairView> Open(const QByteArray& m, const QByteArray& s,
                                       TPairDiffOptions options = {}) {
        const QString pathM = Dir.filePath(QStringLiteral("m%1").arg(++Files));
        const QString pathS = Dir.filePath(QStringLiteral("s%1").arg(Files));
        WriteBytes(pathM, m);
        WriteBytes(pathS, s);
        return OpenPaths(pathM, pathS, options);
    }
    static std::unique_ptr<TfrmPairView> OpenPaths(const QString& m, const QString& s,
                                                   TPairDiffOptions options = {}) {
        auto view = std::make_unique<TfrmPairView>(m.toStdString(), s.toStdString(), options);
        view->setAttribute(Qt::WA_DeleteOnClose, false);
        view->show();
        if (!QTest::qWaitForWindowActive(view.get()))
            qWarning("the view did not become active");
        // QTRY_ macros return void on failure; the caller's checks then fail.
        if (!QTest::qWaitFor([&] { return view->IsLoaded(); }, EventTimeoutMs))
            qWarning("the view did not load");
        return view;
    }
    static QList<TRowKind> Kinds(const TDiffTextView& text) {
        QList<TRowKind> kinds;
        for (size_t r = 0; r < text.RowCount(); ++r)
            kinds << text.Row(r).Kind;
        return kinds;
    }

private slots:
    void TextPairShowsItsDifferencesAndF7GoesThroughThem() {
        auto view = Open(FixedM, FixedS);
        QVERIFY(view->ShowsText());
        const TDiffTextView& text = *view->TextView();
        using K = TRowKind;
        QCOMPARE(Kinds(text), QList<TRowKind>({K::Same, K::Same, K::Changed, K::Same, K::Removed,
                                               K::Same, K::Same, K::Added, K::Added, K::Same}));
        QCOMPARE(text.RowText(TPaneSide::M, 2), QStringLiteral("gamma"));
        QCOMPARE(text.RowText(TPaneSide::S, 2), QStringLiteral("gamma 2"));
        QCOMPARE(text.RowText(TPaneSide::M, 4), QStringLiteral("epsilon"));
        QCOMPARE(text.RowText(TPaneSide::S, 4), QString());
        QCOMPARE(text.Row(8).LineS, 7);  // "new 2", line 8 of the target
        // Inside the changed line only the added characters are marked.
        QCOMPARE(text.ChangedCharacters(2).S, std::vector<TCharRange>({{5, 2}}));
        QVERIFY(text.ChangedCharacters(2).M.empty());
        QCOMPARE(view->SummaryText(), QStringLiteral("相違 3 箇所"));

        // F7 goes to each difference in turn and stops at the last; Shift+F7 back.
        const size_t none = text.DifferenceCount();
        QCOMPARE(text.CurrentDifference(), none);
        const std::pair<size_t, size_t> steps[] = {{0, 2}, {1, 4}, {2, 7}, {2, 7}};
        for (const auto& [index, row] : steps) {
            QTest::keyClick(view.get(), Qt::Key_F7);
            QCOMPARE(text.CurrentDifference(), index);
            QCOMPARE(text.Layout()->DifferenceRow(index), row);
        }
        QCOMPARE(view->SummaryText(), QStringLiteral("相違 3 / 3 箇所"));
        QTest::keyClick(view.get(), Qt::Key_F7, Qt::ShiftModifier);
        QCOMPARE(text.CurrentDifference(), size_t(1));
    }

    void AClickOnTheMarkerBarScrollsThePanesThere() {
        QByteArray m, s;
        for (int i = 0; i < 3000; ++i) {
            m += "line " + QByteArray::number(i) + "\n";
            s += (i == 2500 ? QByteArray("changed") : "line " + QByteArray::number(i)) + "\n";
        }
        auto view = Open(m, s);
        view->resize(800, 400);
        TDiffTextView* text = view->TextView();
        QTRY_VERIFY_WITH_TIMEOUT(text->VisibleRows() > 0, EventTimeoutMs);
        // The strip beside the panes: the whole file from top to bottom.
        TDiffMarkerBar* bar = nullptr;
        for (QWidget* child : text->findChildren<QWidget*>())
            if (auto* found = dynamic_cast<TDiffMarkerBar*>(child))
                bar = found;
        QVERIFY(bar);
        QCOMPARE(text->TopRow(), size_t(0));
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(5, bar->height() * 2500 / 3000));
        // The clicked row comes to the middle of what is in sight.
        const size_t top = text->TopRow();
        QVERIFY2(top < 2500 && 2500 < top + text->VisibleRows(), qPrintable(QString::number(top)));
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(5, 0));
        QCOMPARE(text->TopRow(), size_t(0));
    }

    void EqualLinesAndLineEndsFollowTheRule() {
        const QByteArray crlf = "one\r\ntwo  \r\nthree\r\n", lf = "one\ntwo\nthree\n";
        auto strict = Open(crlf, lf);
        QCOMPARE(strict->TextView()->DifferenceCount(), size_t(1));
        QVERIFY(strict->InfoText(TPaneSide::M).contains(QStringLiteral("改行 CR LF")));
        QVERIFY(strict->InfoText(TPaneSide::S).contains(QStringLiteral("改行 LF")));
        // The option shows what the comparison found: nothing differs.
        TPairDiffOptions ignore;
        ignore.IgnoreLineEnds = true;
        auto loose = Open(crlf, lf, ignore);
        QVERIFY(loose->chkLineEnds->isChecked());
        QCOMPARE(loose->TextView()->DifferenceCount(), size_t(0));
        QCOMPARE(loose->SummaryText(), QStringLiteral("相違はありません"));
        // Unticked in the view, the lines are compared as they are.
        loose->chkLineEnds->setChecked(false);
        QTRY_VERIFY_WITH_TIMEOUT(loose->IsLoaded(), EventTimeoutMs);
        QCOMPARE(loose->TextView()->DifferenceCount(), size_t(1));
    }

    void TabsAndTrailingBlanksShowOnRequest() {
        const struct {
            QString line;
            bool blanks;
            QString shown;
            std::vector<qsizetype> columns;
        } cases[] = {
            {"a\tb", false, "a   b", {0, 1, 4, 5}},
            {"a\tb", true, "a→  b", {0, 1, 4, 5}},
            {"abcd\t", true, "abcd→   ", {0, 1, 2, 3, 4, 8}},
            {"x y  ", true, "x y··", {0, 1, 2, 3, 4, 5}},
            {"x y \t", true, "x y·→   ", {0, 1, 2, 3, 4, 8}},
            {"日本\t語", false, "日本  語", {0, 1, 2, 4, 5}},
        };
        for (const auto& c : cases) {
            const TShownLine shown = ShownLine(c.line, c.blanks);
            QCOMPARE(shown.Text, c.shown);
            QCOMPARE(shown.Column, c.columns);
        }
    }

    void JapaneseTextIsReadInItsOwnEncoding() {
        const QString japanese = QStringLiteral("日本語のテキスト");
        const struct {
            const char* code;
            int index;  // in the drop-down box
        } cases[] = {{"CP932", 1}, {"EUC-JP", 2}};
        for (const auto& c : cases) {
            const QByteArray m = Encoded(c.code, japanese + QStringLiteral("\n二行目\n"));
            const QByteArray s = Encoded(c.code, japanese + QStringLiteral("\n二行め\n"));
            auto view = Open(m, s);
            QVERIFY2(view->ShowsText(), c.code);
            QCOMPARE(view->CodeBox(TPaneSide::M)->currentIndex(), c.index);
            QCOMPARE(view->CodeBox(TPaneSide::S)->currentIndex(), c.index);
            QCOMPARE(view->TextView()->RowText(TPaneSide::M, 0), japanese);
            QCOMPARE(view->TextView()->RowText(TPaneSide::S, 1), QStringLiteral("二行め"));
            QCOMPARE(view->TextView()->ChangedCharacters(1).S, std::vector<TCharRange>({{2, 1}}));
        }
        // The encoding can be changed: CP932 bytes read as UTF-8 do not decode.
        auto view = Open(Encoded("CP932", japanese), "x");
        view->CodeBox(TPaneSide::M)->setCurrentIndex(0);
        emit view->CodeBox(TPaneSide::M)->activated(0);
        QVERIFY(view->TextView()->RowText(TPaneSide::M, 0).contains(QChar(0xFFFD)));
    }

    void BinaryPairShowsItsBytesFromTheFirstDifference() {
        QByteArray m(100, '\0'), s(100, '\0');
        s[40] = 'x';
        s[41] = 'y';
        s[90] = 'z';
        s += "tail";
        auto view = Open(m, s);
        QVERIFY(view->ShowsBytes());
        const THexDiffView& hex = *view->HexView();
        QCOMPARE(hex.RunCount(), size_t(3));  // 40-41, 90, and the target's 4 bytes more
        QCOMPARE(hex.CurrentRun(), size_t(0));
        QCOMPARE(view->SummaryText(),
                 QStringLiteral("相違位置 0x28 (40)  相違 7 バイト  長さ 100 / 104 バイト"));
        QVERIFY(hex.RowText(false, 32).startsWith(QStringLiteral("00 00 00 00 00 00 00 00 78 79")));
        QTest::keyClick(view.get(), Qt::Key_F7);
        QCOMPARE(hex.CurrentRun(), size_t(1));
        QVERIFY(view->SummaryText().startsWith(QStringLiteral("相違位置 0x5a (90)")));
    }

    void LargeFilesAndUnknownTextShowBytesWithAMessage() {
        TPairDiffOptions small;
        small.TextLimit = 8;
        auto large = Open(FixedM, FixedS, small);
        QVERIFY(large->ShowsBytes());
        QVERIFY(large->MessageText().contains(QStringLiteral("大きすぎる")));
        // Text that no encoding decodes: bytes, until an encoding is chosen.
        auto latin = Open("caf\xe9\n", "caf\xe8\n");
        QVERIFY(latin->ShowsBytes());
        QVERIFY(latin->MessageText().contains(QStringLiteral("文字コード")));
        latin->CodeBox(TPaneSide::M)->setCurrentIndex(1);
        emit latin->CodeBox(TPaneSide::M)->activated(1);
        QVERIFY(latin->ShowsText());
    }

    void FileThatCannotBeReadShowsWhy() {
        const QString m = Dir.filePath(QStringLiteral("present"));
        WriteBytes(m, "x\n");
        const QString missing = Dir.filePath(QStringLiteral("gone"));
        auto view = OpenPaths(m, missing);
        QVERIFY(!view->ShowsText() && !view->ShowsBytes());
        QVERIFY(view->ErrorText(TPaneSide::M).isEmpty());
        QCOMPARE(view->ErrorText(TPaneSide::S), QStringLiteral("このファイルは読めません: open(") +
                                                    missing +
                                                    QStringLiteral("): No such file or directory"));
        auto folder = OpenPaths(Dir.path(), m);
        QVERIFY(folder->ErrorText(TPaneSide::M).contains(QStringLiteral("Is a directory")));
    }

    void MainWindowOpensTheViewFromItsMenusEnterAndDoubleClick() {
        TTestFolders folders;
        folders.NextFolders();
        MakeTree(folders.M, {{"a.txt", FixedM}, {"crlf.txt", "one\r\ntwo\r\n"}, {"dir/", {}}});
        MakeTree(folders.S, {{"a.txt", FixedS}, {"crlf.txt", "one\ntwo\n"}, {"dir/", {}}});
        RunWindow frm(folders.Settings());
        auto shell = std::make_shared<TRecordingShell>();
        frm.SetShell(shell);
        frm.Options().Compare.IgnoreLineEnds = true;
        frm.Compare(folders.M, folders.S);
        QTRY_VERIFY_WITH_TIMEOUT(!frm.ComparisonRun().IsRunning(), RunTimeoutMs);
        QAction* compare = frm.Actions().mnEditCompare;
        QVERIFY(frm.Grid()->PopupMenu()->actions().contains(compare));
        const auto views = [&] { return frm.findChildren<TfrmPairView*>(); };

        // A row of two folders: nothing to compare.
        QVERIFY(SelectGridRow(frm, RowOf(frm, QStringLiteral("dir/"))));
        QVERIFY(!compare->isEnabled());
        QTest::keyClick(frm.Grid(), Qt::Key_Return);
        QCOMPARE(views().size(), 0);

        // The differing pair, from the menu, Enter and a double click: a window each.
        const int row = RowOf(frm, QStringLiteral("a.txt"));
        QVERIFY(SelectGridRow(frm, row));
        QVERIFY(compare->isEnabled());
        compare->trigger();
        QCOMPARE(views().size(), 1);
        QTest::keyClick(frm.Grid(), Qt::Key_Return);
        QCOMPARE(views().size(), 2);
        const QRect cell = frm.Grid()->visualRect(frm.Grid()->model()->index(row - 1, 0));
        // A double click as a mouse gives it: a click, then the second press.
        QTest::mouseClick(frm.Grid()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(frm.Grid()->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(views().size(), 3);
        for (TfrmPairView* view : views()) {
            QTRY_VERIFY_WITH_TIMEOUT(view->IsLoaded(), EventTimeoutMs);
            QCOMPARE(view->TextView()->DifferenceCount(), size_t(3));
            view->close();
        }
        QTRY_COMPARE(views().size(), 0);

        // A row made equal by IgnoreLineEnds shows no difference in the view either.
        QCOMPARE(GridCell(frm, RowOf(frm, QStringLiteral("crlf.txt")), 4),
                 QStringLiteral("等価 (改行・空白)"));
        QVERIFY(SelectGridRow(frm, RowOf(frm, QStringLiteral("crlf.txt"))));
        compare->trigger();
        QCOMPARE(views().size(), 1);
        TfrmPairView* view = views().front();
        QTRY_VERIFY_WITH_TIMEOUT(view->IsLoaded(), EventTimeoutMs);
        QVERIFY(view->chkLineEnds->isChecked());
        QCOMPARE(view->TextView()->DifferenceCount(), size_t(0));
        view->close();

        // Enter starts the comparison application when the options choose it.
        frm.Options().CompPath = QStringLiteral("cmp ?m ?s");
        frm.Options().EnterStartsCompApp = true;
        QTest::keyClick(frm.Grid(), Qt::Key_Return);
        QCOMPARE(shell->Programs.size(), 1);
        QCOMPARE(shell->Programs.front().front(), QStringLiteral("cmp"));
        QTRY_COMPARE(views().size(), 0);
        // The menu item still opens the view.
        compare->trigger();
        QCOMPARE(views().size(), 1);
    }

    void ViewsClosedWhileLoadingGoQuietly() {
        // Several views at once; those closed before their load ends get nothing.
        for (int i = 0; i < 4; ++i) {
            auto* view = new TfrmPairView(Dir.filePath(QStringLiteral("m1")).toStdString(),
                                          Dir.filePath(QStringLiteral("s1")).toStdString(), {});
            view->show();
            if (i % 2 == 0) {
                view->close();  // deletes itself
                continue;
            }
            QTRY_VERIFY_WITH_TIMEOUT(view->IsLoaded(), EventTimeoutMs);
            delete view;
        }
        QTest::qWait(50);
    }
};

QTEST_MAIN(PairViewTest)
#include "PairViewTest.moc"

// The comparison application's template turned into a program and argument
// list, checked on what would be started.
#include <QTest>

#include "commands/CompareAppCall.h"

namespace {
const QString PathM = QStringLiteral("/data/src/x.txt");
const QString PathS = QStringLiteral("/data/dst/x.txt");
}  // namespace

class CompareAppCallTest : public QObject {
    Q_OBJECT
private slots:
    void ReplacePathTokenQuotesThePathAtTheFirstToken() {
        QString line = QStringLiteral("cmp ?m ?m ?M");
        QCOMPARE(ReplacePathToken(line, QStringLiteral("?m"), QStringLiteral("/a b")), 5);
        QCOMPARE(line, QStringLiteral("cmp \"/a b\" ?m ?M"));
        QCOMPARE(ReplacePathToken(line, QStringLiteral("?s"), QStringLiteral("/c")), 0);
        QCOMPARE(line, QStringLiteral("cmp \"/a b\" ?m ?M"));
        // An empty path gives two double quotes; upper case is no token.
        QCOMPARE(ReplacePathToken(line, QStringLiteral("?m"), QString()), 12);
        QCOMPARE(line, QStringLiteral("cmp \"/a b\" \"\" ?M"));
        QCOMPARE(ReplacePathToken(line, QStringLiteral("?m"), QString()), 0);
    }

    void TemplateWithBothTokens() {
        const TProgramCall call =
            BuildCompareAppCall(QStringLiteral("/usr/local/bin/hoge ?m ?s"), PathM, PathS);
        QCOMPARE(call.Program, QStringLiteral("/usr/local/bin/hoge"));
        QCOMPARE(call.Parameters, QStringLiteral("\"/data/src/x.txt\" \"/data/dst/x.txt\""));
        QCOMPARE(call.Arguments, QStringList({PathM, PathS}));
    }

    void SourceTokenTwice() {
        const TProgramCall call =
            BuildCompareAppCall(QStringLiteral("diff3 ?m ?s ?m"), PathM, PathS);
        QCOMPARE(call.Program, QStringLiteral("diff3"));
        QCOMPARE(call.Arguments, QStringList({PathM, PathS, PathM}));
        QCOMPARE(call.Parameters,
                 QStringLiteral("\"/data/src/x.txt\" \"/data/dst/x.txt\" \"/data/src/x.txt\""));
    }

    void MissingSideGivesTwoDoubleQuotes() {
        TProgramCall call =
            BuildCompareAppCall(QStringLiteral("/usr/local/bin/hoge ?m ?s"), PathM, QString());
        QCOMPARE(call.Parameters, QStringLiteral("\"/data/src/x.txt\" \"\""));
        QCOMPARE(call.Arguments, QStringList({PathM, QString()}));
        // A row that is no result row: both sides empty, the program still starts.
        call = BuildCompareAppCall(QStringLiteral("/usr/local/bin/hoge ?m ?s"), {}, {});
        QCOMPARE(call.Program, QStringLiteral("/usr/local/bin/hoge"));
        QCOMPARE(call.Parameters, QStringLiteral("\"\" \"\""));
        QCOMPARE(call.Arguments, QStringList({QString(), QString()}));
    }

    void QuotedProgramWithBlanks() {
        const QString program = QStringLiteral("/opt/my tools/file compare");
        TProgramCall call = BuildCompareAppCall(
            QLatin1Char('"') + program + QStringLiteral("\" ?m ?s"), PathM, PathS);
        QCOMPARE(call.Program, program);
        QCOMPARE(call.Parameters, QStringLiteral("\"/data/src/x.txt\" \"/data/dst/x.txt\""));
        QCOMPARE(call.Arguments, QStringList({PathM, PathS}));
        // With the target missing the empty argument is kept: the line's last
        // quote is not dropped.
        call = BuildCompareAppCall(QLatin1Char('"') + program + QStringLiteral("\" ?m ?s"), PathM,
                                   QString());
        QCOMPARE(call.Program, program);
        QCOMPARE(call.Arguments, QStringList({PathM, QString()}));
    }

    void TemplateWithoutTokens() {
        const TProgramCall call =
            BuildCompareAppCall(QStringLiteral("  meld --newtab  -L left"), PathM, PathS);
        QCOMPARE(call.Program, QStringLiteral("meld"));
        QCOMPARE(call.Parameters, QStringLiteral("--newtab  -L left"));
        QCOMPARE(call.Arguments, QStringList({QStringLiteral("--newtab"), QStringLiteral("-L"),
                                              QStringLiteral("left")}));
        QCOMPARE(BuildCompareAppCall(QStringLiteral("meld"), PathM, PathS),
                 (TProgramCall{QStringLiteral("meld"), {}, {}}));
        // Blanks only: no word, so no program.
        QVERIFY(BuildCompareAppCall(QStringLiteral("   "), PathM, PathS).Program.isEmpty());
    }

    void FileNamesAreNeverCommands() {
        // Shell signs, quotes and tokens inside a path stay inside its argument.
        const QString hostile =
            QStringLiteral("/tmp/a;rm -rf ~ $(touch x) `id` \"q\" 'p' ?s ?m.txt");
        const TProgramCall call =
            BuildCompareAppCall(QStringLiteral("kdiff3 ?m ?s"), hostile, PathS);
        QCOMPARE(call.Program, QStringLiteral("kdiff3"));
        QCOMPARE(call.Arguments, QStringList({hostile, PathS}));
    }

    void WordSplitting() {
        QCOMPARE(SplitCommandWords(QStringLiteral("a,b\t c")),
                 QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
        // A comma at the end adds an empty word; two commas give one between.
        QCOMPARE(SplitCommandWords(QStringLiteral("a ,")), QStringList({QStringLiteral("a"), {}}));
        QCOMPARE(SplitCommandWords(QStringLiteral("a,,b")),
                 QStringList({QStringLiteral("a"), {}, QStringLiteral("b")}));
        // A doubled quote inside quotes is one quote; an unclosed quote runs to the end.
        QCOMPARE(SplitCommandWords(QStringLiteral("\"say \"\"hi\"\"\" x")),
                 QStringList({QStringLiteral("say \"hi\""), QStringLiteral("x")}));
        QCOMPARE(SplitCommandWords(QStringLiteral("p \"open end")),
                 QStringList({QStringLiteral("p"), QStringLiteral("open end")}));
        QVERIFY(SplitCommandWords(QString()).isEmpty());
    }

    void ArgumentSplitting() {
        QCOMPARE(SplitArguments(QStringLiteral("\"\" x\"y z\"w \"a\"\"b\"")),
                 QStringList({QString(), QStringLiteral("xy zw"), QStringLiteral("a\"b")}));
        // Commas belong to their argument, as the program would read its line.
        QCOMPARE(SplitArguments(QStringLiteral("--opt=a,b")),
                 QStringList({QStringLiteral("--opt=a,b")}));
        QVERIFY(SplitArguments(QStringLiteral(" \t ")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(CompareAppCallTest)
#include "CompareAppCallTest.moc"

// The settings file's store: matching, value reading, the bytes written, and
// values that must come back unchanged.
#include <QTemporaryDir>
#include <QTest>

#include "TestFiles.h"
#include "settings/IniFile.h"

class IniFileTest : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;
    QString Path() const { return Dir.filePath(QStringLiteral("Tandril.ini")); }

private slots:
    void init() { QFile::remove(Path()); }

    void MissingFileReadsAsEmpty() {
        IniFile ini;
        QVERIFY(ini.Load(Path()));
        QCOMPARE(ini.ReadInteger("Form", "Top", 42), 42);
        QCOMPARE(ini.ReadString("Form", "FilePathM", QStringLiteral("x")), QStringLiteral("x"));
    }

    void SectionsAndKeysMatchWithoutLetterCase() {
        WriteLines(Path(), {"[form]", "top=5"});
        IniFile ini;
        QVERIFY(ini.Load(Path()));
        QCOMPARE(ini.ReadInteger("Form", "TOP", 0), 5);
        ini.WriteInteger("FORM", "Top", 7);
        QVERIFY(ini.Save(Path()));
        // One key, kept under the spelling it had in the file.
        QCOMPARE(ReadLines(Path()), QStringList({"[form]", "top=7"}));
    }

    void WritesCrLfWithoutByteOrderMarkOrBlanks() {
        IniFile ini;
        ini.WriteInteger("Form", "Top", 1);
        ini.WriteBool("View", "SameOff", true);
        QVERIFY(ini.Save(Path()));
        // Sections are set apart by two empty lines.
        QCOMPARE(ReadBytes(Path()),
                 QByteArray("[Form]\r\nTop=1\r\n\r\n\r\n[View]\r\nSameOff=1\r\n"));
    }

    void SectionsComeInTheOrderOfFirstWriting() {
        IniFile ini;
        ini.WriteBool("Form", "Max", false);
        ini.WriteBool("View", "SameOff", false);
        ini.WriteInteger("Thread", "Speed", 2);
        ini.WriteInteger("Form", "Top", 3);  // an old section gains a key
        ini.WriteString("RecentFile", "FilePathM000", QStringLiteral("/a"));
        QVERIFY(ini.Save(Path()));
        QCOMPARE(Sections(Path()), QStringList({"Form", "View", "Thread", "RecentFile"}));
        QCOMPARE(SectionLines(Path(), "Form"), QStringList({"Max=0", "Top=3"}));
    }

    void ReadsIntegers_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << "300" << 300;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("plus") << "+4" << 4;
        QTest::newRow("hex 0x") << "0x10" << 16;
        QTest::newRow("hex $") << "$FF" << 255;
        QTest::newRow("blanks around") << "  12  " << 12;
        QTest::newRow("trailing letters") << "12abc" << 99;
        QTest::newRow("letters") << "abc" << 99;
        QTest::newRow("empty") << "" << 99;
        QTest::newRow("sign only") << "-" << 99;
        QTest::newRow("too large") << "99999999999" << 99;
        QTest::newRow("int minimum") << "-2147483648" << int(-2147483647 - 1);
    }
    void ReadsIntegers() {
        QFETCH(QString, stored);
        QFETCH(int, expected);
        WriteLines(Path(), {"[Form]", "Top=" + stored});
        IniFile ini;
        QVERIFY(ini.Load(Path()));
        QCOMPARE(ini.ReadInteger("Form", "Top", 99), expected);
    }

    void ReadsTruthValuesAsIntegers() {
        WriteLines(Path(), {"[View]", "A=5", "B=0", "C=-3", "D=yes"});
        IniFile ini;
        QVERIFY(ini.Load(Path()));
        QCOMPARE(ini.ReadBool("View", "A", false), true);
        QCOMPARE(ini.ReadBool("View", "B", true), false);
        QCOMPARE(ini.ReadBool("View", "C", false), true);
        QCOMPARE(ini.ReadBool("View", "D", true), true);  // not a number: the default
        QCOMPARE(ini.ReadBool("View", "D", false), false);
        QCOMPARE(ini.ReadBool("View", "Missing", true), true);
    }

    void TextValuesComeBackUnchanged_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("japanese") << QStringLiteral("比較ツール　全角空白");
        QTest::newRow("blanks inside") << QStringLiteral("/home/a b/c  d");
        QTest::newRow("blanks around") << QStringLiteral("  /srv/x  ");
        QTest::newRow("line break") << QStringLiteral("/tmp/line\nbreak");
        QTest::newRow("quotes") << QStringLiteral("\"/opt/my app/run\" ?m ?s");
        QTest::newRow("equals and semicolon") << QStringLiteral("a=b;c#d");
        QTest::newRow("empty") << QString();
        // A value read as the start of a block would swallow the keys after it.
        QTest::newRow("leading block mark") << QStringLiteral("<<<END_OF_TEXT");
        QTest::newRow("end tag as a line") << QStringLiteral(" a\nEND_OF_TEXT\nb");
        QTest::newRow("end tag in other case") << QStringLiteral("x\nend_of_text  \nEND_OF_TEXT_1");
        QTest::newRow("header as a line") << QStringLiteral("\n[Form\nTop=1");
    }
    void TextValuesComeBackUnchanged() {
        QFETCH(QString, value);
        {
            IniFile ini;
            ini.WriteString("Application", "Title1", value);
            ini.WriteString("Application", "Path1", QStringLiteral("after"));
            QVERIFY(ini.Save(Path()));
        }
        IniFile ini;
        QVERIFY(ini.Load(Path()));
        QCOMPARE(ini.ReadString("Application", "Title1", QStringLiteral("missing")), value);
        QCOMPARE(ini.ReadString("Application", "Path1", {}), QStringLiteral("after"));
        // Every line break of the file is CR LF.
        const QByteArray bytes = ReadBytes(Path());
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    }

    void CarriageReturnInValueComesBackAsLineFeed() {
        {
            IniFile ini;
            ini.WriteString("Application", "Title1", QStringLiteral("a\rb\r\nc "));
            ini.WriteString("Application", "Path1", QStringLiteral("after"));
            QVERIFY(ini.Save(Path()));
        }
        IniFile ini;
        QVERIFY(ini.Load(Path()));
        QCOMPARE(ini.ReadString("Application", "Title1", {}), QStringLiteral("a\nb\nc "));
        QCOMPARE(ini.ReadString("Application", "Path1", {}), QStringLiteral("after"));
    }

    void HeaderWithoutBracketNamesItsSectionByTheRestOfTheLine() {
        WriteLines(Path(), {"[Form", "Top=5", "[View]", "SameOff=1"});
        IniFile ini;
        QVERIFY(ini.Load(Path()));
        QCOMPARE(ini.ReadInteger("Form", "Top", 0), 5);
        QCOMPARE(ini.ReadBool("View", "SameOff", false), true);
        QVERIFY(ini.Save(Path()));
        QCOMPARE(ReadLines(Path()),
                 QStringList({"[Form]", "Top=5", "", "", "[View]", "SameOff=1"}));
    }

    void SavingAgainChangesNothing() {
        // Lines that are no entries, a comment before a header and an
        // unfinished block: the first save settles the file, later ones keep it.
        WriteBytes(Path(), QByteArray("Tiwon]\nti\xc3\xa8<<END\n; comment\n[Thread]\n"
                                      "Speed=-1\n[Application]\nTitle1=<<<T\nline\n"));
        IniFile ini;
        QVERIFY(ini.Load(Path()));
        QVERIFY(ini.Save(Path()));
        const QByteArray first = ReadBytes(Path());
        for (int round = 0; round < 2; ++round) {
            IniFile again;
            QVERIFY(again.Load(Path()));
            QCOMPARE(again.ReadInteger("Thread", "Speed", 0), -1);
            QCOMPARE(again.ReadString("Application", "Title1", {}), QStringLiteral("line\n"));
            QVERIFY(again.Save(Path()));
            QCOMPARE(ReadBytes(Path()), first);
        }
    }

    void FileInJapaneseCodePageIsRead() {
        // "比較" in CP932.
        WriteBytes(Path(), QByteArray("[Application]\r\nTitle1=\x94\xe4\x8a\x72\r\n"));
        IniFile ini;
        QVERIFY(ini.Load(Path()));
        QCOMPARE(ini.ReadString("Application", "Title1", {}), QStringLiteral("比較"));
    }

    void Utf8ByteOrderMarkIsSkipped() {
        WriteBytes(Path(), QByteArray("\xef\xbb\xbf[Form]\r\nTop=8\r\n"));
        IniFile ini;
        QVERIFY(ini.Load(Path()));
        QCOMPARE(ini.ReadInteger("Form", "Top", 0), 8);
    }

    void DeleteKeyRemovesOnlyThatKey() {
        WriteLines(Path(), {"[RecentFile]", "FilePathM000=/a", "FilePathM001=/b"});
        IniFile ini;
        QVERIFY(ini.Load(Path()));
        ini.DeleteKey("RecentFile", "filepathm000");
        ini.DeleteKey("RecentFile", "FilePathM005");  // missing: nothing happens
        ini.DeleteKey("Nowhere", "Key");
        QVERIFY(ini.Save(Path()));
        QCOMPARE(ReadLines(Path()), QStringList({"[RecentFile]", "FilePathM001=/b"}));
    }

    void SaveCreatesTheFolder() {
        const QString nested = Dir.filePath(QStringLiteral("config/Tandril/Tandril.ini"));
        IniFile ini;
        ini.WriteInteger("Form", "Top", 1);
        QVERIFY(ini.Save(nested));
        QCOMPARE(IniValue(nested, "Form", "Top"), QStringLiteral("1"));
    }

    void SaveReportsFailureAndLeavesNoFile() {
        // A regular file where the folder should be: nothing can be created below it.
        const QString blocker = Dir.filePath(QStringLiteral("blocker"));
        WriteBytes(blocker, "x");
        IniFile ini;
        ini.WriteInteger("Form", "Top", 1);
        QVERIFY(!ini.Save(blocker + QStringLiteral("/Tandril.ini")));
        QCOMPARE(ReadBytes(blocker), QByteArray("x"));
    }
};

QTEST_GUILESS_MAIN(IniFileTest)
#include "IniFileTest.moc"

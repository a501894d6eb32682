// The options record against real settings files: defaults, the Speed rule,
// truth values and texts on their way in and out.
#include <QTemporaryDir>
#include <QTest>

#include "TestFiles.h"
#include "settings/AppOption.h"
#include "settings/IniFile.h"

namespace {

AppOption LoadFrom(const QString& path) {
    IniFile ini;
    ini.Load(path);
    AppOption option;
    option.Load(ini);
    return option;
}

void SaveTo(const AppOption& option, const QString& path) {
    IniFile ini;
    ini.Load(path);
    option.Save(ini);
    ini.Save(path);
}

}  // namespace

class AppOptionTest : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;
    QString Path() const { return Dir.filePath(QStringLiteral("Tandril.ini")); }

private slots:
    void init() { QFile::remove(Path()); }

    void MissingFileGivesEveryDefault() {
        const AppOption o = LoadFrom(Path());
        QVERIFY(!o.SameOff && !o.DiffOff && !o.ShowFront && !o.EndDialog);
        const TCompareOption& c = o.Compare;
        QVERIFY(!c.IgnoreSize && !c.IgnoreAttr && !c.IgnoreAttrH && !c.IgnoreAttrS);
        QVERIFY(!c.IgnoreTime && !c.SkipContents);
        QVERIFY(c.IgnoreAttrR && c.IgnoreAttrA && c.IgnoreDirTimeSize);
        QCOMPARE(o.Speed, uint8_t(2));
        QVERIFY(o.Title1.isEmpty() && o.Path1.isEmpty() && o.Title2.isEmpty());
        QVERIFY(o.Path2.isEmpty() && o.CompTitle.isEmpty() && o.CompPath.isEmpty());
        // The defaults are the engine's.
        QVERIFY(o.Compare == TCompareOption());
    }

    void SpeedTakesItsLowEightBits_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("6 time-critical") << "6" << 6;
        QTest::newRow("0 idle") << "0" << 0;
        QTest::newRow("7 out of range") << "7" << 2;
        QTest::newRow("-1 is 255") << "-1" << 2;
        QTest::newRow("256 is 0") << "256" << 0;
        QTest::newRow("258 is 2") << "258" << 2;
        QTest::newRow("261 is 5") << "261" << 5;
        QTest::newRow("not a number") << "fast" << 2;
    }
    void SpeedTakesItsLowEightBits() {
        QFETCH(QString, stored);
        QFETCH(int, expected);
        WriteLines(Path(), {"[thread]", "speed=" + stored});
        AppOption o = LoadFrom(Path());
        QCOMPARE(int(o.Speed), expected);
        SaveTo(o, Path());
        QCOMPARE(IniValue(Path(), "Thread", "Speed"), QString::number(expected));
    }

    void TruthValuesAreWrittenAsOneOrZero() {
        WriteLines(Path(), {"[View]", "SameOff=5", "DiffOff=1", "[Option]", "AttrR=0", "Naiyou=x"});
        const AppOption o = LoadFrom(Path());
        QVERIFY(o.SameOff);
        QVERIFY(o.DiffOff);                // both hide flags load as stored
        QVERIFY(!o.Compare.IgnoreAttrR);   // the read-only bit then takes part in the comparison
        QVERIFY(!o.Compare.SkipContents);  // not a number: the default
        SaveTo(o, Path());
        QCOMPARE(IniValue(Path(), "View", "SameOff"), QStringLiteral("1"));
        QCOMPARE(IniValue(Path(), "Option", "AttrR"), QStringLiteral("0"));
        QCOMPARE(IniValue(Path(), "Option", "Naiyou"), QStringLiteral("0"));
    }

    void SaveWritesAllKeysInOrder() {
        AppOption o = LoadFrom(Path());
        SaveTo(o, Path());
        QCOMPARE(Sections(Path()), QStringList({"View", "Option", "Thread", "Application"}));
        QCOMPARE(SectionLines(Path(), "View"),
                 QStringList({"SameOff=0", "DiffOff=0", "ShowFront=0", "EndDialog=0"}));
        QCOMPARE(SectionLines(Path(), "Option"),
                 QStringList({"Size=0", "Attr=0", "AttrR=1", "AttrH=0", "AttrS=0", "AttrA=1",
                              "UpdYmdt=0", "UpdYmdtDir=1", "Naiyou=0"}));
        QCOMPARE(SectionLines(Path(), "Thread"), QStringList({"Speed=2"}));
        // Empty texts are written as keys with nothing after "=".
        QCOMPARE(
            SectionLines(Path(), "Application"),
            QStringList({"Title1=", "Path1=", "Title2=", "Path2=", "CompTitle=", "CompPath="}));
        // The keys of later options stay out of the file at their defaults,
        // so that a settings file reads as before.
        o.Compare.IgnoreLineEnds = true;
        o.EnterStartsCompApp = true;
        o.ViewLimitMB = 64;
        SaveTo(o, Path());
        QCOMPARE(SectionLines(Path(), "Option").last(), QStringLiteral("Kaigyou=1"));
        QCOMPARE(SectionLines(Path(), "PairView"), QStringList({"Enter=1", "Limit=64"}));
    }

    void PairViewLimitOutOfRangeGivesTheDefault() {
        for (const auto& [stored, expected] : {std::pair{"64", 64},
                                               {"65536", 65536},
                                               {"0", 256},
                                               {"65537", 256},
                                               {"-5", 256},
                                               {"big", 256}}) {
            WriteLines(Path(), {"[PairView]", "Enter=1", QStringLiteral("Limit=") + stored});
            const AppOption o = LoadFrom(Path());
            QVERIFY(o.EnterStartsCompApp);
            QCOMPARE(o.ViewLimitMB, expected);
        }
    }

    void TextsRoundTripUnchanged() {
        AppOption o = LoadFrom(Path());
        o.Title1 = QStringLiteral("差分 ビューア");
        o.Path1 = QStringLiteral("/opt/差分 ツール/bin/viewer");
        o.CompTitle = QStringLiteral("比較アプリ");
        o.CompPath = QStringLiteral("\"/usr/bin/my diff\" ?m ?s");
        SaveTo(o, Path());
        const AppOption back = LoadFrom(Path());
        QCOMPARE(back.Title1, o.Title1);
        QCOMPARE(back.Path1, o.Path1);
        QCOMPARE(back.CompTitle, o.CompTitle);
        QCOMPARE(back.CompPath, o.CompPath);
    }

    void FarSideSettingsRoundTripAndLeaveNoKeyUnset() {
        AppOption o = LoadFrom(Path());
        QVERIFY(o.Ssh.isEmpty() && o.RemoteProgram.isEmpty());
        o.Ssh = QStringLiteral("ssh -i /home/me/.ssh/比較 -o BatchMode=yes");
        o.RemoteProgram = QStringLiteral("/opt/tandril/bin/TandrilB");
        SaveTo(o, Path());
        const AppOption back = LoadFrom(Path());
        QCOMPARE(back.Ssh, o.Ssh);
        QCOMPARE(back.RemoteProgram, o.RemoteProgram);
        QCOMPARE(back.RemoteSettings().Ssh, o.Ssh.toStdString());
        QCOMPARE(back.RemoteSettings().Program, o.RemoteProgram.toStdString());
        SaveTo(AppOption(), Path());
        QVERIFY(IniValue(Path(), "Remote", "Ssh").isNull());
        QVERIFY(IniValue(Path(), "Remote", "Program").isNull());
        QCOMPARE(AppOption().RemoteSettings(), TRemoteSettings::FromEnvironment());
    }

    void ExcludePatternsKeepOneALineAndNoKeyWithoutThem() {
        // An earlier file has no key: no pattern.
        WriteLines(Path(), {"[Option]", "Size=1"});
        QVERIFY(LoadFrom(Path()).Compare.Exclude.empty());
        // Written as a block of lines; blanks at the ends of a line, blank
        // lines and comments are dropped on the way in.
        AppOption o = LoadFrom(Path());
        o.Compare.Exclude = {"node_modules/", "*.tmp", "/build", "docs/**/a b.bak", "[!x]y"};
        SaveTo(o, Path());
        QVERIFY(ReadBytes(Path()).contains("node_modules/\r\n*.tmp\r\n"));
        QCOMPARE(LoadFrom(Path()).Compare.Exclude, o.Compare.Exclude);
        WriteBytes(Path(),
                   "[Option]\r\nExclude=<<<END\r\n.git/  \r\n\r\n# cache\r\n"
                   "a.o\r\nEND\r\n");
        QCOMPARE(LoadFrom(Path()).Compare.Exclude, std::vector<std::string>({".git/", "a.o"}));
        // Without patterns the key goes, so the file reads as before.
        o.Compare.Exclude.clear();
        SaveTo(o, Path());
        QVERIFY(IniValue(Path(), "Option", "Exclude").isNull());
        QCOMPARE(SectionLines(Path(), "Option").size(), 9);
    }

    void EachOptionKeyLoadsItsOwnFlag() {
        // One key at a time, so that two swapped keys cannot hide each other.
        const std::pair<QString, bool TCompareOption::*> keys[] = {
            {"Size", &TCompareOption::IgnoreSize},
            {"Attr", &TCompareOption::IgnoreAttr},
            {"AttrR", &TCompareOption::IgnoreAttrR},
            {"AttrH", &TCompareOption::IgnoreAttrH},
            {"AttrS", &TCompareOption::IgnoreAttrS},
            {"AttrA", &TCompareOption::IgnoreAttrA},
            {"UpdYmdt", &TCompareOption::IgnoreTime},
            {"UpdYmdtDir", &TCompareOption::IgnoreDirTimeSize},
            {"Naiyou", &TCompareOption::SkipContents},
            {"Kaigyou", &TCompareOption::IgnoreLineEnds},
            {"Idou", &TCompareOption::DetectMoved},
            {"Daishou", &TCompareOption::CaseSensitive}};
        const TCompareOption defaults;
        for (const auto& [key, flag] : keys) {
            WriteLines(Path(), {"[Option]", key + (defaults.*flag ? "=0" : "=1")});
            const TCompareOption c = LoadFrom(Path()).Compare;
            for (const auto& [otherKey, other] : keys)
                QCOMPARE(c.*other, other == flag ? !(defaults.*other) : defaults.*other);
        }
    }

    void OptInVerdictsHaveKeysOnlyWhileUsed() {
        // Read with their numbers (out of range: the default), and handed to
        // the engine as switched.
        WriteLines(Path(), {"[Option]", "Idou=1", "IdouMin=4096", "Jisa=1", "JisaH=2", "Kyoyou=0",
                            "KyoyouS=3601", "Daishou=1"});
        AppOption o = LoadFrom(Path());
        const TCompareOption engine = o.EngineOption();
        QVERIFY(engine.DetectMoved && engine.CaseSensitive);
        QCOMPARE(engine.MovedMinSize, int64_t(4096));
        QCOMPARE(engine.TimeShift, 2);
        QCOMPARE(engine.TimeTolerance, 0);
        QCOMPARE(o.TimeToleranceSeconds, 2);
        o.TimeToleranceOn = true;
        QCOMPARE(o.EngineOption().TimeTolerance, 2);
        SaveTo(o, Path());
        QCOMPARE(IniValue(Path(), "Option", "JisaH"), QStringLiteral("2"));
        QCOMPARE(IniValue(Path(), "Option", "Kyoyou"), QStringLiteral("1"));
        QVERIFY(IniValue(Path(), "Option", "KyoyouS").isNull());
        // Switched off and at their defaults again, the file reads as before.
        SaveTo(AppOption(), Path());
        QCOMPARE(SectionLines(Path(), "Option").size(), 9);
    }

    void SpeedTableKeepsTheDefaultBelowNormal() {
        QCOMPARE(SpeedNiceValue(3), 0);
        QVERIFY(SpeedNiceValue(2) > 0);
        for (uint8_t s = 1; s <= 6; ++s)
            QVERIFY(SpeedNiceValue(s) < SpeedNiceValue(s - 1));
    }
};

QTEST_GUILESS_MAIN(AppOptionTest)
#include "AppOptionTest.moc"

// Where the settings file lives: beside the executable when possible,
// otherwise in the user's configuration folder.
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "TestFiles.h"
#include "settings/SettingsPath.h"

class SettingsPathTest : public QObject {
    Q_OBJECT

private slots:
    // Each case: the executable's folder (@ stands for a writable temporary
    // folder), the system prefixes (@ likewise), whether Tandril.ini exists
    // there already, and whether the file is chosen beside the executable.
    void BesideOrInConfigHome_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("prefixes");
        QTest::addColumn<bool>("existing");
        QTest::addColumn<bool>("beside");
        const QStringList system = SystemPrefixes();
        QTest::newRow("build tree or portable copy") << "@" << system << false << true;
        QTest::newRow("installed in /usr/bin") << "/usr/bin" << system << false << false;
        QTest::newRow("installed in /usr/local/bin")
            << "/usr/local/bin" << system << false << false;
        QTest::newRow("installed in /opt") << "/opt/tandril/bin" << system << false << false;
        QTest::newRow("writable but under a system prefix")
            << "@" << QStringList{"@"} << false << false;
        QTest::newRow("a file already there wins") << "@" << QStringList{"@"} << true << true;
        QTest::newRow("a prefix covers whole components only")
            << "@" << QStringList{"@x", "@/sub", "@-"} << false << true;
    }

    void BesideOrInConfigHome() {
        QFETCH(QString, folder);
        QFETCH(QStringList, prefixes);
        QFETCH(bool, existing);
        QFETCH(bool, beside);
        QTemporaryDir dir;
        folder.replace(QLatin1Char('@'), dir.path());
        prefixes.replaceInStrings(QStringLiteral("@"), dir.path());
        const QString exe = folder + QStringLiteral("/Tandril");
        if (existing)
            WriteBytes(exe + QStringLiteral(".ini"), "[Form]\r\n");
        QCOMPARE(ChooseSettingsPath(exe, QStringLiteral("/home/u/.config"), prefixes),
                 beside ? exe + QStringLiteral(".ini")
                        : QStringLiteral("/home/u/.config/Tandril/Tandril.ini"));
    }

    // Runs as an unprivileged user: root may write anywhere.
    void UnwritableFolderFallsBackToConfigHome() {
        const QByteArray folder = qgetenv("TANDRIL_READONLY_FOLDER");
        if (folder.isEmpty() && geteuid() == 0) {
            QTemporaryDir dir;
            WriteBytes(dir.filePath(QStringLiteral("Kept.ini")), "[Form]\r\n");
            QVERIFY(QFile::setPermissions(dir.path(),
                                          QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                              QFileDevice::ExeOther));
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("TANDRIL_READONLY_FOLDER"), dir.path());
            child.setProcessEnvironment(env);
            child.start(QStringLiteral("setpriv"),
                        {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                         QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(),
                         QStringLiteral("UnwritableFolderFallsBackToConfigHome")});
            QVERIFY(child.waitForFinished(60000));
            QVERIFY2(child.exitCode() == 0, child.readAllStandardOutput().constData());
            return;
        }
        if (folder.isEmpty())
            QSKIP("needs a folder this user cannot write to");
        const QString here = QString::fromLocal8Bit(folder);
        QCOMPARE(ChooseSettingsPath(here + QStringLiteral("/Tandril"),
                                    QStringLiteral("/home/u/.config")),
                 QStringLiteral("/home/u/.config/Tandril/Tandril.ini"));
        // A settings file already beside the executable is used all the same.
        QCOMPARE(
            ChooseSettingsPath(here + QStringLiteral("/Kept"), QStringLiteral("/home/u/.config")),
            here + QStringLiteral("/Kept.ini"));
    }
};

QTEST_GUILESS_MAIN(SettingsPathTest)
#include "SettingsPathTest.moc"

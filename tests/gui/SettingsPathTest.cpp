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
    void BesideAWritableExecutable() {
        QTemporaryDir dir;
        const QString exe = dir.filePath(QStringLiteral("Tandril"));
        QCOMPARE(ChooseSettingsPath(exe, QStringLiteral("/cfg")), exe + QStringLiteral(".ini"));
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

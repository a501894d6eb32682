#include "SettingsPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Whether path is prefix itself or lies below it, by whole path components
// ("/usr" holds "/usr/bin" but not "/usrx").
bool LiesUnder(const QString& path, const QString& prefix) {
    const QString root = QDir::cleanPath(prefix);
    if (root == QStringLiteral("/"))
        return true;
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

}  // namespace

QStringList SystemPrefixes() {
    return {QStringLiteral("/usr"), QStringLiteral("/usr/local"), QStringLiteral("/opt")};
}

QString ChooseSettingsPath(const QString& exePath, const QString& configHome,
                           const QStringList& systemPrefixes) {
    const QFileInfo exe(exePath);
    const QString beside = exePath + QStringLiteral(".ini");
    if (QFileInfo::exists(beside))
        return beside;
    const QString folder = QDir::cleanPath(exe.absolutePath());
    bool installed = false;
    for (const QString& prefix : systemPrefixes)
        installed = installed || LiesUnder(folder, prefix);
    // Root can write into /usr/bin: being writable alone does not make a
    // folder the program's own.
    if (!installed && QFileInfo(folder).isWritable())
        return beside;
    return configHome + QStringLiteral("/Tandril/") + exe.fileName() + QStringLiteral(".ini");
}

QString SettingsFilePath() {
    return ChooseSettingsPath(
        QCoreApplication::applicationFilePath(),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

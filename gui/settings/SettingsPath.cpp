#include "SettingsPath.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

QString ChooseSettingsPath(const QString& exePath, const QString& configHome) {
    const QFileInfo exe(exePath);
    const QString beside = exePath + QStringLiteral(".ini");
    if (QFileInfo::exists(beside) || QFileInfo(exe.absolutePath()).isWritable())
        return beside;
    return configHome + QStringLiteral("/Tandril/") + exe.fileName() + QStringLiteral(".ini");
}

QString SettingsFilePath() {
    return ChooseSettingsPath(
        QCoreApplication::applicationFilePath(),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

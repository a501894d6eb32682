#pragma once

#include <QString>
#include <QStringList>

// The folders under which an installed program lives; a program there keeps
// its settings in the user's configuration folder, never beside itself.
QStringList SystemPrefixes();

// The settings file of the program whose executable is exePath: exePath
// followed by ".ini" when that file already exists, or when the executable's
// folder can be written to and lies under none of systemPrefixes (a build
// tree or a portable copy); otherwise the same file name in the sub-folder
// "Tandril" of configHome (the user's configuration folder).
QString ChooseSettingsPath(const QString& exePath, const QString& configHome,
                           const QStringList& systemPrefixes = SystemPrefixes());

// ChooseSettingsPath for the running executable and $XDG_CONFIG_HOME (default
// ~/.config). Needs the application object.
QString SettingsFilePath();

#pragma once

#include <QString>

// The settings file of the program whose executable is exePath: exePath
// followed by ".ini" when that file exists or the executable's folder can be
// written to; otherwise the same file name in the sub-folder "Tandril" of
// configHome (the user's configuration folder).
QString ChooseSettingsPath(const QString& exePath, const QString& configHome);

// ChooseSettingsPath for the running executable and $XDG_CONFIG_HOME (default
// ~/.config). Needs the application object.
QString SettingsFilePath();

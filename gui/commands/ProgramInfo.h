#pragma once

#include <QIcon>
#include <QString>

// Facts about the program that its dialogs and the Help menu show.

// The version compiled in from the build ("1.1.2.0"); empty when the build
// gave none.
QString VersionText();

// The author's home page and the page from which new releases are downloaded.
extern const char* const HomePageAddress;
extern const char* const DownloadPageAddress;

// The help page of the executable at exePath: the same folder and base name
// with the extension ".html" (Tandril.html beside Tandril).
QString HelpFilePath(const QString& exePath);

// The program's icon: a blue source folder and an orange target folder
// side by side, drawn in code at the sizes the window system asks for.
QIcon ProgramIcon();

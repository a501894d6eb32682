#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// Facts about the program that its dialogs and the Help menu show.

// The version compiled in from the build ("1.1.2.0"); empty when the build
// gave none.
QString VersionText();

// The author's home page and the page from which new releases are downloaded.
extern const char* const HomePageAddress;
extern const char* const DownloadPageAddress;

// The help page of the executable at exePath, named after the executable's
// base name with the extension ".html" (Tandril.html for Tandril), looked up
// first beside the executable (a build tree or a portable copy), then in
// ../share/tandril/ from the executable's folder (an installed program, as in
// /usr/bin and /usr/share/tandril). When neither exists, the path beside the
// executable, so that the failure to open it names the first place looked at.
QString HelpFilePath(const QString& exePath);

// The program's icon: a blue source folder behind an orange target folder
// with the sign of equality. One drawing (a scalable picture built into the
// program) gives the window's icon and the icon files that are installed
// for the desktop's menus.
QIcon ProgramIcon();

// The icon drawn on a transparent square of size pixels.
QImage ProgramIconImage(int size);

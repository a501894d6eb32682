#include "TDesktopShell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

// Why a path that does not exist is missing: its folder is there or not.
TShellResult MissingPath(const QFileInfo& info) {
    return info.dir().exists() ? TShellResult::FileNotFound : TShellResult::PathNotFound;
}

}  // namespace

bool IsAddress(const QString& target) {
    if (target.startsWith(QLatin1Char('/')))
        return false;
    const QUrl url(target, QUrl::StrictMode);
    // One letter before a colon would be a drive on other systems; here such a
    // name is a relative path.
    return url.isValid() && url.scheme().size() >= 2;
}

TShellResult TDesktopShell::StartProgram(const QString& program, const QStringList& arguments) {
    if (program.isEmpty())
        return TShellResult::FileNotFound;
    QString path = program;
    if (!program.contains(QLatin1Char('/'))) {
        path = QStandardPaths::findExecutable(program);
        if (path.isEmpty())
            return TShellResult::FileNotFound;
    } else {
        const QFileInfo info(program);
        if (!info.exists())
            return MissingPath(info);
        if (info.isDir() || !info.isExecutable())
            return TShellResult::BadFormat;
    }
    QProcess process;
    process.setProgram(path);
    process.setArguments(arguments);
    if (process.startDetached())
        return TShellResult::Success;
    return TShellResult::BadFormat;
}

TShellResult TDesktopShell::OpenDocument(const QString& target) {
    if (target.isEmpty())
        return TShellResult::FileNotFound;
    QUrl url;
    if (IsAddress(target)) {
        url = QUrl(target);
    } else {
        const QFileInfo info(target);
        if (!info.exists())
            return MissingPath(info);
        url = QUrl::fromLocalFile(info.absoluteFilePath());
    }
    return QDesktopServices::openUrl(url) ? TShellResult::Success : TShellResult::NoAssociation;
}

#include "TDesktopShell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include "PathText.h"
#include "platform/CopyPaths.h"
#include "platform/Directory.h"
#include "platform/StartProcess.h"

namespace {

// Why a path that does not exist is missing: its folder is there or not.
TShellResult MissingPath(const QFileInfo& info) {
    return info.dir().exists() ? TShellResult::FileNotFound : TShellResult::PathNotFound;
}

TShellResult MissingPath(const std::string& path) {
    return platform::IsFolder(platform::DirName(path)) ? TShellResult::FileNotFound
                                                       : TShellResult::PathNotFound;
}

}  // namespace

QUrl LocalFileUrl(const QString& path) {
    std::string bytes = PathBytes(path);
    if (bytes.empty() || bytes.front() != '/')
        bytes = PathBytes(QDir::currentPath()) + "/" + bytes;
    // Percent-encoded bytes: a name that is not UTF-8 keeps them.
    return QUrl::fromEncoded(QByteArray("file://") +
                             QByteArray::fromStdString(bytes).toPercentEncoding("/"));
}

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
    // Started by bytes: QProcess would pass a name that is not UTF-8 as
    // another, garbled name.
    std::vector<std::string> words;
    for (const QString& argument : arguments)
        words.push_back(PathBytes(argument));
    if (platform::StartDetached(PathBytes(path), words) == 0)
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
        const std::string bytes = PathBytes(target);
        if (!platform::Exists(bytes))
            return MissingPath(bytes);
        url = LocalFileUrl(target);
    }
    return QDesktopServices::openUrl(url) ? TShellResult::Success : TShellResult::NoAssociation;
}

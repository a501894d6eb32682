#include "PathText.h"

#include <QDir>
#include <QStringList>

#include "TRemoteUrl.h"
#include "platform/Encoding.h"

QString PathText(const std::string& bytes) {
    return QString::fromStdU16String(platform::NameToUtf16(bytes));
}

std::string PathBytes(const QString& text) {
    return platform::Utf16ToName(text.toStdU16String());
}

bool IsBlank(QChar c) {
    return c.unicode() <= 32;
}

QString TrimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text.at(begin)))
        ++begin;
    while (end > begin && IsBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString AbsolutePath(const QString& path) {
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')) || IsRemoteUrl(path.toStdString()))
        return path;
    QString absolute = QDir::currentPath();
    for (const QString& step : path.split(QLatin1Char('/'))) {
        if (step.isEmpty() || step == QLatin1String("."))
            continue;
        if (!absolute.endsWith(QLatin1Char('/')))
            absolute += QLatin1Char('/');
        absolute += step;
    }
    return absolute;
}

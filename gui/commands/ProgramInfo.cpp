#include "ProgramInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

const char* const HomePageAddress = "https://tandril.example.org/";
const char* const DownloadPageAddress = "https://tandril.example.org/download/";

QString VersionText() {
#ifdef TANDRIL_VERSION
    return QStringLiteral(TANDRIL_VERSION);
#else
    return {};
#endif
}

QString HelpFilePath(const QString& exePath) {
    const QFileInfo exe(exePath);
    const QString name = exe.completeBaseName() + QStringLiteral(".html");
    const QString beside = exe.path() + QLatin1Char('/') + name;
    const QString installed =
        QDir::cleanPath(exe.path() + QStringLiteral("/../share/tandril/") + name);
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installed))
        return installed;
    return beside;
}

QImage ProgramIconImage(int size) {
    // The resource lives in this static library: nothing else would make the
    // linker keep it.
    Q_INIT_RESOURCE(ProgramIcon);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer drawing(QStringLiteral(":/tandril/org.example.tandril.svg"));
    QPainter p(&image);
    drawing.render(&p);
    return image;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
    return icon;
}

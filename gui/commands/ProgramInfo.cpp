#include "ProgramInfo.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

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
    return exe.path() + QLatin1Char('/') + exe.completeBaseName() + QStringLiteral(".html");
}

namespace {

// A folder shape on a 32 x 32 grid, its body from (x, y), 20 wide, 15 high.
void DrawFolder(QPainter& p, qreal x, qreal y, const QColor& colour) {
    QPainterPath shape;
    shape.moveTo(x, y + 3);
    shape.lineTo(x, y + 18);
    shape.lineTo(x + 20, y + 18);
    shape.lineTo(x + 20, y + 3);
    shape.lineTo(x + 9, y + 3);
    shape.lineTo(x + 7, y);
    shape.lineTo(x + 1, y);
    shape.closeSubpath();
    p.setBrush(colour);
    p.drawPath(shape);
}

}  // namespace

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        DrawFolder(p, 1.5, 4.5, QColor(0x2f, 0x6f, 0xbf));
        DrawFolder(p, 10.5, 10.5, QColor(0xe0, 0x8a, 0x1e));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

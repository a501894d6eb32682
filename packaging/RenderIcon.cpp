// Writes the program's icon as PNG files for the desktop's icon theme:
// FOLDER/NxN/apps/NAME.png for each size N given.
#include <cstdio>
#include <cstdlib>

#include <QDir>
#include <QImage>
#include <QString>

#include "commands/ProgramInfo.h"

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: RenderIcon FOLDER NAME SIZE...\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        const QString file = dir + QLatin1Char('/') + name + QStringLiteral(".png");
        if (size <= 0 || !QDir().mkpath(dir) || !ProgramIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "RenderIcon: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}

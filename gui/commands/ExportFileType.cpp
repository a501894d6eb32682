#include "ExportFileType.h"

namespace ExportFileType {

QStringList Filters() {
    // The last type lists every file: "*.*" would hide names without a dot here.
    return {QStringLiteral("カンマ区切り (*.csv)"), QStringLiteral("タブ区切り (*.csv)"),
            QStringLiteral("スペース区切り (*.txt)"), QStringLiteral("全てのファイル (*)")};
}

char Delimiter(int filterIndex) {
    switch (filterIndex) {
        case 1:
            return ',';
        case 3:
            return ' ';
        default:
            return '\t';
    }
}

QString CompleteName(const QString& name, int filterIndex) {
    const qsizetype lastPart = name.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot >= lastPart ? name.mid(dot).trimmed() : QString();
    if (!extension.isEmpty())
        return name;
    switch (filterIndex) {
        case 1:
        case 2:
            return name + QStringLiteral(".csv");
        case 3:
            return name + QStringLiteral(".txt");
        default:
            return name;
    }
}

}  // namespace ExportFileType

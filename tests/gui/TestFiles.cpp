#include "TestFiles.h"

#include <iconv.h>

#include <QFile>

void WriteLines(const QString& path, const QStringList& lines) {
    WriteBytes(path, (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QByteArray Encoded(const char* code, const QString& text) {
    QByteArray in = text.toUtf8(), out(in.size() * 2 + 8, '\0');
    iconv_t converter = iconv_open(code, "UTF-8");
    char* source = in.data();
    char* target = out.data();
    size_t left = size_t(in.size()), room = size_t(out.size());
    iconv(converter, &source, &left, &target, &room);
    iconv_close(converter);
    out.resize(out.size() - qsizetype(room));
    return out;
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList ReadLines(const QString& path) {
    QStringList lines = QString::fromUtf8(ReadBytes(path)).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList Sections(const QString& path) {
    QStringList names;
    for (const QString& line : ReadLines(path)) {
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')))
            names.append(line.mid(1, line.size() - 2));
    }
    return names;
}

QStringList SectionLines(const QString& path, const QString& section) {
    QStringList result;
    bool inside = false;
    for (const QString& line : ReadLines(path)) {
        if (line.startsWith(QLatin1Char('['))) {
            inside = line.compare(QLatin1Char('[') + section + QLatin1Char(']'),
                                  Qt::CaseInsensitive) == 0;
        } else if (inside && !line.isEmpty()) {
            result.append(line);
        }
    }
    return result;
}

QString IniValue(const QString& path, const QString& section, const QString& key) {
    for (const QString& line : SectionLines(path, section)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1);
    }
    return {};
}

QString MakeArgumentRecorder(const QString& path, const QString& out) {
    WriteBytes(path, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"$0.tmp\" && mv \"$0.tmp\" " +
                         QFile::encodeName(out) + "\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

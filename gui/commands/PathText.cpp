#include "PathText.h"

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

#include "PathText.h"

#include "platform/Encoding.h"

QString PathText(const std::string& bytes) {
    return QString::fromStdU16String(platform::NameToUtf16(bytes));
}

std::string PathBytes(const QString& text) {
    return platform::Utf16ToName(text.toStdU16String());
}

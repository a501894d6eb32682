#include "ExcludePatterns.h"

#include <algorithm>

#include <QRegularExpression>
#include <QStringList>

#include "TExcludeFilter.h"

namespace {

QStringList Lines(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    return text.split(breaks);
}

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// The line's pattern, as TandrilB reads a pattern file: blanks at its end are
// dropped unless "\" escapes the last one; empty for a blank line or a comment.
QString PatternOf(QString line) {
    while (!line.isEmpty() && IsBlank(line.back()) &&
           !(line.size() >= 2 && line.at(line.size() - 2) == QLatin1Char('\\')))
        line.chop(1);
    if (std::all_of(line.begin(), line.end(), IsBlank) || line.startsWith(QLatin1Char('#')))
        return {};
    return line;
}

}  // namespace

std::vector<std::string> ExcludePatternsOf(const QString& text) {
    std::vector<std::string> patterns;
    for (const QString& line : Lines(text)) {
        const QString pattern = PatternOf(line);
        if (!pattern.isEmpty())
            patterns.push_back(pattern.toStdString());
    }
    return patterns;
}

QString ExcludePatternsText(const std::vector<std::string>& patterns) {
    QStringList lines;
    for (const std::string& pattern : patterns)
        lines << QString::fromStdString(pattern);
    return lines.join(QLatin1Char('\n'));
}

TExcludeFailure CheckExcludeText(const QString& text) {
    const QStringList lines = Lines(text);
    for (int i = 0; i < lines.size(); ++i) {
        const QString pattern = PatternOf(lines.at(i));
        if (pattern.isEmpty())
            continue;
        const std::string reason = TExcludeFilter::CheckPattern(pattern.toStdString());
        if (!reason.empty())
            return {i, QStringLiteral("除外するパターンの %1 行目「%2」: %3")
                           .arg(i + 1)
                           .arg(pattern, QString::fromStdString(reason))};
    }
    return {};
}

QString ExcludeSummary(const std::vector<std::string>& patterns) {
    if (patterns.empty())
        return {};
    QStringList shown;
    for (const std::string& pattern : patterns)
        shown << QString::fromStdString(pattern);
    return QStringLiteral("除外: ") + shown.join(QStringLiteral(", "));
}

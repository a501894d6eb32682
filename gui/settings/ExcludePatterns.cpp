#include "ExcludePatterns.h"

#include <utility>

#include <QRegularExpression>
#include <QStringList>

#include "TExcludeFilter.h"

namespace {

QStringList Lines(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    return text.split(breaks);
}

// The line's pattern, as TandrilB reads a pattern file; empty for a blank
// line or a comment.
std::string PatternOf(const QString& line) {
    return std::string(TExcludeFilter::PatternOfLine(line.toStdString()));
}

}  // namespace

std::vector<std::string> ExcludePatternsOf(const QString& text) {
    std::vector<std::string> patterns;
    for (const QString& line : Lines(text)) {
        std::string pattern = PatternOf(line);
        if (!pattern.empty())
            patterns.push_back(std::move(pattern));
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
        const std::string pattern = PatternOf(lines.at(i));
        if (pattern.empty())
            continue;
        const std::string reason = TExcludeFilter::CheckPattern(pattern);
        if (!reason.empty())
            return {i, QStringLiteral("除外するパターンの %1 行目「%2」: %3")
                           .arg(i + 1)
                           .arg(QString::fromStdString(pattern), QString::fromStdString(reason))};
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

#include "CompareAppCall.h"

#include "PathText.h"

namespace {

const QChar Quote = QLatin1Char('"');

qsizetype SkipBlanks(const QString& line, qsizetype i) {
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    return i;
}

}  // namespace

int ReplacePathToken(QString& line, const QString& token, const QString& path, int from) {
    if (token.isEmpty() || from < 1)
        return 0;
    const qsizetype at = line.indexOf(token, from - 1, Qt::CaseSensitive);
    if (at < 0)
        return 0;
    // A double quote inside the path is doubled, so that the word splitting
    // reads it as part of the path and the path stays one argument.
    QString quoted = path;
    quoted.replace(Quote, QStringLiteral("\"\""));
    line.replace(at, token.size(), Quote + quoted + Quote);
    return static_cast<int>(at) + 1;
}

QString ReplacePathTokens(const QString& line, const QString& pathM, const QString& pathS) {
    static const QString TokenM = QStringLiteral("?m");
    static const QString TokenS = QStringLiteral("?s");
    QString result = line;
    int from = 1;
    while (true) {
        const qsizetype atM = result.indexOf(TokenM, from - 1, Qt::CaseSensitive);
        const qsizetype atS = result.indexOf(TokenS, from - 1, Qt::CaseSensitive);
        if (atM < 0 && atS < 0)
            break;
        const bool sourceFirst = atS < 0 || (atM >= 0 && atM < atS);
        const QString& path = sourceFirst ? pathM : pathS;
        const qsizetype before = result.size();
        const int at = ReplacePathToken(result, sourceFirst ? TokenM : TokenS, path, from);
        // Go on after the inserted path, so that a path holding a token is
        // never read as part of the template (and can never make this loop
        // run forever).
        from = at + static_cast<int>(result.size() - before) + 2;
    }
    return result;
}

QStringList SplitCommandWords(const QString& line) {
    QStringList words;
    const qsizetype n = line.size();
    qsizetype i = SkipBlanks(line, 0);
    while (i < n) {
        QString word;
        if (line[i] == Quote) {
            ++i;
            while (i < n) {
                if (line[i] == Quote) {
                    if (i + 1 < n && line[i + 1] == Quote) {
                        word += Quote;
                        i += 2;
                        continue;
                    }
                    ++i;  // the closing quote
                    break;
                }
                word += line[i++];
            }
        } else {
            const qsizetype start = i;
            while (i < n && !IsBlank(line[i]) && line[i] != QLatin1Char(','))
                ++i;
            word = line.mid(start, i - start);
        }
        words.append(word);
        i = SkipBlanks(line, i);
        if (i < n && line[i] == QLatin1Char(',')) {
            if (i == n - 1)
                words.append(QString());
            i = SkipBlanks(line, i + 1);
        }
    }
    return words;
}

QStringList SplitArguments(const QString& parameters) {
    QStringList arguments;
    const qsizetype n = parameters.size();
    qsizetype i = 0;
    while (true) {
        i = SkipBlanks(parameters, i);
        if (i >= n)
            break;
        QString argument;
        bool quoted = false;
        while (i < n) {
            const QChar c = parameters[i];
            if (quoted) {
                if (c == Quote) {
                    if (i + 1 < n && parameters[i + 1] == Quote) {
                        argument += Quote;
                        i += 2;
                        continue;
                    }
                    quoted = false;
                } else {
                    argument += c;
                }
            } else if (IsBlank(c)) {
                break;
            } else if (c == Quote) {
                quoted = true;
            } else {
                argument += c;
            }
            ++i;
        }
        arguments.append(argument);
    }
    return arguments;
}

TProgramCall SplitProgramCall(const QString& line) {
    const QStringList words = SplitCommandWords(line);
    TProgramCall call;
    if (words.isEmpty())
        return call;
    call.Program = words.first();
    if (words.size() < 2)
        return call;
    QString rest = line;
    const qsizetype at = rest.indexOf(call.Program);
    if (at >= 0)
        rest.remove(at, call.Program.size());
    if (rest.startsWith(QStringLiteral("\"\"")))
        rest.remove(0, 2);
    qsizetype blanks = 0;
    while (blanks < rest.size() && rest[blanks] == QLatin1Char(' '))
        ++blanks;
    call.Parameters = rest.mid(blanks);
    call.Arguments = SplitArguments(call.Parameters);
    return call;
}

TProgramCall BuildCompareAppCall(const QString& commandTemplate, const QString& pathM,
                                 const QString& pathS) {
    return SplitProgramCall(ReplacePathTokens(commandTemplate, pathM, pathS));
}

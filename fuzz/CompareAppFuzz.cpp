// The comparison application's command template and the word splitting over
// arbitrary text:
// - a template "program ?m ?s" hands the program exactly the two paths as its
//   two arguments, whatever they hold (blanks, quotes, commas, "?m", control
//   characters), so no path is ever cut up or joined to another;
// - any argument list written with quotes (doubled inside) reads back whole;
// - whatever the template, the call is made of its own parameters, and
//   splitting ends (no token inside a path is read as part of the template).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include <QString>
#include <QStringList>

#include "FuzzCheck.h"
#include "commands/CompareAppCall.h"

namespace {

// Text of any UTF-16 code units, lone surrogates included.
QString TakeText(FuzzedDataProvider& input, size_t units) {
    std::string bytes = input.ConsumeRandomLengthString(units * 2);
    if (input.ConsumeBool())
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return QString(reinterpret_cast<const QChar*>(bytes.data()),
                   static_cast<qsizetype>(bytes.size() / 2));
}

QString Quoted(QString text) {
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const QString pathM = TakeText(input, 64);
    const QString pathS = TakeText(input, 64);
    const QString commandTemplate = TakeText(input, 128);

    // A program without blanks or quotes, then the two tokens.
    TProgramCall call = BuildCompareAppCall(QStringLiteral("/usr/bin/cmp ?m ?s"), pathM, pathS);
    FUZZ_CHECK(call.Program == QStringLiteral("/usr/bin/cmp"));
    FUZZ_CHECK(call.Arguments == QStringList({pathM, pathS}));
    // The same behind a quoted program path with blanks.
    call = BuildCompareAppCall(QStringLiteral("\"/opt/my tools/diff\" -x ?s ?m"), pathM, pathS);
    FUZZ_CHECK(call.Program == QStringLiteral("/opt/my tools/diff"));
    FUZZ_CHECK(call.Arguments == QStringList({QStringLiteral("-x"), pathS, pathM}));

    // Quoted arguments read back whole.
    QStringList list;
    QString joined;
    while (input.remaining_bytes() > 0 && list.size() < 8) {
        list.append(TakeText(input, 16));
        joined += (joined.isEmpty() ? QString() : QStringLiteral(" ")) + Quoted(list.last());
    }
    FUZZ_CHECK(SplitArguments(joined) == list);

    // Any template: the call's arguments are its parameters split.
    call = BuildCompareAppCall(commandTemplate, pathM, pathS);
    FUZZ_CHECK(call.Arguments == SplitArguments(call.Parameters));
    const QStringList words = SplitCommandWords(commandTemplate);
    FUZZ_CHECK(words.size() <= commandTemplate.size() + 1);
    if (words.isEmpty())
        FUZZ_CHECK(call.Program.isEmpty());
    // Without tokens the template is the line itself.
    if (!commandTemplate.contains(QStringLiteral("?m")) &&
        !commandTemplate.contains(QStringLiteral("?s")))
        FUZZ_CHECK(ReplacePathTokens(commandTemplate, pathM, pathS) == commandTemplate);
    return 0;
}

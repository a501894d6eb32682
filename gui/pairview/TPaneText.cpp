#include "TPaneText.h"

TShownLine ShownLine(const QString& line, bool blanks) {
    constexpr qsizetype TabWidth = 4;
    TShownLine shown;
    qsizetype trail = line.size();
    while (trail > 0 && (line[trail - 1] == u' ' || line[trail - 1] == u'\t'))
        --trail;
    shown.Column.reserve(size_t(line.size()) + 1);
    for (qsizetype i = 0; i < line.size(); ++i) {
        shown.Column.push_back(shown.Text.size());
        const QChar c = line[i];
        if (c == u'\t') {
            const qsizetype n = TabWidth - shown.Text.size() % TabWidth;
            shown.Text += blanks ? QStringLiteral("→") + QString(n - 1, u' ') : QString(n, u' ');
        } else if (blanks && c == u' ' && i >= trail) {
            shown.Text += QStringLiteral("·");
        } else {
            shown.Text += c;
        }
    }
    shown.Column.push_back(shown.Text.size());
    return shown;
}

TPaneText::TPaneText(std::shared_ptr<const TPairDiff> diff, TPaneSide side,
                     platform::TTextCode code)
    : Diff(std::move(diff)),
      Side(side == TPaneSide::M ? Diff->M : Diff->S),
      Decoder(std::make_unique<platform::TTextDecoder>(code)) {}

QString TPaneText::Line(int64_t line) const {
    if (line < 0 || static_cast<size_t>(line) >= Side.Lines.Count())
        return {};
    const size_t index = static_cast<size_t>(line);
    std::string_view bytes = Side.Lines.Line(index);
    if (Side.Lines.EndsWithLf(index) && bytes.ends_with('\r'))
        bytes.remove_suffix(1);
    if (index == 0 && Side.Bom && Code() == platform::TTextCode::Utf8)
        bytes.remove_prefix(3);
    if (Code() == platform::TTextCode::Utf8)
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return QString::fromStdU16String(Decoder->Decode(bytes));
}

QString TPaneText::ComparedLine(int64_t line) const {
    QString text = Line(line);
    if (Diff->IgnoreLineEnds) {
        qsizetype end = text.size();
        while (end > 0 && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
            --end;
        text.truncate(end);
    }
    return text;
}

QString TPaneText::LineEnd(int64_t line) const {
    if (line < 0 || static_cast<size_t>(line) >= Side.Lines.Count() ||
        !Side.Lines.EndsWithLf(static_cast<size_t>(line)))
        return {};
    return Side.Lines.Line(static_cast<size_t>(line)).ends_with('\r') ? QStringLiteral("CR LF")
                                                                      : QStringLiteral("LF");
}

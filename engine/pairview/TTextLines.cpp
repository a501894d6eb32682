#include "pairview/TTextLines.h"

#include <algorithm>
#include <cstring>

#include "LineEnds.h"

TTextLines::TTextLines(std::string_view text) : Text(text) {
    bool lf = false, crLf = false;
    const char* data = text.data();
    size_t at = 0;
    while (at < text.size()) {
        Starts.push_back(at);
        const void* end = std::memchr(data + at, '\n', text.size() - at);
        if (!end) {
            Longest = std::max(Longest, text.size() - at);
            break;
        }
        const size_t lineEnd = static_cast<size_t>(static_cast<const char*>(end) - data);
        Longest = std::max(Longest, lineEnd - at);
        if (lineEnd > at && data[lineEnd - 1] == '\r')
            crLf = true;
        else
            lf = true;
        at = lineEnd + 1;
    }
    LastEndsWithLf = !text.empty() && text.back() == '\n';
    LineEnds = lf && crLf ? TLineEndStyle::Mixed
               : crLf     ? TLineEndStyle::CrLf
               : lf       ? TLineEndStyle::Lf
                          : TLineEndStyle::None;
}

std::string_view TTextLines::Line(size_t i) const {
    const size_t start = Starts[i];
    const size_t end = i + 1 < Count()  ? Starts[i + 1] - 1
                       : LastEndsWithLf ? Text.size() - 1
                                        : Text.size();
    return Text.substr(start, end - start);
}

std::string_view TTextLines::Key(size_t i, bool ignoreLineEnds) const {
    return ignoreLineEnds ? LineEnds::Strip(Line(i), EndsWithLf(i)) : Line(i);
}

size_t TTextLines::ComparedCount(bool ignoreLineEnds) const {
    const size_t count = Count();
    if (ignoreLineEnds && count > 0 && !LastEndsWithLf && Key(count - 1, true).empty())
        return count - 1;
    return count;
}

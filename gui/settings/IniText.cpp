#include "IniText.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace {

// The spaces of an ini line: blanks and line ends.
bool IsIniSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view TrimIniSpaces(std::string_view text) {
    while (!text.empty() && IsIniSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsIniSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// Without the blanks that end it, but never without its first character.
std::string_view WithoutTrailingBlanks(std::string_view line) {
    while (line.size() > 1 && IsIniSpace(line.back()))
        line.remove_suffix(1);
    return line;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

// The text with every line end made "\n" and a section header that lacks its
// "]" closed at the end of its line, as Windows reads it. SimpleIni would skip
// such a header yet file the keys after it under a name running across the
// following lines, and write that name back broken, longer at every save.
// Lines inside a "<<<TAG" block are values and stay as they are.
std::string WholeHeaderLines(std::string_view text) {
    if (text.starts_with("\xef\xbb\xbf"))
        text.remove_prefix(3);
    std::string out;
    out.reserve(text.size() + 16);
    std::optional<std::string> tag;  // the end tag of the block being read
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text.find_first_of("\r\n", i);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(i, end - i);
        i = end;
        if (i < text.size())
            i += text.compare(i, 2, "\r\n") == 0 ? 2 : 1;

        std::string_view trimmed = TrimIniSpaces(line);
        out.append(line);
        if (tag) {
            // A block ends at a line that is its tag in any letter case, from
            // the line's first character, blanks after it aside.
            if (EqualsIgnoringCase(WithoutTrailingBlanks(line), *tag))
                tag.reset();
        } else if (trimmed.starts_with('[')) {
            if (trimmed.find(']') == std::string_view::npos)
                out.push_back(']');
        } else if (size_t equals = trimmed.find('='); equals != std::string_view::npos &&
                                                      equals > 0 && trimmed.front() != ';' &&
                                                      trimmed.front() != '#') {
            std::string_view value = TrimIniSpaces(trimmed.substr(equals + 1));
            if (value.starts_with("<<<"))
                tag = std::string(value.substr(3));
        }
        out.push_back('\n');
    }
    return out;
}

// The comment lines that open the file up to its first other line, which
// SimpleIni keeps apart as the file's comment.
std::string LeadingComment(std::string_view text) {
    std::string comment;
    size_t i = 0;
    while (i < text.size() && (text[i] == ';' || text[i] == '#')) {
        size_t end = text.find('\n', i);
        if (end == std::string_view::npos)
            end = text.size();
        if (!comment.empty())
            comment.push_back('\n');
        comment.append(text.substr(i, end - i));
        i = end + 1;
    }
    return comment;
}

// Lines of a text whose lines end in "\n", each ended with CR LF.
void AppendIniLines(std::string& out, std::string_view lines) {
    size_t i = 0;
    while (true) {
        size_t end = lines.find('\n', i);
        out.append(lines.substr(i, end - i)).append("\r\n");
        if (end == std::string_view::npos)
            return;
        i = end + 1;
    }
}

// A value as SimpleIni reads it back: on the key's line when it can stand
// there; otherwise (blanks at either end, a line break, or a leading "<<<",
// which starts a block) as a block of lines ended by a tag that none of its
// lines equals. SimpleIni's own writer always uses END_OF_TEXT, so a value
// holding that line ran on into the keys after it.
void AppendIniValue(std::string& out, std::string_view value) {
    const bool block = !value.empty() && (IsIniSpace(value.front()) || IsIniSpace(value.back()) ||
                                          value.find_first_of("\r\n") != std::string_view::npos ||
                                          value.starts_with("<<<"));
    if (!block) {
        out.append(value);
        return;
    }
    // SimpleIni reads every line end of a block as "\n".
    std::string lines;
    lines.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n')
            continue;
        lines.push_back(value[i] == '\r' ? '\n' : value[i]);
    }
    std::string tag = "END_OF_TEXT";
    for (int n = 1;; ++n) {
        bool clash = false;
        for (size_t i = 0; !clash && i <= lines.size();) {
            size_t end = std::min(lines.find('\n', i), lines.size());
            clash = EqualsIgnoringCase(WithoutTrailingBlanks(lines.substr(i, end - i)), tag);
            i = end + 1;
        }
        if (!clash)
            break;
        tag = "END_OF_TEXT_" + std::to_string(n);
    }
    out.append("<<<").append(tag).append("\r\n");
    AppendIniLines(out, lines);
    out.append(tag);
}

#include "MtreeText.h"

#include <cctype>

namespace {

bool IsOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool NeedsEscape(unsigned char c) {
    if (c <= 0x20 || c >= 0x7f)
        return true;
    switch (c) {
        case '\\':
        case '#':
        case '=':
        case '*':
        case '?':
        case '[':
        case ']':
            return true;
        default:
            return false;
    }
}

void AppendOctal(std::string& out, unsigned char byte) {
    const char escaped[4] = {'\\', static_cast<char>('0' + (byte >> 6)),
                             static_cast<char>('0' + ((byte >> 3) & 7)),
                             static_cast<char>('0' + (byte & 7))};
    out.append(escaped, 4);
}

}  // namespace

void AppendEscapedName(std::string& out, std::string_view name) {
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (NeedsEscape(byte))
            AppendOctal(out, byte);
        else
            out.push_back(c);
    }
}

void AppendEscapedText(std::string& out, std::string_view text) {
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || c == '\\')
            AppendOctal(out, byte);
        else
            out.push_back(c);
    }
}

bool DecodeVis(std::string_view text, std::string& out) {
    out.clear();
    size_t i = 0;
    auto next = [&](char& c) {
        if (i >= text.size())
            return false;
        c = text[i++];
        return true;
    };
    while (i < text.size()) {
        char c = text[i++];
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (!next(c))
            return false;
        unsigned value = 0;
        switch (c) {
            case '\\':
                value = '\\';
                break;
            case 'n':
                value = '\n';
                break;
            case 'r':
                value = '\r';
                break;
            case 't':
                value = '\t';
                break;
            case 'a':
                value = '\a';
                break;
            case 'b':
                value = '\b';
                break;
            case 'f':
                value = '\f';
                break;
            case 'v':
                value = '\v';
                break;
            case 's':
                value = ' ';
                break;
            case 'E':
                value = 0x1b;
                break;
            case '$':
                continue;
            case 'M': {
                char kind, base;
                if (!next(kind) || !next(base))
                    return false;
                if (kind == '-')
                    value = 0x80 | static_cast<unsigned char>(base);
                else if (kind == '^')
                    value = base == '?' ? 0xff : 0x80 | (static_cast<unsigned char>(base) & 0x1f);
                else
                    return false;
                break;
            }
            case '^': {
                char base;
                if (!next(base))
                    return false;
                value = base == '?' ? 0x7f : static_cast<unsigned char>(base) & 0x1f;
                break;
            }
            case 'x': {
                int digits = 0;
                while (digits < 2 && i < text.size() && HexValue(text[i]) >= 0) {
                    value = value * 16 + static_cast<unsigned>(HexValue(text[i++]));
                    ++digits;
                }
                if (digits == 0)
                    return false;
                break;
            }
            default: {
                // A backslash before punctuation keeps it as it is (mtree -c
                // writes "\#" for a name beginning with "#").
                if (std::ispunct(static_cast<unsigned char>(c))) {
                    value = static_cast<unsigned char>(c);
                    break;
                }
                if (!IsOctalDigit(c))
                    return false;
                value = static_cast<unsigned>(c - '0');
                for (int digits = 1; digits < 3 && i < text.size() && IsOctalDigit(text[i]);
                     ++digits)
                    value = value * 8 + static_cast<unsigned>(text[i++] - '0');
                break;
            }
        }
        if (value == 0 || value > 0xff)
            return false;
        out.push_back(static_cast<char>(value));
    }
    return true;
}

bool ParseDecimal(std::string_view text, bool negative, int64_t& out) {
    bool minus = negative && !text.empty() && text[0] == '-';
    if (minus)
        text.remove_prefix(1);
    if (text.empty() || text.size() > 19)
        return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > static_cast<uint64_t>(INT64_MAX))
        return false;
    out = minus ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
    return true;
}

bool ParseOctal(std::string_view text, uint64_t& out) {
    if (text.empty() || text.size() > 11)
        return false;
    uint64_t value = 0;
    for (char c : text) {
        if (!IsOctalDigit(c))
            return false;
        value = value * 8 + static_cast<uint64_t>(c - '0');
    }
    out = value;
    return true;
}

bool ParseTime(std::string_view text, int64_t& seconds, uint32_t& nanoseconds) {
    size_t dot = text.find('.');
    std::string_view whole = text.substr(0, dot);
    if (!ParseDecimal(whole, true, seconds))
        return false;
    nanoseconds = 0;
    if (dot == std::string_view::npos)
        return true;
    std::string_view fraction = text.substr(dot + 1);
    int64_t value = 0;
    if (fraction.size() > 9 || fraction.starts_with('-') || !ParseDecimal(fraction, false, value))
        return false;
    nanoseconds = static_cast<uint32_t>(value);
    return true;
}

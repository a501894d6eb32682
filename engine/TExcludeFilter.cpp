#include "TExcludeFilter.h"

namespace {

constexpr size_t None = std::u32string::npos;

std::u32string ToCodePoints(std::u16string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        // Pairs of surrogates make one character; a lone one (a byte that is
        // not UTF-8) stands for itself.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        out.push_back(c);
    }
    return out;
}

// The end of the set that begins with "[" at text[start] (the position after
// its "]"), or None when it is never closed.
size_t SetEnd(std::u32string_view text, size_t start) {
    size_t i = start + 1;
    if (i < text.size() && (text[i] == U'!' || text[i] == U'^'))
        ++i;
    // A "]" first in the set is one of its members.
    if (i < text.size() && text[i] == U']')
        ++i;
    for (; i < text.size(); ++i) {
        if (text[i] == U'\\' && i + 1 < text.size())
            ++i;
        else if (text[i] == U']')
            return i + 1;
        else if (text[i] == U'/')
            return None;  // a set never holds the folder delimiter
    }
    return None;
}

}  // namespace

std::string_view TExcludeFilter::PatternOfLine(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t') &&
           !(line.size() >= 2 && line[line.size() - 2] == '\\'))
        line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos || line.starts_with('#'))
        return {};
    return line;
}

std::string TExcludeFilter::CheckPattern(std::string_view pattern) {
    platform::TCaseFolder folder;
    folder.Fold(pattern);
    const std::u32string text = ToCodePoints(folder.Utf16());
    if (text.find_first_not_of(U'/') == None)
        return "パターンが空です";
    if (text[0] == U'!')
        return "「!」で始まるパターン (除外の取り消し) は使えません";
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == U'\\') {
            if (i + 1 == text.size())
                return "パターンが「\\」で終わっています";
            ++i;
        } else if (text[i] == U'[') {
            const size_t end = SetEnd(text, i);
            if (end == None)
                return "「[」に対応する「]」がありません";
            i = end - 1;
        }
    }
    return std::string();
}

std::u32string TExcludeFilter::Fold(platform::TCaseFolder& folder, std::string_view name) {
    folder.Fold(name);
    return ToCodePoints(folder.Utf16());
}

TExcludeFilter::TExcludeFilter(const std::vector<std::string>& patterns, bool caseSensitive)
    : KeepCase(caseSensitive) {
    platform::TCaseFolder folder(!caseSensitive);
    for (const std::string& raw : patterns) {
        std::u32string text = Fold(folder, raw);
        TPattern pattern;
        // A trailing "/" (not escaped) asks for folders.
        while (!text.empty() && text.back() == U'/' &&
               !(text.size() >= 2 && text[text.size() - 2] == U'\\')) {
            text.pop_back();
            pattern.FoldersOnly = true;
        }
        pattern.Anchored = text.find(U'/') != None;
        // Parts between the delimiters; "//" gives no empty part.
        std::vector<std::u32string> parts;
        std::u32string part;
        for (size_t i = 0; i <= text.size(); ++i) {
            if (i == text.size() || text[i] == U'/') {
                if (!part.empty())
                    parts.push_back(std::move(part));
                part.clear();
                continue;
            }
            if (text[i] == U'[') {
                const size_t end = SetEnd(text, i);
                if (end != None) {
                    part.append(text, i, end - i);
                    i = end - 1;
                    continue;
                }
            }
            if (text[i] == U'\\' && i + 1 < text.size())
                part.push_back(text[i++]);
            part.push_back(text[i]);
        }
        if (parts.empty())
            continue;  // matches nothing
        for (const std::u32string& p : parts) {
            TPart compiled;
            compiled.DoubleStar = pattern.Anchored && p == U"**";
            if (!compiled.DoubleStar)
                compiled.Tokens = Tokens(p);
            pattern.Parts.push_back(std::move(compiled));
        }
        // "logs/**" holds what is inside logs, not logs itself: at least one
        // more level.
        if (pattern.Parts.size() >= 2 && pattern.Parts.back().DoubleStar) {
            TPart any;
            any.Tokens.emplace_back().Kind = TToken::TKind::Star;
            pattern.Parts.insert(pattern.Parts.end() - 1, std::move(any));
        }
        PathPatterns = PathPatterns || pattern.Anchored;
        Patterns.push_back(std::move(pattern));
    }
}

std::vector<TExcludeFilter::TToken> TExcludeFilter::Tokens(std::u32string_view text) {
    std::vector<TToken> tokens;
    for (size_t i = 0; i < text.size(); ++i) {
        TToken token;
        const char32_t c = text[i];
        if (c == U'*') {
            token.Kind = TToken::TKind::Star;
            if (!tokens.empty() && tokens.back().Kind == TToken::TKind::Star)
                continue;
        } else if (c == U'?') {
            token.Kind = TToken::TKind::Any;
        } else if (c == U'[' && SetEnd(text, i) != None) {
            const size_t end = SetEnd(text, i) - 1;  // the closing "]"
            token.Kind = TToken::TKind::Set;
            size_t k = i + 1;
            if (text[k] == U'!' || text[k] == U'^') {
                token.Negated = true;
                ++k;
            }
            while (k < end) {
                char32_t low = text[k];
                if (low == U'\\' && k + 1 < end)
                    low = text[++k];
                ++k;
                char32_t high = low;
                if (k + 1 < end && text[k] == U'-') {
                    high = text[k + 1];
                    k += 2;
                    if (high == U'\\' && k < end)
                        high = text[k++];
                }
                token.Ranges.emplace_back(low, high);
            }
            i = end;
        } else {
            token.Char = c == U'\\' && i + 1 < text.size() ? text[++i] : c;
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

bool TExcludeFilter::MatchToken(const TToken& token, char32_t c) {
    switch (token.Kind) {
        case TToken::TKind::Literal:
            return token.Char == c;
        case TToken::TKind::Any:
            return true;
        case TToken::TKind::Set: {
            bool in = false;
            for (const auto& [low, high] : token.Ranges)
                in = in || (c >= low && c <= high);
            return in != token.Negated;
        }
        case TToken::TKind::Star:
            break;
    }
    return false;
}

bool TExcludeFilter::MatchPart(const std::vector<TToken>& tokens, std::u32string_view text) {
    // With one kind of star, going back to the last star is enough.
    size_t t = 0, s = 0, starT = None, starS = 0;
    while (s < text.size()) {
        if (t < tokens.size() && tokens[t].Kind == TToken::TKind::Star) {
            starT = t++;
            starS = s;
        } else if (t < tokens.size() && MatchToken(tokens[t], text[s])) {
            ++t;
            ++s;
        } else if (starT != None) {
            t = starT + 1;
            s = ++starS;
        } else {
            return false;
        }
    }
    while (t < tokens.size() && tokens[t].Kind == TToken::TKind::Star)
        ++t;
    return t == tokens.size();
}

bool TExcludeFilter::MatchPath(const std::vector<TPart>& parts,
                               const std::vector<std::u32string_view>& path) {
    // The same walk one level up: a part matches one folder level, "**" any
    // number of them.
    size_t p = 0, c = 0, starP = None, starC = 0;
    while (c < path.size()) {
        if (p < parts.size() && parts[p].DoubleStar) {
            starP = p++;
            starC = c;
        } else if (p < parts.size() && MatchPart(parts[p].Tokens, path[c])) {
            ++p;
            ++c;
        } else if (starP != None) {
            p = starP + 1;
            c = ++starC;
        } else {
            return false;
        }
    }
    while (p < parts.size() && parts[p].DoubleStar)
        ++p;
    return p == parts.size();
}

bool TExcludeFilter::Excludes(const std::vector<std::u32string>& dir, std::u32string_view name,
                              bool isFolder) const {
    std::vector<std::u32string_view> path;
    for (const TPattern& pattern : Patterns) {
        if (pattern.FoldersOnly && !isFolder)
            continue;
        if (!pattern.Anchored) {
            if (MatchPart(pattern.Parts[0].Tokens, name))
                return true;
            continue;
        }
        if (path.empty()) {
            path.assign(dir.begin(), dir.end());
            path.push_back(name);
        }
        if (MatchPath(pattern.Parts, path))
            return true;
    }
    return false;
}

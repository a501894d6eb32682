#include "ExcludeArguments.h"

#include <string_view>

#include "BatchResult.h"
#include "TExcludeFilter.h"
#include "platform/FileReader.h"
#include "platform/TextFile.h"

namespace {

// A pattern file larger than this is not a list of patterns ("/dev/zero").
constexpr size_t PatternFileLimit = 16u << 20;

// Checks one pattern; where names the option and value it came from, as the
// message shows them.
int CheckOne(const std::string& pattern, const std::string& where, std::string& message) {
    if (pattern.starts_with('!')) {
        message = "「!」で始まる除外パターン (除外の取り消し) には対応していません " + where;
        return BatchResult::ExcludeNegation;
    }
    const std::string reason = TExcludeFilter::CheckPattern(pattern);
    if (!reason.empty()) {
        message = "除外パターンが不正です " + where + ": " + reason;
        return BatchResult::BadExcludePattern;
    }
    return BatchResult::Success;
}

// Appends the patterns of one pattern file; on a bad line message names its
// number.
int ReadPatternFile(const std::string& file, std::vector<std::string>& patterns,
                    std::string& message) {
    std::string text;
    int error = 0;
    if (!platform::ReadWholeFile(file, PatternFileLimit, text, error)) {
        message = "除外パターンのファイルを読み込めません \"/excludefrom " + file +
                  "\": " + platform::ErrorString(error);
        return BatchResult::ExcludeFileUnreadable;
    }
    std::string_view rest = text;
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    for (int number = 1; !rest.empty(); ++number) {
        const size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        std::string pattern(TExcludeFilter::PatternOfLine(line));
        if (pattern.empty())
            continue;
        const int result = CheckOne(
            pattern,
            "\"/excludefrom " + file + "\" " + std::to_string(number) + " 行目 \"" + pattern + "\"",
            message);
        if (result != BatchResult::Success)
            return result;
        patterns.push_back(std::move(pattern));
    }
    return BatchResult::Success;
}

}  // namespace

int CollectExcludePatterns(const std::vector<TExcludeArgument>& arguments,
                           std::vector<std::string>& patterns, std::string& message) {
    for (const TExcludeArgument& argument : arguments) {
        if (argument.Value.empty()) {
            message =
                argument.FromFile
                    ? "除外パターンのファイルが指定されていません \"/excludefrom [ファイル名]\""
                    : "除外パターンが指定されていません \"/exclude [パターン]\"";
            return argument.FromFile ? BatchResult::NoExcludeFile : BatchResult::NoExcludePattern;
        }
        int result;
        if (argument.FromFile) {
            result = ReadPatternFile(argument.Value, patterns, message);
        } else {
            result = CheckOne(argument.Value, "\"/exclude " + argument.Value + "\"", message);
            if (result == BatchResult::Success)
                patterns.push_back(argument.Value);
        }
        if (result != BatchResult::Success)
            return result;
    }
    return BatchResult::Success;
}

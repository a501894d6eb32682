// Exclude patterns over arbitrary text: the lines before the first empty line
// are patterns, the lines after it paths ("/" between the folder levels).
// Checking, compiling and matching never fail whatever the bytes, and a
// well-formed pattern without wildcards, escapes or "/" matches its own text
// as a name at any depth.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "TExcludeFilter.h"

namespace {

std::vector<std::string> Split(std::string_view text, char delimiter) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end; (end = text.find(delimiter, start)) != std::string_view::npos; start = end + 1)
        parts.emplace_back(text.substr(start, end - start));
    parts.emplace_back(text.substr(start));
    return parts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> lines =
        Split(std::string_view(reinterpret_cast<const char*>(data), size), '\n');
    std::vector<std::string> patterns, paths;
    bool inPaths = false;
    for (const std::string& line : lines) {
        if (line.empty())
            inPaths = true;
        else
            (inPaths ? paths : patterns).push_back(line);
    }

    static platform::TCaseFolder folder;
    for (const std::string& pattern : patterns) {
        const bool wellFormed = TExcludeFilter::CheckPattern(pattern).empty();
        if (wellFormed && pattern.find_first_of("*?[\\/") == std::string::npos) {
            TExcludeFilter literal({pattern});
            const std::u32string name = TExcludeFilter::Fold(folder, pattern);
            const std::vector<std::u32string> dir{TExcludeFilter::Fold(folder, "sub")};
            FUZZ_CHECK(literal.Excludes({}, name, false));
            FUZZ_CHECK(literal.Excludes(dir, name, true));
        }
    }

    // Malformed patterns are compiled too, as literally as they can be.
    const TExcludeFilter filter(patterns);
    for (const std::string& path : paths) {
        std::vector<std::u32string> dir;
        for (const std::string& part : Split(path, '/'))
            dir.push_back(TExcludeFilter::Fold(folder, part));
        const std::u32string name = dir.back();
        dir.pop_back();
        filter.Excludes(dir, name, false);
        filter.Excludes(dir, name, true);
    }
    return 0;
}

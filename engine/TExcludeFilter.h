#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/CaseFold.h"

// Exclude patterns, as the comparison options carry them, in the style of
// .gitignore lines:
// - a pattern without "/" matches an entry's name at any depth;
// - a pattern with "/" matches the entry's path below the compared folder
//   ("docs/*.tmp" matches docs/a.tmp, not x/docs/a.tmp); a leading "/" anchors a
//   name at the top ("/build" matches build, not src/build);
// - a trailing "/" matches folders only ("cache/");
// - "*" matches any characters but "/", "?" one character but "/", "[...]" one
//   of a set ("[a-z]", "[!0-9]" or "[^0-9]" for any other), "\" takes the next
//   character as it is; "**" as a whole part of a path matches any number of
//   folder levels ("**/tmp", "logs/**", "a/**/b"); elsewhere it is "*";
// - letter case and normalisation form are ignored as pairing ignores them;
//   case sensitively only the normalisation form is.
// The same patterns apply to both trees. An excluded folder is not entered.
class TExcludeFilter {
public:
    // Empty when pattern is well formed; otherwise why it is not, as a
    // sentence a front end can show beside the pattern: an empty pattern, an
    // unclosed "[", a "\" at the end, or a leading "!" (negation is not
    // supported).
    static std::string CheckPattern(std::string_view pattern);

    // The pattern one line of a pattern list holds: the line without the
    // blanks (spaces and tabs) at its end, unless "\" escapes the last one;
    // empty for a blank line or a comment (a line that begins with "#").
    static std::string_view PatternOfLine(std::string_view line);

    // Compiles the patterns. A malformed one is taken as literally as it can
    // be (an unclosed "[" stands for itself; an empty one matches nothing):
    // front ends refuse them first with CheckPattern.
    explicit TExcludeFilter(const std::vector<std::string>& patterns, bool caseSensitive = false);

    bool Empty() const { return Patterns.empty(); }
    // Names are then to be folded by a TCaseFolder that keeps letter case.
    bool CaseSensitive() const { return KeepCase; }
    // True when some pattern needs the entry's path, not only its name.
    bool NeedsPath() const { return PathPatterns; }

    // The folded form of a name as Excludes takes it. folder is scratch
    // state of the calling thread, made as CaseSensitive asks.
    static std::u32string Fold(platform::TCaseFolder& folder, std::string_view name);

    // True when an entry is excluded: dir holds the folded names of the
    // folders from the compared folder down to the entry's folder (empty
    // directly below it), name the entry's folded name.
    bool Excludes(const std::vector<std::u32string>& dir, std::u32string_view name,
                  bool isFolder) const;

private:
    // One character position of a pattern part.
    struct TToken {
        enum class TKind { Literal, Any, Star, Set } Kind = TKind::Literal;
        char32_t Char = 0;                                  // Literal
        bool Negated = false;                               // Set
        std::vector<std::pair<char32_t, char32_t>> Ranges;  // Set
    };
    // The pattern between two "/"; DoubleStar for a whole "**".
    struct TPart {
        bool DoubleStar = false;
        std::vector<TToken> Tokens;
    };
    struct TPattern {
        std::vector<TPart> Parts;
        bool FoldersOnly = false;
        bool Anchored = false;  // matched against the whole path
    };

    static std::vector<TToken> Tokens(std::u32string_view text);
    static bool MatchToken(const TToken& token, char32_t c);
    static bool MatchPart(const std::vector<TToken>& tokens, std::u32string_view text);
    static bool MatchPath(const std::vector<TPart>& parts,
                          const std::vector<std::u32string_view>& path);

    std::vector<TPattern> Patterns;
    bool PathPatterns = false;
    bool KeepCase = false;
};

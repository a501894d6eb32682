#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

// How a file ends its lines, as far as its lines tell.
enum class TLineEndStyle { None, Lf, CrLf, Mixed };

// The lines of a text held elsewhere (the caller keeps the bytes alive). A
// line is what stands between two LFs; the last line may lack its LF, and a
// text that ends with an LF has no empty line after it.
class TTextLines {
public:
    TTextLines() = default;
    explicit TTextLines(std::string_view text);

    size_t Count() const { return Starts.size(); }
    // Line i's bytes without its LF (a CR before the LF stays).
    std::string_view Line(size_t i) const;
    // Only the last line may lack its LF.
    bool EndsWithLf(size_t i) const { return i + 1 < Count() || LastEndsWithLf; }
    // What two lines are compared by: the line itself, or under the rule of
    // IgnoreLineEnds without the CR before its LF and its trailing blanks.
    std::string_view Key(size_t i, bool ignoreLineEnds) const;
    // Lines compared: all of them, but under IgnoreLineEnds a last line that
    // lacks its LF and holds only blanks is nothing (a file that ends in
    // blanks is alike the same file without them).
    size_t ComparedCount(bool ignoreLineEnds) const;
    TLineEndStyle Style() const { return LineEnds; }
    // Bytes of the longest line.
    size_t LongestLine() const { return Longest; }

private:
    std::string_view Text;
    std::vector<size_t> Starts;
    bool LastEndsWithLf = false;
    size_t Longest = 0;
    TLineEndStyle LineEnds = TLineEndStyle::None;
};

#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

// Case-insensitive collation of the user's locale (LC_ALL, LC_COLLATE, LANG;
// the root collation for C or POSIX) at secondary strength: letter case is
// ignored, accents are not. Sort keys compare as bytes. Without collation data
// the order is that of bytes with ASCII letters folded.
class TCollator {
public:
    TCollator();
    ~TCollator();
    TCollator(const TCollator&) = delete;
    TCollator& operator=(const TCollator&) = delete;

    // The locale name the collator was made for ("" for the root collation).
    const std::string& LocaleName() const { return Locale; }
    // Replaces key with the sort key of a UTF-8 text. Each byte that is not
    // part of well-formed UTF-8 collates as a character of its own, different
    // for every byte value and from every character. Two texts are equal to
    // the collator exactly when their keys are equal. Throws std::bad_alloc
    // when ICU runs out of memory, as the constructor does.
    void SortKey(std::string_view utf8, std::string& key);

private:
    struct TState;
    std::unique_ptr<TState> State;
    std::string Locale;
};

// The collation locale the environment asks for: "ja_JP" for LANG=ja_JP.UTF-8,
// "" for C, POSIX or nothing.
std::string CollationLocale();

}  // namespace platform

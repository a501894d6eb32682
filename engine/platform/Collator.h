#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/CaseFold.h"

namespace platform {

// The order of paths: the collation of the user's locale (LC_ALL,
// LC_COLLATE, LANG; the root collation for C or POSIX) at secondary strength,
// applied to the folded form of the path (TCaseFolder: letter case and
// normalisation form folded away; bytes that are not UTF-8 kept as they are).
// Paths with the same folded form therefore collate alike in every locale;
// paths that collate alike may still differ (kana type, width, ignorable
// characters), which the caller tells apart by the folded forms. Without
// collation data the order is that of the folded bytes.
class TCollator {
public:
    TCollator();
    ~TCollator();
    TCollator(const TCollator&) = delete;
    TCollator& operator=(const TCollator&) = delete;

    // The locale name the collator was made for ("" for the root collation).
    const std::string& LocaleName() const { return Locale; }
    // The collation key of the folded form of the path folder + name (UTF-8,
    // any bytes; folder empty or ending in "/"), valid until the next call;
    // keys compare as bytes. Calls for entries of the same folder in a row
    // fold the folder's part once. Throws std::bad_alloc when ICU runs out of
    // memory, as the constructor does.
    std::string_view SortKey(std::string_view folder, std::string_view name);

private:
    struct TState;
    std::unique_ptr<TState> State;
    TCaseFolder Folder;
    std::string Locale;
};

// The collation locale the environment asks for: "ja_JP" for LANG=ja_JP.UTF-8,
// "" for C, POSIX or nothing.
std::string CollationLocale();

}  // namespace platform

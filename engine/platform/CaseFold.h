#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Folds names so that those which differ only in letter case or in their
// Unicode normalisation form become equal, and nothing else does: simple case
// folding, one character to one, as case-insensitive file systems fold
// ("Straße" and "STRAẞE" become "straße", "STRASSE" stays "strasse"), of the
// canonically decomposed name, composed again (NFC). Kana type, character
// width and characters a collator would ignore are kept. Each byte that is
// not part of well-formed UTF-8 stays as it is and breaks composition, as a
// character of its own.
//
// Made with foldCase false it only composes (NFC): letter case is kept, and
// names are equal exactly when they are the same text in two normalisation
// forms.
//
// One folder per thread: the results live in its buffers, reused by every call.
class TCaseFolder {
public:
    explicit TCaseFolder(bool foldCase = true) : FoldLetters(foldCase) {}

    // Folds utf8. The result (UTF-8) is valid until the next call.
    std::string_view Fold(std::string_view utf8);
    // Folds folder followed by name, where folder is empty or ends in "/":
    // the same result as folding the two joined (no character composes
    // with "/"), but the folder's part is folded only when it differs from
    // the last call's, as it seldom does for the entries of one tree.
    std::string_view Fold(std::string_view folder, std::string_view name);
    // The last result as UTF-16, each byte that is not UTF-8 as the lone
    // surrogate U+DC80..U+DCFF of its value (which no UTF-8 text can hold).
    std::u16string_view Utf16() const { return {Result.Data.data(), Result.Length}; }

    // A buffer that only grows, so that nothing is cleared per call.
    template <class T>
    struct TBuffer {
        std::vector<T> Data;
        size_t Length = 0;
        T* Room(size_t size);
    };

private:
    // Appends the folded form of utf8 to Result and Out.
    void Append(std::string_view utf8);

    const bool FoldLetters;
    TBuffer<char16_t> Composed, Result;
    TBuffer<char> Out;
    // The folder of the last two-part call; its folded form begins Result and Out.
    std::string LastFolder;
    bool HaveFolder = false;
    size_t FolderLength16 = 0, FolderLength8 = 0;
};

// Returns the folded form of utf8 (see TCaseFolder).
std::string FoldCase(std::string_view utf8);

}  // namespace platform

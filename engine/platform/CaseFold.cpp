#include "platform/CaseFold.h"

#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <atomic>
#include <new>

// How a text is folded. The folded form of a text is
//   NFC(fold(NFD(text)))
// where fold maps every character that is not a combining mark by simple case
// folding. Since normalisation only reorders combining marks and composes
// across them, this equals NFC of the folded forms of its characters one by
// one joined together. So each character's folded form is worked out once
// (for the Basic Multilingual Plane, kept in a table shared by all threads),
// and the joined text is composed again only when one of its characters can
// interact with the one before it (a combining mark, a kana voicing mark);
// most names never need the normaliser.

namespace platform {

namespace {

const UNormalizer2* Checked(const UNormalizer2* n, UErrorCode status) {
    if (status == U_MEMORY_ALLOCATION_ERROR)
        throw std::bad_alloc();
    return U_SUCCESS(status) ? n : nullptr;
}

// ICU's shared normalisers; null without normalisation data, when names are
// folded without normalising them.
const UNormalizer2* Normalizer(bool compose) {
    static const UNormalizer2* const nfc = [] {
        UErrorCode status = U_ZERO_ERROR;
        return Checked(unorm2_getNFCInstance(&status), status);
    }();
    static const UNormalizer2* const nfd = [] {
        UErrorCode status = U_ZERO_ERROR;
        return Checked(unorm2_getNFDInstance(&status), status);
    }();
    return compose ? nfc : nfd;
}

// A byte that is not UTF-8 is carried as the lone surrogate of its value.
constexpr UChar32 BadByteBase = 0xDC00;

bool IsBadByte(UChar32 c) {
    return c >= BadByteBase + 0x80 && c <= BadByteBase + 0xFF;
}

// The normalised form of text[0, length) in out (room units); its length.
int32_t Normalize(const UNormalizer2* n, const char16_t* text, int32_t length, char16_t* out,
                  int32_t room) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t size = unorm2_normalize(n, text, length, out, room, &status);
    if (status == U_MEMORY_ALLOCATION_ERROR)
        throw std::bad_alloc();
    if (U_FAILURE(status) || size > room) {
        // Not expected with the room the callers give; keep the text as it is.
        std::copy(text, text + length, out);
        return length;
    }
    return size;
}

// Room for the forms of one character: a canonical decomposition has at most
// four characters.
constexpr int32_t CharRoom = 16;

// The folded form of the one character c in out; its length. boundary tells
// whether every character of it begins a new composition segment, so that
// nothing before it can compose or reorder with it.
int32_t FoldCharacter(UChar32 c, char16_t* out, bool& boundary) {
    char16_t text[CharRoom], decomposed[CharRoom], folded[CharRoom];
    int32_t length = 0;
    U16_APPEND_UNSAFE(text, length, c);
    const UNormalizer2* nfd = Normalizer(false);
    const UNormalizer2* nfc = Normalizer(true);
    if (nfd) {
        length = Normalize(nfd, text, length, decomposed, CharRoom);
    } else {
        std::copy(text, text + length, decomposed);
    }
    int32_t foldedLength = 0;
    for (int32_t i = 0; i < length;) {
        UChar32 d;
        U16_NEXT_UNSAFE(decomposed, i, d);
        // Combining marks keep their case: folding U+0345 to iota would make
        // "ᾳ" the two letters "αι".
        if (u_getCombiningClass(d) == 0)
            d = u_foldCase(d, U_FOLD_CASE_DEFAULT);
        U16_APPEND_UNSAFE(folded, foldedLength, d);
    }
    if (nfc) {
        length = Normalize(nfc, folded, foldedLength, out, CharRoom);
    } else {
        std::copy(folded, folded + foldedLength, out);
        length = foldedLength;
    }
    boundary = true;
    for (int32_t i = 0; i < length;) {
        UChar32 d;
        U16_NEXT_UNSAFE(out, i, d);
        if (nfc && !unorm2_hasBoundaryBefore(nfc, d))
            boundary = false;
    }
    return length;
}

// Folded forms of the characters U+0000..U+FFFF, learnt on first use: the
// folded character in the low 16 bits, or Several when it is not one
// character of this plane (then it is worked out each time, as for the few
// other planes' characters that names hold).
constexpr uint32_t Known = 1u << 31;
constexpr uint32_t Boundary = 1u << 30;
constexpr uint32_t Several = 1u << 29;
std::atomic<uint32_t> FoldTable[0x10000];

uint32_t Learn(UChar32 c) {
    char16_t out[CharRoom];
    bool boundary = false;
    const int32_t length = FoldCharacter(c, out, boundary);
    uint32_t entry = Known;
    if (length == 1 && !U16_IS_SURROGATE(out[0])) {
        entry |= out[0];
        if (boundary)
            entry |= Boundary;
    } else {
        entry |= Several;
    }
    // Threads that learn the same character at once store the same value.
    FoldTable[c].store(entry, std::memory_order_relaxed);
    return entry;
}

}  // namespace

template <class T>
T* TCaseFolder::TBuffer<T>::Room(size_t size) {
    if (Data.size() < size)
        Data.resize(std::max(size, 2 * Data.size()));
    return Data.data();
}

std::string_view TCaseFolder::Fold(std::string_view utf8) {
    HaveFolder = false;
    Result.Length = 0;
    Out.Length = 0;
    Append(utf8);
    return {Out.Data.data(), Out.Length};
}

std::string_view TCaseFolder::Fold(std::string_view folder, std::string_view name) {
    if (!HaveFolder || folder != LastFolder) {
        Result.Length = 0;
        Out.Length = 0;
        Append(folder);
        LastFolder.assign(folder);
        HaveFolder = true;
        FolderLength16 = Result.Length;
        FolderLength8 = Out.Length;
    }
    // Appends after the folder's folded form, which no later call changes.
    Result.Length = FolderLength16;
    Out.Length = FolderLength8;
    Append(name);
    return {Out.Data.data(), Out.Length};
}

void TCaseFolder::Append(std::string_view utf8) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
    const size_t byteCount = utf8.size();
    // ASCII names (most of them) are normalised already and fold to lower
    // case; anything else is undone by the general way below.
    {
        char16_t* wide = Result.Room(Result.Length + byteCount) + Result.Length;
        char* narrow = Out.Room(Out.Length + byteCount) + Out.Length;
        uint8_t high = 0;
        for (size_t i = 0; i < byteCount; ++i) {
            const uint8_t b = bytes[i];
            high |= b;
            const auto c = static_cast<uint8_t>(
                b | (FoldLetters && static_cast<uint8_t>(b - 'A') < 26 ? 0x20 : 0));
            narrow[i] = static_cast<char>(c);
            wide[i] = c;
        }
        if (high < 0x80) {
            Result.Length += byteCount;
            Out.Length += byteCount;
            return;
        }
    }

    const size_t start16 = Result.Length;
    const size_t start8 = Out.Length;
    bool composed = true;
    // A character from the table takes one unit, and at most one and a half
    // times its bytes in UTF-8 (U+023A folds to U+2C65).
    char16_t* wide = Result.Room(Result.Length + byteCount);
    char* narrow = Out.Room(Out.Length + 2 * byteCount);
    auto length16 = static_cast<int32_t>(Result.Length);
    auto length8 = static_cast<int32_t>(Out.Length);
    const auto count = static_cast<int32_t>(byteCount);
    for (int32_t i = 0; i < count;) {
        const int32_t start = i;
        UChar32 c;
        U8_NEXT(bytes, i, count, c);
        if (c < 0) {
            // A byte that is not UTF-8: itself, unfolded.
            i = start + 1;
            wide[length16++] = static_cast<char16_t>(BadByteBase + bytes[start]);
            narrow[length8++] = static_cast<char>(bytes[start]);
        } else if (c < 0x80) {
            if (FoldLetters && c >= 'A' && c <= 'Z')
                c += 'a' - 'A';
            wide[length16++] = static_cast<char16_t>(c);
            narrow[length8++] = static_cast<char>(c);
        } else if (!FoldLetters) {
            // Kept as it is; the whole name is composed below.
            U16_APPEND_UNSAFE(wide, length16, c);
            U8_APPEND_UNSAFE(narrow, length8, c);
            composed = false;
        } else {
            uint32_t entry = Several;
            if (c < 0x10000) {
                entry = FoldTable[c].load(std::memory_order_relaxed);
                if (!(entry & Known))
                    entry = Learn(c);
            }
            if (!(entry & Several)) {
                const auto f = static_cast<UChar32>(entry & 0xFFFF);
                wide[length16++] = static_cast<char16_t>(f);
                U8_APPEND_UNSAFE(narrow, length8, f);
                composed = composed && (entry & Boundary);
            } else {
                char16_t out[CharRoom];
                bool boundary = false;
                const int32_t length = FoldCharacter(c, out, boundary);
                // Room for this character beyond what the rest may take.
                const auto rest = static_cast<size_t>(count - i);
                wide = Result.Room(static_cast<size_t>(length16) + CharRoom + rest);
                narrow = Out.Room(static_cast<size_t>(length8) + 3 * CharRoom + 2 * rest);
                for (int32_t k = 0; k < length;) {
                    UChar32 f;
                    U16_NEXT_UNSAFE(out, k, f);
                    U16_APPEND_UNSAFE(wide, length16, f);
                    U8_APPEND_UNSAFE(narrow, length8, f);
                }
                composed = composed && boundary;
            }
        }
    }
    Result.Length = static_cast<size_t>(length16);
    Out.Length = static_cast<size_t>(length8);
    if (composed)
        return;

    // A character that may compose with or reorder around the one before it
    // (a combining mark, an NFD spelling): compose the whole name again.
    const UNormalizer2* nfc = Normalizer(true);
    if (!nfc)
        return;
    const auto length = static_cast<int32_t>(Result.Length - start16);
    // Composition can lengthen a text up to three times (marks reordered
    // away from the composite before them).
    const int32_t room = 3 * length + CharRoom;
    char16_t* source = Composed.Room(static_cast<size_t>(length + room));
    std::copy(Result.Data.begin() + static_cast<ptrdiff_t>(start16),
              Result.Data.begin() + static_cast<ptrdiff_t>(Result.Length), source);
    char16_t* target = source + length;
    const int32_t size = Normalize(nfc, source, length, target, room);
    std::copy(target, target + size, Result.Room(start16 + static_cast<size_t>(size)) + start16);
    Result.Length = start16 + static_cast<size_t>(size);
    narrow = Out.Room(start8 + 3 * static_cast<size_t>(size));
    length8 = static_cast<int32_t>(start8);
    for (int32_t k = 0; k < size;) {
        UChar32 f;
        U16_NEXT_UNSAFE(target, k, f);
        if (IsBadByte(f)) {
            narrow[length8++] = static_cast<char>(f - BadByteBase);
        } else {
            U8_APPEND_UNSAFE(narrow, length8, f);
        }
    }
    Out.Length = static_cast<size_t>(length8);
}

std::string FoldCase(std::string_view utf8) {
    TCaseFolder folder;
    return std::string(folder.Fold(utf8));
}

}  // namespace platform

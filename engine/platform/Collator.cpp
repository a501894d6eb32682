#include "platform/Collator.h"

#include <unicode/ucol.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <cstdlib>
#include <new>
#include <vector>

namespace platform {

std::string CollationLocale() {
    const char* value = nullptr;
    for (const char* name : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* v = std::getenv(name);
        if (v && *v) {
            value = v;
            break;
        }
    }
    if (!value)
        return "";
    std::string locale(value);
    size_t cut = locale.find_first_of(".@");
    if (cut != std::string::npos)
        locale.resize(cut);
    if (locale == "C" || locale == "POSIX")
        return "";
    return locale;
}

struct TCollator::TState {
    UCollator* Collator = nullptr;
    std::vector<UChar> Text;
};

namespace {

// Each tree is sorted by a collator of its own, and pairing needs both in the
// same order: a collator that could not be made for want of memory must end
// the run, never fall back to byte order on one side only.
void ThrowIfOutOfMemory(UErrorCode status) {
    if (status == U_MEMORY_ALLOCATION_ERROR)
        throw std::bad_alloc();
}

}  // namespace

TCollator::TCollator() : State(std::make_unique<TState>()), Locale(CollationLocale()) {
    UErrorCode status = U_ZERO_ERROR;
    State->Collator = ucol_open(Locale.c_str(), &status);
    if (U_FAILURE(status)) {
        ThrowIfOutOfMemory(status);
        State->Collator = nullptr;
        status = U_ZERO_ERROR;
        State->Collator = ucol_open("", &status);
        if (U_FAILURE(status)) {
            ThrowIfOutOfMemory(status);
            State->Collator = nullptr;
        }
    }
    if (State->Collator)
        ucol_setStrength(State->Collator, UCOL_SECONDARY);
}

TCollator::~TCollator() {
    if (State->Collator)
        ucol_close(State->Collator);
}

void TCollator::SortKey(std::string_view utf8, std::string& key) {
    if (!State->Collator) {
        // Without collation data the order is that of bytes with ASCII letters folded.
        key.assign(utf8);
        for (char& c : key)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return;
    }
    std::vector<UChar>& text = State->Text;
    // UTF-16 never needs more units than UTF-8 has bytes.
    if (text.size() < utf8.size() + 1)
        text.resize(utf8.size() + 1);
    int32_t length = 0;
    const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto byteCount = static_cast<int32_t>(utf8.size());
    for (int32_t i = 0; i < byteCount;) {
        const int32_t start = i;
        UChar32 c;
        U8_NEXT(bytes, i, byteCount, c);
        if (c < 0) {
            // A byte that is not UTF-8 keeps its own weight (as the lone
            // surrogate U+DC80..U+DCFF, which no UTF-8 text can hold), so
            // that two different names never collate as one.
            i = start + 1;
            c = 0xDC00 + bytes[start];
        }
        U16_APPEND_UNSAFE(text.data(), length, c);
    }
    if (key.size() < 16 + 4 * utf8.size())
        key.resize(16 + 4 * utf8.size());
    int32_t size =
        ucol_getSortKey(State->Collator, text.data(), length,
                        reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
    if (size > static_cast<int32_t>(key.size())) {
        key.resize(static_cast<size_t>(size));
        size = ucol_getSortKey(State->Collator, text.data(), length,
                               reinterpret_cast<uint8_t*>(key.data()),
                               static_cast<int32_t>(key.size()));
    }
    // Every key, even that of an empty text, holds at least its NUL byte: no
    // key at all means ICU could not allocate what it needed.
    if (size <= 0)
        throw std::bad_alloc();
    // The key ends in a NUL byte that adds nothing to byte comparisons.
    key.resize(static_cast<size_t>(size - 1));
}

}  // namespace platform

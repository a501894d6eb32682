#include "platform/Collator.h"

#include <unicode/ucol.h>

#include <algorithm>
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
    std::vector<uint8_t> Buffer;
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

std::string_view TCollator::SortKey(std::string_view folder, std::string_view name) {
    const std::string_view folded = Folder.Fold(folder, name);
    if (!State->Collator)
        return folded;
    const std::u16string_view text = Folder.Utf16();
    const auto length = static_cast<int32_t>(text.size());
    // The buffer only grows, so that most keys are written at the first try
    // and nothing is cleared per key.
    std::vector<uint8_t>& buffer = State->Buffer;
    if (buffer.size() < 16 + 4 * text.size())
        buffer.resize(std::max(16 + 4 * text.size(), 2 * buffer.size()));
    int32_t size = ucol_getSortKey(State->Collator, text.data(), length, buffer.data(),
                                   static_cast<int32_t>(buffer.size()));
    if (size > static_cast<int32_t>(buffer.size())) {
        buffer.resize(static_cast<size_t>(size));
        size = ucol_getSortKey(State->Collator, text.data(), length, buffer.data(), size);
    }
    // Every key, even that of an empty text, holds at least its NUL byte: no
    // key at all means ICU could not allocate what it needed.
    if (size <= 0)
        throw std::bad_alloc();
    // The key ends in a NUL byte that adds nothing to byte comparisons.
    return std::string_view(reinterpret_cast<const char*>(buffer.data()),
                            static_cast<size_t>(size - 1));
}

}  // namespace platform

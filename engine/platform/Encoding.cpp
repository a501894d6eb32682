#include "platform/Encoding.h"

#include <langinfo.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <cstring>
#include <memory>
#include <vector>

namespace platform {

namespace {

// Length of the well-formed UTF-8 sequence at text[i], or 0 when the bytes
// there are not one (overlong forms, surrogates and values past U+10FFFF included).
size_t SequenceLength(std::string_view text, size_t i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char c = byte(i);
    if (c < 0x80)
        return 1;
    size_t n = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0)
            low = 0xA0;
        if (c == 0xED)
            high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0)
            low = 0x90;
        if (c == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + n > text.size())
        return 0;
    if (byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (size_t k = 2; k < n; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    return n;
}

struct TConverterClose {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using TConverter = std::unique_ptr<UConverter, TConverterClose>;

TConverter OpenConverter(const char* name) {
    UErrorCode status = U_ZERO_ERROR;
    TConverter converter(ucnv_open(name, &status));
    if (U_FAILURE(status))
        return nullptr;
    status = U_ZERO_ERROR;
    ucnv_setSubstChars(converter.get(), "?", 1, &status);
    ucnv_setFallback(converter.get(), false);
    return converter;
}

// Converters are not thread-safe; each thread keeps its own.
UConverter* Cp932Converter() {
    thread_local TConverter converter = OpenConverter("windows-31j");
    return converter.get();
}

// Converts one well-formed UTF-8 run and appends the bytes.
void AppendFromUtf8(UConverter* converter, std::string_view utf8, std::string& out) {
    thread_local std::vector<UChar> text;
    text.resize(utf8.size() + 1);
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(text.data(), static_cast<int32_t>(text.size()), &length, utf8.data(),
                  static_cast<int32_t>(utf8.size()), &status);
    if (U_FAILURE(status)) {
        out.append(utf8);
        return;
    }
    size_t start = out.size();
    size_t capacity = static_cast<size_t>(length) * 4 + 8;
    out.resize(start + capacity);
    status = U_ZERO_ERROR;
    ucnv_resetFromUnicode(converter);
    int32_t written = ucnv_fromUChars(converter, out.data() + start, static_cast<int32_t>(capacity),
                                      text.data(), length, &status);
    if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING)
        written = 0;
    out.resize(start + static_cast<size_t>(written));
}

// UTF-8 to the converter's encoding; bytes that are not UTF-8 pass unchanged.
std::string FromUtf8(UConverter* converter, std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        size_t start = i;
        size_t n;
        while (i < utf8.size() && (n = SequenceLength(utf8, i)) != 0)
            i += n;
        if (i > start)
            AppendFromUtf8(converter, utf8.substr(start, i - start), out);
        while (i < utf8.size() && SequenceLength(utf8, i) == 0)
            out.push_back(utf8[i++]);
    }
    return out;
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Converts one well-formed run without ASCII to windows-31j and appends it.
// The last few runs are remembered: a report repeats its result texts on
// every row, and converting them is most of the cost of writing one.
void AppendCp932Run(UConverter* converter, std::string_view utf8, std::string& out) {
    struct TRecent {
        std::string From, To;
    };
    constexpr size_t Remembered = 8;
    thread_local TRecent recent[Remembered];
    thread_local size_t next = 0;
    for (const TRecent& r : recent)
        if (r.From == utf8) {
            out.append(r.To);
            return;
        }
    const size_t start = out.size();
    AppendFromUtf8(converter, utf8, out);
    TRecent& slot = recent[next];
    next = (next + 1) % Remembered;
    slot.From.assign(utf8);
    slot.To.assign(out, start);
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        size_t n = SequenceLength(text, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string Utf8ToCp932(std::string_view utf8) {
    UConverter* converter = Cp932Converter();
    if (!converter || IsAscii(utf8))
        return std::string(utf8);
    // windows-31j keeps every ASCII byte as it is and carries no state from
    // one character to the next, so a text converts run by run: ASCII runs
    // are copied, the others converted; bytes that are not UTF-8 pass.
    auto ascii = [&](size_t i) { return static_cast<unsigned char>(utf8[i]) < 0x80; };
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        size_t start = i;
        while (i < utf8.size() && ascii(i))
            ++i;
        out.append(utf8, start, i - start);
        start = i;
        size_t n;
        while (i < utf8.size() && !ascii(i) && (n = SequenceLength(utf8, i)) != 0)
            i += n;
        if (i > start)
            AppendCp932Run(converter, utf8.substr(start, i - start), out);
        while (i < utf8.size() && !ascii(i) && SequenceLength(utf8, i) == 0)
            out.push_back(utf8[i++]);
    }
    return out;
}

std::u16string NameToUtf16(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const size_t n = SequenceLength(bytes, i);
        if (n == 0) {
            text.push_back(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[i])));
            ++i;
            continue;
        }
        UChar32 c;
        int32_t at = 0;
        U8_NEXT_UNSAFE(reinterpret_cast<const uint8_t*>(bytes.data() + i), at, c);
        if (c >= 0x10000) {
            text.push_back(static_cast<char16_t>(U16_LEAD(c)));
            text.push_back(static_cast<char16_t>(U16_TRAIL(c)));
        } else {
            text.push_back(static_cast<char16_t>(c));
        }
        i += n;
    }
    return text;
}

std::string Utf16ToName(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        UChar32 c = text[i];
        if (c >= 0xDC80 && c <= 0xDCFF) {
            bytes.push_back(static_cast<char>(c - 0xDC00));
            continue;
        }
        if (U16_IS_LEAD(c) && i + 1 < text.size() && U16_IS_TRAIL(text[i + 1])) {
            c = U16_GET_SUPPLEMENTARY(c, text[i + 1]);
            ++i;
        } else if (U16_IS_SURROGATE(c)) {
            c = 0xFFFD;
        }
        uint8_t out[4];
        int32_t length = 0;
        U8_APPEND_UNSAFE(out, length, c);
        bytes.append(reinterpret_cast<const char*>(out), static_cast<size_t>(length));
    }
    return bytes;
}

std::string Cp932ToUtf8(std::string_view cp932) {
    UConverter* converter = Cp932Converter();
    if (!converter || IsAscii(cp932))
        return std::string(cp932);
    std::vector<UChar> text(cp932.size() + 1);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_resetToUnicode(converter);
    int32_t length = ucnv_toUChars(converter, text.data(), static_cast<int32_t>(text.size()),
                                   cp932.data(), static_cast<int32_t>(cp932.size()), &status);
    if (U_FAILURE(status))
        return std::string(cp932);
    // ICU's windows-31j table swaps three control bytes (0x1A, 0x1C, 0x7F)
    // the IBM way; Windows keeps them, as Utf8ToCp932 does. No multi-byte
    // character decodes to these, so they are put back as the bytes were.
    for (int32_t i = 0; i < length; ++i) {
        if (text[i] == 0x1C)
            text[i] = 0x1A;
        else if (text[i] == 0x7F)
            text[i] = 0x1C;
        else if (text[i] == 0x1A)
            text[i] = 0x7F;
    }
    std::string out(static_cast<size_t>(length) * 3 + 1, '\0');
    int32_t written = 0;
    status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &written, text.data(), length,
                       0xFFFD, nullptr, &status);
    if (U_FAILURE(status))
        return std::string(cp932);
    out.resize(static_cast<size_t>(written));
    return out;
}

std::string EncodeText(std::string_view utf8, TTextEncoding encoding) {
    if (encoding == TTextEncoding::Utf8)
        return std::string(utf8);
    return Utf8ToCp932(utf8);
}

std::string ToConsoleEncoding(std::string_view utf8) {
    const char* codeset = nl_langinfo(CODESET);
    // In the C locale the codeset says nothing about the terminal: keep UTF-8.
    if (!codeset || !*codeset || std::strcmp(codeset, "UTF-8") == 0 ||
        std::strcmp(codeset, "ANSI_X3.4-1968") == 0 || IsAscii(utf8))
        return std::string(utf8);
    thread_local std::string openName;
    thread_local TConverter converter;
    if (openName != codeset) {
        converter = OpenConverter(codeset);
        openName = codeset;
    }
    if (!converter)
        return std::string(utf8);
    return FromUtf8(converter.get(), utf8);
}

}  // namespace platform

#include "platform/TextDecoder.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>

#include "platform/Encoding.h"

namespace platform {

struct TTextDecoder::TImpl {
    UConverter* Converter = nullptr;
    ~TImpl() {
        if (Converter)
            ucnv_close(Converter);
    }
};

namespace {

// Every byte sequence that does not decode becomes U+FFFD (ICU's own
// substitute is U+001A for some converters, which would read as a control).
void ToReplacement(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                   UConverterCallbackReason reason, UErrorCode* error) {
    if (reason > UCNV_IRREGULAR)
        return;  // reset, close or clone: nothing to write
    *error = U_ZERO_ERROR;
    const UChar replacement = 0xFFFD;
    ucnv_cbToUWriteUChars(args, &replacement, 1, 0, error);
}

const char* ConverterName(TTextCode code) {
    switch (code) {
        case TTextCode::Cp932:
            return "windows-31j";
        case TTextCode::EucJp:
            return "EUC-JP";
        case TTextCode::Utf8:
            break;
    }
    return "UTF-8";
}

}  // namespace

TTextDecoder::TTextDecoder(TTextCode code) : CodeUsed(code), Impl(std::make_unique<TImpl>()) {
    UErrorCode status = U_ZERO_ERROR;
    Impl->Converter = ucnv_open(ConverterName(code), &status);
    if (U_FAILURE(status))
        Impl->Converter = nullptr;
}

TTextDecoder::~TTextDecoder() = default;

std::u16string TTextDecoder::Decode(std::string_view bytes) {
    std::u16string text;
    if (!Impl->Converter || bytes.empty())
        return text;
    UConverter* converter = Impl->Converter;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter, ToReplacement, nullptr, nullptr, nullptr, &status);
    ucnv_resetToUnicode(converter);
    // A byte decodes to at most two UTF-16 units.
    text.resize(bytes.size() * 2 + 2);
    status = U_ZERO_ERROR;
    UChar* target = reinterpret_cast<UChar*>(text.data());
    const char* source = bytes.data();
    ucnv_toUnicode(converter, &target, target + text.size(), &source, source + bytes.size(),
                   nullptr, true, &status);
    text.resize(U_FAILURE(status) ? 0 : target - reinterpret_cast<UChar*>(text.data()));
    return text;
}

bool TTextDecoder::DecodesCleanly(std::string_view bytes) {
    if (CodeUsed == TTextCode::Utf8)
        return IsValidUtf8(bytes);
    if (!Impl->Converter)
        return false;
    UConverter* converter = Impl->Converter;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_resetToUnicode(converter);
    UChar buffer[4096];
    const char* source = bytes.data();
    const char* end = source + bytes.size();
    do {
        status = U_ZERO_ERROR;
        UChar* target = buffer;
        ucnv_toUnicode(converter, &target, buffer + std::size(buffer), &source, end, nullptr, true,
                       &status);
        // C1 controls are no text's characters: bytes that decode to them
        // (EUC-JP takes 0x80-0x8D alone) are another encoding's.
        for (const UChar* c = buffer; c < target; ++c)
            if (*c >= 0x80 && *c <= 0x9F)
                return false;
    } while (status == U_BUFFER_OVERFLOW_ERROR);
    return U_SUCCESS(status);
}

}  // namespace platform

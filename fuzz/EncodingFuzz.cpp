// The CP932 and UTF-8 conversions over arbitrary bytes:
// - IsValidUtf8 agrees with ICU's own UTF-8 decoder;
// - Cp932ToUtf8 always gives well-formed UTF-8;
// - Utf8ToCp932 of well-formed UTF-8 is stable: converting its result to UTF-8
//   and back gives the same bytes, so a report line read back and written
//   again does not change;
// - ASCII passes both ways unchanged;
// - a file name carried as text without loss (NameToUtf16) gives back its
//   very bytes.
#include <unicode/ustring.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "platform/Encoding.h"

namespace {

// ICU's answer: the text decodes without a single substitution.
bool IcuAcceptsUtf8(std::string_view text) {
    std::vector<UChar> out(text.size() + 1);
    int32_t length = 0;
    int32_t substitutions = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, text.data(),
                         static_cast<int32_t>(text.size()), 0xFFFD, &substitutions, &status);
    return U_SUCCESS(status) && substitutions == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const bool valid = platform::IsValidUtf8(bytes);
    FUZZ_CHECK(valid == IcuAcceptsUtf8(bytes));

    // Read as CP932, the result is always text the program can show.
    std::string utf8 = platform::Cp932ToUtf8(bytes);
    FUZZ_CHECK(platform::IsValidUtf8(utf8));

    std::string cp932 = platform::Utf8ToCp932(bytes);
    if (valid) {
        std::string again = platform::Utf8ToCp932(platform::Cp932ToUtf8(cp932));
        FUZZ_CHECK(again == cp932);
    }
    bool ascii = true;
    for (char c : bytes)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        FUZZ_CHECK(cp932 == bytes && utf8 == bytes);
    FUZZ_CHECK(platform::EncodeText(bytes, platform::TTextEncoding::Utf8) == bytes);
    FUZZ_CHECK(platform::EncodeText(bytes, platform::TTextEncoding::Cp932) == cp932);
    // A name carried as text comes back by its own bytes.
    FUZZ_CHECK(platform::Utf16ToName(platform::NameToUtf16(bytes)) == bytes);
    // The C locale keeps the console text as it is.
    FUZZ_CHECK(platform::ToConsoleEncoding(bytes) == bytes);
    return 0;
}

#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The encodings the pair view reads text in.
enum class TTextCode { Utf8, Cp932, EucJp };

// Decodes text of one encoding to UTF-16 through ICU's converters (ICU's
// "windows-31j" for CP932, "EUC-JP"). One decoder per thread: ICU's
// converters keep state.
class TTextDecoder {
public:
    explicit TTextDecoder(TTextCode code);
    ~TTextDecoder();
    TTextDecoder(const TTextDecoder&) = delete;
    TTextDecoder& operator=(const TTextDecoder&) = delete;

    TTextCode Code() const { return CodeUsed; }
    // The text as UTF-16; a byte sequence that does not decode becomes U+FFFD.
    std::u16string Decode(std::string_view bytes);
    // True when every byte sequence of bytes decodes (nothing substituted)
    // and none to a C1 control character (U+0080-U+009F), which no text holds.
    bool DecodesCleanly(std::string_view bytes);

private:
    struct TImpl;
    TTextCode CodeUsed;
    std::unique_ptr<TImpl> Impl;
};

}  // namespace platform

#include "platform/Digest.h"

#include <openssl/evp.h>

// xxHash compiled in whole from its header (libxxhash-dev), as for the moved
// files' digests: no library to load at run time.
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <new>

namespace platform {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string DigestHex(const TDigestValue& value) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * value.Size());
    for (size_t i = 0; i < value.Size(); ++i) {
        text.push_back(Digits[value.Bytes[i] >> 4]);
        text.push_back(Digits[value.Bytes[i] & 15]);
    }
    return text;
}

bool ParseDigestHex(std::string_view text, TDigestKind kind, TDigestValue& out) {
    const size_t size = TDigestValue::DigestSize(kind);
    if (size == 0 || text.size() != 2 * size)
        return false;
    TDigestValue value;
    value.Kind = kind;
    for (size_t i = 0; i < size; ++i) {
        int high = HexDigit(text[2 * i]);
        int low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        value.Bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    out = value;
    return true;
}

TDigester::TDigester() {
    Sha = EVP_MD_CTX_new();
    Xxh = XXH3_createState();
    if (!Sha || !Xxh) {
        EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(Sha));
        XXH3_freeState(static_cast<XXH3_state_t*>(Xxh));
        throw std::bad_alloc();
    }
}

TDigester::~TDigester() {
    EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(Sha));
    XXH3_freeState(static_cast<XXH3_state_t*>(Xxh));
}

void TDigester::Start(TDigestKind kind) {
    Kind = kind;
    if (kind == TDigestKind::Sha256)
        EVP_DigestInit_ex(static_cast<EVP_MD_CTX*>(Sha), EVP_sha256(), nullptr);
    else if (kind == TDigestKind::Xxh128)
        XXH3_128bits_reset(static_cast<XXH3_state_t*>(Xxh));
}

void TDigester::Update(const char* data, size_t size) {
    if (size == 0)
        return;
    if (Kind == TDigestKind::Sha256)
        EVP_DigestUpdate(static_cast<EVP_MD_CTX*>(Sha), data, size);
    else if (Kind == TDigestKind::Xxh128)
        XXH3_128bits_update(static_cast<XXH3_state_t*>(Xxh), data, size);
}

TDigestValue TDigester::Finish() {
    TDigestValue value;
    value.Kind = Kind;
    if (Kind == TDigestKind::Sha256) {
        unsigned int size = 0;
        EVP_DigestFinal_ex(static_cast<EVP_MD_CTX*>(Sha), value.Bytes.data(), &size);
    } else if (Kind == TDigestKind::Xxh128) {
        // The canonical (big-endian) form, the one xxhsum prints.
        XXH128_canonical_t canonical;
        XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(static_cast<XXH3_state_t*>(Xxh)));
        for (size_t i = 0; i < sizeof canonical.digest; ++i)
            value.Bytes[i] = canonical.digest[i];
    }
    return value;
}

}  // namespace platform

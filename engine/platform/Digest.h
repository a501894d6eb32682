#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The content digests a snapshot can hold.
enum class TDigestKind : uint8_t {
    None,    // no digest recorded
    Sha256,  // SHA-256, "sha256digest" (OpenSSL, with the processor's SHA instructions)
    Xxh128,  // XXH3 128-bit (libxxhash): much faster, not a cryptographic digest
};

// A digest's bytes; Size() of them are used.
struct TDigestValue {
    TDigestKind Kind = TDigestKind::None;
    std::array<uint8_t, 32> Bytes{};

    size_t Size() const { return DigestSize(Kind); }
    bool operator==(const TDigestValue& other) const {
        return Kind == other.Kind && Bytes == other.Bytes;
    }
    // Bytes of a digest of that kind: 32, 16, or 0 for None.
    static size_t DigestSize(TDigestKind kind) {
        return kind == TDigestKind::Sha256 ? 32 : kind == TDigestKind::Xxh128 ? 16 : 0;
    }
};

// Lower-case hexadecimal of the digest's bytes.
std::string DigestHex(const TDigestValue& value);
// Reads exactly 2 * DigestSize(kind) hexadecimal digits (either case) into
// out. False for any other length or character.
bool ParseDigestHex(std::string_view text, TDigestKind kind, TDigestValue& out);

// Computes one digest at a time over bytes fed in pieces; reusable. Start
// chooses the kind; Finish gives the value. Throws std::bad_alloc when the
// libraries cannot make their state.
class TDigester {
public:
    TDigester();
    ~TDigester();
    TDigester(const TDigester&) = delete;
    TDigester& operator=(const TDigester&) = delete;

    void Start(TDigestKind kind);
    void Update(const char* data, size_t size);
    TDigestValue Finish();

private:
    TDigestKind Kind = TDigestKind::None;
    void* Sha = nullptr;  // EVP_MD_CTX
    void* Xxh = nullptr;  // XXH3_state_t
};

}  // namespace platform

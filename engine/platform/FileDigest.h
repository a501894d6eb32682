#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/AlignedBuffer.h"
#include "platform/FileReader.h"

namespace platform {

// A 128-bit digest of a file's bytes (XXH3). Files with equal bytes have
// equal digests; two files with equal digests are taken to be equal only
// after their bytes are compared.
struct TDigest {
    uint64_t Low = 0;
    uint64_t High = 0;

    auto operator<=>(const TDigest&) const = default;
};

// Works out digests of whole files, one at a time, reading each in large
// blocks into a buffer that belongs to the digester. One per thread.
class TFileDigester {
public:
    TFileDigester();

    // The digest of the regular file at path. False when it cannot be opened
    // or read, is not a regular file, or the stop flag was set while it was
    // read (read before every block). Never throws.
    bool Digest(const std::string& path, const std::atomic<bool>& stop, TDigest& digest);
    // True when the last Digest read bytes that were not in the page cache.
    bool ReadUncached() const { return Uncached; }

private:
    TAlignedBuffer Buffer;
    TFileReader Reader;
    bool Uncached = false;
};

}  // namespace platform

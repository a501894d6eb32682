#include "platform/FileDigest.h"

// The whole of xxHash compiled in from its header (libxxhash-dev): no
// library to load at run time.
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <memory>

namespace platform {

namespace {

// The size of the content comparison's blocks: as few system calls, and the
// block still fits the processor's caches while it is hashed.
constexpr size_t BlockSize = 256 * 1024;

struct TStateDeleter {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

}  // namespace

TFileDigester::TFileDigester() : Buffer(BlockSize) {}

bool TFileDigester::Digest(const std::string& path, const std::atomic<bool>& stop,
                           TDigest& digest) {
    Uncached = false;
    TFileKind kind = TFileKind::Regular;
    if (Reader.Open(path, kind) != TFileReader::TOpenResult::Opened || kind != TFileKind::Regular) {
        Reader.Close();
        return false;
    }
    // The state is some 600 bytes: on the heap, one per file, so that a
    // failure to get it is a file that cannot be digested, not a throw.
    std::unique_ptr<XXH3_state_t, TStateDeleter> state(XXH3_createState());
    bool good = state && XXH3_128bits_reset(state.get()) == XXH_OK;
    while (good) {
        if (stop.load(std::memory_order_relaxed)) {
            good = false;
            break;
        }
        // In two steps, to learn whether the block came from the cache.
        Reader.Start(Buffer.Data(), BlockSize);
        const int64_t count = Reader.Finish();
        Uncached = Uncached || Reader.Missed();
        if (count <= 0) {
            good = count == 0;
            break;
        }
        good =
            XXH3_128bits_update(state.get(), Buffer.Data(), static_cast<size_t>(count)) == XXH_OK;
    }
    Reader.Close();
    if (!good)
        return false;
    const XXH128_hash_t hash = XXH3_128bits_digest(state.get());
    digest.Low = hash.low64;
    digest.High = hash.high64;
    return true;
}

}  // namespace platform

#pragma once

#include <cstdint>
#include <string>

#include "TSearchRec.h"
#include "platform/Digest.h"

// What a snapshot records of an entry beyond its TSearchRec: the exact
// modification time, the permission bits, owner, group and link count, the
// target of a link recorded as a link, and a content digest. Entries read
// from a snapshot carry one, as do entries listed to write one. A snapshot
// may leave keywords out; Recorded tells which it held.
struct TEntryFacts {
    enum : uint8_t {
        HasSize = 0x01,
        HasTime = 0x02,
        HasMode = 0x04,
        HasOwner = 0x08,  // uid and gid
        HasLinks = 0x10,  // nlink
    };

    platform::TDigestValue Digest;  // Kind None when no digest was recorded
    uint8_t Recorded = 0;
    // Where the digest of a snapshot being written stands (pending, being
    // made, made), for std::atomic_ref: the threads that make digests and the
    // one that writes lines meet here.
    uint8_t DigestState = 0;
    uint16_t Mode = 0;  // permission bits, 07777
    uint32_t Uid = 0;
    uint32_t Gid = 0;
    uint32_t Links = 0;
    uint32_t Nanoseconds = 0;                 // of the modification time
    int64_t Seconds = 0;                      // modification time, seconds since the epoch (UTC)
    uint64_t Line = 0;                        // the snapshot line it was read from; 0 when listed
    const std::string* LinkTarget = nullptr;  // a link's target (Kind Link), owned by the list
};

// True when the entry's size (time, mode) is known: always for entries
// listed from a folder, and for snapshot entries whose line held the keyword.
inline bool Recorded(const TSearchRecEx& entry, uint8_t fact) {
    return !entry.Facts || (entry.Facts->Recorded & fact) != 0;
}

#pragma once

#include <cstdint>

#include "TSearchRec.h"

namespace platform {

// A point in time as the file system keeps it.
struct TTimeSpec {
    int64_t Seconds = 0;  // since the Unix epoch, UTC
    uint32_t Nanoseconds = 0;
};

// What one status call tells about an entry, with symbolic links followed.
struct TFileStatus {
    TFileKind Kind = TFileKind::Regular;
    bool IsLink = false;        // the name itself is a symbolic link
    bool OwnerWritable = true;  // the owner has write permission
    int64_t Size = 0;
    TTimeSpec ModifyTime;
    TTimeSpec AccessTime;
    TTimeSpec BirthTime;
    bool HasBirthTime = false;  // false where the file system keeps none
    uint64_t Device = 0;
    uint64_t Inode = 0;
    // What a snapshot records besides: permission bits (07777), owner, group
    // and the number of hard links.
    uint32_t Mode = 0;
    uint32_t Uid = 0;
    uint32_t Gid = 0;
    uint32_t Links = 0;
    // Set when the status call failed because the name no longer exists: it
    // was removed after its folder was read.
    bool Gone = false;
    // The error number of a failed status call.
    int Error = 0;
};

// The kind of entry a file mode (st_mode, stx_mode) names.
TFileKind FileKindOfMode(uint32_t mode);

}  // namespace platform

#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

// Attribute bits of an entry. Only 0x01, 0x02, 0x04 and 0x20 ever take part in a
// comparison; 0x10 tells folders from files; the others carry extra facts.
namespace Attr {
constexpr uint32_t ReadOnly = 0x01;   // the owner has no write permission
constexpr uint32_t Hidden = 0x02;     // the name begins with "."
constexpr uint32_t System = 0x04;     // a device, FIFO or socket
constexpr uint32_t Directory = 0x10;  // a folder (or a link to one)
constexpr uint32_t Archive = 0x20;    // never set on Linux
constexpr uint32_t SymLink = 0x400;   // the entry is a symbolic link
}  // namespace Attr

// What the file system holds behind an entry. Special files are never opened.
enum class TFileKind : uint8_t {
    Regular,
    Directory,
    Fifo,
    CharDevice,
    BlockDevice,
    Socket,
    Dangling,  // a symbolic link whose target does not exist
    // Known by name only: its folder could be read but not searched, so its
    // size, time and attributes are unknown (and its bytes cannot be read).
    Unexamined,
    // A symbolic link that a snapshot recorded as a link (written without
    // following links, or dangling): known by its target text only.
    Link,
};

// Devices, FIFOs and sockets: listed and compared by kind, never opened or read.
constexpr bool IsSpecial(TFileKind kind) {
    return kind == TFileKind::Fifo || kind == TFileKind::CharDevice ||
           kind == TFileKind::BlockDevice || kind == TFileKind::Socket;
}

// The three times of an entry as 64-bit file times: 100-nanosecond ticks since
// 1601-01-01 UTC. 0 means the file system keeps no such time.
struct TFindData {
    uint64_t CreationTime = 0;
    uint64_t LastAccessTime = 0;
    uint64_t LastWriteTime = 0;
};

// One listed file or folder.
struct TSearchRec {
    // Modification time as the local clock read it, floored to an even second:
    // the seconds from 1970-01-01 00:00:00 to that reading, with no time zone
    // (a local date-time, as a packed DOS date-time is one). So it always
    // shows an even second, also where the zone's offset has odd seconds, and
    // two times in the same 2-second slot of local time are equal.
    int64_t Time = 0;
    int64_t Size = 0;   // 64-bit size; folders report 0
    uint32_t Attr = 0;  // bits of namespace Attr
    std::string Name;   // the entry's own name as raw bytes, no folder part
    TFindData FindData;
};

class TEntrySource;
struct TEntryFacts;

// A folder listed below a compared root. All entries of one folder share it.
struct TFolder {
    std::string Dir;        // the folder's path, built from the root, ending in "/"
    size_t RootLength = 0;  // length of the root prefix (the root with its trailing "/")
    // Where its entries came from; null for a folder listed on its own
    // (whose files are read like a live folder's).
    TEntrySource* Source = nullptr;
};

// One listed entry with its place in the tree. Entries are owned by the
// engine's lists and never move once listed.
struct TSearchRecEx : TSearchRec {
    // 0 when listed; set during pairing to the entry's position in its sorted
    // list. Atomic because the window's thread may read it while pairing runs.
    std::atomic<int> Index{0};
    TFileKind Kind = TFileKind::Regular;
    // For a folder whose names could not be read (not opened, not searched, or
    // a read that failed): the system's error number, so that its row can say
    // so and what lies below it on the other side is not taken for missing.
    // 0 for every other entry.
    int ListError = 0;
    const TFolder* Folder = nullptr;
    std::string_view SortKey;  // sort and pairing key of RelPath (owned by the list)
    // What a snapshot records of the entry beyond these fields (owned by the
    // list): set for entries read from a snapshot and for entries listed to
    // write one; null otherwise.
    TEntryFacts* Facts = nullptr;

    bool IsFolder() const { return (Attr & Attr::Directory) != 0; }
    // The folder holding the entry, ending in "/": "/data/a/" for /data/a/b.txt.
    const std::string& Dir() const { return Folder->Dir; }
    // Dir followed by Name.
    std::string FullPath() const { return Folder->Dir + Name; }
    // The path below the compared root, without a leading "/": "a/b.txt".
    std::string RelPath() const { return Folder->Dir.substr(Folder->RootLength) + Name; }
    // The folder part of RelPath without its last "/" ("" directly below the root).
    std::string_view RelDir() const {
        std::string_view dir(Folder->Dir);
        dir.remove_prefix(Folder->RootLength);
        if (!dir.empty())
            dir.remove_suffix(1);
        return dir;
    }
};

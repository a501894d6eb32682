#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <string>

#include "TEntryList.h"
#include "TExcludeFilter.h"
#include "platform/Directory.h"
#include "platform/LocalTime.h"

// Lists a folder tree into a TEntryList in depth-first pre-order: each folder's
// entry comes before the entries inside it, a folder's entries in the order the
// file system delivers them, "." and ".." first.
//
// Every folder is opened once by a handle relative to its parent and every
// entry examined by one status call relative to that handle, so no path is
// resolved from the root again and trees deeper than PATH_MAX are listed.
// Symbolic links are followed; a link to a folder that is one of its own
// ancestors on the current path (same device and inode) is listed but not
// descended into. A folder below the root whose names cannot be read (it
// cannot be opened, searched or read to its end) is marked with ListError and
// keeps only the names read before the failure; a root that cannot be opened
// lists as empty (owners test it first), one whose reading fails throws. When
// the process runs out of descriptors the listing gives back handles of
// shallower levels and goes on; when none is left to give back it throws, so
// that a tree is never cut short unnoticed.
//
// The stop flag is read before every delivered name, "." and ".." included. A
// stopped folder counts -1 in its parent's count, and the stop takes effect at
// the parent's next name, so a stop seen only after the last name of every open
// folder is not reported as a stop.
class TFolderLister {
public:
    // exclude (may be null, and must outlive the lister): entries it excludes
    // are not listed, and folders it excludes are not entered. facts: every
    // entry also gets the TEntryFacts a snapshot records (a dangling link's
    // target among them).
    TFolderLister(TEntryList& list, const std::atomic<bool>& stop,
                  const TExcludeFilter* exclude = nullptr, bool facts = false);

    // Called with each entry once it is complete, before the folder it may
    // be is entered: so that a listing can be sent on while it goes on.
    void SetOnListed(std::function<void(const TSearchRecEx&)> onListed) {
        OnListed = std::move(onListed);
    }

    // Lists everything below root (not root itself). Returns -1 when stopped,
    // otherwise the count of the top folder.
    int ListTree(const std::string& root);

    // Examines one entry again as a listing examines it, for a tree that
    // changed since it was listed (a copy between the sides): the file or
    // folder at entry.Dir() + entry.Name, links followed. False when nothing
    // can be examined there; the entry then stays as it was. Its facts, when
    // it has any, follow the new status.
    static bool ExamineAgain(TSearchRecEx& entry, platform::TLocalClock& clock);
    // True when the last ListTree's root was opened and read, so that it
    // delivered at least "." and "..".
    bool RootDelivered() const { return Delivered; }

    // Most folder handles held open at once; deeper levels close the shallower
    // handles and open them again on the way back. Under a low descriptor
    // limit (ulimit -n) a listing keeps fewer: a quarter of what the limit
    // leaves, so that two listings at once and the files compared meanwhile
    // still find descriptors.
    static constexpr size_t OpenHandleLimit = 64;

private:
    struct TLevel {
        platform::TDirectory Dir;
        platform::TNameList Names;
        const TFolder* Folder = nullptr;
        std::string NameInParent;
        uint64_t Device = 0;
        uint64_t Inode = 0;
        size_t Next = 0;
        int Count = 0;
    };

    void ListEntry(std::string_view name, platform::TNameList::THint hint);
    // The kind, size, times and attribute bits of an entry whose status the
    // file system gave (the folder bit from the kind, the hidden bit from the name).
    static void Fill(TSearchRecEx& entry, const platform::TFileStatus& status,
                     platform::TLocalClock& clock);
    // Lists the folder `entry` (named `name`), or marks it unreadable.
    void Enter(TSearchRecEx& entry, std::string_view name, uint64_t device, uint64_t inode);
    void RecordFacts(TSearchRecEx& entry, const platform::TFileStatus& status, const char* name);
    // Closes the deepest level and makes sure its parent's handle is open.
    void Leave();
    // Walks from the root down to `level` and opens it again. False when a
    // folder on the way is gone or was replaced; throws when no descriptor is
    // left for it.
    bool Reopen(size_t level);
    // A call on `failed` found no descriptor left: closes the shallowest open
    // level that can be opened again later, or throws (naming path and the
    // reason) when none is left to close.
    void GiveBackHandle(const platform::TDirectory& failed, const std::string& path);
    bool OnCurrentPath(uint64_t device, uint64_t inode) const;

    TEntryList& List;
    const std::atomic<bool>& Stop;
    const TExcludeFilter* Exclude;  // null when nothing is excluded
    const bool Facts;
    std::function<void(const TSearchRecEx&)> OnListed;
    // With exclude patterns: the folded names of the folders from the root
    // down to the one being listed, and the folded name of the entry last
    // looked at (the folder about to be entered).
    std::vector<std::u32string> FoldedDir;
    std::u32string FoldedName;
    platform::TCaseFolder Folder;
    const size_t HandleLimit;  // OpenHandleLimit, or fewer under a low descriptor limit
    size_t RootLength = 0;
    bool Delivered = false;
    // Grows to the deepest level met and is reused; a deque, because names in
    // use point into the levels' name lists.
    std::deque<TLevel> Levels;
    size_t Depth = 0;       // levels in use
    size_t LowestOpen = 1;  // open handles: level 0 and LowestOpen..Depth-1
    platform::TLocalClock LocalClock;
};

#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "TSearchRec.h"

namespace platform {
class TCollator;
}

// The entries of one listed tree. Entries, folders and sort keys live in
// stores that never move what they hold, so pointers to them stay valid for
// the list's life; Items holds the entries in listing order until Sort puts
// them in collation order.
//
// Sort order: the collation key of RelPath (case ignored), then the bytes of
// RelPath, so the order is total even when a folder holds names that differ
// only in letter case.
class TEntryList {
public:
    TEntryList() = default;
    TEntryList(const TEntryList&) = delete;
    TEntryList& operator=(const TEntryList&) = delete;

    // A folder that entries can share; dir ends in "/".
    const TFolder& AddFolder(std::string dir, size_t rootLength);
    // A new entry (Index 0) in folder, appended to Items.
    TSearchRecEx& AddEntry(const TFolder& folder);

    int Count() const { return static_cast<int>(Items.size()); }
    // Entry at position index of Items, or null outside.
    TSearchRecEx* At(int index) const {
        if (index < 0 || index >= Count())
            return nullptr;
        return Items[static_cast<size_t>(index)];
    }

    // Makes every entry's sort key once and sorts Items.
    // Making keys is the slow part of a sort, so a stop request (when given)
    // is read every few thousand entries; false when it ended the sort early,
    // leaving Items as they were.
    bool Sort(platform::TCollator& collator, const std::atomic<bool>* stop = nullptr);

    // Negative, zero or positive as a sorts before, with or after b by
    // collation alone (zero for names that differ only in letter case).
    static int CompareKeys(const TSearchRecEx& a, const TSearchRecEx& b) {
        return a.SortKey.compare(b.SortKey);
    }
    // The byte order of the two RelPaths.
    static int CompareRelPathBytes(const TSearchRecEx& a, const TSearchRecEx& b);

private:
    std::string_view StoreKey(std::string_view key);

    std::vector<TSearchRecEx*> Items;
    std::deque<TSearchRecEx> Entries;
    std::deque<TFolder> Folders;
    // Sort keys, packed into blocks that are never reallocated.
    std::vector<std::unique_ptr<char[]>> KeyBlocks;
    size_t KeyBlockUsed = 0;
    size_t KeyBlockSize = 0;
};

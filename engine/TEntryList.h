#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "TBlockStore.h"
#include "TEntryFacts.h"
#include "TSearchRec.h"

class TEntrySource;

namespace platform {
class TCollator;
}

// The entries of one listed tree. Entries, folders and sort keys live in
// stores that never move what they hold, so pointers to them stay valid for
// the list's life; Items holds the entries in listing order until Sort puts
// them in collation order.
//
// Sort order: the collation of the folded form of RelPath (TCollator), then
// the folded form's bytes, then the bytes of RelPath, so that entries which
// are the same name (equal folded forms: they differ at most in letter case
// and normalisation form) are adjacent and the order is total. Sorted case
// sensitively, the composed form's bytes (NFC, letter case kept) come before
// the bytes of RelPath: names are the same only when their composed forms
// are equal, and those are adjacent too.
class TEntryList {
public:
    TEntryList() = default;
    // A list of the side that source lists: every folder added points to it,
    // and the list keeps it alive.
    explicit TEntryList(std::shared_ptr<TEntrySource> source) : Source(std::move(source)) {}
    TEntryList(const TEntryList&) = delete;
    TEntryList& operator=(const TEntryList&) = delete;

    // A folder that entries can share; dir ends in "/".
    const TFolder& AddFolder(std::string dir, size_t rootLength);
    // A new entry (Index 0) in folder, appended to Items.
    TSearchRecEx& AddEntry(const TFolder& folder);
    // Facts for an entry of this list (it points to them), and a text kept
    // for the list's life (a link's target).
    TEntryFacts& AddFacts(TSearchRecEx& entry);
    const std::string* KeepText(std::string text);

    // Marks a listed folder whose names could not be read (ListError).
    void SetListError(TSearchRecEx& folder, int error);
    // The folders marked so, in listing order; empty on an ordinary run.
    const std::vector<const TSearchRecEx*>& Unreadable() const { return UnreadableFolders; }

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
    bool Sort(platform::TCollator& collator, const std::atomic<bool>* stop = nullptr,
              bool caseSensitive = false);

    // Negative, zero or positive as a sorts before, with or after b by
    // collation key, then folded form: zero exactly when the two are the same
    // name (their RelPaths differ at most in letter case and normalisation
    // form). The folded forms are worked out only for equal collation keys
    // of RelPaths that are not equal byte for byte. caseSensitive: then by
    // composed form, zero only when the two differ at most in normalisation
    // form; for lists sorted the same way.
    static int CompareKeys(const TSearchRecEx& a, const TSearchRecEx& b,
                           bool caseSensitive = false) {
        int c = a.SortKey.compare(b.SortKey);
        if (c != 0)
            return c;
        c = CompareFolded(a, b);
        return c != 0 || !caseSensitive ? c : CompareComposed(a, b);
    }
    // The byte order of the two RelPaths.
    static int CompareRelPathBytes(const TSearchRecEx& a, const TSearchRecEx& b);
    // After Sort, which breaks ties by bytes: the first two neighbours whose
    // RelPaths are the same bytes (a path given twice in a snapshot or a far
    // side's stream), or two nulls.
    std::pair<const TSearchRecEx*, const TSearchRecEx*> FindRepeatedPath() const;

private:
    static int CompareFolded(const TSearchRecEx& a, const TSearchRecEx& b);
    [[gnu::noinline]] static int CompareComposed(const TSearchRecEx& a, const TSearchRecEx& b);
    // The order of two entries with equal collation keys (kept out of the
    // sort's loop: it is seldom needed).
    [[gnu::noinline]] static bool TieLess(const TSearchRecEx& a, const TSearchRecEx& b,
                                          bool caseSensitive);
    std::string_view StoreKey(std::string_view key);

    std::shared_ptr<TEntrySource> Source;
    std::vector<TSearchRecEx*> Items;
    std::vector<const TSearchRecEx*> UnreadableFolders;
    TBlockStore<TSearchRecEx> Entries;
    std::deque<TFolder> Folders;
    TBlockStore<TEntryFacts> Facts;
    std::deque<std::string> Texts;
    // Sort keys, packed into blocks that are never reallocated.
    std::vector<std::unique_ptr<char[]>> KeyBlocks;
    size_t KeyBlockUsed = 0;
    size_t KeyBlockSize = 0;
};

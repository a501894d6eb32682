#include "TEntryList.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/CaseFold.h"
#include "platform/Collator.h"

const TFolder& TEntryList::AddFolder(std::string dir, size_t rootLength) {
    TFolder& folder = Folders.emplace_back();
    folder.Dir = std::move(dir);
    folder.RootLength = rootLength;
    folder.Source = Source.get();
    return folder;
}

TEntryFacts& TEntryList::AddFacts(TSearchRecEx& entry) {
    TEntryFacts& facts = Facts.Add();
    entry.Facts = &facts;
    return facts;
}

const std::string* TEntryList::KeepText(std::string text) {
    return &Texts.emplace_back(std::move(text));
}

TSearchRecEx& TEntryList::AddEntry(const TFolder& folder) {
    // Room first, so that a failure cannot leave an entry outside Items.
    if (Items.size() == Items.capacity())
        Items.reserve(std::max<size_t>(1024, 2 * Items.size()));
    TSearchRecEx& entry = Entries.Add();
    entry.Folder = &folder;
    Items.push_back(&entry);
    return entry;
}

void TEntryList::SetListError(TSearchRecEx& folder, int error) {
    if (folder.ListError == 0)
        UnreadableFolders.push_back(&folder);
    folder.ListError = error;
}

std::string_view TEntryList::StoreKey(std::string_view key) {
    constexpr size_t BlockSize = 256 * 1024;
    if (KeyBlocks.empty() || KeyBlockSize - KeyBlockUsed < key.size()) {
        size_t size = std::max(BlockSize, key.size());
        KeyBlocks.push_back(std::make_unique_for_overwrite<char[]>(size));
        KeyBlockSize = size;
        KeyBlockUsed = 0;
    }
    char* place = KeyBlocks.back().get() + KeyBlockUsed;
    if (!key.empty())
        std::memcpy(place, key.data(), key.size());
    KeyBlockUsed += key.size();
    return std::string_view(place, key.size());
}

int TEntryList::CompareRelPathBytes(const TSearchRecEx& a, const TSearchRecEx& b) {
    // RelPath is the folder's part below the root (ending in "/" unless empty)
    // followed by Name; the two pieces are compared a run of bytes at a time
    // (memcmp), without building either path.
    auto dir = [](const TSearchRecEx& e) {
        std::string_view part(e.Folder->Dir);
        part.remove_prefix(e.Folder->RootLength);
        return part;
    };
    std::string_view pa[2] = {dir(a), a.Name};
    std::string_view pb[2] = {dir(b), b.Name};
    size_t ia = 0, ib = 0;  // the piece each side is in
    while (true) {
        while (ia < 2 && pa[ia].empty())
            ++ia;
        while (ib < 2 && pb[ib].empty())
            ++ib;
        if (ia == 2 || ib == 2)
            return ia == 2 && ib == 2 ? 0 : ia == 2 ? -1 : 1;
        const size_t n = std::min(pa[ia].size(), pb[ib].size());
        if (int c = std::memcmp(pa[ia].data(), pb[ib].data(), n); c != 0)
            return c < 0 ? -1 : 1;
        pa[ia].remove_prefix(n);
        pb[ib].remove_prefix(n);
    }
}

int TEntryList::CompareFolded(const TSearchRecEx& a, const TSearchRecEx& b) {
    // Equal collation keys are rare but for the same path on both sides,
    // which needs no folding; the folded forms are not kept per entry, as
    // they would take as much memory as the keys themselves.
    if (CompareRelPathBytes(a, b) == 0)
        return 0;
    thread_local platform::TCaseFolder folderA, folderB;
    auto fold = [](platform::TCaseFolder& folder, const TSearchRecEx& e) {
        std::string_view dir(e.Folder->Dir);
        dir.remove_prefix(e.Folder->RootLength);
        return folder.Fold(dir, e.Name);
    };
    return fold(folderA, a).compare(fold(folderB, b));
}

int TEntryList::CompareComposed(const TSearchRecEx& a, const TSearchRecEx& b) {
    if (CompareRelPathBytes(a, b) == 0)
        return 0;
    thread_local platform::TCaseFolder composerA(false), composerB(false);
    auto compose = [](platform::TCaseFolder& composer, const TSearchRecEx& e) {
        std::string_view dir(e.Folder->Dir);
        dir.remove_prefix(e.Folder->RootLength);
        return composer.Fold(dir, e.Name);
    };
    return compose(composerA, a).compare(compose(composerB, b));
}

std::pair<const TSearchRecEx*, const TSearchRecEx*> TEntryList::FindRepeatedPath() const {
    for (size_t i = 1; i < Items.size(); ++i)
        if (CompareRelPathBytes(*Items[i - 1], *Items[i]) == 0)
            return {Items[i - 1], Items[i]};
    return {nullptr, nullptr};
}

bool TEntryList::TieLess(const TSearchRecEx& a, const TSearchRecEx& b, bool caseSensitive) {
    int c = CompareFolded(a, b);
    if (c == 0 && caseSensitive)
        c = CompareComposed(a, b);
    return c != 0 ? c < 0 : CompareRelPathBytes(a, b) < 0;
}

bool TEntryList::Sort(platform::TCollator& collator, const std::atomic<bool>* stop,
                      bool caseSensitive) {
    // The sort moves each key beside its entry's pointer, so that comparing
    // two entries does not first have to reach the entries themselves.
    std::vector<std::pair<std::string_view, TSearchRecEx*>> keyed;
    keyed.reserve(Items.size());
    size_t done = 0;
    for (TSearchRecEx* entry : Items) {
        if (stop && ++done % 4096 == 0 && stop->load(std::memory_order_relaxed))
            return false;
        std::string_view folder(entry->Folder->Dir);
        folder.remove_prefix(entry->Folder->RootLength);
        entry->SortKey = StoreKey(collator.SortKey(folder, entry->Name));
        keyed.emplace_back(entry->SortKey, entry);
    }
    std::sort(keyed.begin(), keyed.end(), [caseSensitive](const auto& a, const auto& b) {
        int c = a.first.compare(b.first);
        return c != 0 ? c < 0 : TieLess(*a.second, *b.second, caseSensitive);
    });
    for (size_t i = 0; i < keyed.size(); ++i)
        Items[i] = keyed[i].second;
    return true;
}

#include "TSnapshotBuilder.h"

#include "EntryTime.h"

TSnapshotBuilder::TSnapshotBuilder(TEntryList& list, std::string rootPrefix,
                                   const TExcludeFilter* exclude)
    : List(list),
      RootPrefix(std::move(rootPrefix)),
      Exclude(exclude && !exclude->Empty() ? exclude : nullptr),
      Folder(!(exclude && exclude->CaseSensitive())) {
    TDirSlot& root = Dirs[""];
    root.Folder = &List.AddFolder(RootPrefix, RootPrefix.size());
    root.Given = true;
}

bool TSnapshotBuilder::Excludes(const TDirSlot& parent, std::string_view name, bool folder) {
    if (!Exclude)
        return false;
    FoldedName = TExcludeFilter::Fold(Folder, name);
    return Exclude->Excludes(parent.Folded, FoldedName, folder);
}

TSnapshotBuilder::TDirSlot* TSnapshotBuilder::NewFolder(TDirSlot& parent, const std::string& dir,
                                                        std::string_view name, uint64_t line) {
    const bool excluded = parent.Excluded || Excludes(parent, name, true);
    std::vector<std::u32string> folded;
    if (Exclude && !excluded) {
        folded = parent.Folded;
        folded.push_back(FoldedName);
    }
    TSearchRecEx* entry = nullptr;
    if (!excluded) {
        entry = &List.AddEntry(*parent.Folder);
        entry->Name.assign(name);
        entry->Kind = TFileKind::Directory;
        entry->Attr = Attr::Directory | (name[0] == '.' ? Attr::Hidden : 0);
        List.AddFacts(*entry).Line = line;
        ++Added;
    }
    TDirSlot& slot = Dirs[dir];
    slot.Excluded = excluded;
    slot.Entry = entry;
    slot.Folded = std::move(folded);
    if (!excluded)
        slot.Folder = &List.AddFolder(RootPrefix + dir + "/", RootPrefix.size());
    return &slot;
}

TSnapshotBuilder::TDirSlot& TSnapshotBuilder::Dir(const std::string& dir, uint64_t line) {
    auto found = Dirs.find(dir);
    if (found != Dirs.end())
        return found->second;
    // The deepest folder on the way that exists, then the missing ones below
    // it, top down (not by recursion: a hostile path may hold a million names).
    size_t known = dir.size();
    TDirSlot* slot = nullptr;
    while (!slot) {
        known = dir.rfind('/', known - 1);
        if (known == std::string::npos) {
            known = 0;
            slot = &Dirs[""];
        } else if (auto it = Dirs.find(dir.substr(0, known)); it != Dirs.end()) {
            slot = &it->second;
        }
    }
    size_t start = known == 0 ? 0 : known + 1;
    while (start <= dir.size()) {
        size_t end = dir.find('/', start);
        if (end == std::string::npos)
            end = dir.size();
        slot = NewFolder(*slot, dir.substr(0, end),
                         std::string_view(dir).substr(start, end - start), line);
        start = end + 1;
    }
    return *slot;
}

void TSnapshotBuilder::Fill(TSearchRecEx& entry, const TMtreeRecord& record) {
    const TEntryFacts& given = record.Facts;
    const bool folder = record.Kind == TFileKind::Directory;
    entry.Kind = record.Kind;
    entry.Size = folder || !(given.Recorded & TEntryFacts::HasSize) ? 0 : record.Size;
    entry.Time = 0;
    entry.FindData = TFindData{};
    if (given.Recorded & TEntryFacts::HasTime) {
        entry.Time = EvenSeconds(Clock.Reading(given.Seconds));
        entry.FindData.LastWriteTime = FileTime(given.Seconds, given.Nanoseconds);
    }
    uint32_t attr = 0;
    if (folder)
        attr |= Attr::Directory;
    if (entry.Name[0] == '.')
        attr |= Attr::Hidden;
    if ((given.Recorded & TEntryFacts::HasMode) && !(given.Mode & 0200))
        attr |= Attr::ReadOnly;
    if (IsSpecial(record.Kind))
        attr |= Attr::System;
    if (record.Kind == TFileKind::Link)
        attr |= Attr::SymLink;
    entry.Attr = attr;
    TEntryFacts& facts = List.AddFacts(entry);
    facts = given;
    facts.Line = record.Line;
    facts.LinkTarget = record.LinkTarget.empty() ? nullptr : List.KeepText(record.LinkTarget);
}

bool TSnapshotBuilder::Add(const TMtreeRecord& record, std::string& reason) {
    const bool folder = record.Kind == TFileKind::Directory;
    if (record.Path.empty()) {
        if (!folder) {
            reason = "ルート . がフォルダではありません";
            return false;
        }
        if (RootGiven) {
            reason = "パスが重複しています: .";
            return false;
        }
        RootGiven = true;
        return true;
    }
    const size_t slash = record.Path.rfind('/');
    const std::string parentPath = slash == std::string::npos ? "" : record.Path.substr(0, slash);
    const std::string_view name =
        std::string_view(record.Path).substr(slash == std::string::npos ? 0 : slash + 1);
    TDirSlot* parent = &Dir(parentPath, record.Line);
    if (parent->Excluded)
        return true;
    if (folder) {
        auto found = Dirs.find(record.Path);
        TDirSlot* slot = found != Dirs.end() ? &found->second : nullptr;
        if (slot && slot->Given) {
            reason = "パスが重複しています: ./" + record.Path;
            return false;
        }
        if (!slot)
            slot = NewFolder(*parent, record.Path, name, record.Line);
        slot->Given = true;
        if (slot->Entry)
            Fill(*slot->Entry, record);
        return true;
    }
    if (Excludes(*parent, name, false))
        return true;
    TSearchRecEx& entry = List.AddEntry(*parent->Folder);
    entry.Name.assign(name);
    Fill(entry, record);
    ++Added;
    return true;
}

bool TSnapshotBuilder::MarkUnreadable(const std::string& path, int error, std::string& reason) {
    auto found = Dirs.find(path);
    if (found == Dirs.end() || !found->second.Given || path.empty()) {
        reason = "読めないフォルダがありません: ./" + path;
        return false;
    }
    // An excluded folder has no entry: nothing of it is compared.
    if (TSearchRecEx* entry = found->second.Entry)
        List.SetListError(*entry, error);
    return true;
}

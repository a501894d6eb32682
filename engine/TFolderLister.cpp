#include "TFolderLister.h"

#include <algorithm>
#include <stdexcept>

#include "EntryTime.h"
#include "RowText.h"

namespace {

uint64_t FileTime(const platform::TTimeSpec& t) {
    return ::FileTime(t.Seconds, t.Nanoseconds);
}

}  // namespace

TFolderLister::TFolderLister(TEntryList& list, const std::atomic<bool>& stop,
                             const TExcludeFilter* exclude, bool facts)
    : List(list),
      Stop(stop),
      Exclude(exclude && !exclude->Empty() ? exclude : nullptr),
      Facts(facts),
      Folder(!(exclude && exclude->CaseSensitive())),
      HandleLimit(std::clamp<size_t>(platform::DescriptorLimit() / 4, 2, OpenHandleLimit)) {}

int TFolderLister::ListTree(const std::string& root) {
    std::string prefix = IncludeTrailingDelimiter(root);
    RootLength = prefix.size();
    Depth = 0;
    LowestOpen = 1;
    FoldedDir.clear();
    if (Levels.empty())
        Levels.emplace_back();
    TLevel& top = Levels[0];
    Delivered = false;
    top.Next = 0;
    top.Count = 0;
    if (!top.Dir.OpenPath(root) || !top.Dir.Identity(top.Device, top.Inode) ||
        !top.Dir.ReadNames(top.Names)) {
        const bool outOfHandles = top.Dir.OutOfHandles();
        const std::string reason = top.Dir.LastErrorText();
        top.Dir.Close();
        // A folder that cannot be read lists as empty, but a root that could
        // not be opened for want of descriptors would make a whole tree look empty.
        if (outOfHandles)
            throw std::runtime_error("open(" + root + "): " + reason);
        return 0;
    }
    // The root has no row that could say its names were cut short.
    if (top.Dir.LastErrorNumber() != 0) {
        const std::string reason = top.Dir.LastErrorText();
        top.Dir.Close();
        throw std::runtime_error("getdents64(" + root + "): " + reason);
    }
    Delivered = true;
    top.Folder = &List.AddFolder(prefix, RootLength);
    Depth = 1;

    while (true) {
        TLevel& level = Levels[Depth - 1];
        int result = 0;
        if (level.Next == level.Names.Size()) {
            result = level.Count;
        } else if (Stop.load(std::memory_order_relaxed)) {
            result = -1;
        } else {
            size_t i = level.Next++;
            std::string_view name = level.Names.Name(i);
            if (name != "." && name != "..")
                ListEntry(name, level.Names.Hint(i));
            continue;
        }
        Leave();
        if (Depth == 0)
            return result;
        Levels[Depth - 1].Count += result;
    }
}

void TFolderLister::ListEntry(std::string_view name, platform::TNameList::THint hint) {
    using THint = platform::TNameList::THint;
    TLevel& level = Levels[Depth - 1];
    // Left out: no entry, and an excluded folder is never entered. When the
    // folder said what the name is (not a link, whose target decides), the
    // entry is left out before it is even examined.
    const bool kindKnown = hint == THint::Directory || hint == THint::Other;
    if (Exclude) {
        FoldedName = TExcludeFilter::Fold(Folder, name);
        if (kindKnown && Exclude->Excludes(FoldedDir, FoldedName, hint == THint::Directory))
            return;
    }
    platform::TFileStatus status;
    bool known = level.Dir.IsOpen() && level.Dir.Stat(name.data(), hint, status);
    // Removed since the folder was read: it is no longer part of the tree.
    if (!known && status.Gone)
        return;
    // Known by name only: what the folder itself said.
    const bool folder = known ? status.Kind == TFileKind::Directory : hint == THint::Directory;
    if (Exclude && !kindKnown && Exclude->Excludes(FoldedDir, FoldedName, folder))
        return;

    TSearchRecEx& entry = List.AddEntry(*level.Folder);
    entry.Name.assign(name);
    if (known) {
        Fill(entry, status, LocalClock);
    } else {
        // The name is listed but cannot be examined (a folder readable without
        // search permission): only what the folder itself said is known.
        entry.Kind = folder ? TFileKind::Directory : TFileKind::Unexamined;
        uint32_t attr = 0;
        if (hint == THint::Link)
            attr |= Attr::SymLink;
        if (folder)
            attr |= Attr::Directory;
        if (name[0] == '.')
            attr |= Attr::Hidden;
        entry.Attr = attr;
        // Such a folder cannot be entered either: its names are unknown.
        if (folder && status.Error != 0)
            List.SetListError(entry, status.Error);
    }
    if (Facts)
        RecordFacts(entry, known ? status : platform::TFileStatus{}, known ? name.data() : nullptr);
    level.Count++;
    if (OnListed)
        OnListed(entry);

    if (known && folder && !OnCurrentPath(status.Device, status.Inode))
        Enter(entry, name, status.Device, status.Inode);
}

void TFolderLister::Fill(TSearchRecEx& entry, const platform::TFileStatus& status,
                         platform::TLocalClock& clock) {
    const bool folder = status.Kind == TFileKind::Directory;
    entry.Kind = status.Kind;
    entry.Size = folder ? 0 : status.Size;
    entry.Time = EvenSeconds(clock.Reading(status.ModifyTime.Seconds));
    entry.FindData.LastWriteTime = FileTime(status.ModifyTime);
    entry.FindData.LastAccessTime = FileTime(status.AccessTime);
    entry.FindData.CreationTime = status.HasBirthTime ? FileTime(status.BirthTime) : 0;
    uint32_t attr = 0;
    if (!status.OwnerWritable)
        attr |= Attr::ReadOnly;
    if (IsSpecial(status.Kind))
        attr |= Attr::System;
    if (status.IsLink)
        attr |= Attr::SymLink;
    if (folder)
        attr |= Attr::Directory;
    if (!entry.Name.empty() && entry.Name[0] == '.')
        attr |= Attr::Hidden;
    entry.Attr = attr;
}

bool TFolderLister::ExamineAgain(TSearchRecEx& entry, platform::TLocalClock& clock) {
    platform::TDirectory folder;
    platform::TFileStatus status;
    if (!folder.OpenPath(entry.Dir()) ||
        !folder.Stat(entry.Name.c_str(), platform::TNameList::THint::Unknown, status))
        return false;
    Fill(entry, status, clock);
    if (entry.Facts) {
        entry.Facts->Mode = static_cast<uint16_t>(status.Mode);
        entry.Facts->Uid = status.Uid;
        entry.Facts->Gid = status.Gid;
        entry.Facts->Links = status.Links;
        entry.Facts->Seconds = status.ModifyTime.Seconds;
        entry.Facts->Nanoseconds = status.ModifyTime.Nanoseconds;
    }
    return true;
}

void TFolderLister::RecordFacts(TSearchRecEx& entry, const platform::TFileStatus& status,
                                const char* name) {
    TEntryFacts& facts = List.AddFacts(entry);
    // Known by name only: nothing is recorded.
    if (!name)
        return;
    facts.Recorded = TEntryFacts::HasSize | TEntryFacts::HasTime | TEntryFacts::HasMode |
                     TEntryFacts::HasOwner | TEntryFacts::HasLinks;
    facts.Mode = static_cast<uint16_t>(status.Mode);
    facts.Uid = status.Uid;
    facts.Gid = status.Gid;
    facts.Links = status.Links;
    facts.Seconds = status.ModifyTime.Seconds;
    facts.Nanoseconds = status.ModifyTime.Nanoseconds;
    std::string target;
    // The name points into the folder's name list, so it ends in a NUL byte.
    if (status.Kind == TFileKind::Dangling && Levels[Depth - 1].Dir.ReadLink(name, target))
        facts.LinkTarget = List.KeepText(std::move(target));
}

bool TFolderLister::OnCurrentPath(uint64_t device, uint64_t inode) const {
    for (size_t i = 0; i < Depth; ++i)
        if (Levels[i].Device == device && Levels[i].Inode == inode)
            return true;
    return false;
}

void TFolderLister::Enter(TSearchRecEx& entry, std::string_view name, uint64_t device,
                          uint64_t inode) {
    if (Levels.size() == Depth)
        Levels.emplace_back();
    TLevel& parent = Levels[Depth - 1];
    TLevel& child = Levels[Depth];
    // name points into the parent's name list, which stays put while the child is listed.
    while (!child.Dir.OpenChild(parent.Dir, name.data(), device, inode)) {
        if (!child.Dir.OutOfHandles()) {
            if (child.Dir.Unreadable())
                List.SetListError(entry, child.Dir.LastErrorNumber());
            return;
        }
        GiveBackHandle(child.Dir, parent.Folder->Dir + std::string(name));
    }
    const bool read = child.Dir.ReadNames(child.Names);
    // Names read before a failure are listed all the same.
    if (child.Dir.LastErrorNumber() != 0)
        List.SetListError(entry, child.Dir.LastErrorNumber());
    if (!read) {
        child.Dir.Close();
        return;
    }
    std::string dir;
    dir.reserve(parent.Folder->Dir.size() + name.size() + 1);
    dir.append(parent.Folder->Dir).append(name).push_back('/');
    child.Folder = &List.AddFolder(std::move(dir), RootLength);
    child.NameInParent.assign(name);
    child.Device = device;
    child.Inode = inode;
    child.Next = 0;
    child.Count = 0;
    ++Depth;
    if (Exclude)
        FoldedDir.push_back(FoldedName);
    if (Depth - LowestOpen > HandleLimit) {
        Levels[LowestOpen].Dir.Close();
        ++LowestOpen;
    }
}

void TFolderLister::Leave() {
    size_t top = Depth - 1;
    if (top >= 1) {
        size_t parent = top - 1;
        if (parent >= 1 && parent < LowestOpen) {
            TLevel& p = Levels[parent];
            // ".." leads back unless the child was reached through a symbolic
            // link (or no descriptor is left for it): then the parent is
            // walked to from the root, with the child's handle given back first.
            bool open = p.Dir.OpenParentOf(Levels[top].Dir, p.Device, p.Inode);
            if (!open) {
                Levels[top].Dir.Close();
                open = Reopen(parent);
            }
            if (!open)
                p.Next = p.Names.Size();  // gone meanwhile: its other names cannot be examined
            LowestOpen = parent;
        }
    }
    Levels[top].Dir.Close();
    if (Exclude && top >= 1)
        FoldedDir.pop_back();
    Depth = top;
}

void TFolderLister::GiveBackHandle(const platform::TDirectory& failed, const std::string& path) {
    // The root and the folder being listed stay open; any level between them
    // is opened again on the way back.
    if (LowestOpen + 1 < Depth) {
        Levels[LowestOpen].Dir.Close();
        ++LowestOpen;
        return;
    }
    // Listing on would leave the rest of the tree out of the report unnoticed.
    throw std::runtime_error("openat(" + path + "): " + failed.LastErrorText());
}

bool TFolderLister::Reopen(size_t level) {
    // Walk down by name from the root, checking each folder's identity.
    platform::TDirectory current;
    const platform::TDirectory* base = &Levels[0].Dir;
    for (size_t i = 1; i <= level; ++i) {
        TLevel& step = Levels[i];
        platform::TDirectory next;
        if (!next.OpenChild(*base, step.NameInParent.c_str(), step.Device, step.Inode)) {
            if (next.OutOfHandles())
                throw std::runtime_error("openat(" + step.Folder->Dir +
                                         "): " + next.LastErrorText());
            return false;
        }
        current = std::move(next);
        base = &current;
    }
    Levels[level].Dir = std::move(current);
    return true;
}

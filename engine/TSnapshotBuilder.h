#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "TEntryList.h"
#include "TExcludeFilter.h"
#include "TMtreeParser.h"
#include "platform/CaseFold.h"
#include "platform/LocalTime.h"

// Turns the records of a snapshot into the entries of a TEntryList, as a
// listing of the tree would have made them: the same fields, the attribute
// bits derived from the mode and the name, the time as the local clock read
// it floored to an even second. Entries are given in any order; a folder
// that holds entries but has no line of its own is made up (as a folder of
// unknown time and mode), and filled in when its line comes later. Entries
// that the exclude patterns leave out are not added, nor anything below an
// excluded folder.
class TSnapshotBuilder {
public:
    // rootPrefix: the path shown for the snapshot's root, ending in "/".
    TSnapshotBuilder(TEntryList& list, std::string rootPrefix, const TExcludeFilter* exclude);

    // Adds one record. False with reason set when it cannot stand in a tree:
    // a root that is not a folder, a folder given twice.
    bool Add(const TMtreeRecord& record, std::string& reason);
    // Marks the folder at path (below the root, given by a line of its own
    // before) as one whose names could not be read, with the error number.
    // False with reason set when no such folder was given.
    bool MarkUnreadable(const std::string& path, int error, std::string& reason);
    int Count() const { return Added; }

private:
    struct TDirSlot {
        const TFolder* Folder = nullptr;
        TSearchRecEx* Entry = nullptr;  // null for the root
        bool Excluded = false;
        bool Given = false;                  // its own line was read (not made up)
        std::vector<std::u32string> Folded;  // folded names from the root, with patterns only
    };

    // The folder at dir (a path below the root, "" for the root), made up
    // with its parents when missing.
    TDirSlot& Dir(const std::string& dir, uint64_t line);
    TDirSlot* NewFolder(TDirSlot& parent, const std::string& dir, std::string_view name,
                        uint64_t line);
    void Fill(TSearchRecEx& entry, const TMtreeRecord& record);
    bool Excludes(const TDirSlot& parent, std::string_view name, bool folder);

    TEntryList& List;
    const std::string RootPrefix;
    const TExcludeFilter* Exclude;
    std::unordered_map<std::string, TDirSlot> Dirs;
    bool RootGiven = false;
    int Added = 0;
    platform::TLocalClock Clock;
    platform::TCaseFolder Folder;
    std::u32string FoldedName;
};

#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "TSearchRec.h"
#include "platform/AlignedBuffer.h"
#include "platform/Digest.h"
#include "platform/Directory.h"
#include "platform/FileReader.h"

class TEntryList;
class TExcludeFilter;

// What listing one side asks for.
struct TListRequest {
    const std::atomic<bool>& Stop;
    const TExcludeFilter* Exclude = nullptr;  // null: nothing excluded
    // Also record each entry's TEntryFacts (to write a snapshot of it).
    bool Facts = false;
    // Names that differ in letter case are different names (the sort of a
    // list that comes sorted).
    bool CaseSensitive = false;
    // Called on the listing thread with each entry as soon as it is listed
    // (with its facts), so that work on it can start while the listing goes
    // on; may be empty.
    std::function<void(const TSearchRecEx&)> Listed{};
};

// How listing one side ended.
struct TListOutcome {
    int Result = 0;          // -1 when stopped, otherwise the number of entries listed
    bool Delivered = false;  // the root delivered names (an ordinary folder always does)
    bool Sorted = false;     // the list is already in TEntryList's sort order
    // A side that could not be read as what it claims to be (a snapshot that
    // is cut off, malformed or hostile): the run's status, and its message
    // naming the file and the line. 0 otherwise.
    int Status = 0;
    std::string Message;
};

// What one thread uses to read and digest files: made once per thread and
// reused for every file. The handle of the folder of the last file is kept,
// so that files of one folder are opened without resolving their paths.
class TDigestWork {
public:
    // stopRequested is asked before every block; true ends a digest as cancelled.
    TDigestWork(platform::TFileReader& reader, platform::TAlignedBuffer& buffer,
                std::function<bool()> stopRequested)
        : Reader(reader), Buffer(buffer), StopRequested(std::move(stopRequested)) {}

    // The open handle of folder, or null when it cannot be opened.
    const platform::TDirectory* FolderHandle(const TFolder& folder);

    platform::TFileReader& Reader;
    platform::TAlignedBuffer& Buffer;
    platform::TDigester Digester;
    const std::function<bool()> StopRequested;

private:
    const TFolder* Folder = nullptr;
    platform::TDirectory Handle;
};

// Where the entries of one side of a comparison come from: a live folder that
// is walked (TFolderSource), a snapshot file that is read (TSnapshotSource),
// or any other source of entries, such as a stream from another machine.
// The engine lists each side through its source, then pairs the two lists
// alike, whatever their sources. Contents are compared byte for byte when
// both entries are files that can be read here (HasFiles); otherwise by
// digest, which each side's source gives for its own entries: a folder reads
// and digests the file, a snapshot gives what it recorded, and a far side
// would compute it there.
class TEntrySource {
public:
    virtual ~TEntrySource() = default;

    // The path the side was given as (a folder, a snapshot file).
    virtual const std::string& Path() const = 0;
    // Lists every entry below the side's root into list (whose Source is
    // this), in any order unless the outcome says Sorted. Reads the stop
    // flag often; nothing escapes but std::bad_alloc and the lister's
    // out-of-descriptors failure, which the run reports as a failure.
    virtual TListOutcome List(TEntryList& list, const TListRequest& request) = 0;
    // True when the entries' files can be opened and read here.
    virtual bool HasFiles() const = 0;
    // The digest kind an entry's contents can be compared by: the one its
    // snapshot recorded (None when it recorded none), or nullopt when any
    // kind can be made (a live file).
    virtual std::optional<platform::TDigestKind> DigestKindOf(const TSearchRecEx& entry) const = 0;
    // Called in row order, from the thread of the pairing pass, for each
    // entry whose digest the comparison will ask for, so that a source whose
    // digests are made elsewhere can start on them. Does nothing by default.
    virtual void WillNeedDigest(const TSearchRecEx& entry, platform::TDigestKind kind) {
        (void)entry;
        (void)kind;
    }
    // The digest of kind `kind` of a listed entry's contents, into out; may
    // be called from several threads at once, each with its own work.
    // Returns ContentResult::Equal with out set, or a failure code with the
    // row's reason text (an open or read failure, a stop). Never throws.
    virtual int Digest(const TSearchRecEx& entry, platform::TDigestKind kind, TDigestWork& work,
                       platform::TDigestValue& out, std::string& reason) = 0;
};

// The source for a side given as path: a snapshot when path names a regular
// file that can be read, otherwise a folder (one that is missing or cannot
// be read lists as empty, as folders always have).
std::shared_ptr<TEntrySource> MakeEntrySource(const std::string& path);

// True when path can be one side of a comparison: an existing folder, or a
// regular file that can be read (a snapshot).
bool IsComparableSide(const std::string& path);

// True when path is read as a snapshot: a regular file that can be read.
bool IsSnapshotPath(const std::string& path);

// True when the entry's bytes can be read here: it was listed from a live
// folder (or by a lister on its own, as tests do).
inline bool HasFile(const TSearchRecEx& entry) {
    return !entry.Folder->Source || entry.Folder->Source->HasFiles();
}

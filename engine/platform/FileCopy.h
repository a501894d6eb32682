#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The question asked before a file is replaced: both files with their size
// and modification time (seconds since the Unix epoch).
struct TReplaceQuestion {
    std::string Origin;
    std::string Destination;
    int64_t OriginSize = 0;
    int64_t DestinationSize = 0;
    int64_t OriginTime = 0;
    int64_t DestinationTime = 0;
};

// What a copy asks and tells its user. Called on the thread that copies.
class ICopyHandler {
public:
    enum class TAnswer { Yes, YesToAll, No, Cancel };

    virtual ~ICopyHandler() = default;
    // The file Destination exists: may Origin replace it? YesToAll replaces it
    // and every later one without asking again; Cancel ends the copy.
    virtual TAnswer AskReplace(const TReplaceQuestion& question) = 0;
    // bytesDone of bytesTotal are copied (or passed over); current is the
    // file being copied.
    virtual void Progress(uint64_t bytesDone, uint64_t bytesTotal, const std::string& current) = 0;
    // True once the user wants the copy to end; read between blocks.
    virtual bool StopRequested() = 0;
    // True when the entry at path, inside a folder being copied, is to be
    // left out (a folder is then not entered): the comparison's exclude
    // patterns. Asked once per entry, before anything is written.
    virtual bool LeaveOut(const std::string& path, bool folder) {
        (void)path;
        (void)folder;
        return false;
    }
};

enum class TCopyStatus {
    Done,       // everything copied that was to be copied
    Cancelled,  // ended by a Cancel answer or a stop request
    Failed,     // ended by a failure; Error tells which call on which path and why
};

struct TCopyResult {
    TCopyStatus Status = TCopyStatus::Done;
    std::string Error;
    int FilesCopied = 0;
    int FilesDeclined = 0;  // existing files the user chose to keep
    int LeftOut = 0;        // entries LeaveOut kept out of the copy
    // Entries that hold no contents to copy (FIFOs, devices, sockets, links
    // whose target is missing): left out, by their origin path.
    std::vector<std::string> NotCopied;
};

// The program's own copy of a file or folder tree, on raw path bytes.
//
// Copy copies origin into destination when destination is an existing
// folder, otherwise to the name destination (a file is replaced, a folder
// created). With createDestination, destination is a folder that is first
// created with every missing parent, and origin is copied into it.
//
// Folders are copied recursively and merged into folders of the same name,
// leaving out what the handler's LeaveOut names; every existing file is
// replaced only after AskReplace allows it. Nothing is
// ever deleted. Symbolic links are followed (a link back to a folder above it
// is copied as an empty folder).
//
// Contents are copied by the kernel (copy_file_range: a shared extent on btrfs
// and XFS, a copy on the server over NFS), or read and written through a
// page-aligned buffer where the file system refuses that. Each file is
// written under a temporary name in its destination folder (an
// unnamed file where the file system allows it) and renamed into place, with
// the origin's modification and access times and permission bits; a file that
// replaces another is flushed to disk first. So a destination file is either
// the old one or the whole new one, also when the process is killed midway.
//
// The whole tree is examined before anything changes: a folder that would
// have to replace a file (or a file a folder), a destination inside the
// origin, or a copy onto itself fails with nothing written. A failure or a
// cancel later on leaves every file already copied in place, removes folders
// this copy made that are still empty, and touches nothing else.
class TFileCopy {
public:
    // Bytes per read and write, and per copy_file_range call: progress is
    // reported and a stop request read after each.
    static constexpr size_t BlockSize = 1024 * 1024;
    static constexpr size_t KernelBlockSize = 8 * 1024 * 1024;

    // Whether files are written unnamed until whole where the file system
    // allows it; when false (or not allowed), under a hidden temporary name.
    bool UnnamedFiles = true;
    // Whether the kernel is asked to copy (copy_file_range); when false every
    // file is read and written through the buffer.
    bool KernelCopies = true;

    TCopyResult Copy(const std::string& origin, const std::string& destination,
                     bool createDestination, ICopyHandler& handler);
};

// Creates path and every missing parent folder (mode 0777 less the umask).
// Appends each folder it made to created, parents first. False with error
// set ("mkdir(<path>): <reason>") when one cannot be made.
bool MakeFolders(const std::string& path, std::vector<std::string>& created, std::string& error);

}  // namespace platform

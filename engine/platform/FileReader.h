#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "TSearchRec.h"

namespace platform {
class TDirectory;
}

namespace platform {

// Reads one file from start to end. Move-free and reusable: Open closes the
// previous file.
class TFileReader {
public:
    enum class TOpenResult {
        Opened,   // a regular file, open for reading
        Special,  // a FIFO, device or socket: not read (and closed again at once)
        Failed,   // cannot be opened
    };

    TFileReader() = default;
    ~TFileReader() { Close(); }
    TFileReader(const TFileReader&) = delete;
    TFileReader& operator=(const TFileReader&) = delete;

    // Opens path read-only without updating its access time where the owner
    // allows it, following symbolic links, for any path length. A FIFO is
    // opened without waiting for a writer and closed again; kind tells what
    // was found.
    TOpenResult Open(const std::string& path, TFileKind& kind);
    // The same for the file `name` inside the open folder dir, so that no
    // path is resolved from the root. path is the full path, for messages.
    //
    // listedSize is the size the listing found for a regular file, or -1.
    // Without it, what is opened is examined at once: a listed file replaced
    // since by a FIFO, a device (a link to /dev/zero would never end) or a
    // socket is never read. With it, no status call is made while the reads
    // agree with the listing; a read that does not (bytes past the listed
    // size, an end before it or at 0, a failure) examines the file then, and
    // one found to be no regular file ends with NotAFile.
    TOpenResult OpenAt(const TDirectory& dir, const char* name, const std::string& path,
                       TFileKind& kind, int64_t listedSize = -1);
    // What ReadFull and Finish return for a file found to be a FIFO, a device
    // or a socket after it was opened (its kind: FoundKind).
    static constexpr int64_t NotAFile = -2;

    // Reads until `size` bytes are in buffer or the file ends (taken to be
    // reached when a read stops at the size the file had when opened); the count read,
    // or -1 after a failure, whose text ("read(<path>): <reason>") Error gives,
    // or NotAFile.
    int64_t ReadFull(char* buffer, size_t size);

    // ReadFull in two steps, so that one thread keeps two files reading at
    // once: Start takes what the page cache holds without waiting and sets
    // the kernel reading the rest of the block; Finish waits for the rest and
    // returns what ReadFull would. On a warm cache Start reads everything
    // and Finish makes no call.
    void Start(char* buffer, size_t size);
    int64_t Finish();
    // True when the last Start found part of its block not yet cached.
    bool Missed() const { return BlockMissed; }
    // The kind of the open file: examined now unless it was already.
    TFileKind FoundKind();
    const std::string& Error() const { return ErrorText; }
    void Close();

private:
    TOpenResult Opened(int fd, TFileKind& kind, int64_t listedSize);
    // Reads on into the block until it is full or the file ends; with
    // noWait only what is cached. False after a failure (ErrorText set) or
    // when the file turned out to be no regular file.
    bool Fill(bool noWait);
    // A read disagreed with the listing: examines the open file. False when
    // it is a FIFO, a device or a socket, or cannot be examined.
    bool Examine();

    int Fd = -1;
    int64_t Size = 0;    // when opened
    int64_t Offset = 0;  // bytes read so far
    // The block being read: where, how much is wanted and how much is there.
    char* Block = nullptr;
    size_t Wanted = 0;
    size_t Done = 0;
    bool Ended = false;  // the file ended inside the block
    bool Failed = false;
    bool BlockMissed = false;
    // The file was examined since it was opened (or needs no examination).
    bool Examined = true;
    TFileKind Kind = TFileKind::Regular;
    // Cleared for good when the file system does not read without waiting.
    bool NoWait = true;
    std::string Path;
    std::string ErrorText;
};

// The system's text for an error number.
std::string ErrorString(int error);

}  // namespace platform

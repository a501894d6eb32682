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
    // The same for the regular file `name` inside the open folder dir, of
    // `size` bytes when it was listed: no path is resolved from the root and
    // the file is not examined again (O_NONBLOCK still keeps a file that became
    // a FIFO since from blocking). path is the full path, for messages.
    TOpenResult OpenAt(const TDirectory& dir, const char* name, const std::string& path,
                       int64_t size);
    // Reads until `size` bytes are in buffer or the file ends (taken to be
    // reached when a read stops at the size the file had when opened); the count read,
    // or -1 after a failure, whose text ("read(<path>): <reason>") Error gives.
    int64_t ReadFull(char* buffer, size_t size);
    const std::string& Error() const { return ErrorText; }
    void Close();

private:
    TOpenResult Opened(int fd, TFileKind& kind);

    int Fd = -1;
    int64_t Size = 0;    // when opened
    int64_t Offset = 0;  // bytes read so far
    std::string Path;
    std::string ErrorText;
};

// The system's text for an error number.
std::string ErrorString(int error);

}  // namespace platform

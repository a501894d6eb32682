#pragma once

#include <functional>
#include <string>

#include "LineEnds.h"
#include "platform/FileReader.h"

// Compares two files under the rule of the option IgnoreLineEnds (LineEnds.h):
// alike when both are text and their lines are equal once the CR before each
// LF and the trailing blanks are removed. Pairing asks it only about pairs
// that differ byte for byte (or by size alone), so it answers one question and
// leaves the row's text to the caller: anything but "alike" (a difference, a
// binary file, a file that cannot be read, a stop) keeps the text the row
// would have without the option.
class TLineEndComparer {
public:
    static constexpr size_t BlockSize = 64 * 1024;

    // stopRequested is asked before every block read; true ends with "not alike".
    explicit TLineEndComparer(std::function<bool()> stopRequested);

    bool Alike(const std::string& pathM, const std::string& pathS);

private:
    // One file being read and normalised.
    struct TSide {
        platform::TFileReader Reader;
        LineEnds::TNormaliser Normaliser;
        std::string Block;
        size_t BlockUsed = 0;   // bytes of Block already normalised
        size_t BlockCount = 0;  // bytes read into Block
        std::string Out;        // normalised bytes not yet compared
        bool Ended = false;     // the file is read to its end
        bool Finished = false;  // and its held bytes are out
    };
    // Reads the first block of a side; false when the file cannot be read or
    // is not text.
    bool Start(TSide& side, const std::string& path);
    // Makes Out hold at least BlockSize bytes, or all that is left; false
    // after a read failure or a stop.
    bool Produce(TSide& side);
    bool ReadBlock(TSide& side);

    std::function<bool()> StopRequested;
    TSide M;
    TSide S;
};

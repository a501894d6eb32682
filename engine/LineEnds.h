#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The rule of the option IgnoreLineEnds: two texts are alike when their lines
// are equal once the CR before each LF and the blanks (spaces and tabs) at
// each line's end are removed. A missing line end after the last line still
// counts, so "a\n" and "a" differ. Bytes, not characters, are examined: in
// UTF-8, CP932 and EUC-JP no byte of a multi-byte character is a space, tab,
// CR or LF.
namespace LineEnds {

// A file is text when its first TextProbeSize bytes hold no NUL byte.
constexpr size_t TextProbeSize = 8192;
bool LooksLikeText(std::string_view start);

// What is left of one line (without its LF) under the rule: the CR before
// the LF dropped when the line had one, then the trailing blanks.
std::string_view Strip(std::string_view line, bool endsWithLf);

// The rule applied to a stream of bytes given in pieces. The output is the
// input with every line stripped (Strip), so that two files are alike exactly
// when their outputs are equal. Blanks and CRs are held back until the next
// byte shows whether they end a line; a run of them is kept as counted runs,
// so a file of a billion spaces costs a few bytes, and the output of one call
// is bounded by the room the caller gives.
class TNormaliser {
public:
    // Takes bytes from in and appends at most `room` bytes to out; returns how
    // many bytes of in were taken (fewer than in.size() only when the room ran
    // out).
    size_t Feed(std::string_view in, std::string& out, size_t room);
    // After the last byte: the held-back bytes that end the file without a
    // line end, less their trailing blanks. Appends at most `room` bytes;
    // true when everything is out (call again with more room otherwise).
    bool Finish(std::string& out, size_t room);
    // Ready for another stream.
    void Reset();

private:
    struct TRun {
        char Byte;
        uint64_t Count;
    };
    void Hold(char byte);
    // Drops the held runs of blanks at the end.
    void DropTrailingBlanks();
    // Moves held runs to out while room lasts; true when none is left.
    bool Release(std::string& out, size_t& room);

    std::vector<TRun> Held;
    size_t Released = 0;  // runs of Held already out
    // The byte that made the held runs go out, appended after them.
    int After = -1;
};

}  // namespace LineEnds

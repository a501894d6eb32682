#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pairview/TDiffLayout.h"
#include "pairview/TTextLines.h"
#include "platform/FileAt.h"
#include "platform/TextDecoder.h"

// The encoding a text is read in, found from its bytes: UTF-8 with a byte
// order mark, then well-formed UTF-8, then EUC-JP, then CP932 (EUC-JP's
// two-byte characters read as CP932 too, as half-width kana, while CP932's
// rarely read as EUC-JP). None when no encoding decodes the text: the view
// then shows its bytes. Texts above a megabyte are judged by their first
// megabyte, cut after its last LF.
std::optional<platform::TTextCode> DetectTextCode(std::string_view text);
// True when text begins with the UTF-8 byte order mark.
bool HasUtf8Bom(std::string_view text);

// A byte range where two files differ; past the shorter file's end every
// byte of the longer counts as differing.
struct TByteRun {
    int64_t Offset = 0;
    int64_t Length = 0;
    bool operator==(const TByteRun&) const = default;
};

struct TByteDiff {
    std::vector<TByteRun> Runs;  // at most MaxRuns; Truncated when more were found
    int64_t DifferingBytes = 0;  // all of them, also those past MaxRuns
    bool Truncated = false;
    static constexpr size_t MaxRuns = 1 << 20;
};

// Compares two open files block by block.
TByteDiff DiffBytes(const platform::TFileAt& m, const platform::TFileAt& s,
                    const std::atomic<bool>* cancel = nullptr);

// One side of a pair as the view shows it.
struct TPairSide {
    std::string Path;
    platform::TFileAt File;
    std::string Error;  // why the file cannot be read; empty when it can
    std::string Bytes;  // the whole file, for a line diff
    TTextLines Lines;
    bool Text = false;  // no NUL byte in the first 8 KiB (and read whole)
    std::optional<platform::TTextCode> Detected;
    bool Bom = false;
};

struct TPairDiffOptions {
    bool IgnoreLineEnds = false;
    // Files larger than this get the byte view with a message, not a line diff.
    int64_t TextLimit = int64_t(256) << 20;
};

// What the pair view shows of two files, worked out on a worker thread. Text
// when both files are text within the limit: their lines, the line diff and
// its rows. Otherwise the bytes: the differing runs. A side that cannot be read
// keeps its reason.
class TPairDiff {
public:
    enum class TMode { Text, Bytes, Failed };

    static std::unique_ptr<TPairDiff> Load(const std::string& pathM, const std::string& pathS,
                                           const TPairDiffOptions& options,
                                           const std::atomic<bool>* cancel = nullptr);

    TMode Mode = TMode::Failed;
    // Why the bytes are shown instead of the lines, or empty.
    std::string Message;
    TPairSide M;
    TPairSide S;
    bool IgnoreLineEnds = false;
    TDiffLayout Layout;  // for Text
    TByteDiff Bytes;     // for Bytes
    // Whether both sides detected an encoding (the text can be shown as it is).
    bool Decodable() const { return M.Detected.has_value() && S.Detected.has_value(); }
};

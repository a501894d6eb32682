#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "TEntryFacts.h"
#include "TSearchRec.h"

// One entry of an mtree(5) specification, with the /set defaults applied.
struct TMtreeRecord {
    // The path below the root, decoded, its names joined by "/", without a
    // leading "./"; empty for the root ".".
    std::string Path;
    uint64_t Line = 0;  // where the entry's line begins
    TFileKind Kind = TFileKind::Regular;
    int64_t Size = 0;
    TEntryFacts Facts;       // Recorded tells which keywords were given
    std::string LinkTarget;  // "link=", decoded; empty when not given
};

// Reads an mtree specification as it arrives, in pieces of any size (a file
// read block by block, or a stream from a pipe), and hands every entry to a
// sink. Both styles the BSD tools write are read: one line per entry with its
// path from the root ("./sub/b\040c type=file ...", as bsdtar and mtree -C
// write), and NetBSD's hierarchical style (mtree -c: "/set" defaults, names
// relative to the current folder, a folder entry entering that folder, ".."
// leaving it, "\" continuing a line, vis(3) escapes, "sha256=" for
// "sha256digest="). Lines beginning with "#" are comments, except that a
// file whose header names Tandril as its writer must end with its count line
// ("#\tentries: N"), so that a file cut off after a whole line is refused.
//
// Input is never trusted: a line longer than MaxLine (kept no longer than
// that), a NUL or control byte, a bad escape, a path that is absolute or
// holds ".." or an empty name, an unknown keyword, a value out of range (a
// size past 2^63 - 1, a time outside the years 1 to 9999, a mode above
// 07777), a digest of the wrong length or not in hex, an entry without a
// type, a file cut off or empty: each refuses the whole text with the line
// and a reason. After a refusal every later call returns false at once.
// Memory stays that of one line plus the current folder's path.
class TMtreeParser {
public:
    static constexpr size_t MaxLine = 1 << 20;

    // Called for each entry in file order. Returning false refuses the text
    // with the reason the sink sets, at the entry's line.
    using TSink = std::function<bool(const TMtreeRecord& record, std::string& reason)>;

    explicit TMtreeParser(TSink sink);
    // Called for each folder that Tandril's header-named file marks as one
    // whose names could not be read (an UnreadableComment line), with its
    // path below the root and the error number. Returning false refuses the
    // text with the reason the sink sets. Without a sink such lines are
    // comments like any other.
    using TUnreadableSink =
        std::function<bool(const std::string& path, int error, std::string& reason)>;
    void SetUnreadableSink(TUnreadableSink sink) { UnreadableSink = std::move(sink); }

    // The next bytes of the text. False once the text is refused.
    bool Feed(std::string_view bytes);
    // The text has ended: refuses a cut-off or empty text. False when refused.
    bool Finish();

    bool Refused() const { return !ErrorReason.empty(); }
    uint64_t ErrorLine() const { return ErrorAt; }
    const std::string& ErrorText() const { return ErrorReason; }
    // Entries delivered so far (the root "." included).
    uint64_t Entries() const { return Count; }
    // True when the header names Tandril as the writer.
    bool FromTandril() const { return Tandril; }

    // The header line that names the writer, and the count line's form.
    static constexpr std::string_view ToolComment = "#\t   tool: ";
    static constexpr std::string_view CountComment = "#\tentries: ";
    // "#\tunreadable: 13 ./data": a folder listed whose names could not be
    // read, with the error number. A comment, so other tools pass over it;
    // Tandril reads it back, so that what lay below the folder is never taken
    // for missing.
    static constexpr std::string_view UnreadableComment = "#\tunreadable: ";

private:
    // The keywords of /set or of one entry line.
    struct TKeywords {
        TMtreeRecord Record;
        bool HasType = false;
    };

    bool Refuse(uint64_t line, std::string reason);
    // Feed for bytes without a NUL.
    bool FeedLines(std::string_view bytes);
    bool PhysicalLine(std::string_view line);
    bool LogicalLine(std::string_view line);
    bool Comment(std::string_view line);
    bool UnreadableLine(std::string_view text);
    // "./a/b" (or "a/b") into record's Path, each name decoded and checked.
    bool DecodePath(std::string_view name, std::string& path);
    bool Entry(std::string_view name, const std::vector<std::string_view>& words);
    bool Apply(std::string_view word, TKeywords& into);
    bool Unset(std::string_view word);
    bool DecodeName(std::string_view raw, std::string& name);

    TSink Sink;
    TUnreadableSink UnreadableSink;
    std::string Pending;  // the start of a line whose end has not arrived
    std::string Logical;  // a line continued with "\", so far
    bool Continued = false;
    bool AnyByte = false;
    uint64_t LineNumber = 0;  // physical lines read
    uint64_t LogicalStart = 0;
    TKeywords Defaults;                 // from /set
    std::vector<size_t> CurrentLength;  // length of CurrentPath at each folder entered
    std::string CurrentPath;            // the hierarchical style's current folder
    uint64_t Count = 0;
    bool Tandril = false;
    bool CountSeen = false;
    uint64_t CountValue = 0;
    uint64_t CountLine = 0;
    uint64_t ErrorAt = 0;
    std::string ErrorReason;
    // Reused for every line.
    std::vector<std::string_view> Words;
    std::string Decoded;
    TKeywords Current;
};

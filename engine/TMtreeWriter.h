#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "TEntryFacts.h"
#include "TSearchRec.h"

// What the header comment of a snapshot names.
struct TMtreeHeader {
    std::string Tool;     // "TandrilB 1.1.2.0"
    std::string Tree;     // the folder the snapshot was made of
    std::string Host;     // the machine's name
    std::string Date;     // when it was made
    std::string Options;  // the options that shaped it ("/digest sha256 /exclude *.o")
};

// Writes an mtree(5) specification in the one-line-per-entry style that both
// bsdtar and NetBSD's mtree read: "#mtree", a header comment, then one line
// per entry with its path from the root ("./sub/b\040c type=file size=3
// time=1700000000.000000000 sha256digest=..."), names escaped as octal so
// that every byte survives, parents before their children, and a closing
// count line ("#\tentries: N") by which a reader tells a cut-off file from a
// whole one. The text goes to any output (a file, a pipe) in blocks of about
// 64 KiB; the first failing output is remembered and every later one skipped.
class TMtreeWriter {
public:
    // Takes the next block of text; false when it could not be written.
    using TOutput = std::function<bool(std::string_view)>;

    explicit TMtreeWriter(TOutput output);

    void WriteHeader(const TMtreeHeader& header);
    // One entry: relDir is the folder part of its path below the root
    // ("" directly below it), name its own name; both empty for the root.
    // Writes size for files, the link target for links, and every fact that
    // facts.Recorded holds, and its digest when it has one.
    void WriteEntry(std::string_view relDir, std::string_view name, TFileKind kind, int64_t size,
                    const TEntryFacts& facts);
    // A comment line; the text is escaped so that it stays one line.
    void WriteComment(std::string_view text);
    // Marks the folder at relPath (below the root, already written) as one
    // whose names could not be read, with the error number: a comment that
    // other tools pass over and Tandril reads back (TMtreeParser).
    void WriteUnreadable(std::string_view relPath, int error);
    // The count line, then everything still buffered. True when every block
    // reached the output.
    bool Finish();

    uint64_t Entries() const { return Count; }
    bool Failed() const { return OutputFailed; }

private:
    // "./" and the path below the root, each name escaped.
    void AppendPath(std::string_view relDir, std::string_view name);
    void Flush();
    void FlushWhenFull();
    // key, then value in decimal.
    template <class T>
    void AppendNumber(std::string_view key, T value);

    TOutput Output;
    std::string Buffer;
    uint64_t Count = 0;
    bool OutputFailed = false;
};

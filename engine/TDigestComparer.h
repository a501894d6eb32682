#pragma once

#include <functional>
#include <string>

#include "TEntrySource.h"
#include "TSearchRec.h"
#include "platform/AlignedBuffer.h"
#include "platform/Digest.h"
#include "platform/FileReader.h"

// Compares the contents of two entries of which at least one has no file to
// read here (an entry of a snapshot, or of a far side): by the digests their
// sources give, of one kind, with the reason texts of the byte comparer.
// - A link that a snapshot recorded as a link compares by its target text
//   with the other side's link (a live entry that is a symbolic link, or
//   another recorded link); anything else differs from it.
// - FIFOs, devices and sockets compare by kind, as the byte comparer does.
// - An entry whose snapshot recorded no digest cannot be compared:
//   "不明(ダイジェストが無い)", a difference, never equal; two snapshots
//   with digests of different kinds likewise ("不明(ダイジェストの種類が違う)").
// - Otherwise a live file is digested with the other side's kind; equal
//   digests are equal, different ones "内容が不一致", or
//   "内容が不一致(サイズが一致しなかった)" when both sizes are known and
//   differ.
// Borrows a reader and a buffer of its owner (the byte comparer, whose
// pairs never overlap with these) and reads the stop probe before every block.
class TDigestComparer {
public:
    TDigestComparer(platform::TFileReader& reader, platform::TAlignedBuffer& buffer,
                    std::function<bool()> stopRequested);

    // A ContentResult code, with the reason (empty when equal). Never throws.
    int Compare(const TSearchRecEx& m, const TSearchRecEx& s, std::string& reason);

    // True when the pair must be compared here rather than byte for byte.
    static bool Needed(const TSearchRecEx& m, const TSearchRecEx& s);
    // Tells the sources of a pair that Compare will ask for its digests.
    static void Announce(const TSearchRecEx& m, const TSearchRecEx& s);

private:
    int CompareLinks(const TSearchRecEx& m, const TSearchRecEx& s, std::string& reason);

    TDigestWork Work;
};

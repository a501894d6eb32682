#pragma once

#include <string>

#include "TEntrySource.h"

// A snapshot file (mtree(5), as TandrilB /snapshot, mtree -c and bsdtar
// write it): read block by block through TMtreeParser into entries that
// stand for the files of the tree as it was, compared by the digests the
// snapshot recorded. A snapshot that is cut off, malformed or hostile is
// refused as a whole (CompareStatus::BadSnapshot) with a message naming the
// file and the line; so is one that gives a path twice. Memory grows with
// the entries, never with the length of a line.
class TSnapshotSource : public TEntrySource {
public:
    explicit TSnapshotSource(std::string path) : File(std::move(path)) {}

    const std::string& Path() const override { return File; }
    TListOutcome List(TEntryList& list, const TListRequest& request) override;
    bool HasFiles() const override { return false; }
    std::optional<platform::TDigestKind> DigestKindOf(const TSearchRecEx& entry) const override;
    int Digest(const TSearchRecEx& entry, platform::TDigestKind kind, TDigestWork& work,
               platform::TDigestValue& out, std::string& reason) override;

    // "スナップショット <file> の <line> 行目: <reason>".
    static std::string RefusalText(const std::string& file, uint64_t line,
                                   const std::string& reason);

private:
    std::string File;
};

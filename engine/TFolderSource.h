#pragma once

#include <string>

#include "TEntrySource.h"

// A live folder: walked by TFolderLister, its files read where they lie.
class TFolderSource : public TEntrySource {
public:
    explicit TFolderSource(std::string path) : Root(std::move(path)) {}

    const std::string& Path() const override { return Root; }
    TListOutcome List(TEntryList& list, const TListRequest& request) override;
    bool HasFiles() const override { return true; }
    std::optional<platform::TDigestKind> DigestKindOf(const TSearchRecEx&) const override {
        return std::nullopt;
    }
    // Reads the file (its FullPath, links followed) and digests it in
    // blocks; an open failure gives the byte comparer's open failure text.
    int Digest(const TSearchRecEx& entry, platform::TDigestKind kind, TDigestWork& work,
               platform::TDigestValue& out, std::string& reason) override;

    // Digests the file at path (listed as kind); the same results as Digest.
    // With the handle of its folder and its entry, the file is opened there
    // by name and read by the size the listing found.
    static int DigestFile(const std::string& path, TFileKind kind, platform::TDigestKind digest,
                          TDigestWork& work, platform::TDigestValue& out, std::string& reason,
                          const platform::TDirectory* folder = nullptr,
                          const TSearchRecEx* entry = nullptr);

private:
    std::string Root;
};

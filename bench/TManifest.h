#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// What the generator made in one workload folder: the parameters that made it,
// the size of both trees, and every deliberate difference between tree A (the
// source) and tree B (the target). The runner checks the programs' answers
// against it. Paths are relative to the tree's root, with "/" between folders.
struct TManifest {
    static constexpr int FormatVersion = 1;

    std::string Workload;  // "many-small", "few-large" or "stop-pair"
    double Scale = 1.0;
    uint64_t Seed = 0;

    int64_t FilesA = 0, FoldersA = 0, BytesA = 0;
    int64_t FilesB = 0, FoldersB = 0, BytesB = 0;

    std::vector<std::string> Changed;  // same path, size and time; one byte differs
    std::vector<std::string> Deleted;  // in A only
    std::vector<std::string> Added;    // in B only
    // Same file, name differing only in letter case: (path in A, path in B).
    std::vector<std::pair<std::string, std::string>> Renamed;
    // Same bytes and time elsewhere in B: (path in A, path in B). Each is
    // also in Deleted and Added, as a run without moved detection sees it.
    std::vector<std::pair<std::string, std::string>> Moved;
    // Entries that the workload's exclude patterns leave out (vendored: the
    // node_modules/ and .git/ folders and all they hold); no difference lies
    // among them.
    int64_t ExcludedFilesA = 0, ExcludedFoldersA = 0, ExcludedFilesB = 0, ExcludedFoldersB = 0;

    int64_t Differences() const {
        return static_cast<int64_t>(Changed.size() + Deleted.size() + Added.size());
    }
    // Rows of a comparison that pairs names without regard to letter case:
    // every entry of A, plus the files that only B has.
    int64_t ExpectedRows() const { return FilesA + FoldersA + static_cast<int64_t>(Added.size()); }
    // The manifest as a run with the exclude patterns sees the trees.
    TManifest WithoutExcluded() const {
        TManifest m = *this;
        m.FilesA -= ExcludedFilesA, m.FoldersA -= ExcludedFoldersA;
        m.FilesB -= ExcludedFilesB, m.FoldersB -= ExcludedFoldersB;
        m.ExcludedFilesA = m.ExcludedFoldersA = m.ExcludedFilesB = m.ExcludedFoldersB = 0;
        return m;
    }
    bool SameParameters(const std::string& workload, double scale, uint64_t seed) const {
        return Workload == workload && Scale == scale && Seed == seed;
    }
};

// Writes the manifest to `path` through a temporary file renamed into place, so
// that a manifest exists only for a completely generated workload. Throws
// std::runtime_error on failure.
void WriteManifest(const TManifest& manifest, const std::string& path);

// Reads a manifest written by WriteManifest. Returns false (with `error` set)
// when the file is missing, from another format version or incomplete.
bool ReadManifest(const std::string& path, TManifest& manifest, std::string& error);

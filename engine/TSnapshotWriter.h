#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "TEntryFacts.h"
#include "TMtreeWriter.h"
#include "TRemoteSettings.h"
#include "platform/Digest.h"

class TEntryList;
struct TSearchRecEx;

// Writes the snapshot of a tree: lists it as a comparison would (the same
// exclude patterns, links followed, loops listed but not entered), digests
// every regular file on several threads from the moment it is listed, and
// writes one mtree line per entry in the order the tree is listed (each folder
// before what it holds, as NetBSD's mtree needs), each line as soon as its
// digest is made: listing, reading and writing overlap. A file that cannot
// be read is written without a digest, after a comment line that says why; a
// later comparison then says its contents were never compared.
class TSnapshotWriter {
public:
    enum class TResult {
        Written,       // the whole snapshot reached the output
        Stopped,       // a stop request ended it early
        OutputFailed,  // the output refused a block
        Refused,       // the tree is a snapshot that cannot be read, or a far tree that
                       // cannot be reached or was lost (Message says why, Status which)
        Failed,        // a failure of the run (out of memory, of descriptors: Message)
    };
    // Entries written so far and in all (0 while the tree is still being
    // listed); on the writing thread, at most every 100 ms and once at the end.
    using TProgress = std::function<void(int64_t written, int64_t total)>;

    explicit TSnapshotWriter(const std::atomic<bool>& stop) : Stop(stop) {}

    void SetDigest(platform::TDigestKind kind) { Digest = kind; }
    void SetExclude(std::vector<std::string> patterns) { Exclude = std::move(patterns); }
    // The header's tool ("TandrilB 1.1.2.0") and options ("/digest sha256").
    void SetHeader(std::string tool, std::string options);
    void SetProgress(TProgress progress) { Progress = std::move(progress); }
    // Threads that digest besides the writing one; 0 digests on the writing
    // thread only. The default is one per core.
    void SetWorkers(int workers) { Workers = workers; }
    // How a far root (ssh://...) is reached.
    void SetRemoteSettings(TRemoteSettings settings) { Remote = std::move(settings); }

    // Lists root (a folder, or a snapshot file) and writes its snapshot to
    // output. Never throws.
    TResult Write(const std::string& root, const TMtreeWriter::TOutput& output) noexcept;

    // What a snapshot records of a folder (its root line): time, mode,
    // owner, group and link count; nothing when it cannot be examined.
    static TEntryFacts FolderFacts(const std::string& path);

    const std::string& Message() const { return Text; }
    // The engine's status of a refusal (CompareStatus::BadSnapshot, a far
    // side's failure, BadPathM for a far folder that is none).
    int Status() const { return RefusalStatus; }
    int64_t Entries() const { return Written; }
    // Files written without a digest because they could not be read.
    int64_t Unreadable() const { return Failures; }
    // Folders whose names could not be read, marked so in the snapshot.
    int64_t UnreadableFolders() const { return FolderFailures; }

private:
    TResult Run(const std::string& root, const TMtreeWriter::TOutput& output);
    // The writing thread: every entry the pipeline hands over, in order.
    void WriteEntries(TMtreeWriter& writer, class TSnapshotPipeline& pipeline);

    const std::atomic<bool>& Stop;
    platform::TDigestKind Digest = platform::TDigestKind::Sha256;
    std::vector<std::string> Exclude;
    TMtreeHeader Header;
    TProgress Progress;
    int Workers = -1;
    TRemoteSettings Remote;
    std::string Text;
    int RefusalStatus = 0;
    int64_t Written = 0;
    int64_t Failures = 0;
    int64_t FolderFailures = 0;
};

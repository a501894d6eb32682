#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ICompareCallBack.h"
#include "TCompare.h"
#include "TEntryList.h"
#include "platform/Digest.h"

// A folder in the temporary directory, removed with everything in it at the
// end of the test. Paths given to its helpers are relative to it.
class TTempTree {
public:
    TTempTree();
    ~TTempTree();
    TTempTree(const TTempTree&) = delete;
    TTempTree& operator=(const TTempTree&) = delete;

    // The absolute path of rel (the tree itself for "").
    std::string Path(const std::string& rel = "") const;
    // Creates folders on the way; the file gets modification time `time`
    // (seconds since the epoch) unless it is 0.
    void File(const std::string& rel, const std::string& content, int64_t time = 1600000000);
    void Folder(const std::string& rel);
    // Links and FIFOs get a fixed time too (the link's own, not its
    // target's), so that the two sides of a test never differ by the clock.
    void Link(const std::string& rel, const std::string& target, int64_t time = 1600000000);
    void Fifo(const std::string& rel, int64_t time = 1600000000);
    void SetTime(const std::string& rel, int64_t seconds, long nanoseconds = 0);
    void Mode(const std::string& rel, unsigned mode);
    // A chain of `depth` folders named `name` below rel, each holding a file
    // "f" of one byte, made by handles (the full path may pass PATH_MAX).
    void Chain(const std::string& rel, int depth, const std::string& name);
    // Writes every file of the tree to the disk and drops its pages from the
    // page cache, so that the next reads come from the disk. True when no
    // page stayed cached (a file system without a page cache of its own,
    // tmpfs for one, keeps them all).
    bool Evict() const;

private:
    std::string Root;
};

// Sets the process's time zone (TZ) for its life and puts the old one back.
class TTimeZone {
public:
    explicit TTimeZone(const std::string& zone);
    ~TTimeZone();
    TTimeZone(const TTimeZone&) = delete;
    TTimeZone& operator=(const TTimeZone&) = delete;

private:
    std::string Saved;
    bool HadZone = false;
};

// Runs job in a child process as the unprivileged user nobody when the tests
// run as root (permission bits do not stop root), otherwise in-process; the
// text the job returns comes back.
std::string RunUnprivileged(const std::function<std::string()>& job);

// A callback that records every call as a line of text and every row's
// strings, and can act on the engine in the middle of a run.
class TRecorder : public ICompareCallBack {
public:
    std::vector<std::string> Events;
    std::vector<std::vector<std::string>> Rows;
    std::function<void(TCompare*)> AtBegin;
    std::function<void(TCompare*, int)> AtRow;

    void OnCompareBegin(TCompare* sender) override;
    void OnListReady(TCompare* sender, int countM, int countS) override;
    void OnRowReady(TCompare* sender, int index, int equal, int different, const TSearchRecEx* m,
                    const TSearchRecEx* s, const TResultRow& row) override;
    void OnCompareDone(TCompare* sender, int rows, int equal, int different) override;
    void OnCompareEnd(TCompare* sender) override;

    // The result text of the row whose source or target display name is name.
    std::string ResultOf(const std::string& name) const;
};

// Writes the snapshot of root to file (as TandrilB /snapshot does) and
// returns file; throws when it cannot be written.
std::string WriteSnapshot(const std::string& root, const std::string& file,
                          platform::TDigestKind kind = platform::TDigestKind::Sha256,
                          const std::vector<std::string>& exclude = {});

// Runs one comparison of two folders with the given options and recorder.
int RunCompare(TCompare& engine, const std::string& pathM, const std::string& pathS,
               const TCompareOption& option = TCompareOption());

// Both trees listed and sorted as Compare does before pairing, for tests that
// drive the pairing pass themselves. M and S share the lists without owning
// them, as TResultList takes them.
struct TSortedTrees {
    TSortedTrees(const std::string& pathM, const std::string& pathS);
    TEntryList ListM, ListS;
    std::shared_ptr<TEntryList> M, S;
};

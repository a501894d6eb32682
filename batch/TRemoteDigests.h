#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TEntryList.h"
#include "platform/Digest.h"
#include "platform/StandardStreams.h"

// The far side's second phase: digests the files the near side asks for on
// several threads and writes one answer line per request, in the order asked
// (a digest in hex, or "!<code> <reason>" when the file cannot be read), so
// that the near side needs no number in an answer. Answers go out as soon as
// the next one in order is ready.
class TRemoteDigests {
public:
    // entries: the far tree in the order it was streamed (0 is the root).
    TRemoteDigests(std::vector<const TSearchRecEx*> entries, platform::TStandardOutput& out,
                   int workers);
    // Never returns before the process ends: the end of the input ends it.
    ~TRemoteDigests();
    TRemoteDigests(const TRemoteDigests&) = delete;
    TRemoteDigests& operator=(const TRemoteDigests&) = delete;

    // Takes one request line ("x<ordinal>" for XXH3-128, "s<ordinal>" for
    // SHA-256). False for a line that is none.
    bool Post(const std::string& request);

private:
    struct TJob {
        size_t Sequence = 0;
        const TSearchRecEx* Entry = nullptr;
        platform::TDigestKind Kind = platform::TDigestKind::Xxh128;
    };
    void Work();
    // Writes every answer that is next in order; the lock is held.
    void Emit();

    std::vector<const TSearchRecEx*> Entries;
    platform::TStandardOutput& Out;
    std::mutex Lock;
    std::condition_variable JobReady;
    std::deque<TJob> Jobs;
    std::map<size_t, std::string> Done;  // answers waiting for those before them
    size_t Posted = 0;
    size_t Written = 0;
    std::vector<std::thread> Workers;
};

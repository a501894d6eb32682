#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TEntryFacts.h"
#include "TEntrySource.h"
#include "TRemoteChannel.h"

// True when path can be one side of a comparison or a snapshot: an existing
// folder, a readable snapshot file, or a well-formed ssh:// URL (whether its
// folder exists is known once the far side answers).
bool IsValidSide(const std::string& path);

// A tree on another machine (ssh://[user@]host[:port]/path): TandrilB runs
// there in its serving mode ("/serve"), lists the tree with the exclude
// patterns applied there and streams its entries as mtree lines while it
// lists, and later digests the files this side asks for, several at once,
// answering in the order asked. Only entries and digests cross the network.
//
// The stream is read with the rules of a snapshot file (TMtreeParser): a far
// side that sends garbage, an endless line, a path with "..", a path twice,
// or stops mid-record is refused as a whole (CompareStatus::RemoteBadData);
// a connection that ends early is a dropped connection. Such a failure
// during the comparison calls OnFailure (the engine stops the pass) and is
// kept for FailureStatus, so that a run cut off midway says so.
//
// Digests are asked for as the pairing pass announces them (WillNeedDigest,
// in row order) and taken by Digest from any thread; requests are sent in
// batches, and the replies are read on a thread of their own.
class TRemoteSource : public TEntrySource {
public:
    // The digest a far side computes when any kind will do: XXH3-128, 16
    // bytes, so that a digest costs about 40 bytes on the wire both ways.
    static constexpr platform::TDigestKind PreferredDigest = platform::TDigestKind::Xxh128;

    // exclude: the patterns, applied on the far side (caseSensitive: as
    // TExcludeFilter takes it).
    TRemoteSource(std::string url, TRemoteSettings settings, std::vector<std::string> exclude,
                  bool caseSensitive);
    // Ends the connection (and so the far side) and joins the reader.
    ~TRemoteSource() override;

    const std::string& Path() const override { return Url; }
    TListOutcome List(TEntryList& list, const TListRequest& request) override;
    bool HasFiles() const override { return false; }
    std::optional<platform::TDigestKind> DigestKindOf(const TSearchRecEx&) const override {
        return std::nullopt;
    }
    void WillNeedDigest(const TSearchRecEx& entry, platform::TDigestKind kind) override;
    int Digest(const TSearchRecEx& entry, platform::TDigestKind kind, TDigestWork& work,
               platform::TDigestValue& out, std::string& reason) override;

    // Called once, from whichever thread finds the connection failed after
    // the listing (the reader, or Digest): the engine stops the pass.
    void SetOnFailure(std::function<void()> onFailure) { OnFailure = std::move(onFailure); }
    // The failure that cut the run short, with its message; 0 when none.
    int FailureStatus(std::string& message) const;
    // Ends the conversation: the far side exits. Called once the pass is over.
    void Close();

    // What the far side recorded of the root (for a snapshot: List with Facts).
    const TEntryFacts& RootFacts() const { return Root; }

    // Bytes that crossed ssh's pipes, both ways (0 before List).
    uint64_t BytesOnWire() const;

private:
    struct TReply {
        enum class TState : uint8_t { None, Asked, Done };
        TState State = TState::None;
        int Code = 0;
        platform::TDigestKind Kind = platform::TDigestKind::None;
        platform::TDigestValue Value;
        std::string Reason;
    };

    // The entry's place in the stream (0 for the root), or -1 for an entry
    // that did not come from it (a folder made up for a path).
    long Ordinal(const TSearchRecEx& entry) const;
    // Queues the request for ordinal (the lock is held).
    void Ask(size_t ordinal, platform::TDigestKind kind);
    // Sends what is queued (not under the lock: it may wait for the pipe).
    void SendQueued();
    void ReadReplies();
    bool ParseReply(const std::string& line, TReply& reply) const;
    void Failed(int status, const std::string& message);

    const std::string Url;
    TRemoteUrl Parsed;
    TRemoteSettings Settings;
    const std::vector<std::string> Exclude;
    const bool CaseSensitive;
    std::unique_ptr<TRemoteChannel> Channel;
    std::function<void()> OnFailure;

    // The first entry line of the stream: an entry's line minus it is its
    // ordinal (the far side writes one line per entry).
    uint64_t FirstLine = 0;
    TEntryFacts Root;
    size_t StreamCount = 0;

    mutable std::mutex Lock;
    std::condition_variable ReplyReady;
    std::vector<TReply> Replies;     // by ordinal
    std::vector<size_t> AskedOrder;  // ordinals in the order asked
    size_t Answered = 0;             // replies read so far
    std::string Queue;               // requests not sent yet
    std::mutex SendLock;             // one sender at a time
    std::thread Reader;
    std::atomic<bool> ReaderDone{false};
    std::atomic<bool> SawEnd{false};  // the far side's output ended by itself
    int FailStatus = 0;
    std::string FailMessage;
    bool Closed = false;
};

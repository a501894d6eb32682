#include "TSnapshotWriter.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

#include "TCompare.h"
#include "TContentComparer.h"
#include "TEntryList.h"
#include "TEntrySource.h"
#include "TExcludeFilter.h"
#include "TRemoteSource.h"
#include "platform/Directory.h"
#include "platform/SystemInfo.h"

namespace {

constexpr size_t BlockSize = 256 * 1024;

bool NeedsDigest(const TSearchRecEx& entry) {
    return entry.Kind == TFileKind::Regular;
}

// What one thread needs to digest files.
struct TDigestThread {
    explicit TDigestThread(std::function<bool()> stop)
        : Buffer(BlockSize), Work(Reader, Buffer, std::move(stop)) {}
    platform::TFileReader Reader;
    platform::TAlignedBuffer Buffer;
    TDigestWork Work;
};

}  // namespace

// The entries of a snapshot on their way from the listing to the file. The
// listing posts every entry in listing order (each folder before what it
// holds); workers digest the files among them as they come; the writing
// thread takes the entries in the same order and writes each line once its
// digest is made: listing, reading and writing overlap. Each file's digest is
// pending, being made or made (TEntryFacts::DigestState); the writing thread
// makes the digest of the entry it is at when no worker has started it, so
// it never waits for a file nobody reads.
class TSnapshotPipeline {
public:
    enum : uint8_t { Pending, Claimed, Done };

    TSnapshotPipeline(platform::TDigestKind kind, const std::atomic<bool>& stop)
        : Kind(kind), Stop(stop) {}
    ~TSnapshotPipeline() { Abandon(); }

    void StartWorkers(int workers) {
        try {
            for (int i = 0; i < workers; ++i)
                Threads.emplace_back([this] { Work(); });
        } catch (...) {
            // Fewer threads: the writing thread digests what they do not.
        }
    }

    // An entry, from the listing thread. Entries are handed over in batches,
    // so that the lock is taken and the threads woken once per batch.
    void Post(const TSearchRecEx& entry) {
        Batch.push_back(&entry);
        if (Batch.size() >= 256)
            Flush(false);
    }
    // Every entry has been posted.
    void Close() { Flush(true); }
    // Ends the workers' work and wakes every waiting thread; joins the workers.
    void Abandon() {
        {
            std::lock_guard<std::mutex> guard(Lock);
            Abandoned = true;
        }
        Posted.notify_all();
        Finished.notify_all();
        // Both the writing thread and the one that runs the listing may end
        // the work; the workers are joined once.
        std::lock_guard<std::mutex> joining(JoinLock);
        for (std::thread& t : Threads)
            t.join();
        Threads.clear();
    }

    // For the writing thread: the next entry in listing order, waiting for
    // it to be posted; null once all are taken or the work was abandoned.
    const TSearchRecEx* Next(size_t& known) {
        std::unique_lock<std::mutex> lock(Lock);
        Posted.wait(lock, [this] { return Abandoned || Closed || WriteHead < Queue.size(); });
        known = Closed ? Queue.size() : 0;
        if (Abandoned || WriteHead == Queue.size())
            return nullptr;
        return Queue[WriteHead++];
    }

    // Waits for the digest of a file, making it here when nobody has started
    // it. True with reason set when the file could not be read.
    bool Wait(const TSearchRecEx& entry, TDigestThread& own, std::string& reason) {
        std::atomic_ref<uint8_t> state(entry.Facts->DigestState);
        uint8_t expected = Pending;
        if (state.compare_exchange_strong(expected, Claimed)) {
            Make(entry, own);
        } else if (state.load() != Done) {
            std::unique_lock<std::mutex> lock(Lock);
            WaitingFor.store(&entry);
            Finished.wait(lock, [this, &state] { return Abandoned || state.load() == Done; });
            WaitingFor.store(nullptr);
        }
        if (entry.Facts->Digest.Kind != platform::TDigestKind::None)
            return false;
        std::lock_guard<std::mutex> guard(Lock);
        reason = std::move(Failures[&entry]);
        return true;
    }

private:
    void Flush(bool close) {
        {
            std::lock_guard<std::mutex> guard(Lock);
            Queue.insert(Queue.end(), Batch.begin(), Batch.end());
            Closed = close;
        }
        Batch.clear();
        Posted.notify_all();
    }

    void Work() {
        try {
            TDigestThread own([this] { return Stop.load() || Abandoned.load(); });
            while (true) {
                const TSearchRecEx* entry = nullptr;
                {
                    std::unique_lock<std::mutex> lock(Lock);
                    Posted.wait(lock,
                                [this] { return Abandoned || Closed || WorkHead < Queue.size(); });
                    while (WorkHead < Queue.size() && !NeedsDigest(*Queue[WorkHead]))
                        ++WorkHead;
                    if (Abandoned || (Closed && WorkHead == Queue.size()))
                        return;
                    if (WorkHead == Queue.size())
                        continue;
                    entry = Queue[WorkHead++];
                }
                uint8_t expected = Pending;
                if (std::atomic_ref<uint8_t>(entry->Facts->DigestState)
                        .compare_exchange_strong(expected, Claimed))
                    Make(*entry, own);
            }
        } catch (...) {
            // No memory for this thread's buffers: the writing thread digests instead.
        }
    }

    void Make(const TSearchRecEx& entry, TDigestThread& own) {
        platform::TDigestValue value;
        std::string reason;
        int code = ContentResult::Cancelled;
        if (TEntrySource* source = entry.Folder->Source)
            code = source->Digest(entry, Kind, own.Work, value, reason);
        entry.Facts->Digest = code == ContentResult::Equal ? value : platform::TDigestValue();
        if (code != ContentResult::Equal) {
            std::lock_guard<std::mutex> guard(Lock);
            Failures[&entry] = std::move(reason);
        }
        std::atomic_ref<uint8_t>(entry.Facts->DigestState).store(Done);
        // The writing thread waits for this very entry: wake it (with the
        // lock, so that the wake cannot fall between its check and its wait).
        if (WaitingFor.load() == &entry) {
            std::lock_guard<std::mutex> guard(Lock);
            Finished.notify_all();
        }
    }

    const platform::TDigestKind Kind;
    const std::atomic<bool>& Stop;
    std::vector<const TSearchRecEx*> Batch;  // the listing thread's, not yet handed over
    std::mutex Lock;
    std::condition_variable Posted;    // new entries, or the end
    std::condition_variable Finished;  // a digest the writing thread waits for
    // Guarded by Lock: the entries posted, in listing order; the next one a
    // worker looks at and the next one the writing thread takes.
    std::vector<const TSearchRecEx*> Queue;
    size_t WorkHead = 0;
    size_t WriteHead = 0;
    bool Closed = false;
    std::atomic<bool> Abandoned{false};
    std::atomic<const TSearchRecEx*> WaitingFor{nullptr};
    std::unordered_map<const TSearchRecEx*, std::string> Failures;  // reasons of files not read
    std::mutex JoinLock;
    std::vector<std::thread> Threads;
};

void TSnapshotWriter::SetHeader(std::string tool, std::string options) {
    Header.Tool = std::move(tool);
    Header.Options = std::move(options);
}

TSnapshotWriter::TResult TSnapshotWriter::Write(const std::string& root,
                                                const TMtreeWriter::TOutput& output) noexcept {
    Text.clear();
    Written = 0;
    Failures = 0;
    FolderFailures = 0;
    try {
        return Run(root, output);
    } catch (const std::exception& e) {
        try {
            Text = e.what();
        } catch (...) {
        }
        return TResult::Failed;
    }
}

TEntryFacts TSnapshotWriter::FolderFacts(const std::string& path) {
    TEntryFacts facts;
    platform::TFileStatus status;
    if (platform::StatPath(path, status)) {
        facts.Recorded = TEntryFacts::HasTime | TEntryFacts::HasMode | TEntryFacts::HasOwner |
                         TEntryFacts::HasLinks;
        facts.Mode = static_cast<uint16_t>(status.Mode);
        facts.Uid = status.Uid;
        facts.Gid = status.Gid;
        facts.Links = status.Links;
        facts.Seconds = status.ModifyTime.Seconds;
        facts.Nanoseconds = status.ModifyTime.Nanoseconds;
    }
    return facts;
}

TSnapshotWriter::TResult TSnapshotWriter::Run(const std::string& root,
                                              const TMtreeWriter::TOutput& output) {
    std::optional<TExcludeFilter> filter;
    if (!Exclude.empty())
        filter.emplace(Exclude);
    // A far root is listed there, and digested there, file by file as asked.
    std::shared_ptr<TEntrySource> source =
        IsRemoteUrl(root) ? std::make_shared<TRemoteSource>(root, Remote, Exclude, false)
                          : MakeEntrySource(root);
    auto remote = std::dynamic_pointer_cast<TRemoteSource>(source);
    TEntryList list(source);
    TSnapshotPipeline pipeline(Digest, Stop);
    int workers = Workers;
    if (workers < 0)
        workers = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 8);
    pipeline.StartWorkers(workers);

    Header.Tree = root;
    Header.Host = platform::HostName();
    Header.Date = platform::UtcNowText();
    TMtreeWriter writer(output);
    // The lines are written on a thread of their own as the entries are
    // listed; a live root's facts are known before its listing.
    std::exception_ptr writeFailure;
    std::thread writing;
    auto startWriting = [&](const TEntryFacts& rootFacts) {
        writing = std::thread([&, rootFacts] {
            try {
                writer.WriteHeader(Header);
                writer.WriteEntry("", "", TFileKind::Directory, 0, rootFacts);
                WriteEntries(writer, pipeline);
            } catch (...) {
                writeFailure = std::current_exception();
                pipeline.Abandon();
            }
        });
    };
    struct TJoin {
        std::thread& Thread;
        TSnapshotPipeline& Pipeline;
        ~TJoin() {
            if (Thread.joinable()) {
                Pipeline.Abandon();
                Thread.join();
            }
        }
    } join{writing, pipeline};

    TListRequest request{Stop, filter ? &*filter : nullptr, true};
    if (source->HasFiles()) {
        startWriting(FolderFacts(root));
        request.Listed = [&pipeline](const TSearchRecEx& entry) { pipeline.Post(entry); };
    }
    TListOutcome listed = source->List(list, request);
    if (listed.Status != CompareStatus::Success) {
        Text = listed.Message;
        RefusalStatus = listed.Status;
        return TResult::Refused;
    }
    if (!source->HasFiles()) {
        // A snapshot or a far side hands its entries over once listed (a
        // far side's streamed order, a snapshot's sorted one: each folder
        // before what it holds); a source that digests elsewhere is told
        // every file at once, in that order, so that its work overlaps.
        startWriting(remote ? remote->RootFacts() : TEntryFacts());
        for (int i = 0; i < list.Count(); ++i) {
            const TSearchRecEx& entry = *list.At(i);
            if (NeedsDigest(entry))
                source->WillNeedDigest(entry, Digest);
            pipeline.Post(entry);
        }
    }
    pipeline.Close();
    writing.join();
    pipeline.Abandon();
    if (writeFailure)
        std::rethrow_exception(writeFailure);
    if (listed.Result == -1 || Stop.load())
        return TResult::Stopped;
    // A far side lost midway left digests out: no snapshot is made of that.
    if (remote) {
        remote->Close();
        if (int status = remote->FailureStatus(Text); status != 0) {
            RefusalStatus = status;
            return TResult::Refused;
        }
    }
    // Folders whose names could not be read: a snapshot that showed them
    // merely empty would have what they hold taken for missing later.
    for (const TSearchRecEx* folder : list.Unreadable()) {
        writer.WriteUnreadable(folder->RelPath(), folder->ListError);
        ++FolderFailures;
    }
    if (!writer.Finish())
        return TResult::OutputFailed;
    if (Progress)
        Progress(Written, Written);
    return TResult::Written;
}

void TSnapshotWriter::WriteEntries(TMtreeWriter& writer, TSnapshotPipeline& pipeline) {
    using Clock = std::chrono::steady_clock;
    TDigestThread own([this] { return Stop.load(); });
    auto lastProgress = Clock::now();
    std::string reason;
    Written = 1;  // the root
    size_t total = 0;
    while (const TSearchRecEx* entry = pipeline.Next(total)) {
        if (Stop.load(std::memory_order_relaxed) || writer.Failed())
            break;
        if (NeedsDigest(*entry) && pipeline.Wait(*entry, own, reason)) {
            // Stopped meanwhile: the entry is not written at all.
            if (Stop.load())
                break;
            writer.WriteComment(reason);
            ++Failures;
        }
        writer.WriteEntry(entry->RelDir(), entry->Name, entry->Kind, entry->Size, *entry->Facts);
        ++Written;
        if (Progress && Clock::now() - lastProgress > std::chrono::milliseconds(100)) {
            lastProgress = Clock::now();
            Progress(Written, total == 0 ? 0 : static_cast<int64_t>(total) + 1);
        }
    }
    // The listing may still be posting: nothing more is taken.
    pipeline.Abandon();
}

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

// The digests of the files of a snapshot, made by worker threads while the
// tree is still being listed (in listing order, as the listing posts them)
// and by the writing thread together. Each entry's digest is pending, being
// made or made (TEntryFacts::DigestState); a worker claims the oldest posted
// entry, the writing thread the entry it is at when nobody has (so it never
// waits for a file nobody reads), and otherwise waits for that one entry.
class TDigestJobs {
public:
    enum : uint8_t { Pending, Claimed, Done };

    TDigestJobs(platform::TDigestKind kind, const std::atomic<bool>& stop)
        : Kind(kind), Stop(stop) {}
    ~TDigestJobs() {
        {
            std::lock_guard<std::mutex> guard(Lock);
            Abandoned = true;
        }
        Ready.notify_all();
        for (std::thread& t : Threads)
            t.join();
    }

    void Start(int workers) {
        try {
            for (int i = 0; i < workers; ++i)
                Threads.emplace_back([this] { Work(); });
        } catch (...) {
            // Fewer threads: the writing thread digests what they do not.
        }
    }

    // An entry to digest, from the listing thread.
    void Post(const TSearchRecEx& entry) {
        {
            std::lock_guard<std::mutex> guard(Lock);
            Queue.push_back(&entry);
        }
        Ready.notify_one();
    }
    // Every entry has been posted.
    void Close() {
        {
            std::lock_guard<std::mutex> guard(Lock);
            Closed = true;
        }
        Ready.notify_all();
    }

    // Waits for the digest of entry, making it here when nobody has started
    // it. True with reason set when the file could not be read.
    bool Wait(const TSearchRecEx& entry, TDigestThread& own, std::string& reason) {
        std::atomic_ref<uint8_t> state(entry.Facts->DigestState);
        uint8_t expected = Pending;
        if (state.compare_exchange_strong(expected, Claimed)) {
            Make(entry, own);
        } else if (state.load() != Done) {
            std::unique_lock<std::mutex> lock(Lock);
            WaitingFor.store(&entry);
            Finished.wait(lock, [&state] { return state.load() == Done; });
            WaitingFor.store(nullptr);
        }
        if (entry.Facts->Digest.Kind != platform::TDigestKind::None)
            return false;
        std::lock_guard<std::mutex> guard(Lock);
        reason = std::move(Failures[&entry]);
        return true;
    }

private:
    void Work() {
        try {
            TDigestThread own([this] { return Stop.load() || Abandoned.load(); });
            while (true) {
                const TSearchRecEx* entry = nullptr;
                {
                    std::unique_lock<std::mutex> lock(Lock);
                    Ready.wait(lock, [this] { return Abandoned || Closed || Head < Queue.size(); });
                    if (Abandoned || Head == Queue.size())
                        return;
                    entry = Queue[Head++];
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
    std::mutex Lock;
    std::condition_variable Ready;           // for the workers
    std::condition_variable Finished;        // for the writing thread
    std::vector<const TSearchRecEx*> Queue;  // posted, in listing order (guarded by Lock)
    size_t Head = 0;                         // the next one a worker takes (guarded by Lock)
    bool Closed = false;                     // (guarded by Lock)
    std::atomic<bool> Abandoned{false};
    std::atomic<const TSearchRecEx*> WaitingFor{nullptr};
    std::unordered_map<const TSearchRecEx*, std::string> Failures;  // reasons of files not read
    std::vector<std::thread> Threads;
};

namespace {}  // namespace

void TSnapshotWriter::SetHeader(std::string tool, std::string options) {
    Header.Tool = std::move(tool);
    Header.Options = std::move(options);
}

TSnapshotWriter::TResult TSnapshotWriter::Write(const std::string& root,
                                                const TMtreeWriter::TOutput& output) noexcept {
    Text.clear();
    Written = 0;
    Failures = 0;
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
    TEntryList list(source);
    // Files are digested from the moment they are listed.
    TDigestJobs jobs(Digest, Stop);
    int workers = Workers;
    if (workers < 0)
        workers = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 8);
    jobs.Start(workers);
    TListRequest request{Stop, filter ? &*filter : nullptr, true};
    request.Listed = [&jobs](const TSearchRecEx& entry) {
        if (NeedsDigest(entry))
            jobs.Post(entry);
    };
    TListOutcome listed = source->List(list, request);
    jobs.Close();
    if (listed.Status != CompareStatus::Success) {
        Text = listed.Message;
        RefusalStatus = listed.Status;
        return TResult::Refused;
    }
    if (listed.Result == -1 || Stop.load())
        return TResult::Stopped;

    // Byte order of the paths: a folder's path is a prefix of its entries'.
    std::vector<TSearchRecEx*> order;
    order.reserve(static_cast<size_t>(list.Count()));
    for (int i = 0; i < list.Count(); ++i)
        order.push_back(list.At(i));
    std::sort(order.begin(), order.end(), [](const TSearchRecEx* a, const TSearchRecEx* b) {
        return TEntryList::CompareRelPathBytes(*a, *b) < 0;
    });

    Header.Tree = root;
    Header.Host = platform::HostName();
    Header.Date = platform::UtcNowText();
    TMtreeWriter writer(output);
    writer.WriteHeader(Header);
    // A far root's facts came with its listing.
    auto remote = std::dynamic_pointer_cast<TRemoteSource>(source);
    const TEntryFacts rootFacts = remote               ? remote->RootFacts()
                                  : source->HasFiles() ? FolderFacts(root)
                                                       : TEntryFacts();
    writer.WriteEntry("", "", TFileKind::Directory, 0, rootFacts);
    WriteEntries(order, writer, jobs);
    if (Stop.load())
        return TResult::Stopped;
    // A far side lost midway left digests out: no snapshot is made of that.
    if (remote) {
        remote->Close();
        if (int status = remote->FailureStatus(Text); status != 0) {
            RefusalStatus = status;
            return TResult::Refused;
        }
    }
    if (!writer.Finish())
        return TResult::OutputFailed;
    if (Progress)
        Progress(Written, Written);
    return TResult::Written;
}

void TSnapshotWriter::WriteEntries(std::vector<TSearchRecEx*>& order, TMtreeWriter& writer,
                                   TDigestJobs& jobs) {
    using Clock = std::chrono::steady_clock;
    // A source that digests elsewhere (a far side) is told every file at
    // once, in the order they are taken, so that its work overlaps.
    for (const TSearchRecEx* entry : order)
        if (NeedsDigest(*entry) && entry->Folder->Source)
            entry->Folder->Source->WillNeedDigest(*entry, Digest);
    TDigestThread own([this] { return Stop.load(); });
    auto lastProgress = Clock::now();
    std::string reason;
    const int64_t total = static_cast<int64_t>(order.size()) + 1;
    Written = 1;  // the root
    for (TSearchRecEx* entry : order) {
        if (Stop.load(std::memory_order_relaxed) || writer.Failed())
            return;
        if (NeedsDigest(*entry) && jobs.Wait(*entry, own, reason)) {
            // Stopped meanwhile: the entry is not written at all.
            if (Stop.load())
                return;
            writer.WriteComment(reason);
            ++Failures;
        }
        writer.WriteEntry(entry->RelDir(), entry->Name, entry->Kind, entry->Size, *entry->Facts);
        ++Written;
        if (Progress && Clock::now() - lastProgress > std::chrono::milliseconds(100)) {
            lastProgress = Clock::now();
            Progress(Written, total);
        }
    }
}

#include "TSnapshotWriter.h"

#include <algorithm>
#include <chrono>
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
        : Buffer(BlockSize), StopRequested(std::move(stop)) {}
    platform::TFileReader Reader;
    platform::TAlignedBuffer Buffer;
    platform::TDigester Digester;
    std::function<bool()> StopRequested;
    TDigestWork Work{Reader, Buffer, Digester, StopRequested};
};

// The digests of the files in write order, made by worker threads and the
// writing thread together. Each slot is pending, claimed or done; a worker
// claims the next pending slot, the writing thread the slot it is at when
// nobody has (so it never waits for a file nobody reads), and otherwise waits
// for that one slot.
class TDigestJobs {
public:
    enum : uint8_t { Pending, Claimed, Done };

    TDigestJobs(std::vector<TSearchRecEx*>& order, platform::TDigestKind kind,
                const std::atomic<bool>& stop)
        : Order(order), Kind(kind), Stop(stop), States(new std::atomic<uint8_t>[order.size()]) {
        for (size_t i = 0; i < order.size(); ++i)
            States[i].store(Pending, std::memory_order_relaxed);
    }
    ~TDigestJobs() {
        Abandoned.store(true);
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

    // The digest of slot i, made here when nobody has started it. The reason
    // is set (and true returned) when the file could not be read.
    bool Wait(size_t i, TDigestThread& own, std::string& reason) {
        uint8_t expected = Pending;
        if (States[i].compare_exchange_strong(expected, Claimed))
            Make(i, own);
        else
            while ((expected = States[i].load(std::memory_order_acquire)) != Done)
                States[i].wait(expected, std::memory_order_acquire);
        if (Order[i]->Facts->Digest.Kind != platform::TDigestKind::None)
            return false;
        std::lock_guard<std::mutex> guard(Lock);
        reason = std::move(Failures[i]);
        return true;
    }

private:
    void Work() {
        try {
            TDigestThread own([this] { return Stop.load() || Abandoned.load(); });
            while (!Abandoned.load(std::memory_order_relaxed)) {
                const size_t i = Next.fetch_add(1);
                if (i >= Order.size())
                    return;
                uint8_t expected = Pending;
                if (NeedsDigest(*Order[i]) && States[i].compare_exchange_strong(expected, Claimed))
                    Make(i, own);
            }
        } catch (...) {
            // No memory for this thread's buffers: the writing thread digests instead.
        }
    }

    void Make(size_t i, TDigestThread& own) {
        const TSearchRecEx& entry = *Order[i];
        platform::TDigestValue value;
        std::string reason;
        int code = ContentResult::Cancelled;
        if (TEntrySource* source = entry.Folder->Source)
            code = source->Digest(entry, Kind, own.Work, value, reason);
        entry.Facts->Digest = code == ContentResult::Equal ? value : platform::TDigestValue();
        if (code != ContentResult::Equal) {
            std::lock_guard<std::mutex> guard(Lock);
            Failures[i] = std::move(reason);
        }
        States[i].store(Done, std::memory_order_release);
        States[i].notify_all();
    }

    std::vector<TSearchRecEx*>& Order;
    const platform::TDigestKind Kind;
    const std::atomic<bool>& Stop;
    std::unique_ptr<std::atomic<uint8_t>[]> States;
    std::atomic<size_t> Next{0};
    std::atomic<bool> Abandoned{false};
    std::mutex Lock;
    std::unordered_map<size_t, std::string> Failures;  // reasons of files not read
    std::vector<std::thread> Threads;
};

}  // namespace

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

TSnapshotWriter::TResult TSnapshotWriter::Run(const std::string& root,
                                              const TMtreeWriter::TOutput& output) {
    std::optional<TExcludeFilter> filter;
    if (!Exclude.empty())
        filter.emplace(Exclude);
    std::shared_ptr<TEntrySource> source = MakeEntrySource(root);
    TEntryList list(source);
    TListOutcome listed = source->List(list, TListRequest{Stop, filter ? &*filter : nullptr, true});
    if (listed.Status != CompareStatus::Success) {
        Text = listed.Message;
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
    TEntryFacts rootFacts;
    platform::TFileStatus status;
    if (source->HasFiles() && platform::StatPath(root, status)) {
        rootFacts.Recorded = TEntryFacts::HasTime | TEntryFacts::HasMode | TEntryFacts::HasOwner |
                             TEntryFacts::HasLinks;
        rootFacts.Mode = static_cast<uint16_t>(status.Mode);
        rootFacts.Uid = status.Uid;
        rootFacts.Gid = status.Gid;
        rootFacts.Links = status.Links;
        rootFacts.Seconds = status.ModifyTime.Seconds;
        rootFacts.Nanoseconds = status.ModifyTime.Nanoseconds;
    }
    writer.WriteEntry("", "", TFileKind::Directory, 0, rootFacts);
    DigestAll(order, writer);
    if (Stop.load())
        return TResult::Stopped;
    if (!writer.Finish())
        return TResult::OutputFailed;
    if (Progress)
        Progress(Written, Written);
    return TResult::Written;
}

void TSnapshotWriter::DigestAll(std::vector<TSearchRecEx*>& order, TMtreeWriter& writer) {
    using Clock = std::chrono::steady_clock;
    TDigestJobs jobs(order, Digest, Stop);
    TDigestThread own([this] { return Stop.load(); });
    int workers = Workers;
    if (workers < 0)
        workers = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 8);
    jobs.Start(workers);
    auto lastProgress = Clock::now();
    std::string reason;
    const int64_t total = static_cast<int64_t>(order.size()) + 1;
    Written = 1;  // the root
    for (size_t i = 0; i < order.size(); ++i) {
        if (Stop.load(std::memory_order_relaxed) || writer.Failed())
            return;
        const TSearchRecEx& entry = *order[i];
        if (NeedsDigest(entry) && jobs.Wait(i, own, reason)) {
            // Stopped meanwhile: the entry is not written at all.
            if (Stop.load())
                return;
            writer.WriteComment(reason);
            ++Failures;
        }
        writer.WriteEntry(entry.RelDir(), entry.Name, entry.Kind, entry.Size, *entry.Facts);
        ++Written;
        if (Progress && Clock::now() - lastProgress > std::chrono::milliseconds(100)) {
            lastProgress = Clock::now();
            Progress(Written, total);
        }
    }
}

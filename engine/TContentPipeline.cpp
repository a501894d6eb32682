#include "TContentPipeline.h"

#include <algorithm>
#include <exception>

#include "platform/Directory.h"

TContentPipeline::TContentPipeline(const std::atomic<bool>& stop, size_t window, int workers)
    : Stop(stop), WorkerCount(workers), Slots(window == 0 ? 1 : window) {}

TContentPipeline::~TContentPipeline() {
    Abandon();
}

void TContentPipeline::Abandon() noexcept {
    {
        std::lock_guard<std::mutex> guard(Lock);
        Abandoned.store(true, std::memory_order_relaxed);
    }
    WorkReady.notify_all();
    ColdReady.notify_all();
    for (std::thread& worker : Workers)
        worker.join();
    Workers.clear();
}

void TContentPipeline::Start() {
    try {
        Workers.reserve(static_cast<size_t>(WorkerCount));
        for (int i = 0; i < WorkerCount; ++i)
            Workers.emplace_back(&TContentPipeline::Work, this, false);
    } catch (...) {
        // Fewer threads than asked for: the taking thread compares what the
        // workers do not.
    }
    // Pairs left to the workers: were the taking thread to take the last
    // ones, a worker that finishes would find nothing to do and sleep until
    // rows are delivered again.
    if (!Workers.empty())
        Reserve = Slots.size() / 4;
}

void TContentPipeline::StartColdWorkersWhenCold() {
    if (ColdStarted || Workers.empty() || !Cold.load(std::memory_order_relaxed))
        return;
    ColdStarted = true;
    // Each comparer holds two files and up to two folder handles per side.
    constexpr size_t DescriptorsPerComparer = 6;
    const size_t room = platform::DescriptorLimit() / 4 / DescriptorsPerComparer;
    const size_t busy = Workers.size() + 1;
    const size_t count = room > busy ? std::min<size_t>(ColdWorkers, room - busy) : 0;
    try {
        for (size_t i = 0; i < count; ++i)
            Workers.emplace_back(&TContentPipeline::Work, this, true);
    } catch (...) {
        // Fewer threads: the pass goes on with those it has.
    }
}

void TContentPipeline::Post(const TSearchRecEx& m, const TSearchRecEx& s) {
    if (Posted == 0 && WorkerCount > 0)
        Start();
    else
        StartColdWorkersWhenCold();
    bool wake = false;
    bool wakeCold = false;
    {
        std::lock_guard<std::mutex> guard(Lock);
        TSlot& slot = At(Posted++);
        slot.M = &m;
        slot.S = &s;
        slot.State = TState::Pending;
        ++PendingCount;
        // A single pending pair is most likely the one the taking thread is
        // about to need and compare itself: waking a worker for it would
        // only have it find nothing left.
        wake = PendingCount > 1 && !Workers.empty();
        wakeCold = wake && ColdStarted && Cold.load(std::memory_order_relaxed);
    }
    if (wake)
        WorkReady.notify_one();
    if (wakeCold)
        ColdReady.notify_one();
}

TContentPipeline::TSlot* TContentPipeline::ClaimOldest() {
    if (PendingCount == 0)
        return nullptr;
    OldestPending = std::max(OldestPending, Taken);
    while (At(OldestPending).State != TState::Pending)
        ++OldestPending;
    --PendingCount;
    TSlot& slot = At(OldestPending++);
    slot.State = TState::Claimed;
    return &slot;
}

size_t TContentPipeline::ClaimBatch(TSlot** out) {
    out[0] = ClaimOldest();
    size_t used = TContentComparer::BatchRoom(*out[0]->M, *out[0]->S);
    size_t count = 1;
    // The oldest pending pairs after it, while they are small enough to
    // share the comparer's buffers.
    while (used > 0 && count < TContentComparer::BatchPairs && PendingCount > 0) {
        size_t ticket = OldestPending;
        while (At(ticket).State != TState::Pending)
            ++ticket;
        const TSlot& next = At(ticket);
        const size_t room = TContentComparer::BatchRoom(*next.M, *next.S);
        if (room == 0 || used + room > TContentComparer::BlockSize)
            break;
        out[count++] = ClaimOldest();
        used += room;
    }
    return count;
}

TContentPipeline::TSlot* TContentPipeline::ClaimNewest() {
    if (PendingCount == 0)
        return nullptr;
    size_t ticket = Posted - 1;
    while (At(ticket).State != TState::Pending)
        --ticket;
    --PendingCount;
    TSlot& slot = At(ticket);
    slot.State = TState::Claimed;
    return &slot;
}

int TContentPipeline::TakeNext(TContentComparer& own, std::string& reason) {
    StartColdWorkersWhenCold();
    std::unique_lock<std::mutex> lock(Lock);
    TSlot& next = At(Taken);
    while (next.State != TState::Done) {
        TSlot* slot = nullptr;
        if (next.State == TState::Pending) {
            next.State = TState::Claimed;
            --PendingCount;
            slot = &next;
        } else if (PendingCount > Reserve || (AllPosted && PendingCount > 0)) {
            slot = ClaimNewest();
        }
        if (slot) {
            lock.unlock();
            slot->Code = own.Compare(*slot->M, *slot->S, slot->Reason);
            lock.lock();
            slot->State = TState::Done;
            NoteCache(own.ReadUncached());
            continue;
        }
        TakerWaiting = true;
        SlotDone.wait(lock);
        TakerWaiting = false;
    }
    ++Taken;
    reason.swap(next.Reason);
    return next.Code;
}

void TContentPipeline::NoteCache(bool uncached) {
    if (uncached == Cold.load(std::memory_order_relaxed))
        return;
    Cold.store(uncached, std::memory_order_relaxed);
    if (uncached)
        ColdReady.notify_all();
}

void TContentPipeline::Work(bool cold) {
    std::unique_lock<std::mutex> lock(Lock);
    try {
        lock.unlock();
        TContentComparer comparer([this] {
            return Stop.load(std::memory_order_relaxed) ||
                   Abandoned.load(std::memory_order_relaxed);
        });
        // Where small files are read in batches, a worker takes several
        // pairs at once: one call reads them all, and they change hands once.
        const bool batches = comparer.Batches();
        TSlot* claimed[TContentComparer::BatchPairs];
        TContentComparer::TJob jobs[TContentComparer::BatchPairs];
        lock.lock();
        while (true) {
            (cold ? ColdReady : WorkReady).wait(lock, [this, cold] {
                return Abandoned.load(std::memory_order_relaxed) ||
                       (PendingCount > 0 && (!cold || Cold.load(std::memory_order_relaxed)));
            });
            if (Abandoned.load(std::memory_order_relaxed))
                return;
            // Files that come from the disk are read pair by pair, two at
            // once, on every thread the pipeline has for them: a batch reads
            // only what the page cache holds.
            const bool batch = batches && !Cold.load(std::memory_order_relaxed);
            const size_t count = batch ? ClaimBatch(claimed) : (claimed[0] = ClaimOldest(), 1);
            lock.unlock();
            if (count == 1) {
                claimed[0]->Code =
                    comparer.Compare(*claimed[0]->M, *claimed[0]->S, claimed[0]->Reason);
            } else {
                for (size_t i = 0; i < count; ++i)
                    jobs[i] = {claimed[i]->M, claimed[i]->S, &claimed[i]->Code,
                               &claimed[i]->Reason};
                comparer.CompareBatch(std::span(jobs, count));
            }
            lock.lock();
            for (size_t i = 0; i < count; ++i)
                claimed[i]->State = TState::Done;
            NoteCache(comparer.ReadUncached());
            if (TakerWaiting)
                SlotDone.notify_one();
        }
    } catch (...) {
        // No comparer to be had (memory): the taking thread does this
        // worker's share.
    }
}

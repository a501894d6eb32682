#include "TContentPipeline.h"

#include <exception>

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
    for (std::thread& worker : Workers)
        worker.join();
    Workers.clear();
}

void TContentPipeline::Start() {
    try {
        Workers.reserve(static_cast<size_t>(WorkerCount));
        for (int i = 0; i < WorkerCount; ++i)
            Workers.emplace_back(&TContentPipeline::Work, this);
    } catch (...) {
        // Fewer threads than asked for: the taking thread compares what the
        // workers do not.
    }
}

void TContentPipeline::Post(const TSearchRecEx& m, const TSearchRecEx& s) {
    if (Posted == 0 && WorkerCount > 0)
        Start();
    {
        std::lock_guard<std::mutex> guard(Lock);
        TSlot& slot = Slots[Posted % Slots.size()];
        slot.M = &m;
        slot.S = &s;
        slot.Done = false;
        ++Posted;
    }
    if (!Workers.empty())
        WorkReady.notify_one();
}

TContentPipeline::TSlot* TContentPipeline::Claim() {
    if (Claimed == Posted)
        return nullptr;
    return &Slots[Claimed++ % Slots.size()];
}

int TContentPipeline::TakeNext(TContentComparer& own, std::string& reason) {
    std::unique_lock<std::mutex> lock(Lock);
    TSlot& next = Slots[Taken % Slots.size()];
    while (!next.Done) {
        if (TSlot* slot = Claim()) {
            lock.unlock();
            slot->Code = own.Compare(*slot->M, *slot->S, slot->Reason);
            lock.lock();
            slot->Done = true;
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

void TContentPipeline::Work() {
    std::unique_lock<std::mutex> lock(Lock);
    try {
        lock.unlock();
        TContentComparer comparer([this] {
            return Stop.load(std::memory_order_relaxed) ||
                   Abandoned.load(std::memory_order_relaxed);
        });
        lock.lock();
        while (true) {
            WorkReady.wait(lock, [this] {
                return Abandoned.load(std::memory_order_relaxed) || Claimed < Posted;
            });
            if (Abandoned.load(std::memory_order_relaxed))
                return;
            TSlot* slot = Claim();
            lock.unlock();
            slot->Code = comparer.Compare(*slot->M, *slot->S, slot->Reason);
            lock.lock();
            slot->Done = true;
            if (TakerWaiting)
                SlotDone.notify_one();
        }
    } catch (...) {
        // No comparer to be had (memory): the taking thread does this
        // worker's share.
    }
}

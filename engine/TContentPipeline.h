#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TContentComparer.h"

// Compares the contents of pairs ahead of the row that is being delivered.
// The thread that runs the pairing pass posts pairs in row order and takes
// their results back in the same order; worker threads compare the posted
// pairs meanwhile, always the oldest one nobody has started. While the result
// it needs is not ready, the taking thread compares too rather than wait
// idle: the pair it needs when nobody has started it, otherwise the newest
// pending pair while enough are left for the workers. Working from the far
// end leaves the near pairs to the workers, so the taking thread returns to
// deliver rows (and post new pairs) before the workers run dry, and the
// threads seldom open files in the same folder at once.
//
// Every comparison reads the stop flag before each 1024-byte cycle, so a
// stop ends the comparisons under way within one block; their results say
// "不明(キャンセルされた)". Whether such a result is ever delivered is for the
// pairing pass to decide. With no workers and a window of one pair, every
// comparison runs on the taking thread when its result is taken: the
// sequential engine.
//
// On a cold cache a comparison mostly waits for the disk, and the disk does
// better with more reads under way: once a comparison reads bytes that were
// not cached, the taking thread adds ColdWorkers threads (fewer under a low
// descriptor limit). They take pairs only while the comparison finished last
// read uncached bytes, and sleep while the files come from the cache, where
// more threads than cores would only cost. A warm run never starts them.
//
// Nothing is allocated per pair: the results live in a ring of `window`
// slots made once, and each worker owns one comparer with its buffers.
class TContentPipeline {
public:
    // Six: many small files read from a virtual disk took half the time with
    // six more threads than without, and no less with fourteen.
    static constexpr size_t ColdWorkers = 6;

    TContentPipeline(const std::atomic<bool>& stop, size_t window, int workers);
    // Ends the comparisons under way and joins the workers.
    ~TContentPipeline();
    TContentPipeline(const TContentPipeline&) = delete;
    TContentPipeline& operator=(const TContentPipeline&) = delete;

    // True when `window` pairs are posted and not yet taken.
    bool Full() const { return Posted - Taken == Slots.size(); }
    // Posts a pair of files. The entries must stay unchanged until its result
    // is taken. The workers start with the first pair posted.
    void Post(const TSearchRecEx& m, const TSearchRecEx& s);
    // No pair will be posted any more: the pairs left need not be kept for
    // the workers, so the taking thread compares them too (a few large files
    // at the end of a pass are compared on every thread at once).
    void PostingEnded() { AllPosted = true; }
    // The result of the oldest pair posted and not yet taken: a ContentResult
    // code, with its reason (the string's buffer is swapped, not copied).
    // Compares pending pairs with `own` while that result is not ready.
    int TakeNext(TContentComparer& own, std::string& reason);

private:
    enum class TState : uint8_t { Pending, Claimed, Done };
    struct TSlot {
        const TSearchRecEx* M = nullptr;
        const TSearchRecEx* S = nullptr;
        int Code = 0;
        std::string Reason;
        TState State = TState::Done;
    };

    void Start();
    // Starts the cold workers once a comparison has read uncached bytes.
    // On the taking thread only, like every change of Workers.
    void StartColdWorkersWhenCold();
    // Records whether the comparison just finished read uncached bytes; the
    // lock is held.
    void NoteCache(bool uncached);
    void Work(bool cold);
    // Claims a pair nobody has started, or returns null; the lock is held.
    // Workers take the oldest, the taking thread the newest.
    TSlot* ClaimOldest();
    TSlot* ClaimNewest();
    // Claims the oldest pending pair and the pending pairs after it that can
    // share a batch with it (TContentComparer::BatchRoom); returns how many.
    size_t ClaimBatch(TSlot** out);
    TSlot& At(size_t ticket) { return Slots[ticket % Slots.size()]; }
    void Abandon() noexcept;

    const std::atomic<bool>& Stop;
    // Set when the pass ends early (a stop or a failure): comparisons under
    // way end at their next cycle and nothing new is started.
    std::atomic<bool> Abandoned{false};
    const int WorkerCount;
    std::vector<TSlot> Slots;
    std::mutex Lock;
    std::condition_variable WorkReady;  // for the workers
    std::condition_variable ColdReady;  // for the cold workers
    std::condition_variable SlotDone;
    // Pairs posted and taken since the pass began, pairs posted and not
    // started, and where the oldest of those may be (guarded by Lock).
    size_t Posted = 0;
    size_t Taken = 0;
    size_t PendingCount = 0;
    size_t OldestPending = 0;
    // Pending pairs the taking thread leaves to the workers, while more are
    // still to be posted.
    size_t Reserve = 0;
    bool AllPosted = false;  // on the taking thread only
    bool TakerWaiting = false;
    // Whether the comparison finished last read uncached bytes (written with
    // the lock held), and whether the cold workers were started (by the
    // taking thread, once, and only when there are workers at all).
    std::atomic<bool> Cold{false};
    bool ColdStarted = false;
    std::vector<std::thread> Workers;
};

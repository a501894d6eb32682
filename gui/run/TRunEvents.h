#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "TResultRow.h"

// One effect that the engine's callbacks ask of the window.
struct TRunEvent {
    enum class TKind { Begin, ListReady, Rows, Done, End };
    explicit TRunEvent(TKind kind = TKind::Begin) : Kind(kind) {}

    TKind Kind;
    // ListReady: the two entry counts. Done: rows, equal rows, different rows.
    int Count1 = 0;
    int Count2 = 0;
    int Count3 = 0;
    // Rows: a run of consecutive rows ending at LastIndex, with the counts
    // reported with that row, the progress steps of them all, and the row itself.
    int LastIndex = -1;
    int Equal = 0;
    int Different = 0;
    int Steps = 0;
    TResultRow LastRow;
};

// Carries the callbacks' effects from the worker to the window's thread in
// callback order. Consecutive rows are merged into one event, so the window
// takes them in batches however fast they come and its event queue holds at
// most a few wake-ups, never one per row.
//
// The worker pushes; `notify` (given at construction, called on the worker
// with the lock held) asks the window's thread to take the events, `urgent`
// for every event but rows, which the window may take a little later. The
// window takes everything at once with Take.
class TRunEvents {
public:
    explicit TRunEvents(std::function<void(bool urgent)> notify);

    // --- Worker ---
    void Push(const TRunEvent& event);
    void PushRow(int index, int equal, int different, int steps, const TResultRow& row);
    // Pushes the end of the run and waits until the window has carried it out
    // (EndDone) or has given the run up (Abandon).
    void PushEndAndWait();

    // --- Window's thread ---
    // Makes the channel ready for a new run.
    void Restart();
    // Every event pushed so far, in order.
    std::vector<TRunEvent> Take();
    // Whether an event other than rows waits.
    bool HasUrgent() const;
    // The end's effects are done: the worker may go on.
    void EndDone();
    // No more notifications; a worker waiting for the end goes on at once.
    void Abandon();

private:
    std::function<void(bool)> Notify;
    mutable std::mutex Lock;
    std::condition_variable EndCond;
    std::vector<TRunEvent> Queue;
    bool WakePending = false;
    bool EndHandled = false;
    bool Abandoned = false;
};

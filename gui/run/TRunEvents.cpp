#include "TRunEvents.h"

#include <utility>

TRunEvents::TRunEvents(std::function<void(bool urgent)> notify) : Notify(std::move(notify)) {}

void TRunEvents::Push(const TRunEvent& event) {
    std::lock_guard<std::mutex> guard(Lock);
    Queue.push_back(event);
    const bool urgent = event.Kind != TRunEvent::TKind::Rows;
    // Rows wake the window once until it takes them; anything else at once.
    if (Abandoned || (!urgent && WakePending))
        return;
    WakePending = true;
    Notify(urgent);
}

void TRunEvents::PushRow(int index, int equal, int different, int steps, const TResultRow& row) {
    {
        std::lock_guard<std::mutex> guard(Lock);
        if (!Queue.empty() && Queue.back().Kind == TRunEvent::TKind::Rows) {
            TRunEvent& rows = Queue.back();
            rows.LastIndex = index;
            rows.Equal = equal;
            rows.Different = different;
            rows.Steps += steps;
            rows.LastRow = row;
            return;
        }
    }
    TRunEvent rows(TRunEvent::TKind::Rows);
    rows.LastIndex = index;
    rows.Equal = equal;
    rows.Different = different;
    rows.Steps = steps;
    rows.LastRow = row;
    Push(rows);
}

void TRunEvents::PushEndAndWait() {
    Push(TRunEvent(TRunEvent::TKind::End));
    std::unique_lock<std::mutex> guard(Lock);
    EndCond.wait(guard, [this] { return EndHandled || Abandoned; });
}

void TRunEvents::Restart() {
    std::lock_guard<std::mutex> guard(Lock);
    Queue.clear();
    WakePending = false;
    EndHandled = false;
    Abandoned = false;
}

std::vector<TRunEvent> TRunEvents::Take() {
    std::lock_guard<std::mutex> guard(Lock);
    WakePending = false;
    return std::exchange(Queue, {});
}

bool TRunEvents::HasUrgent() const {
    std::lock_guard<std::mutex> guard(Lock);
    for (const TRunEvent& event : Queue) {
        if (event.Kind != TRunEvent::TKind::Rows)
            return true;
    }
    return false;
}

void TRunEvents::EndDone() {
    {
        std::lock_guard<std::mutex> guard(Lock);
        EndHandled = true;
    }
    EndCond.notify_all();
}

void TRunEvents::Abandon() {
    {
        std::lock_guard<std::mutex> guard(Lock);
        Abandoned = true;
        Queue.clear();
    }
    EndCond.notify_all();
}

#include "TComparisonRun.h"

#include <QTimer>

#include "TCompare.h"
#include "ThreadComp.h"

namespace {

// Rows arriving while the window's thread is idle are taken at most this
// often: each batch costs a repaint of the grid and the progress bar.
constexpr int RowsTakeIntervalMs = 50;

}  // namespace

TComparisonRun::TComparisonRun(QObject* parent)
    : QObject(parent),
      CompareEngine(std::make_unique<TCompare>(this)),
      // Called on the worker: the window's thread takes the events when its
      // event loop comes to this call.
      Events([this](bool urgent) {
          QMetaObject::invokeMethod(
              this, [this, urgent] { EventsArrived(urgent); }, Qt::QueuedConnection);
      }) {}

TComparisonRun::~TComparisonRun() {
    Abandon();
}

void TComparisonRun::Start(uint8_t speed) {
    WaitForWorkerEnd();
    Events.Restart();
    auto* worker = new ThreadComp(*CompareEngine, speed);
    Worker = worker;
    SetState(TState::Running);
    worker->start();
}

void TComparisonRun::RequestStop() {
    CompareEngine->RequestStop(true);
    if (RunState == TState::Running)
        SetState(TState::Stopping);
}

void TComparisonRun::SetState(TState state) {
    if (state == RunState)
        return;
    RunState = state;
    emit stateChanged(state);
}

void TComparisonRun::WaitForWorkerEnd() {
    if (Worker)
        Worker->wait();
}

bool TComparisonRun::Abandon() {
    if (!Worker)
        return false;
    Events.Abandon();
    CompareEngine->RequestStop(true);
    Worker->wait();
    delete Worker.data();
    RunState = TState::Idle;
    return true;
}

// --- The engine's callbacks, on the worker ---

void TComparisonRun::OnCompareBegin(TCompare*) {
    Events.Push(TRunEvent(TRunEvent::TKind::Begin));
}

void TComparisonRun::OnListReady(TCompare*, int countM, int countS) {
    TRunEvent event(TRunEvent::TKind::ListReady);
    event.Count1 = countM;
    event.Count2 = countS;
    Events.Push(event);
}

void TComparisonRun::OnRowReady(TCompare*, int index, int equal, int different,
                                const TSearchRecEx* m, const TSearchRecEx* s,
                                const TResultRow& row) {
    Events.PushRow(index, equal, different, (m ? 1 : 0) + (s ? 1 : 0), row);
}

void TComparisonRun::OnCompareDone(TCompare*, int rows, int equal, int different) {
    TRunEvent event(TRunEvent::TKind::Done);
    event.Count1 = rows;
    event.Count2 = equal;
    event.Count3 = different;
    Events.Push(event);
}

void TComparisonRun::OnCompareEnd(TCompare*) {
    Events.PushEndAndWait();
}

// --- Their effects, on the window's thread ---

void TComparisonRun::EventsArrived(bool urgent) {
    if (!EventsTimer) {
        EventsTimer = new QTimer(this);
        EventsTimer->setSingleShot(true);
        connect(EventsTimer, &QTimer::timeout, this, &TComparisonRun::TakeEvents);
    }
    const qint64 since = LastTake.isValid() ? LastTake.elapsed() : RowsTakeIntervalMs;
    if (urgent || since >= RowsTakeIntervalMs || Events.HasUrgent()) {
        EventsTimer->stop();
        TakeEvents();
    } else if (!EventsTimer->isActive()) {
        EventsTimer->start(static_cast<int>(RowsTakeIntervalMs - since));
    }
}

void TComparisonRun::TakeEvents() {
    // The end dialog runs an event loop of its own; nothing is taken meanwhile
    // (the worker waits for the dialog anyway).
    if (Taking)
        return;
    Taking = true;
    LastTake.start();
    for (const TRunEvent& event : Events.Take())
        Tell(event);
    Taking = false;
}

void TComparisonRun::Tell(const TRunEvent& event) {
    switch (event.Kind) {
        case TRunEvent::TKind::Begin:
            // The engine's start cleared a stop asked for before it.
            if (RunState == TState::Stopping)
                CompareEngine->RequestStop(true);
            emit Begun();
            break;
        case TRunEvent::TKind::ListReady:
            emit ListReady(event.Count1, event.Count2);
            break;
        case TRunEvent::TKind::Rows:
            emit RowsMade(event);
            break;
        case TRunEvent::TKind::Done:
            emit Done(event.Count1, event.Count2, event.Count3);
            break;
        case TRunEvent::TKind::End:
            emit Ended();
            SetState(TState::Idle);
            Events.EndDone();
            break;
    }
}

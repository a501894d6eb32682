#pragma once

#include <cstdint>
#include <memory>

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include "ICompareCallBack.h"
#include "TRunEvents.h"

class QTimer;
class TCompare;
class ThreadComp;

// The window's comparison engine and the running of it: owns the engine for
// the window's whole life, starts each run on its own worker (ThreadComp),
// receives the engine's callbacks there and tells the window their effects by
// signals on the window's thread, in callback order. Rows come in batches:
// one signal for every run of rows that arrived meanwhile.
//
// The run's state is its own: Idle, Running from Start, Stopping once a stop
// is asked for, and Idle again when the slots of Ended have returned;
// stateChanged tells each change. The end of a run waits for the window: the
// worker goes on only when the slots of Ended have returned (an end dialog
// included), so the run is Idle again while the worker still exists and no
// stop request can reach a finished worker.
class TComparisonRun : public QObject, public ICompareCallBack {
    Q_OBJECT
public:
    enum class TState { Idle, Running, Stopping };

    explicit TComparisonRun(QObject* parent = nullptr);
    // Abandons a run still going (Abandon).
    ~TComparisonRun() override;

    TCompare& Engine() { return *CompareEngine; }
    const TCompare& Engine() const { return *CompareEngine; }

    TState State() const { return RunState; }
    bool IsRunning() const { return RunState != TState::Idle; }

    // Starts a run of the engine, with the options and folders it holds, on a
    // new worker at the priority of Speed (0..6): Running.
    void Start(uint8_t speed);
    // Asks the engine to stop; the run ends as a stopped run. A stop asked
    // for before the engine began is asked for again when it begins, since
    // its start clears the request. Stopping, when it was Running.
    void RequestStop();
    // Waits for a worker that has ended its run but not yet its thread. Until
    // then the engine's state is the worker's; call it before touching it.
    void WaitForWorkerEnd();
    // Ends a running comparison without telling its remaining effects:
    // requests the stop and waits for the worker; Idle, without telling.
    // Returns whether a run was going. For the window's end only.
    bool Abandon();

    // --- ICompareCallBack (called on the worker) ---
    void OnCompareBegin(TCompare* sender) override;
    void OnListReady(TCompare* sender, int countM, int countS) override;
    void OnRowReady(TCompare* sender, int index, int equal, int different, const TSearchRecEx* m,
                    const TSearchRecEx* s, const TResultRow& row) override;
    void OnCompareDone(TCompare* sender, int rows, int equal, int different) override;
    void OnCompareEnd(TCompare* sender) override;

signals:
    void stateChanged(TComparisonRun::TState state);
    void Begun();
    void ListReady(int countM, int countS);
    // Rows up to rows.LastIndex have been made: rows.LastRow is the last,
    // with the counts reported with it; rows.Steps sums their progress steps.
    void RowsMade(const TRunEvent& rows);
    void Done(int rows, int equal, int different);
    // The run is over; the engine holds its status, message and summary.
    void Ended();

protected:
    void SetState(TState state);

private:
    void EventsArrived(bool urgent);
    void TakeEvents();
    void Tell(const TRunEvent& event);

    std::unique_ptr<TCompare> CompareEngine;
    // The running comparison's worker (it frees itself) and the effects of
    // its callbacks on their way to the window's thread.
    QPointer<ThreadComp> Worker;
    TRunEvents Events;
    QTimer* EventsTimer = nullptr;  // takes rows that need not be taken at once
    QElapsedTimer LastTake;
    bool Taking = false;
    TState RunState = TState::Idle;
};

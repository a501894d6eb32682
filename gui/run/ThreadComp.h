#pragma once

#include <cstdint>

#include <QThread>

class TCompare;

// The worker thread of one comparison: runs the engine's Compare and nothing
// else, at the priority chosen by Speed, then ends and frees itself. The
// engine is borrowed; the window keeps it alive until the thread has ended.
class ThreadComp : public QThread {
    Q_OBJECT
public:
    // Made without starting; start() runs the comparison.
    ThreadComp(TCompare& engine, uint8_t speed, QObject* parent = nullptr);
    ~ThreadComp() override;

protected:
    // Execute: sets the priority, then runs the comparison. The status that
    // Compare returns is read by the window from the engine.
    void run() override;

private:
    TCompare& Engine;
    int NiceOffset = 0;
};

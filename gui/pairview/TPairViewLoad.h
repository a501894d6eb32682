#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "pairview/TPairDiff.h"

// One load of a pair for the pair view: TPairDiff::Load runs on a thread of
// Qt's global pool (which QApplication waits for at its end), and the result
// goes to `done` on the receiver's thread. A receiver that goes away first
// calls Abandon: the load is told to stop, and nothing is delivered to it.
class TPairViewLoad {
public:
    using TDone = std::function<void(std::shared_ptr<const TPairDiff>)>;

    static std::shared_ptr<TPairViewLoad> Start(QObject* receiver, std::string pathM,
                                                std::string pathS, TPairDiffOptions options,
                                                TDone done);
    // After this returns, done is never called.
    void Abandon();

private:
    explicit TPairViewLoad(QObject* receiver) : Receiver(receiver) {}
    std::mutex Lock;
    QObject* Receiver;  // guarded by Lock; null once abandoned
    std::atomic<bool> Cancel{false};
};

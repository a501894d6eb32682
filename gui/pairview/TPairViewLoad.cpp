#include "TPairViewLoad.h"

#include <QThreadPool>

std::shared_ptr<TPairViewLoad> TPairViewLoad::Start(QObject* receiver, std::string pathM,
                                                    std::string pathS, TPairDiffOptions options,
                                                    TDone done) {
    std::shared_ptr<TPairViewLoad> load(new TPairViewLoad(receiver));
    QThreadPool::globalInstance()->start([load, pathM = std::move(pathM), pathS = std::move(pathS),
                                          options, done = std::move(done)] {
        std::shared_ptr<const TPairDiff> diff;
        try {
            diff = TPairDiff::Load(pathM, pathS, options, &load->Cancel);
        } catch (...) {
            // Memory exhausted: the view says so instead of showing a pair.
        }
        // Posted under the lock, so that a receiver abandoning the load
        // either stops this before it posts or has the event removed with
        // itself (Qt drops events posted to a deleted object).
        std::lock_guard guard(load->Lock);
        if (load->Receiver)
            QMetaObject::invokeMethod(
                load->Receiver, [done, diff] { done(diff); }, Qt::QueuedConnection);
    });
    return load;
}

void TPairViewLoad::Abandon() {
    Cancel = true;
    std::lock_guard guard(Lock);
    Receiver = nullptr;
}

#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QString>

class QThread;

// Writes the snapshot of a folder from the window: TSnapshotWriter on a
// worker thread of its own, the file written under a temporary name and
// renamed into place, progress and the end told by signals on the window's
// thread. One run at a time; a stop ends it at its next entry or block.
class TSnapshotRun : public QObject {
    Q_OBJECT
public:
    // How a run ended, with the text the window shows.
    enum class TEnd { Written, Stopped, Failed };
    Q_ENUM(TEnd)

    explicit TSnapshotRun(QObject* parent = nullptr);
    // Stops a run still going and waits for its worker.
    ~TSnapshotRun() override;

    // Starts writing the snapshot of folder (a folder or a snapshot file) into
    // file, leaving out what the patterns exclude, with the tool's name in
    // its header. False when a run is going.
    bool Start(const QString& folder, const QString& file, std::vector<std::string> exclude);
    void RequestStop() { Stop.store(true); }
    bool IsRunning() const { return Worker != nullptr; }

signals:
    // Entries written so far and in all (known once the tree is listed).
    void Progress(qint64 written, qint64 total);
    // The run is over: written, stopped or failed, with its message
    // ("スナップショットを保存しました. 項目 : 12 件", or why it failed).
    void Ended(TSnapshotRun::TEnd end, const QString& message);

private:
    void Finished(TEnd end, const QString& message);

    std::atomic<bool> Stop{false};
    QThread* Worker = nullptr;
};

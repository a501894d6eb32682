#include "TSnapshotRun.h"

#include <QThread>

#include "TSnapshotWriter.h"
#include "commands/ProgramInfo.h"
#include "platform/OutputFile.h"

namespace {

// The texts of TandrilB's snapshot, so that both programs say the same.
QString EndText(TSnapshotWriter::TResult result, const TSnapshotWriter& writer,
                const std::string& file, bool opened) {
    using TResult = TSnapshotWriter::TResult;
    if (!opened)
        return QString::fromStdString("ファイルのオープンに失敗しました\r\nファイル " + file +
                                      " を作成できません");
    switch (result) {
        case TResult::Written: {
            QString text = QStringLiteral("スナップショットを保存しました. 項目 : %1 件")
                               .arg(writer.Entries());
            if (writer.Unreadable() > 0)
                text += QStringLiteral("  読めなかったファイル : %1 件").arg(writer.Unreadable());
            if (writer.UnreadableFolders() > 0)
                text += QStringLiteral("  読めなかったフォルダ : %1 件")
                            .arg(writer.UnreadableFolders());
            return text;
        }
        case TResult::Stopped:
            return QStringLiteral("処理が中断されました");
        case TResult::OutputFailed:
            return QString::fromStdString("ファイルの書き込みに失敗しました\r\nファイル " + file +
                                          " に書き込めません");
        default:
            return QString::fromStdString(writer.Message());
    }
}

}  // namespace

TSnapshotRun::TSnapshotRun(QObject* parent) : QObject(parent) {}

TSnapshotRun::~TSnapshotRun() {
    if (Worker) {
        Stop.store(true);
        Worker->wait();
        delete Worker;
    }
}

bool TSnapshotRun::Start(const QString& folder, const QString& file,
                         std::vector<std::string> exclude) {
    if (Worker)
        return false;
    Stop.store(false);
    const std::string root = folder.toStdString();
    const std::string target = file.toStdString();
    Worker = QThread::create([this, root, target, exclude = std::move(exclude)]() mutable {
        TSnapshotWriter writer(Stop);
        writer.SetExclude(std::move(exclude));
        writer.SetHeader("Tandril " + VersionText().toStdString(), "");
        writer.SetProgress([this](int64_t written, int64_t total) {
            QMetaObject::invokeMethod(
                this, [this, written, total] { emit Progress(written, total); },
                Qt::QueuedConnection);
        });
        platform::OutputFile out;
        const bool opened = out.OpenReplacing(target);
        TSnapshotWriter::TResult result = TSnapshotWriter::TResult::Failed;
        if (opened) {
            result =
                writer.Write(root, [&out](std::string_view bytes) { return out.Write(bytes); });
            if (result == TSnapshotWriter::TResult::Written && !out.Close())
                result = TSnapshotWriter::TResult::OutputFailed;
            if (result != TSnapshotWriter::TResult::Written)
                out.Abandon();
        }
        const TEnd end = !opened                                       ? TEnd::Failed
                         : result == TSnapshotWriter::TResult::Written ? TEnd::Written
                         : result == TSnapshotWriter::TResult::Stopped ? TEnd::Stopped
                                                                       : TEnd::Failed;
        const QString message = EndText(result, writer, target, opened);
        QMetaObject::invokeMethod(
            this, [this, end, message] { Finished(end, message); }, Qt::QueuedConnection);
    });
    Worker->start();
    return true;
}

void TSnapshotRun::Finished(TEnd end, const QString& message) {
    if (Worker) {
        Worker->wait();
        delete Worker;
        Worker = nullptr;
    }
    emit Ended(end, message);
}

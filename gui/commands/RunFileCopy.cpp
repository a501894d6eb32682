#include "RunFileCopy.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLocale>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include "TExcludeFilter.h"

namespace {

constexpr int ProgressSteps = 1000;
constexpr int ShowProgressAfterMs = 500;
constexpr int RefreshMs = 100;

QString FileFacts(const std::string& path, int64_t size, int64_t time) {
    return QString::fromUtf8(path) + QStringLiteral("\n    サイズ: ") +
           QLocale(QLocale::Japanese).toString(static_cast<qlonglong>(size)) +
           QStringLiteral(" バイト    更新日時: ") +
           QDateTime::fromSecsSinceEpoch(time).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

// The question before a file is replaced, on the window's thread; `excluded`
// names the exclude patterns in force, or is empty.
platform::ICopyHandler::TAnswer AskReplace(QWidget* owner,
                                           const platform::TReplaceQuestion& question,
                                           const QString& excluded) {
    QString text =
        QStringLiteral("次のファイルは既に存在します。置き換えますか?\n\n") +
        FileFacts(question.Destination, question.DestinationSize, question.DestinationTime) +
        QStringLiteral("\n\n置き換えるファイル:\n") +
        FileFacts(question.Origin, question.OriginSize, question.OriginTime);
    if (!excluded.isEmpty())
        text += QStringLiteral("\n\n除外パターンに合う項目はコピーしません: ") + excluded;
    QMessageBox box(
        QMessageBox::Question, owner ? owner->window()->windowTitle() : QString(), text,
        QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::Cancel, owner);
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
    box.button(QMessageBox::YesToAll)->setText(QStringLiteral("すべてはい(&A)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return platform::ICopyHandler::TAnswer::Yes;
        case QMessageBox::YesToAll:
            return platform::ICopyHandler::TAnswer::YesToAll;
        case QMessageBox::No:
            return platform::ICopyHandler::TAnswer::No;
        default:
            return platform::ICopyHandler::TAnswer::Cancel;
    }
}

// The worker's side: questions are carried to the window's thread and wait
// for the answer; progress and the stop request pass through atomics.
class TWindowCopyHandler : public platform::ICopyHandler {
public:
    TWindowCopyHandler(QWidget* owner, const TCopyExclusion& exclusion)
        : Owner(owner), Root(exclusion.Root), Folder(!exclusion.CaseSensitive) {
        if (!exclusion.Patterns.empty()) {
            Filter.emplace(exclusion.Patterns, exclusion.CaseSensitive);
            QStringList patterns;
            for (const std::string& pattern : exclusion.Patterns)
                patterns << QString::fromUtf8(pattern);
            Excluded = patterns.join(QStringLiteral(", "));
        }
    }

    TAnswer AskReplace(const platform::TReplaceQuestion& question) override {
        TAnswer answer = TAnswer::Cancel;
        QMetaObject::invokeMethod(
            Owner,
            [&] {
                Asking = true;
                answer = ::AskReplace(Asker ? Asker : Owner, question, Excluded);
                Asking = false;
                Quiet.restart();
            },
            Qt::BlockingQueuedConnection);
        return answer;
    }
    void Progress(uint64_t done, uint64_t total, const std::string& current) override {
        Done.store(done, std::memory_order_relaxed);
        Total.store(total, std::memory_order_relaxed);
        std::lock_guard<std::mutex> lock(CurrentLock);
        Current = current;
    }
    bool StopRequested() override { return Stop.load(std::memory_order_relaxed); }
    // On the copying thread: the path below the giving root, folded as the
    // listing folds it, through the same patterns.
    bool LeaveOut(const std::string& path, bool folder) override {
        if (!Filter || !path.starts_with(Root))
            return false;
        Dir.clear();
        std::string_view rest(path);
        rest.remove_prefix(Root.size());
        for (size_t slash; (slash = rest.find('/')) != std::string_view::npos;) {
            Dir.push_back(TExcludeFilter::Fold(Folder, rest.substr(0, slash)));
            rest.remove_prefix(slash + 1);
        }
        return Filter->Excludes(Dir, TExcludeFilter::Fold(Folder, rest), folder);
    }

    std::string CurrentFile() {
        std::lock_guard<std::mutex> lock(CurrentLock);
        return Current;
    }

    QWidget* Owner;
    QString Excluded;  // the patterns, as the question names them
    // Window's thread only. A question is owned by the progress dialog once
    // that shows, so that it stands above it and takes the input; while a
    // question is open the progress dialog is not made, so it never covers
    // one that was asked before it.
    QWidget* Asker = nullptr;
    bool Asking = false;
    QElapsedTimer Quiet;  // since the copy began or the last question closed
    std::atomic<bool> Stop{false};
    std::atomic<uint64_t> Done{0};
    std::atomic<uint64_t> Total{0};

private:
    std::mutex CurrentLock;
    std::string Current;
    // The copying thread's.
    const std::string Root;
    std::optional<TExcludeFilter> Filter;
    platform::TCaseFolder Folder;
    std::vector<std::u32string> Dir;
};

}  // namespace

platform::TCopyResult RunFileCopy(QWidget* owner, const std::string& origin,
                                  const std::string& destination, bool createDestination,
                                  const TCopyExclusion& exclusion) {
    TWindowCopyHandler handler(owner, exclusion);
    handler.Quiet.start();
    // Made only when it is to show: a QProgressDialog starts a timer of its
    // own when it is made, which shows it after four seconds whatever its
    // minimum duration, and it would then open over a question still waiting
    // for its answer and take the keyboard and mouse from it.
    std::unique_ptr<QProgressDialog> progress;
    const auto showProgress = [&] {
        progress = std::make_unique<QProgressDialog>(QStringLiteral("コピーしています..."),
                                                     QStringLiteral("キャンセル"), 0, ProgressSteps,
                                                     owner);
        progress->setObjectName(QStringLiteral("CopyProgress"));
        progress->setWindowTitle(owner ? owner->window()->windowTitle() : QString());
        progress->setWindowModality(Qt::WindowModal);
        progress->setAutoClose(false);
        progress->setAutoReset(false);
        progress->setMinimumWidth(420);
        QObject::connect(progress.get(), &QProgressDialog::canceled, [&handler, &progress] {
            handler.Stop = true;
            progress->setLabelText(QStringLiteral("中止しています..."));
        });
        handler.Asker = progress.get();
        progress->show();
    };

    QTimer refresh;
    refresh.setInterval(RefreshMs);
    QObject::connect(&refresh, &QTimer::timeout, [&] {
        if (handler.Stop)
            return;
        if (!progress) {
            // Half a second of copying with no question open.
            if (handler.Asking || handler.Quiet.elapsed() < ShowProgressAfterMs)
                return;
            showProgress();
        }
        const uint64_t total = handler.Total.load(std::memory_order_relaxed);
        const uint64_t done = std::min(handler.Done.load(std::memory_order_relaxed), total);
        if (total > 0)
            progress->setValue(static_cast<int>(done * ProgressSteps / total));
        progress->setLabelText(QStringLiteral("コピーしています...\n") +
                               QString::fromUtf8(handler.CurrentFile()));
    });
    refresh.start();

    QEventLoop loop;
    bool finished = false;
    platform::TCopyResult result;
    std::thread worker([&] {
        result = platform::TFileCopy().Copy(origin, destination, createDestination, handler);
        QMetaObject::invokeMethod(
            &loop,
            [&] {
                finished = true;
                loop.quit();
            },
            Qt::QueuedConnection);
    });
    // Until the progress dialog shows (and, being modal, keeps the user to
    // itself and the questions), the window takes no input: no second copy,
    // no closing while this one runs.
    bool inputHeld = true;
    QObject::connect(&refresh, &QTimer::timeout, &loop, [&] {
        if (inputHeld && progress)
            loop.quit();
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    inputHeld = false;
    if (!finished)
        loop.exec();
    worker.join();
    refresh.stop();
    if (progress)
        progress->close();
    return result;
}

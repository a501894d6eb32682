#include "TPathBox.h"

#include <algorithm>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

#include "TRemoteUrl.h"
#include "commands/PathText.h"

namespace {

bool HoldsLocalFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

}  // namespace

TPathBox::TPathBox(const QString& name, QWidget* parent) : QComboBox(parent) {
    setObjectName(name);
    setEditable(true);
    // The list is the history that AddHistory keeps, not what Enter adds.
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(8);
    setAcceptDrops(true);
    lineEdit()->installEventFilter(this);
}

void TPathBox::SetHistory(const QStringList& history, int limit) {
    clear();
    setMaxCount(limit);
    for (const QString& entry : history)
        addItem(entry);
}

QStringList TPathBox::History() const {
    QStringList history;
    for (int i = 0; i < count(); ++i)
        history.append(itemText(i));
    return history;
}

void TPathBox::AddHistory(const QString& text) {
    const int limit = HistoryLimit();
    if (limit == 0)
        return;
    // Absolute, so that a later start from another working folder finds it.
    const QString path = AbsolutePath(TrimBlanks(text));
    // A far side (ssh://...) is kept by its form: whether its folder exists
    // is known once the far side answers.
    TRemoteUrl url;
    const bool remote = ParseRemoteUrl(path.toStdString(), url);
    // Folders, and files read as snapshots.
    const QFileInfo info(path);
    if (path.isEmpty() || !(remote || info.isDir() || info.isFile()))
        return;
    int found = -1;
    for (int i = 0; i < count(); ++i) {
        const QString entry = itemText(i);
        if (!entry.isEmpty() && entry.compare(path, Qt::CaseInsensitive) == 0) {
            found = i;
            break;
        }
    }
    if (found >= 0) {
        // Moves to the top, taking the letter case of this use.
        removeItem(found);
    } else if (count() >= limit) {
        removeItem(count() - 1);
    }
    insertItem(0, path);
    setEditText(path);
}

bool TPathBox::DropFiles(const QMimeData* data) {
    if (data == nullptr || !isEnabled())
        return false;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        setEditText(url.toLocalFile());
        return true;
    }
    return false;
}

bool TPathBox::DragEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!HoldsLocalFile(drag->mimeData()))
                return false;  // text: the edit's own handling
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (!DropFiles(drop->mimeData()))
                return false;
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            return true;
        }
        default:
            return false;
    }
}

void TPathBox::dragEnterEvent(QDragEnterEvent* event) {
    if (!DragEvent(event))
        QComboBox::dragEnterEvent(event);
}

void TPathBox::dragMoveEvent(QDragMoveEvent* event) {
    if (!DragEvent(event))
        QComboBox::dragMoveEvent(event);
}

void TPathBox::dropEvent(QDropEvent* event) {
    if (!DragEvent(event))
        QComboBox::dropEvent(event);
}

bool TPathBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && DragEvent(event))
        return true;
    return QComboBox::eventFilter(watched, event);
}

// The folder histories of the two path boxes. A box's history limit is its
// maxCount: 0 switches the history off.
#include <algorithm>

#include <QComboBox>
#include <QFileInfo>

#include "TfrmMain.h"

namespace {

// Without the blanks and control characters at both ends.
QString TrimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

}  // namespace

int TfrmMain::HistoryLimit(const QComboBox* box) {
    return box->maxCount();
}

void TfrmMain::SetPathHistory(QComboBox* box, const QStringList& history, int limit) {
    box->clear();
    box->setMaxCount(limit);
    for (const QString& entry : history)
        box->addItem(entry);
}

QStringList TfrmMain::PathHistory(const QComboBox* box) {
    QStringList history;
    for (int i = 0; i < box->count(); ++i)
        history.append(box->itemText(i));
    return history;
}

void TfrmMain::AddPathHistory(QComboBox* box, const QString& text) {
    const int limit = HistoryLimit(box);
    if (limit == 0)
        return;
    const QString path = TrimBlanks(text);
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return;
    int found = -1;
    for (int i = 0; i < box->count(); ++i) {
        const QString entry = box->itemText(i);
        if (!entry.isEmpty() && entry.compare(path, Qt::CaseInsensitive) == 0) {
            found = i;
            break;
        }
    }
    if (found >= 0) {
        // Moves to the top, taking the letter case of this use.
        box->removeItem(found);
    } else if (box->count() >= limit) {
        box->removeItem(box->count() - 1);
    }
    box->insertItem(0, path);
    box->setEditText(path);
}

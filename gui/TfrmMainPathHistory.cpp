// The folder histories of the two path boxes and their "RecentFile" section.
// A box's history limit is its maxCount: 0 switches the history off.
#include <algorithm>

#include <QComboBox>
#include <QFileInfo>

#include "TfrmMain.h"
#include "settings/IniFile.h"

namespace {

constexpr const char* RecentSection = "RecentFile";

// "FilePathM" for cmbFilePathM: the box's name without its type prefix.
std::string HistoryName(const QComboBox* box) {
    return box->objectName().mid(3).toStdString();
}

// "FilePathM000", "FilePathM001", ...
std::string HistoryKey(const std::string& name, int index) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03d", index);
    return name + digits;
}

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

void TfrmMain::LoadPathHistory(QComboBox* box, const IniFile& ini) {
    // Twice the lines the drop-down shows, unless the file says otherwise.
    const int limit =
        std::clamp(ini.ReadInteger(RecentSection, "ListCount", 2 * box->maxVisibleItems()), 0,
                   HistoryLimitMax);
    box->clear();
    box->setMaxCount(limit);
    const std::string name = HistoryName(box);
    for (int i = 0; i < limit; ++i) {
        const QString entry = ini.ReadString(RecentSection, HistoryKey(name, i), {});
        if (!entry.isEmpty())
            box->addItem(entry);  // gaps close up
    }
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

void TfrmMain::SavePathHistory(QComboBox* box, IniFile& ini) const {
    const std::string name = HistoryName(box);
    const int count = box->count();
    for (int i = 0; i < count; ++i) {
        const QString entry = box->itemText(i);
        if (entry.isEmpty()) {
            ini.DeleteKey(RecentSection, HistoryKey(name, i));
        } else {
            ini.WriteString(RecentSection, HistoryKey(name, i), entry);
        }
    }
    // Keys at or past the limit are left as they are.
    for (int i = count; i < HistoryLimit(box); ++i)
        ini.DeleteKey(RecentSection, HistoryKey(name, i));
}

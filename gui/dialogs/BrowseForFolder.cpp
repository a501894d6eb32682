#include "BrowseForFolder.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

bool BrowseForFolder(QWidget* owner, const QString& startFolder, QString& path) {
    const QString start = QFileInfo(startFolder).isDir() ? startFolder : QDir::homePath();
    QFileDialog dialog(owner, QStringLiteral("フォルダを選択して下さい"), start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QString chosen = dialog.selectedFiles().value(0);
    if (chosen.isEmpty())
        return false;
    path = chosen;
    return true;
}

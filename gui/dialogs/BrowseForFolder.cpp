#include "BrowseForFolder.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QPushButton>

namespace {

const QString SnapshotFilters = QStringLiteral("スナップショット (*.mtree);;すべてのファイル (*)");

// Where a dialog for startFolder opens: the folder, a file's folder, or home.
QString StartFolder(const QString& startFolder) {
    const QFileInfo info(startFolder);
    if (info.isDir())
        return startFolder;
    if (info.isFile())
        return info.absolutePath();
    return QDir::homePath();
}

bool Run(QFileDialog& dialog, QString& path) {
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QString chosen = dialog.selectedFiles().value(0);
    if (chosen.isEmpty())
        return false;
    path = chosen;
    return true;
}

}  // namespace

bool BrowseForFolder(QWidget* owner, const QString& startFolder, QString& path) {
    const QString start = StartFolder(startFolder);
    QFileDialog dialog(owner, QStringLiteral("フォルダを選択して下さい"), start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    // Qt's own dialog, so that the snapshot's button can sit in it.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* snapshot = new QPushButton(QStringLiteral("スナップショット(&N)..."), &dialog);
    snapshot->setObjectName(QStringLiteral("btnSnapshot"));
    snapshot->setAutoDefault(false);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(snapshot, grid->rowCount(), 0);
    bool wantsSnapshot = false;
    QObject::connect(snapshot, &QPushButton::clicked, &dialog, [&dialog, &wantsSnapshot] {
        wantsSnapshot = true;
        dialog.reject();
    });
    if (Run(dialog, path))
        return true;
    return wantsSnapshot && ChooseSnapshot(owner, dialog.directory().absolutePath(), path);
}

bool ChooseSnapshot(QWidget* owner, const QString& startFolder, QString& path) {
    QFileDialog dialog(owner, QStringLiteral("スナップショットを選択して下さい"),
                       StartFolder(startFolder));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(SnapshotFilters);
    return Run(dialog, path);
}

bool ChooseSnapshotFile(QWidget* owner, const QString& folder, QString& file) {
    const QFileInfo info(QDir::cleanPath(folder));
    QFileDialog dialog(owner, QStringLiteral("スナップショットを保存"));
    dialog.setObjectName(QStringLiteral("SnapshotDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(SnapshotFilters);
    dialog.setDirectory(info.isDir() ? info.absoluteDir() : QDir::home());
    dialog.selectFile(info.fileName().isEmpty() ? QStringLiteral("snapshot.mtree")
                                                : info.fileName() + QStringLiteral(".mtree"));
    return Run(dialog, file);
}

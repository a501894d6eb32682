#pragma once

#include <QString>

class QWidget;

// Lets the user choose a folder in a modal folder dialog owned by owner, titled
// "フォルダを選択して下さい", opening at startFolder when that is a folder (at
// the folder of startFolder when that is a file). Its button
// "スナップショット(&N)..." leads instead to a file dialog for a snapshot
// (ChooseSnapshot). Returns true and sets path when a folder or a snapshot was
// chosen; false when cancelled.
bool BrowseForFolder(QWidget* owner, const QString& startFolder, QString& path);

// Lets the user choose an existing snapshot file, titled
// "スナップショットを選択して下さい" (files ending in .mtree first, any file
// if chosen). Returns true and sets path when one was chosen.
bool ChooseSnapshot(QWidget* owner, const QString& startFolder, QString& path);

// The save dialog of a snapshot, titled "スナップショットを保存", offering
// the folder's name with ".mtree" beside the folder. Returns true and sets
// file when a name was chosen.
bool ChooseSnapshotFile(QWidget* owner, const QString& folder, QString& file);

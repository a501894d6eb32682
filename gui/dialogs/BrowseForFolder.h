#pragma once

#include <QString>

class QWidget;

// Lets the user choose a folder in a modal folder dialog owned by owner, titled
// "フォルダを選択して下さい", opening at startFolder when that is a folder.
// Returns true and sets path when a folder was chosen; false when cancelled.
bool BrowseForFolder(QWidget* owner, const QString& startFolder, QString& path);

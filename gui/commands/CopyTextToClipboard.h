#pragma once

#include <QString>

// Puts text on the clipboard as plain text. False when there is no clipboard;
// nothing is copied then.
bool CopyTextToClipboard(const QString& text);

#include "CopyTextToClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

bool CopyTextToClipboard(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr)
        return false;
    clipboard->setText(text, QClipboard::Clipboard);
    return true;
}

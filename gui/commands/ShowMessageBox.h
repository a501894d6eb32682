#pragma once

#include <QMessageBox>

// A modal message box with an OK button only, owned by owner and titled with
// the owner window's caption, showing text unchanged.
void ShowMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& text);

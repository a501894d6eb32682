#include "ShowMessageBox.h"

void ShowMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& text) {
    const QString title = owner ? owner->window()->windowTitle() : QString();
    QMessageBox box(icon, title, text, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

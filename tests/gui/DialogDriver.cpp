#include "DialogDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QProgressDialog>

TDialogDriver::TDialogDriver() {
    Timer.setInterval(5);
    connect(&Timer, &QTimer::timeout, this, &TDialogDriver::Poll);
    Timer.start();
}

void TDialogDriver::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible())
        return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        Messages.append(box->text());
        QAbstractButton* button = nullptr;
        if (!Answers.isEmpty())
            button = box->button(Answers.takeFirst());
        if (button == nullptr)
            button = box->escapeButton() ? box->escapeButton() : box->button(QMessageBox::Ok);
        if (button != nullptr)
            button->click();
        return;
    }
    if (qobject_cast<QProgressDialog*>(modal))
        return;
    if (auto* files = qobject_cast<QFileDialog*>(modal)) {
        if (OnFileDialog) {
            OnFileDialog(files);
        } else {
            files->reject();
        }
        return;
    }
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        if (OnDialog) {
            OnDialog(dialog);
        } else {
            dialog->reject();
        }
    }
}

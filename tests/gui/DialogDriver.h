#pragma once

#include <functional>

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

class QDialog;
class QFileDialog;

// Plays the user for the modal dialogs a command opens while the test waits
// inside it: watches the active modal widget every few milliseconds, answers
// message boxes with the next scripted button (OK, or the box's escape button,
// when the script is used up) and records their texts, and hands file dialogs
// and other dialogs to the test's handlers. Progress dialogs are left alone.
class TDialogDriver : public QObject {
public:
    TDialogDriver();

    QStringList Messages;                            // texts of the boxes answered, in order
    QList<QMessageBox::StandardButton> Answers;      // buttons to press, in order
    std::function<void(QFileDialog*)> OnFileDialog;  // must close the dialog
    std::function<void(QDialog*)> OnDialog;          // must close the dialog

private:
    void Poll();
    QTimer Timer;
};

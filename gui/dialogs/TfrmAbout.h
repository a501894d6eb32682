#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The version dialog: the program's icon and name, "Ver." with the version
// compiled in, and a short description. It has no close box: OK closes it.
// Shown centred on its owner window.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* owner);

    QLabel* imgIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QPlainTextEdit* Memo = nullptr;
    QPushButton* btnOK = nullptr;

    // "Ver." followed by the version text (VersionText); "Ver." alone when
    // there is none.
    void ShowVersionNumber();
    void btnOKClick();

protected:
    // FormShow: centres the dialog on its owner, fills the memo and the version.
    void showEvent(QShowEvent* event) override;
};

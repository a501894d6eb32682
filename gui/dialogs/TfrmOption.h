#pragma once

#include <QDialog>

struct AppOption;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

// The options dialog: on its first page the titles and programs of external
// applications 1 and 2 and of the comparison application with its command
// template, on its second the exclude patterns, one a line, on its third what
// Enter and a double click open and the pair view's size limit. Made for one
// opening on the window's options record; OK copies the boxes into the record
// only after they pass the checks, Cancel leaves the record alone.
class TfrmOption : public QDialog {
    Q_OBJECT
public:
    static constexpr int TitleLimit = 30;

    // Fills the six boxes from Title1, Path1, Title2, Path2, CompTitle and
    // CompPath, and the exclude box from the comparison's exclude patterns.
    TfrmOption(QWidget* owner, AppOption& option);

    QTabWidget* pgcOption = nullptr;
    QWidget* tabApp = nullptr;              // the external applications' page
    QWidget* tabExclude = nullptr;          // the exclude patterns' page
    QWidget* tabPairView = nullptr;         // the pair view's page
    QWidget* tabRemote = nullptr;           // far sides' page
    QLineEdit* edtSsh = nullptr;            // the ssh command
    QLineEdit* edtRemoteProgram = nullptr;  // the far program
    QRadioButton* rbtnEnterView = nullptr;
    QRadioButton* rbtnEnterApp = nullptr;
    QSpinBox* spnViewLimit = nullptr;
    QPlainTextEdit* memExclude = nullptr;
    QLineEdit* edtApp1Title = nullptr;
    QLineEdit* edtApp1Path = nullptr;
    QLineEdit* edtApp2Title = nullptr;
    QLineEdit* edtApp2Path = nullptr;
    QLineEdit* edtAppCmpTitle = nullptr;
    QLineEdit* edtAppCmpPath = nullptr;
    QLabel* lblApp1Path = nullptr;
    QLabel* lblApp2Path = nullptr;
    QLabel* lblAppCmpPath = nullptr;
    QLabel* lblAppCmpExample = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    // A failed check: its message and the box that takes the focus.
    struct TCheckFailure {
        QString Message;
        QWidget* Focus = nullptr;
    };
    // Trims the four boxes of applications 1 and 2 (leaving the trimmed text in
    // them) and checks the three groups in order, then the exclude patterns
    // with the engine's check (a malformed one is selected in its box). Returns
    // the first failure, or a failure without a message when all pass.
    TCheckFailure CheckBoxes();

    // OK: CheckBoxes; on success copies the boxes into the record and accepts,
    // otherwise shows the message (title "オプション") and moves the focus.
    void OKBtnClick();
    // A "プログラム" label was clicked: a chosen program replaces the whole text
    // of the label's box, and the focus goes to that box.
    void lblAppPathClick(QLabel* label);
    void lblAppPathMouseEnter(QLabel* label);
    void lblAppPathMouseLeave(QLabel* label);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateExcludePage();
    void CreatePairViewPage();
    void CreateRemotePage();
    QLineEdit* ProgramBoxOf(QLabel* label) const;

    AppOption& Option;
};

#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "TPaneText.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QStackedWidget;
class TDiffTextView;
class THexDiffView;
class TPairViewLoad;

// The window that shows why two files differ: source left, target right, each
// with its path, size, time, encoding and line ends above it; the lines side
// by side (TDiffTextView), or their bytes (THexDiffView) for binary files,
// text in no known encoding and files above the size limit. F7 and Shift+F7
// go to the next and previous difference. Not modal; several may be open.
// The files are read and compared on a worker thread: the window opens at once
// and fills when the comparison is done (Loaded).
class TfrmPairView : public QWidget {
    Q_OBJECT

public:
    // Paths are the files' own bytes.
    TfrmPairView(std::string pathM, std::string pathS, const TPairDiffOptions& options,
                 QWidget* parent = nullptr);
    ~TfrmPairView() override;

    bool IsLoaded() const { return Diff != nullptr; }
    TDiffTextView* TextView() const { return Text; }
    THexDiffView* HexView() const { return Hex; }
    // Which of the two views is shown (neither while loading or after a failure).
    bool ShowsText() const;
    bool ShowsBytes() const;
    QComboBox* CodeBox(TPaneSide side) const { return side == TPaneSide::M ? cmbCodeM : cmbCodeS; }
    // What stands above a pane: its path and its details, or why it cannot be read.
    QString PathText(TPaneSide side) const;
    QString InfoText(TPaneSide side) const;
    QString ErrorText(TPaneSide side) const;
    // The message above the panes, and the summary of the differences.
    QString MessageText() const;
    QString SummaryText() const;

    QAction* mnNextDiff = nullptr;
    QAction* mnPrevDiff = nullptr;
    QCheckBox* chkBlanks = nullptr;
    QCheckBox* chkLineEnds = nullptr;

signals:
    void Loaded();

private:
    void StartLoad();
    void ShowDiff(std::shared_ptr<const TPairDiff> diff);
    void ShowSide(TPaneSide side);
    void CodeChosen(TPaneSide side);
    void UpdateSummary();

    std::string PathM, PathS;
    TPairDiffOptions Options;
    std::shared_ptr<TPairViewLoad> Load;
    std::shared_ptr<const TPairDiff> Diff;
    QLabel* lblPathM = nullptr;
    QLabel* lblPathS = nullptr;
    QLabel* lblInfoM = nullptr;
    QLabel* lblInfoS = nullptr;
    QLabel* lblErrorM = nullptr;
    QLabel* lblErrorS = nullptr;
    QComboBox* cmbCodeM = nullptr;
    QComboBox* cmbCodeS = nullptr;
    QLabel* lblMessage = nullptr;
    QLabel* lblSummary = nullptr;
    QStackedWidget* Pages = nullptr;
    QLabel* lblLoading = nullptr;
    TDiffTextView* Text = nullptr;
    THexDiffView* Hex = nullptr;
};

#include "TfrmPairView.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QStackedWidget>
#include <QStringList>
#include <QToolButton>
#include <QVBoxLayout>

#include "TDiffTextView.h"
#include "THexDiffView.h"
#include "TPairViewLoad.h"
#include "window/MainFont.h"

namespace {

using platform::TTextCode;

// The encodings offered, in the order of the drop-down boxes.
constexpr TTextCode Codes[] = {TTextCode::Utf8, TTextCode::Cp932, TTextCode::EucJp};

QString CodeName(TTextCode code) {
    switch (code) {
        case TTextCode::Cp932:
            return QStringLiteral("Shift_JIS (CP932)");
        case TTextCode::EucJp:
            return QStringLiteral("EUC-JP");
        case TTextCode::Utf8:
            break;
    }
    return QStringLiteral("UTF-8");
}

QString LineEndName(TLineEndStyle style) {
    switch (style) {
        case TLineEndStyle::Lf:
            return QStringLiteral("LF");
        case TLineEndStyle::CrLf:
            return QStringLiteral("CR LF");
        case TLineEndStyle::Mixed:
            return QStringLiteral("CR LF と LF");
        case TLineEndStyle::None:
            break;
    }
    return QStringLiteral("なし");
}

QString Number(int64_t n) {
    return QLocale(QLocale::Japanese, QLocale::Japan).toString(qlonglong(n));
}

QString FromBytes(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

}  // namespace

TfrmPairView::TfrmPairView(std::string pathM, std::string pathS, const TPairDiffOptions& options,
                           QWidget* parent)
    : QWidget(parent, Qt::Window),
      PathM(std::move(pathM)),
      PathS(std::move(pathS)),
      Options(options) {
    setObjectName(QStringLiteral("frmPairView"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(MainFont());
    const QString nameM = FromBytes(PathM.substr(PathM.rfind('/') + 1));
    setWindowTitle(QStringLiteral("内容を比較 - ") + nameM);
    resize(1100, 700);

    auto* header = new QGridLayout;
    const auto sideHeader = [&](int column, const QString& title, QLabel*& path, QLabel*& info,
                                QComboBox*& code, QLabel*& error, TPaneSide side) {
        path = new QLabel(this);
        path->setTextInteractionFlags(Qt::TextSelectableByMouse);
        path->setTextFormat(Qt::PlainText);
        path->setMinimumWidth(100);
        info = new QLabel(this);
        code = new QComboBox(this);
        for (TTextCode c : Codes)
            code->addItem(CodeName(c));
        code->setEnabled(false);
        error = new QLabel(this);
        error->setStyleSheet(QStringLiteral("color: #c03030;"));
        error->setWordWrap(true);
        error->setTextFormat(Qt::PlainText);
        error->hide();
        auto* details = new QHBoxLayout;
        details->addWidget(info);
        details->addWidget(new QLabel(QStringLiteral("文字コード:"), this));
        details->addWidget(code);
        details->addStretch();
        header->addWidget(new QLabel(title, this), 0, column * 2);
        header->addWidget(path, 0, column * 2 + 1);
        header->addLayout(details, 1, column * 2 + 1);
        header->addWidget(error, 2, column * 2 + 1);
        connect(code, &QComboBox::activated, this, [this, side] { CodeChosen(side); });
    };
    sideHeader(0, QStringLiteral("比較元:"), lblPathM, lblInfoM, cmbCodeM, lblErrorM, TPaneSide::M);
    sideHeader(1, QStringLiteral("比較先:"), lblPathS, lblInfoS, cmbCodeS, lblErrorS, TPaneSide::S);
    header->setColumnStretch(1, 1);
    header->setColumnStretch(3, 1);
    lblPathM->setText(FromBytes(PathM));
    lblPathS->setText(FromBytes(PathS));

    mnNextDiff = new QAction(QStringLiteral("次の相違(&N)"), this);
    mnNextDiff->setShortcut(QKeySequence(Qt::Key_F7));
    mnPrevDiff = new QAction(QStringLiteral("前の相違(&P)"), this);
    mnPrevDiff->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F7));
    for (QAction* action : {mnPrevDiff, mnNextDiff}) {
        action->setShortcutContext(Qt::WindowShortcut);
        action->setEnabled(false);
        addAction(action);
    }
    chkBlanks = new QCheckBox(QStringLiteral("タブ・行末の空白・改行を表示(&B)"), this);
    chkLineEnds = new QCheckBox(QStringLiteral("改行コードと行末の空白の違いを無視(&K)"), this);
    chkLineEnds->setChecked(Options.IgnoreLineEnds);
    lblSummary = new QLabel(this);
    auto* tools = new QHBoxLayout;
    for (QAction* action : {mnPrevDiff, mnNextDiff}) {
        auto* button = new QToolButton(this);
        button->setDefaultAction(action);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        tools->addWidget(button);
    }
    tools->addWidget(chkBlanks);
    tools->addWidget(chkLineEnds);
    tools->addStretch();
    tools->addWidget(lblSummary);

    lblMessage = new QLabel(this);
    lblMessage->setWordWrap(true);
    lblMessage->setStyleSheet(QStringLiteral("background: #fff4c8; padding: 3px;"));
    lblMessage->hide();

    Pages = new QStackedWidget(this);
    lblLoading = new QLabel(QStringLiteral("読み込み中..."), this);
    lblLoading->setAlignment(Qt::AlignCenter);
    Text = new TDiffTextView(this);
    Hex = new THexDiffView(this);
    QFont fixed(QStringLiteral("IPAGothic"));
    fixed.setStyleHint(QFont::Monospace);
    fixed.setPixelSize(13);
    Text->setFont(fixed);
    Hex->setFont(fixed);
    Pages->addWidget(lblLoading);
    Pages->addWidget(Text);
    Pages->addWidget(Hex);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addLayout(tools);
    layout->addWidget(lblMessage);
    layout->addWidget(Pages, 1);

    connect(mnNextDiff, &QAction::triggered, this, [this] {
        if (ShowsText())
            Text->NextDifference();
        else if (ShowsBytes())
            Hex->NextRun();
    });
    connect(mnPrevDiff, &QAction::triggered, this, [this] {
        if (ShowsText())
            Text->PreviousDifference();
        else if (ShowsBytes())
            Hex->PreviousRun();
    });
    connect(Text, &TDiffTextView::CurrentDifferenceChanged, this, &TfrmPairView::UpdateSummary);
    connect(Hex, &THexDiffView::CurrentRunChanged, this, &TfrmPairView::UpdateSummary);
    connect(chkBlanks, &QCheckBox::toggled, Text, &TDiffTextView::SetShowBlanks);
    connect(chkLineEnds, &QCheckBox::toggled, this, [this](bool on) {
        Options.IgnoreLineEnds = on;
        StartLoad();
    });
    StartLoad();
}

TfrmPairView::~TfrmPairView() {
    if (Load)
        Load->Abandon();
}

bool TfrmPairView::ShowsText() const {
    return Pages->currentWidget() == Text;
}

bool TfrmPairView::ShowsBytes() const {
    return Pages->currentWidget() == Hex;
}

void TfrmPairView::StartLoad() {
    if (Load)
        Load->Abandon();
    Diff.reset();
    Pages->setCurrentWidget(lblLoading);
    chkLineEnds->setEnabled(false);
    Load = TPairViewLoad::Start(this, PathM, PathS, Options,
                                [this](std::shared_ptr<const TPairDiff> diff) { ShowDiff(diff); });
}

void TfrmPairView::ShowSide(TPaneSide side) {
    const TPairSide& data = side == TPaneSide::M ? Diff->M : Diff->S;
    QLabel* info = side == TPaneSide::M ? lblInfoM : lblInfoS;
    QLabel* error = side == TPaneSide::M ? lblErrorM : lblErrorS;
    QComboBox* code = CodeBox(side);
    error->setVisible(!data.Error.empty());
    error->setText(data.Error.empty()
                       ? QString()
                       : QStringLiteral("このファイルは読めません: ") + FromBytes(data.Error));
    if (!data.Error.empty()) {
        info->clear();
        code->setEnabled(false);
        return;
    }
    QString text =
        QStringLiteral("サイズ %1 バイト  更新日時 %2")
            .arg(Number(data.File.Size()), QDateTime::fromSecsSinceEpoch(data.File.ModifiedTime())
                                               .toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")));
    if (data.Text)
        text += QStringLiteral("  改行 ") + LineEndName(data.Lines.Style());
    if (data.Bom)
        text += QStringLiteral("  BOM あり");
    info->setText(text);
    const bool lines = Diff->M.Text && Diff->S.Text;
    code->setEnabled(lines);
    code->setCurrentIndex(-1);
    if (data.Detected)
        code->setCurrentIndex(
            int(std::find(std::begin(Codes), std::end(Codes), *data.Detected) - std::begin(Codes)));
}

void TfrmPairView::ShowDiff(std::shared_ptr<const TPairDiff> diff) {
    Load.reset();
    chkLineEnds->setEnabled(true);
    if (!diff) {
        lblLoading->setText(QStringLiteral("メモリが足りないため、比較できませんでした"));
        return;
    }
    Diff = std::move(diff);
    ShowSide(TPaneSide::M);
    ShowSide(TPaneSide::S);
    lblMessage->setText(QString::fromStdString(Diff->Message));
    lblMessage->setVisible(!Diff->Message.empty());
    switch (Diff->Mode) {
        case TPairDiff::TMode::Text:
            Text->SetDiff(Diff, *Diff->M.Detected, *Diff->S.Detected);
            Text->SetShowBlanks(chkBlanks->isChecked());
            Pages->setCurrentWidget(Text);
            break;
        case TPairDiff::TMode::Bytes:
            Hex->SetDiff(Diff);
            Pages->setCurrentWidget(Hex);
            break;
        case TPairDiff::TMode::Failed: {
            QStringList reasons;
            for (const TPairSide* side : {&Diff->M, &Diff->S})
                if (!side->Error.empty())
                    reasons << (side == &Diff->M ? QStringLiteral("比較元")
                                                 : QStringLiteral("比較先")) +
                                   QStringLiteral("のファイルは読めません: ") +
                                   FromBytes(side->Error);
            lblLoading->setText(reasons.join(u'\n'));
            Pages->setCurrentWidget(lblLoading);
            break;
        }
    }
    mnNextDiff->setEnabled(Diff->Mode != TPairDiff::TMode::Failed);
    mnPrevDiff->setEnabled(Diff->Mode != TPairDiff::TMode::Failed);
    UpdateSummary();
    emit Loaded();
}

void TfrmPairView::CodeChosen(TPaneSide side) {
    if (!Diff || !Diff->M.Text || !Diff->S.Text)
        return;
    const int index = CodeBox(side)->currentIndex();
    if (index < 0)
        return;
    if (ShowsText()) {
        Text->SetCode(side, Codes[index]);
        return;
    }
    // The bytes were shown because a side's encoding was not found: the
    // choice shows the lines, the other side in its own encoding or the same.
    const auto chosen = [&](TPaneSide s) {
        const int i = CodeBox(s)->currentIndex();
        return i >= 0 ? Codes[i] : Codes[index];
    };
    Text->SetDiff(Diff, chosen(TPaneSide::M), chosen(TPaneSide::S));
    Text->SetShowBlanks(chkBlanks->isChecked());
    Pages->setCurrentWidget(Text);
    lblMessage->hide();
    UpdateSummary();
}

void TfrmPairView::UpdateSummary() {
    if (!Diff || Diff->Mode == TPairDiff::TMode::Failed) {
        lblSummary->clear();
        return;
    }
    if (ShowsText()) {
        const size_t count = Text->DifferenceCount();
        if (count == 0) {
            lblSummary->setText(QStringLiteral("相違はありません"));
        } else if (Text->CurrentDifference() < count) {
            lblSummary->setText(
                QStringLiteral("相違 %1 / %2 箇所")
                    .arg(Number(int64_t(Text->CurrentDifference() + 1)), Number(int64_t(count))));
        } else {
            lblSummary->setText(QStringLiteral("相違 %1 箇所").arg(Number(int64_t(count))));
        }
        return;
    }
    const TByteDiff& bytes = Diff->Bytes;
    if (bytes.Runs.empty()) {
        lblSummary->setText(QStringLiteral("相違はありません"));
        return;
    }
    const int64_t offset = Hex->CurrentRun() < bytes.Runs.size()
                               ? bytes.Runs[Hex->CurrentRun()].Offset
                               : bytes.Runs.front().Offset;
    lblSummary->setText(QStringLiteral("相違位置 0x%1 (%2)  相違 %3 バイト  長さ %4 / %5 バイト")
                            .arg(QString::number(offset, 16), Number(offset),
                                 Number(bytes.DifferingBytes), Number(Diff->M.File.Size()),
                                 Number(Diff->S.File.Size())));
}

QString TfrmPairView::PathText(TPaneSide side) const {
    return (side == TPaneSide::M ? lblPathM : lblPathS)->text();
}

QString TfrmPairView::InfoText(TPaneSide side) const {
    return (side == TPaneSide::M ? lblInfoM : lblInfoS)->text();
}

QString TfrmPairView::ErrorText(TPaneSide side) const {
    return (side == TPaneSide::M ? lblErrorM : lblErrorS)->text();
}

QString TfrmPairView::MessageText() const {
    return lblMessage->isVisible() || !lblMessage->text().isEmpty() ? lblMessage->text()
                                                                    : QString();
}

QString TfrmPairView::SummaryText() const {
    return lblSummary->text();
}

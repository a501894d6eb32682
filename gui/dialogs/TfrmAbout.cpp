#include "TfrmAbout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "commands/ProgramInfo.h"

namespace {
constexpr int IconSide = 41;
constexpr int VersionWidth = 160;
}  // namespace

TfrmAbout::TfrmAbout(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    // A title bar without the system menu's close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    imgIcon = new QLabel(this);
    imgIcon->setObjectName(QStringLiteral("imgIcon"));
    imgIcon->setPixmap(ProgramIcon().pixmap(64, 64));
    imgIcon->setScaledContents(true);
    imgIcon->setFixedSize(IconSide, IconSide);

    ProductName = new QLabel(QStringLiteral("Tandril"), this);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    QFont bold = ProductName->font();
    bold.setBold(true);
    bold.setPixelSize(24);
    ProductName->setFont(bold);

    Version = new QLabel(QStringLiteral("Ver."), this);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setAlignment(Qt::AlignCenter);
    Version->setFixedWidth(VersionWidth);

    Memo = new QPlainTextEdit(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setReadOnly(true);
    Memo->setFocusPolicy(Qt::NoFocus);
    Memo->setFrameShape(QFrame::NoFrame);
    Memo->setFixedHeight(90);
    // The window's background colour instead of the text field's.
    QPalette background = Memo->palette();
    background.setColor(QPalette::Base, palette().color(QPalette::Window));
    Memo->setPalette(background);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &TfrmAbout::btnOKClick);

    auto* head = new QHBoxLayout;
    head->addWidget(imgIcon, 0, Qt::AlignTop);
    auto* names = new QVBoxLayout;
    names->addWidget(ProductName);
    names->addWidget(Version);
    head->addLayout(names);
    head->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(Memo);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QWidget* owner = parentWidget()) {
        const QRect main = owner->window()->frameGeometry();
        const QRect self = frameGeometry();
        // Integer division truncates toward zero, also for a dialog larger
        // than its owner.
        move(main.left() + (main.width() - self.width()) / 2,
             main.top() + (main.height() - self.height()) / 2);
    }
    Memo->setPlainText(
        QStringLiteral("フォルダ内比較ツール\n\n\n"
                       "  二つのフォルダツリーを比較して、\n"
                       "  等価と相違をファイルごとに一覧表示します。"));
    ShowVersionNumber();
}

void TfrmAbout::ShowVersionNumber() {
    Version->setText(QStringLiteral("Ver.") + VersionText());
}

void TfrmAbout::btnOKClick() {
    accept();
}

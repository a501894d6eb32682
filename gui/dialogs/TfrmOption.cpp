#include "TfrmOption.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>

#include "commands/PathText.h"
#include "commands/ShowMessageBox.h"
#include "settings/AppOption.h"
#include "settings/ExcludePatterns.h"

namespace {

constexpr int TitleBoxWidth = 180;
constexpr int ProgramBoxWidth = 330;

QLabel* Heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    return label;
}

// The program chooser's order: folders, then executable files, then the
// other files (which may still be chosen), each by name.
class TExecutablesFirst : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files != nullptr && left.column() == 0 && right.column() == 0) {
            const int rankLeft = Rank(files->fileInfo(left));
            const int rankRight = Rank(files->fileInfo(right));
            if (rankLeft != rankRight)
                return rankLeft < rankRight;
            return QString::localeAwareCompare(left.data().toString(), right.data().toString()) < 0;
        }
        return QSortFilterProxyModel::lessThan(left, right);
    }

private:
    static int Rank(const QFileInfo& info) {
        if (info.isDir())
            return 0;
        return info.isExecutable() ? 1 : 2;
    }
};

}  // namespace

TfrmOption::TfrmOption(QWidget* owner, AppOption& option) : QDialog(owner), Option(option) {
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("オプション"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    pgcOption = new QTabWidget(this);
    auto* page = new QWidget(pgcOption);
    tabApp = page;
    pgcOption->addTab(page, QStringLiteral("外部アプリケーション"));
    auto* pageLayout = new QVBoxLayout(page);

    // One group: heading, then the title and program rows.
    const auto group = [this, page, pageLayout](const QString& heading, QLineEdit*& title,
                                                QLineEdit*& program, QLabel*& programLabel,
                                                const char* name) {
        pageLayout->addWidget(Heading(heading, page));
        auto* grid = new QGridLayout;
        grid->setContentsMargins(16, 0, 0, 0);
        auto* titleLabel = new QLabel(QStringLiteral("タイトル"), page);
        title = new QLineEdit(page);
        title->setObjectName(QStringLiteral("edt%1Title").arg(QLatin1String(name)));
        title->setMaxLength(TitleLimit);
        title->setFixedWidth(TitleBoxWidth);
        titleLabel->setBuddy(title);
        programLabel = new QLabel(QStringLiteral("プログラム"), page);
        programLabel->setObjectName(QStringLiteral("lbl%1Path").arg(QLatin1String(name)));
        programLabel->setCursor(Qt::PointingHandCursor);
        programLabel->installEventFilter(this);
        program = new QLineEdit(page);
        program->setObjectName(QStringLiteral("edt%1Path").arg(QLatin1String(name)));
        program->setMinimumWidth(ProgramBoxWidth);
        programLabel->setBuddy(program);
        grid->addWidget(titleLabel, 0, 0);
        grid->addWidget(title, 0, 1, Qt::AlignLeft);
        grid->addWidget(programLabel, 1, 0);
        grid->addWidget(program, 1, 1);
        pageLayout->addLayout(grid);
        return grid;
    };
    group(QStringLiteral("外部アプリケーション 1"), edtApp1Title, edtApp1Path, lblApp1Path, "App1");
    pageLayout->addSpacing(8);
    group(QStringLiteral("外部アプリケーション 2"), edtApp2Title, edtApp2Path, lblApp2Path, "App2");
    pageLayout->addSpacing(8);
    QGridLayout* compare =
        group(QStringLiteral("比較用アプリケーション　（?m 比較元パス  ?s 比較先パス)"),
              edtAppCmpTitle, edtAppCmpPath, lblAppCmpPath, "AppCmp");
    lblAppCmpExample = new QLabel(QStringLiteral("ex.) /usr/local/bin/hoge ?m ?s"), page);
    lblAppCmpExample->setObjectName(QStringLiteral("lblAppCmpExample"));
    compare->addWidget(lblAppCmpExample, 2, 1);
    pageLayout->addStretch(1);
    CreateExcludePage();
    CreatePairViewPage();
    CreateRemotePage();

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    OKBtn->setAutoDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("キャンセル"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setAutoDefault(false);
    connect(OKBtn, &QPushButton::clicked, this, &TfrmOption::OKBtnClick);
    // QDialog closes on Esc through reject(), as the cancel button does.
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pgcOption);
    layout->addLayout(buttons);

    edtApp1Title->setText(Option.Title1);
    edtApp1Path->setText(Option.Path1);
    edtApp2Title->setText(Option.Title2);
    edtApp2Path->setText(Option.Path2);
    edtAppCmpTitle->setText(Option.CompTitle);
    edtAppCmpPath->setText(Option.CompPath);
    memExclude->setPlainText(ExcludePatternsText(Option.Compare.Exclude));
    (Option.EnterStartsCompApp ? rbtnEnterApp : rbtnEnterView)->setChecked(true);
    spnViewLimit->setValue(Option.ViewLimitMB);
    edtSsh->setText(Option.Ssh);
    edtRemoteProgram->setText(Option.RemoteProgram);

    setTabOrder(edtApp1Title, edtApp1Path);
    setTabOrder(edtApp1Path, edtApp2Title);
    setTabOrder(edtApp2Title, edtApp2Path);
    setTabOrder(edtApp2Path, edtAppCmpTitle);
    setTabOrder(edtAppCmpTitle, edtAppCmpPath);
    setTabOrder(edtAppCmpPath, memExclude);
    setTabOrder(memExclude, rbtnEnterView);
    setTabOrder(rbtnEnterView, rbtnEnterApp);
    setTabOrder(rbtnEnterApp, spnViewLimit);
    setTabOrder(spnViewLimit, edtSsh);
    setTabOrder(edtSsh, edtRemoteProgram);
    setTabOrder(edtRemoteProgram, OKBtn);
    setTabOrder(OKBtn, CancelBtn);
    edtApp1Title->setFocus();

    // A fixed border: the dialog keeps the size its layout asks for.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmOption::CreatePairViewPage() {
    tabPairView = new QWidget(pgcOption);
    tabPairView->setObjectName(QStringLiteral("tabPairView"));
    pgcOption->addTab(tabPairView, QStringLiteral("内容の比較"));
    auto* layout = new QVBoxLayout(tabPairView);
    layout->addWidget(Heading(QStringLiteral("Enter キーとダブルクリックで開くもの"), tabPairView));
    rbtnEnterView = new QRadioButton(QStringLiteral("内容を比較するウィンドウ(&W)"), tabPairView);
    rbtnEnterApp = new QRadioButton(
        QStringLiteral("比較用アプリケーション (設定されているとき)(&A)"), tabPairView);
    for (QRadioButton* button : {rbtnEnterView, rbtnEnterApp}) {
        button->setContentsMargins(16, 0, 0, 0);
        layout->addWidget(button);
    }
    layout->addSpacing(8);
    layout->addWidget(Heading(QStringLiteral("行を比較するファイルの大きさの上限"), tabPairView));
    auto* limit = new QHBoxLayout;
    limit->setContentsMargins(16, 0, 0, 0);
    spnViewLimit = new QSpinBox(tabPairView);
    spnViewLimit->setObjectName(QStringLiteral("spnViewLimit"));
    spnViewLimit->setRange(1, AppOption::MaxViewLimitMB);
    spnViewLimit->setSuffix(QStringLiteral(" MB"));
    limit->addWidget(spnViewLimit);
    limit->addWidget(
        new QLabel(QStringLiteral("これより大きいファイルはバイトで表示します"), tabPairView));
    limit->addStretch(1);
    layout->addLayout(limit);
    layout->addStretch(1);
}

void TfrmOption::CreateRemotePage() {
    tabRemote = new QWidget(pgcOption);
    tabRemote->setObjectName(QStringLiteral("tabRemote"));
    pgcOption->addTab(tabRemote, QStringLiteral("リモート"));
    auto* layout = new QVBoxLayout(tabRemote);
    layout->addWidget(Heading(
        QStringLiteral("ssh://[ユーザー@]ホスト[:ポート]/パス の比較 (空欄は環境変数か既定値)"),
        tabRemote));
    auto* grid = new QGridLayout;
    grid->setContentsMargins(16, 0, 0, 0);
    const auto row = [this, grid](int at, const QString& caption, const QString& name,
                                  const QString& placeholder) {
        auto* box = new QLineEdit(tabRemote);
        box->setObjectName(name);
        box->setPlaceholderText(placeholder);
        box->setMinimumWidth(320);
        auto* label = new QLabel(caption, tabRemote);
        label->setBuddy(box);
        grid->addWidget(label, at, 0);
        grid->addWidget(box, at, 1);
        return box;
    };
    edtSsh = row(0, QStringLiteral("ssh コマンド(&S)"), QStringLiteral("edtSsh"),
                 QStringLiteral("ssh ($TANDRIL_SSH)"));
    edtRemoteProgram =
        row(1, QStringLiteral("相手のプログラム(&R)"), QStringLiteral("edtRemoteProgram"),
            QStringLiteral("TandrilB ($TANDRIL_REMOTE_PROGRAM)"));
    layout->addLayout(grid);
    auto* example =
        new QLabel(QStringLiteral("ex.) ssh -i /home/hoge/.ssh/backup -o Port=2222"), tabRemote);
    example->setContentsMargins(16, 0, 0, 0);
    layout->addWidget(example);
    layout->addStretch(1);
}

void TfrmOption::CreateExcludePage() {
    tabExclude = new QWidget(pgcOption);
    tabExclude->setObjectName(QStringLiteral("tabExclude"));
    pgcOption->addTab(tabExclude, QStringLiteral("除外"));
    auto* layout = new QVBoxLayout(tabExclude);
    auto* heading = new QLabel(
        QStringLiteral("比較しないファイルとフォルダ (1 行に 1 パターン、# で始まる行は無視)(&P)"),
        tabExclude);
    memExclude = new QPlainTextEdit(tabExclude);
    memExclude->setObjectName(QStringLiteral("memExclude"));
    memExclude->setTabChangesFocus(true);
    memExclude->setLineWrapMode(QPlainTextEdit::NoWrap);
    heading->setBuddy(memExclude);
    auto* example = new QLabel(
        QStringLiteral("ex.) node_modules/　.git/　*.tmp　/build　docs/**/*.bak\n"
                       "/ を含まないパターンはどの階層の名前にも、/ を含むパターンは"
                       "比較するフォルダからのパスに一致します.\n"
                       "末尾の / はフォルダだけに一致します. 大文字と小文字は区別しません."),
        tabExclude);
    example->setObjectName(QStringLiteral("lblExcludeExample"));
    example->setWordWrap(true);
    layout->addWidget(heading);
    layout->addWidget(memExclude, 1);
    layout->addWidget(example);
}

void TfrmOption::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    const QScreen* screen = (parentWidget() ? parentWidget()->screen() : nullptr);
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

TfrmOption::TCheckFailure TfrmOption::CheckBoxes() {
    for (QLineEdit* box : {edtApp1Title, edtApp1Path, edtApp2Title, edtApp2Path})
        box->setText(TrimBlanks(box->text()));
    // The comparison boxes keep their text as typed.
    const std::pair<QLineEdit*, QLineEdit*> groups[] = {
        {edtApp1Title, edtApp1Path}, {edtApp2Title, edtApp2Path}, {edtAppCmpTitle, edtAppCmpPath}};
    for (const auto& [title, program] : groups) {
        // A title becomes a menu caption, where "&" would mark an accelerator.
        if (title->text().contains(QLatin1Char('&')))
            return {QStringLiteral("記号 & は使用できません"), title};
        if (title->text().isEmpty() && !program->text().isEmpty())
            return {QStringLiteral("タイトルが未入力です"), title};
        if (!title->text().isEmpty() && program->text().isEmpty())
            return {QStringLiteral("プログラムが未入力です"), program};
    }
    const TExcludeFailure exclude = CheckExcludeText(memExclude->toPlainText());
    if (exclude.Line >= 0) {
        pgcOption->setCurrentWidget(tabExclude);
        // The malformed line is selected, so that typing replaces it.
        QTextCursor line(memExclude->document()->findBlockByNumber(exclude.Line));
        line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        memExclude->setTextCursor(line);
        return {exclude.Message, memExclude};
    }
    return {};
}

void TfrmOption::OKBtnClick() {
    const TCheckFailure failure = CheckBoxes();
    if (failure.Focus != nullptr) {
        ShowMessageBox(this, QMessageBox::Warning, failure.Message);
        failure.Focus->setFocus();
        return;
    }
    Option.Title1 = edtApp1Title->text();
    Option.Path1 = edtApp1Path->text();
    Option.Title2 = edtApp2Title->text();
    Option.Path2 = edtApp2Path->text();
    Option.CompTitle = edtAppCmpTitle->text();
    Option.CompPath = edtAppCmpPath->text();
    Option.Compare.Exclude = ExcludePatternsOf(memExclude->toPlainText());
    Option.EnterStartsCompApp = rbtnEnterApp->isChecked();
    Option.ViewLimitMB = spnViewLimit->value();
    Option.Ssh = TrimBlanks(edtSsh->text());
    Option.RemoteProgram = TrimBlanks(edtRemoteProgram->text());
    accept();
}

QLineEdit* TfrmOption::ProgramBoxOf(QLabel* label) const {
    if (label == lblApp1Path)
        return edtApp1Path;
    if (label == lblApp2Path)
        return edtApp2Path;
    if (label == lblAppCmpPath)
        return edtAppCmpPath;
    return nullptr;
}

void TfrmOption::lblAppPathClick(QLabel* label) {
    QLineEdit* box = ProgramBoxOf(label);
    if (box == nullptr)
        return;
    // Start where the current program lies, when there is one.
    QString start = QFileInfo(box->text()).absolutePath();
    if (box->text().isEmpty() || !QDir(start).exists())
        start = QDir::homePath();
    QFileDialog OpenDialog(this, QStringLiteral("開く"), start, QStringLiteral("プログラム (*)"));
    OpenDialog.setObjectName(QStringLiteral("OpenDialog"));
    OpenDialog.setFileMode(QFileDialog::ExistingFile);
    // Qt's own dialog, which lists executable files first.
    OpenDialog.setOption(QFileDialog::DontUseNativeDialog);
    OpenDialog.setProxyModel(new TExecutablesFirst(&OpenDialog));
    // The whole text is replaced, the comparison template's tokens included.
    if (OpenDialog.exec() == QDialog::Accepted && !OpenDialog.selectedFiles().isEmpty())
        box->setText(OpenDialog.selectedFiles().first());
    box->setFocus();
}

void TfrmOption::lblAppPathMouseEnter(QLabel* label) {
    // The hover look of the main window's path labels: blue and underlined.
    QFont underlined = font();
    underlined.setUnderline(true);
    label->setFont(underlined);
    QPalette blue = label->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label->setPalette(blue);
}

void TfrmOption::lblAppPathMouseLeave(QLabel* label) {
    label->setFont(QFont());
    label->setPalette(QPalette());
}

bool TfrmOption::eventFilter(QObject* watched, QEvent* event) {
    auto* label = qobject_cast<QLabel*>(watched);
    if (label == nullptr || ProgramBoxOf(label) == nullptr)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::Enter:
            lblAppPathMouseEnter(label);
            break;
        case QEvent::Leave:
            lblAppPathMouseLeave(label);
            break;
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                label->rect().contains(mouse->position().toPoint())) {
                lblAppPathClick(label);
                return true;
            }
            break;
        }
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

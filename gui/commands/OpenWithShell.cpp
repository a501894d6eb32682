#include "OpenWithShell.h"

#include <QGuiApplication>

#include "ShowMessageBox.h"

namespace {

// Shows the wait cursor while the starter works, then reports its outcome.
template <typename Start>
bool RunWithShell(QWidget* owner, Start start) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const TShellResult result = start();
    QGuiApplication::restoreOverrideCursor();
    if (result == TShellResult::Success)
        return false;
    ShowMessageBox(owner, QMessageBox::Warning, ShellErrorText(result));
    return true;
}

}  // namespace

QString ShellErrorText(TShellResult code) {
    QString text = QStringLiteral("エラーが発生しました\r\n");
    switch (code) {
        case TShellResult::OutOfResources:
            text += QStringLiteral("システムに､ メモリまたはリソースが足りません");
            break;
        case TShellResult::FileNotFound:
            text += QStringLiteral("指定されたファイルが見つかりませんでした");
            break;
        case TShellResult::PathNotFound:
            text += QStringLiteral("指定されたパスが見つかりませんでした");
            break;
        case TShellResult::BadFormat:
            text += QStringLiteral(
                ".EXEファイルが無効です (Win32 .EXEではないか､ .EXEイメージ内のエラーです)");
            break;
        case TShellResult::NoAssociation:
            text += QStringLiteral(
                "指定されたファイル名の拡張子には､ アプリケーションが関連付けられていません");
            break;
        case TShellResult::AccessDenied:
        case TShellResult::Success:
            break;
    }
    return text;
}

bool OpenWithShell(QWidget* owner, IShellStarter& shell, const QString& file) {
    return RunWithShell(owner, [&] { return shell.OpenDocument(file); });
}

bool StartWithShell(QWidget* owner, IShellStarter& shell, const QString& program,
                    const QStringList& arguments) {
    return RunWithShell(owner, [&] { return shell.StartProgram(program, arguments); });
}

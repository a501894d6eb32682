#include "CommandLine.h"

#include <QAction>

#include "TCompare.h"
#include "commands/ShowMessageBox.h"
#include "window/TPathBox.h"
#include "window/TfrmMain.h"

namespace {

const QString EndOfOptions = QStringLiteral("--");

bool IsOption(const QString& argument) {
    return argument.size() > 1 && argument.startsWith(QLatin1Char('-'));
}

}  // namespace

TCommandLine ParseCommandLine(const QStringList& arguments) {
    TCommandLine line;
    bool options = true;
    for (const QString& argument : arguments) {
        if (options && argument == EndOfOptions) {
            options = false;
        } else if (options &&
                   (argument == QLatin1String("--help") || argument == QLatin1String("-h"))) {
            // The usage is asked for: what else the line holds does not matter.
            TCommandLine usage;
            usage.Kind = TCommandLine::TKind::Usage;
            return usage;
        } else if (options && argument == QLatin1String("--version")) {
            line.Kind = TCommandLine::TKind::Version;
        } else if (options && IsOption(argument)) {
            if (line.Unknown.isEmpty())
                line.Unknown = argument;
        } else {
            line.Folders << argument;
        }
    }
    if (!line.Unknown.isEmpty()) {
        line.Kind = TCommandLine::TKind::Refused;
        line.Message = QStringLiteral(
                           "Tandril: 不明なオプションです: %1\n"
                           "使い方は Tandril --help で表示します\n")
                           .arg(line.Unknown);
    }
    return line;
}

bool MayBeToolkitOption(const QString& argument) {
    // Qt's options, as its application objects and the X11 platform read
    // them; Qt takes each with one or two leading "-", and a value after "=".
    static const QStringList names = {
        QStringLiteral("platform"),
        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),
        QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"),
        QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"),
        QStringLiteral("reverse"),
        QStringLiteral("session"),
        QStringLiteral("display"),
        QStringLiteral("geometry"),
        QStringLiteral("name"),
        QStringLiteral("title"),
        QStringLiteral("visual"),
        QStringLiteral("cmap"),
        QStringLiteral("sync"),
        QStringLiteral("nograb"),
        QStringLiteral("dograb"),
        QStringLiteral("style"),
        QStringLiteral("stylesheet"),
        QStringLiteral("widgetcount"),
        QStringLiteral("qmljsdebugger"),
        QStringLiteral("dialogs"),
        QStringLiteral("fontengine"),
    };
    QString name = argument;
    if (name.startsWith(EndOfOptions))
        name.remove(0, 1);
    if (!name.startsWith(QLatin1Char('-')))
        return false;
    name = name.mid(1).section(QLatin1Char('='), 0, 0);
    return names.contains(name);
}

QString UsageText(const QString& programName) {
    return QStringLiteral(
               "使い方: %1 [オプション] [比較元フォルダ [比較先フォルダ]]\n"
               "\n"
               "フォルダ内比較ツール「Tandril」のウィンドウを開きます.\n"
               "  フォルダを２つ指定すると、比較元と比較先のパスに入れて比較を開始します.\n"
               "  フォルダを１つ指定すると、比較元のパスに入れます.\n"
               "  指定しなければ、前回閉じたときのパスで開きます.\n"
               "\n"
               "オプション:\n"
               "  -h, --help   この使い方を表示して終了します\n"
               "  --version    バージョンを表示して終了します\n"
               "  --           これより後の引数はすべてフォルダとして扱います\n"
               "               (名前が - で始まるフォルダを指定するとき)\n"
               "\n"
               "終了コード:\n"
               "    0  ウィンドウを閉じました / 使い方かバージョンを表示しました\n"
               "    2  不明なオプションが指定されました\n"
               "\n"
               "例) %1 /home/hoge /mnt/hoe\n")
        .arg(programName);
}

void OpenCommandLineFolders(TfrmMain& frm, const QStringList& folders) {
    if (folders.size() > 2) {
        ShowMessageBox(&frm, QMessageBox::Warning,
                       QStringLiteral("フォルダは２つまでしか指定できません (%1 個指定されました)")
                           .arg(folders.size()));
        return;
    }
    for (int i = 0; i < folders.size(); ++i) {
        TPathBox* box = frm.PathBox(i == 0 ? TSide::M : TSide::S);
        box->setEditText(folders.at(i));
        box->AddHistory(folders.at(i));
    }
    if (folders.size() == 2) {
        frm.Actions().mnFileComp->trigger();
    } else if (folders.size() == 1) {
        // The comparison's own check of the source gives the message.
        const std::string source = frm.PathBox(TSide::M)->currentText().toStdString();
        const TPathCheck check = CheckFolders(source, source);
        if (check.Status == CompareStatus::BadPathM)
            ShowMessageBox(&frm, QMessageBox::Warning, QString::fromUtf8(check.Message));
    }
}

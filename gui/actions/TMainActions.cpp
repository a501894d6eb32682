#include "TMainActions.h"

#include <QAction>
#include <QKeySequence>

namespace {

using Member = QAction* TMainActions::*;

struct ActionSpec {
    Member Field;
    const char* Name;
    const char* Caption;
    const char* Hint;  // "" for none
    QKeyCombination Shortcut;
    bool Toggle;
};

constexpr QKeyCombination None{};
constexpr QKeyCombination Ctrl(Qt::Key key) {
    return Qt::CTRL | key;
}

#define ACTION(name, caption, hint, shortcut, toggle) \
    { &TMainActions::name, #name, caption, hint, shortcut, toggle }

// Captions, hints and shortcuts of every action, in the order of TMainActions.
const ActionSpec Specs[] = {
    ACTION(mnFileNew, "新規(&N)", "新規", Ctrl(Qt::Key_N), false),
    ACTION(mnFileOpenM, "比較元を開く...", "比較元を開く|比較元のフォルダを指定", None, false),
    ACTION(mnFileOpenS, "比較先を開く...", "比較先を開く|比較先のフォルダを指定", None, false),
    ACTION(mnFileExpCsv, "比較結果を全てエクスポート(&C)...", "比較結果を全てエクスポート", None,
           false),
    ACTION(mnFileExpCsvSame, "比較結果を等価のみエクスポート...", "比較結果を等価のみエクスポート",
           None, false),
    ACTION(mnFileExpCsvDiff, "比較結果を相違のみエクスポート...", "比較結果を相違のみエクスポート",
           None, false),
    ACTION(mnFileSnapshot, "スナップショットを保存(&N)...",
           "スナップショットを保存|比較元のフォルダの状態を mtree 形式のファイルに保存", None,
           false),
    ACTION(mnFileComp, "比較開始(&R)", "比較開始", Ctrl(Qt::Key_R), false),
    ACTION(mnFileCompStop, "比較中断(&B)", "比較中断", Ctrl(Qt::Key_B), false),
    ACTION(mnFileExit, "終了(&X)", "終了|アプリケーションを終了する", None, false),

    ACTION(mnEditCopyRow, "カーソル行を全てコピー(&C)",
           "カーソル行をコピー|カーソル行をクリップボードにコピー", Qt::CTRL | Qt::ALT | Qt::Key_C,
           false),
    ACTION(mnEditCopyM, "比較元ファイル名をコピー(&M)", "比較元ファイル名をコピー", None, false),
    ACTION(mnEditCopyS, "比較先ファイル名をコピー(&S)", "比較先ファイル名をコピー", None, false),
    ACTION(mnPopUpCopyToS, "コピー1 : 比較元 → 比較先", "", None, false),
    ACTION(mnPopUpCopyToM, "コピー2 : 比較元 ← 比較先", "", None, false),
    ACTION(mnEditOpenM, "比較元ファイルを開く",
           "比較元ファイルを関連づけられたアプリケーションで開く", None, false),
    ACTION(mnEditOpenS, "比較先ファイルを開く",
           "比較先ファイルを関連づけられたアプリケーションで開く", None, false),
    // "\tEnter" shows the grid's own key in the menus: Enter belongs to the
    // grid (and follows the options' choice), not to the whole window.
    ACTION(mnEditCompare, "内容を比較(&V)\tEnter",
           "内容を比較|カーソル行の 2 つのファイルを並べて比較", None, false),
    ACTION(mnPopUpApp, "", "", None, false),
    ACTION(mnPopUpApp1M, "比較元ファイルをApp1で開く", "", None, false),
    ACTION(mnPopUpApp1S, "比較先ファイルをApp1で開く", "", None, false),
    ACTION(mnPopUpApp2M, "比較元ファイルをApp2で開く", "", None, false),
    ACTION(mnPopUpApp2S, "比較先ファイルをApp2で開く", "", None, false),
    ACTION(mnPopUpAppCmp, "(比較アプリ起動)", "", None, false),

    ACTION(mnViewTBarMain, "標準(&S)", "標準バー", None, true),
    ACTION(mnViewTBarOption, "オプション(&O)", "オプションバー", None, true),
    ACTION(mnViewFront, "手前に表示", "ウィンドウを常に手前に表示", Ctrl(Qt::Key_W), true),
    ACTION(mnViewEndInfo, "比較終了時にダイアログを表示", "比較処理の終了時にダイアログを表示",
           Ctrl(Qt::Key_I), true),
    ACTION(mnViewSame, "等価ファイルを非表示(&S)", "等価ファイルを非表示", None, true),
    ACTION(mnViewDiff, "相違ファイルを非表示(&D)", "相違ファイルを非表示", None, true),

    ACTION(mnOptSize, "サイズを無視(&Z)", "サイズを無視", None, true),
    ACTION(mnOptAttr, "属性は全て無視(&L)", "属性は全て無視", None, true),
    ACTION(mnOptAttrR, "属性[読み取り専用]を無視(&R)", "属性[読み取り専用]を無視", None, true),
    ACTION(mnOptAttrH, "属性[隠しファイル]を無視(&H)", "属性[隠しファイル]を無視", None, true),
    ACTION(mnOptAttrS, "属性[システム]を無視(&S)", "属性[システム]を無視", None, true),
    ACTION(mnOptAttrA, "属性[アーカイブ]を無視(&A)", "属性[アーカイブ]を無視", None, true),
    ACTION(mnOptUpdYmdt, "更新日時を無視(&U)", "更新日時を無視", None, true),
    ACTION(mnOptUpdYmdtDir, "フォルダのみ更新日時とサイズを無視(&F)",
           "フォルダのみ更新日時とサイズを無視", None, true),
    ACTION(mnOptNaiyou, "ファイルの中身は比較しない(&X)", "ファイルの中身は比較しない", None, true),
    ACTION(mnOptKaigyou, "改行コードと行末の空白の違いを無視(&K)",
           "改行コードと行末の空白の違いを無視|改行コードと行末の空白だけが違うテキストファイルを"
           "等価 (改行・空白) とします",
           None, true),
    ACTION(mnOptIdou, "移動したファイルを検出(&M)",
           "移動したファイルを検出|片方にだけあるファイルのうち、同じ内容のファイルが相手側の"
           "片方にだけちょうど 1 つあるものを 1 行にまとめます (相違: 移動)",
           None, true),
    ACTION(mnOptJisa, "時間単位の時刻のずれを無視(&J)",
           "時間単位の時刻のずれを無視|更新日時がちょうど 1 時間 (設定ファイルの JisaH 時間まで) "
           "ずれているものを同じとみなします",
           None, true),
    ACTION(mnOptKyoyou, "更新日時の小さな差を無視(&T)",
           "更新日時の小さな差を無視|更新日時の差が 2 秒 (設定ファイルの KyoyouS 秒) 以内なら"
           "同じとみなします",
           None, true),
    ACTION(mnOptDaishou, "名前の大文字と小文字を区別(&C)",
           "名前の大文字と小文字を区別|名前の大文字と小文字を区別して対応付けます (除外パターンも)",
           None, true),
    ACTION(mnOptExclude, "除外するパターン(&P)...",
           "除外するパターン|比較しないファイルとフォルダのパターンを指定", None, false),
    ACTION(mnOptApp, "外部アプリケーション(&E)...", "外部アプリケーションを定義", None, false),

    ACTION(mnHelpContents, "目次(&C)", "ヘルプの目次", QKeyCombination(Qt::Key_F1), false),
    ACTION(mnHelpVersionInfo, "バージョン情報(&V)", "バージョン情報", None, false),
    ACTION(mnHelpGoUrl_Dev, "作者のホームページ", "作者のホームページに移動", None, false),
    ACTION(mnHelpGoUrl_New, "最新版の公開先", "最新版の公開先に移動", None, false),
};

#undef ACTION

}  // namespace

void TMainActions::CreateActions(QObject* owner) {
    for (const ActionSpec& spec : Specs) {
        auto* action = new QAction(QString::fromUtf8(spec.Caption), owner);
        action->setObjectName(QString::fromLatin1(spec.Name));
        const QString hint = QString::fromUtf8(spec.Hint);
        if (!hint.isEmpty()) {
            action->setToolTip(hint.section(QLatin1Char('|'), 0, 0));
            action->setStatusTip(hint);
        }
        if (spec.Shortcut != None)
            action->setShortcut(QKeySequence(spec.Shortcut));
        action->setCheckable(spec.Toggle);
        this->*spec.Field = action;
    }
    mnPopUpApp->setSeparator(true);
    mnFileCompStop->setEnabled(false);
    for (QAction* hide : {mnViewSame, mnViewDiff}) {
        hide->setEnabled(false);
        hide->setChecked(true);
    }
}

QList<QAction*> TMainActions::AllActions() const {
    QList<QAction*> all;
    for (const ActionSpec& spec : Specs)
        all.append(this->*spec.Field);
    return all;
}

#include "UsageText.h"

namespace {

const char* const kOpening =
    "                                  Copyright (C) Tandril Project\r\n"
    "                                      URL : https://tandril.example.org/\r\n"
    " \r\n"
    "フォルダ比較ユーティリティ「Tandril」は、２つのフォルダ間でファイルの\r\n"
    "存在チェックや内容の比較を行うフリーソフトウェアです.\r\n"
    "\r\n";

const char* const kRemainder =
    " [/file] [/fromdir] [/todir] [/format] [/[no]Header] [/[no]Comment] [/[no]Appendix]\r\n"
    " \r\n"
    "  /file     [ファイル名]      比較結果の出力ファイル名\r\n"
    "  /fromdir  [比較元フォルダ]  比較元フォルダのパス\r\n"
    "  /todir    [比較先フォルダ]  比較先フォルダのパス\r\n"
    "  /format   [出力形式] (*)    出力ファイルのフォーマット\r\n"
    "                               csv = カンマ区切り(CSV)\r\n"
    "                               tsv = Tab区切り\r\n"
    "                               txt = スペース区切り\r\n"
    "  /[no]Header          (*)    ヘッダー文字列(項目名)の出力\r\n"
    "                              [no] を付けると出力しません\r\n"
    "  /[no]Comment         (*)    文言の出力(件数等)\r\n"
    "                              [no] を付けると出力しません\r\n"
    "  /[no]Appendix        (*)    詳細な情報の出力\r\n"
    "                              [no] を付けると出力しません\r\n"
    " \r\n"
    "(*) デフォルトは /format csv /Header /Comment /noAppendix です\r\n"
    "   /noHeader と /noComment を同時に指定すると、比較結果の明細だけ出力されます\r\n"
    " \r\n"
    "例) TandrilB /file /tmp/compare.log /fromdir /home/hoge /todir /mnt/hoe\r\n"
    "     比較元: /home/hoge  比較先: /mnt/hoe  エクスポートファイル=/tmp/compare.log\r\n"
    " \r\n"
    "  /encoding [文字コード]       出力ファイルの文字コード (デフォルトは sjis)\r\n"
    "                               sjis = Shift_JIS (CP932)\r\n"
    "                               utf8 = UTF-8\r\n"
    "  /file -                      比較結果を標準出力に出力します\r\n"
    "                               (件数とメッセージは標準エラー出力へ)\r\n"
    "  /file に FIFO やパイプを指定すると、読み手が開くのを待って出力します\r\n"
    " \r\n"
    "終了コード:\r\n"
    "    0  正常に処理が完了しました\r\n"
    "    1  使い方を表示しました / 出力ファイルのオープンに失敗しました\r\n"
    "    2  比較元または比較先のパスが不正です\r\n"
    "    3  比較処理が中断されました\r\n"
    "    4  出力ファイルの書き込みに失敗しました (パイプの読み手の終了を含む)\r\n"
    "  255  出力ファイルが指定されていません / 比較処理中にエラーが発生しました\r\n"
    "  254  比較元のパスが指定されていません\r\n"
    "  253  比較先のパスが指定されていません\r\n"
    "  252  書式が不正です\r\n"
    "  251  文字コードが不正です\r\n";

}  // namespace

std::string UsageText(const std::string& programName) {
    return kOpening + programName + kRemainder;
}

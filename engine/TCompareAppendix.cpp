// The column names and appendix fields of TCompare.
#include <charconv>

#include "RowText.h"
#include "TCompare.h"

std::string TCompare::HeaderText() {
    return "比較元ファイル,フォルダ,比較先ファイル,フォルダ,比較結果,比較元番号,比較先番号";
}

std::string TCompare::AppendixHeaderText() {
    return HeaderText() +
           ",(比較元)サイズ,(比較元)属性,(比較元)更新日時,(比較元)作成日時,(比較元)アクセス日,"
           "(比較元)パス,(比較先)サイズ,(比較先)属性,(比較先)更新日時,(比較先)作成日時,"
           "(比較先)アクセス日,(比較先)パス";
}

static void AddEntryFields(std::vector<std::string>& list, const TSearchRecEx* entry) {
    if (!entry) {
        list.insert(list.end(), 6, std::string());
        return;
    }
    list.push_back(std::to_string(entry->Size));
    list.push_back(AttributeText(entry->Attr));
    list.push_back(FormatDateTime(TimeToDateTime(entry->Time), TDateFormat::LongDateTime));
    list.push_back(FormatDateTime(FileTimeToDateTime(entry->FindData.CreationTime),
                                  TDateFormat::LongDateTime));
    list.push_back(
        FormatDateTime(FileTimeToDateTime(entry->FindData.LastAccessTime), TDateFormat::LongDate));
    list.push_back(entry->FullPath());
}

void TCompare::AddAppendix(std::vector<std::string>& list, const TSearchRecEx* m,
                           const TSearchRecEx* s) {
    AddEntryFields(list, m);
    AddEntryFields(list, s);
}

#include "TReportWriter.h"

#include "RowText.h"

const std::vector<std::string>& ReportColumnNames(bool appendix) {
    static const std::vector<std::string> row = {"比較元ファイル", "フォルダ", "比較先ファイル",
                                                 "フォルダ",       "比較結果", "比較元番号",
                                                 "比較先番号"};
    static const std::vector<std::string> withAppendix = [] {
        std::vector<std::string> names = row;
        for (const char* side : {"(比較元)", "(比較先)"}) {
            for (const char* field :
                 {"サイズ", "属性", "更新日時", "作成日時", "アクセス日", "パス"})
                names.push_back(std::string(side) + field);
        }
        return names;
    }();
    return appendix ? withAppendix : row;
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

void AddAppendix(std::vector<std::string>& list, const TSearchRecEx* m, const TSearchRecEx* s) {
    AddEntryFields(list, m);
    AddEntryFields(list, s);
}

std::string TReportWriter::FieldsLine(const std::vector<std::string>& fields) const {
    return RowLine(fields, Delimiter, '"');
}

void TReportWriter::WriteText(const std::string& text) {
    // After a failure the file drops every further write; Close reports it.
    File.Write(platform::EncodeText(text, Encoding));
    File.Write("\r\n");
}

void TReportWriter::WriteHeader() {
    WriteText(FieldsLine(ReportColumnNames(Appendix)));
}

void TReportWriter::WriteRow(const TResultRow& row, const TSearchRecEx* m, const TSearchRecEx* s) {
    std::vector<std::string> fields = row.Strings();
    if (Appendix)
        AddAppendix(fields, m, s);
    WriteText(FieldsLine(fields));
}

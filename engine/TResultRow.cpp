#include "TResultRow.h"

#include <charconv>

namespace {

const std::string EmptyText;

void AppendName(const TSearchRecEx* entry, std::string& out) {
    if (!entry)
        return;
    out.append(entry->Name);
    if (entry->IsFolder())
        out.push_back('/');
}

void AppendFolder(const TSearchRecEx* entry, std::string& out) {
    if (!entry)
        return;
    out.append(entry->RelDir());
    out.push_back('/');
}

void AppendIndex(const TSearchRecEx* entry, std::string& out) {
    if (!entry)
        return;
    char digits[16];
    auto end =
        std::to_chars(digits, digits + sizeof digits, entry->Index.load(std::memory_order_relaxed))
            .ptr;
    out.append(digits, end);
}

}  // namespace

void TResultRow::AppendColumn(int column, std::string& out) const {
    switch (column) {
        case 0:
            AppendName(m_, out);
            break;
        case 1:
            AppendFolder(m_, out);
            break;
        case 2:
            AppendName(s_, out);
            break;
        case 3:
            AppendFolder(s_, out);
            break;
        case 4:
            out.append(Result());
            break;
        case 5:
            AppendIndex(m_, out);
            break;
        case 6:
            AppendIndex(s_, out);
            break;
        default:
            break;
    }
}

std::string TResultRow::operator[](int column) const {
    std::string text;
    AppendColumn(column, text);
    return text;
}

std::vector<std::string> TResultRow::Strings() const {
    std::vector<std::string> list;
    list.reserve(ColumnCount);
    for (int i = 0; i < ColumnCount; ++i)
        list.push_back((*this)[i]);
    return list;
}

const std::string& TResultRow::Result() const {
    return result_ ? result_->Text : EmptyText;
}

#include "ReportRecords.h"

#include <stdexcept>

std::vector<std::vector<std::string>> ReadRecords(const std::string& text, char delimiter) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record(1);
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c != '"') {
                record.back().push_back(c);
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                record.back().push_back('"');
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == delimiter) {
            record.emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.push_back(std::move(record));
            record.assign(1, "");
            ++i;
        } else {
            record.back().push_back(c);
        }
    }
    if (quoted)
        throw std::runtime_error("a quote is never closed");
    if (record.size() > 1 || !record[0].empty())
        records.push_back(std::move(record));
    return records;
}

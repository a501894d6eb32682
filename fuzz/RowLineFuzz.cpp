// RowLine over arbitrary fields and delimiters: a line read back by the CSV
// rule (fields split at delimiters outside quotes, a quoted field with its
// quotes doubled) gives exactly the fields that were written, and
// AppendRowField builds the same line field by field.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "RowText.h"

namespace {

constexpr char Quote = '"';

// The fields of one line, or nothing when the line is not well formed.
std::optional<std::vector<std::string>> ReadLine(const std::string& line, char delimiter) {
    std::vector<std::string> fields(1);
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == delimiter) {
            fields.emplace_back();
            ++i;
            continue;
        }
        if (line[i] != Quote || !fields.back().empty()) {
            fields.back().push_back(line[i++]);
            continue;
        }
        // A quoted field runs to its closing quote; "" inside stands for one quote.
        ++i;
        while (true) {
            if (i >= line.size())
                return std::nullopt;
            if (line[i] == Quote) {
                if (i + 1 < line.size() && line[i + 1] == Quote) {
                    fields.back().push_back(Quote);
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            fields.back().push_back(line[i++]);
        }
        if (i < line.size() && line[i] != delimiter)
            return std::nullopt;
    }
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    // Any delimiter but the quote itself, which would make the line ambiguous.
    char delimiter = static_cast<char>(input.ConsumeIntegral<uint8_t>());
    if (delimiter == Quote)
        delimiter = ',';
    std::vector<std::string> fields;
    while (input.remaining_bytes() > 0 && fields.size() < 64)
        fields.push_back(input.ConsumeRandomLengthString(256));
    if (fields.empty())
        return 0;

    std::string line = RowLine(fields, delimiter, Quote);

    // An empty string and a quote-free field of bytes above the blank need no quotes.
    auto read = ReadLine(line, delimiter);
    FUZZ_CHECK(read.has_value());
    FUZZ_CHECK(*read == fields);

    std::string built;
    if (fields.size() == 1 && fields[0].empty()) {
        built = "\"\"";
    } else {
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i > 0)
                built.push_back(delimiter);
            AppendRowField(built, fields[i], delimiter, Quote);
        }
    }
    FUZZ_CHECK(built == line);
    return 0;
}

#include "HostileSupport.h"

#include <vector>

std::string PairText(const std::string& nameM, const std::string& dirM, const std::string& nameS,
                     const std::string& dirS, const std::string& result) {
    return nameM + " " + dirM + " | " + nameS + " " + dirS + " | " + result;
}

std::multiset<std::string> RowTexts(const TRecorder& recorder) {
    std::multiset<std::string> rows;
    for (const auto& row : recorder.Rows)
        rows.insert(PairText(row[0], row[1], row[2], row[3], row[4]));
    return rows;
}

static bool Complete(const TRecorder& recorder, int column, size_t count) {
    std::vector<int> seen(count, 0);
    for (const auto& row : recorder.Rows) {
        if (row[column].empty())
            continue;
        size_t n = std::stoul(row[column]);
        if (n >= count || seen[n]++ > 0)
            return false;
    }
    for (int s : seen)
        if (s != 1)
            return false;
    return true;
}

bool NumbersAreComplete(const TRecorder& recorder, size_t countM, size_t countS) {
    return Complete(recorder, 5, countM) && Complete(recorder, 6, countS);
}

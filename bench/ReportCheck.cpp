#include "ReportCheck.h"

#include <unicode/ucnv.h>

#include <charconv>
#include <map>

namespace {

const std::string HeaderText =
    "比較元ファイル,フォルダ,比較先ファイル,フォルダ,比較結果,比較元番号,比較先番号";
const std::string Equal = "等価";
const std::string NoSource = "比較元無し";
const std::string NoTarget = "比較先無し";
const std::string ContentsDiffer = "相違: 内容が不一致";

// Keeps a long list of problems readable: the first ones in full, then a count.
class TProblems {
public:
    void Add(std::string text) {
        if (list_.size() < Shown)
            list_.push_back(std::move(text));
        ++count_;
    }
    std::vector<std::string> Take() {
        if (count_ > list_.size())
            list_.push_back("... and " + std::to_string(count_ - list_.size()) + " more");
        return std::move(list_);
    }

private:
    static constexpr size_t Shown = 20;
    std::vector<std::string> list_;
    size_t count_ = 0;
};

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = text.find("\r\n");
        if (end == std::string_view::npos) {
            lines.push_back(text);
            break;
        }
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 2);
    }
    return lines;
}

// The number in a summary line such as "比較回数 :   123 件"; -1 when the line
// does not have that form.
int64_t SummaryCount(std::string_view line, std::string_view label) {
    const std::string_view unit = " 件";
    if (line.substr(0, label.size()) != label || line.size() < label.size() + unit.size() ||
        line.substr(line.size() - unit.size()) != unit)
        return -1;
    std::string_view digits = line.substr(label.size(), line.size() - label.size() - unit.size());
    while (!digits.empty() && digits.front() == ' ')
        digits.remove_prefix(1);
    int64_t value = -1;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return ec == std::errc() && end == digits.data() + digits.size() ? value : -1;
}

// "sub/dir/" + "name" for a row's name and folder columns; "/" is the root.
std::string RowPath(const std::string& name, const std::string& folder) {
    return (folder == "/" ? std::string() : folder) + name;
}

// The path of "Only in <root>/<sub>: <name>" (rest is what follows "Only in "),
// added to `side` when the line names that root.
bool AddOnlyIn(std::string_view rest, const std::string& root, std::set<std::string>& side) {
    size_t colon = rest.find(": ");
    if (colon == std::string_view::npos || !rest.starts_with(root))
        return false;
    std::string_view sub = rest.substr(root.size(), colon - root.size());
    if (!sub.empty() && sub.front() != '/')
        return false;
    std::string path = sub.empty() ? "" : std::string(sub.substr(1)) + "/";
    side.insert(path + std::string(rest.substr(colon + 2)));
    return true;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
    // A CP932 byte never becomes more than three bytes of UTF-8.
    std::string out(cp932.size() * 3 + 1, '\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t length =
        ucnv_convert("UTF-8", "windows-31j", out.data(), static_cast<int32_t>(out.size()),
                     cp932.data(), static_cast<int32_t>(cp932.size()), &status);
    if (U_FAILURE(status))
        return std::string(cp932);
    out.resize(static_cast<size_t>(length));
    return out;
}

std::vector<std::string> SplitRowLine(std::string_view line, char delimiter) {
    std::vector<std::string> columns;
    size_t i = 0;
    while (true) {
        std::string column;
        if (i < line.size() && line[i] == '"') {
            for (++i; i < line.size(); ++i) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        column += '"';
                        ++i;
                    } else {
                        ++i;
                        break;
                    }
                } else {
                    column += line[i];
                }
            }
        }
        size_t end = line.find(delimiter, i);
        column.append(line.substr(i, end == std::string_view::npos ? end : end - i));
        columns.push_back(std::move(column));
        if (end == std::string_view::npos)
            break;
        i = end + 1;
    }
    return columns;
}

TReport ParseReport(std::string_view bytes) {
    TReport report;
    const std::string text =
        bytes.find(HeaderText) != std::string_view::npos ? std::string(bytes) : Cp932ToUtf8(bytes);
    std::vector<std::string_view> lines = SplitLines(text);
    size_t i = 0;
    while (i < lines.size() && lines[i] != HeaderText)
        ++i;
    if (i == lines.size()) {
        report.Error = "no column-name line";
        return report;
    }
    for (++i; i < lines.size() && lines[i] != "--"; ++i)
        report.Rows.push_back(SplitRowLine(lines[i], ','));
    if (i + 3 < lines.size()) {
        report.SummaryRows = SummaryCount(lines[i + 1], "比較回数 :");
        report.SummaryEqual = SummaryCount(lines[i + 2], "等価     :");
        report.SummaryDifferent = SummaryCount(lines[i + 3], "相違     :");
    }
    report.Completed = i + 5 < lines.size() && lines[i + 5] == "正常に処理が完了しました";
    return report;
}

std::vector<std::string> CheckReport(const TReport& report, const TManifest& m) {
    TProblems problems;
    if (!report.Error.empty()) {
        problems.Add("the report is unreadable: " + report.Error);
        return problems.Take();
    }
    // Expected result by path; files renamed in case pair up as equal.
    std::map<std::string, std::string> expectM, expectS;
    for (const auto& p : m.Changed)
        expectM[p] = ContentsDiffer;
    for (const auto& p : m.Deleted)
        expectM[p] = NoTarget;
    for (const auto& p : m.Added)
        expectS[p] = NoSource;
    std::map<std::string, std::string> renamed(m.Renamed.begin(), m.Renamed.end());
    std::set<std::string> seenM, seenS;

    int64_t equal = 0, nextM = 0, nextS = 0;
    for (size_t r = 0; r < report.Rows.size(); ++r) {
        const auto& row = report.Rows[r];
        const std::string where = "row " + std::to_string(r);
        if (row.size() != 7) {
            problems.Add(where + ": " + std::to_string(row.size()) + " columns instead of 7");
            continue;
        }
        const bool hasM = !row[0].empty(), hasS = !row[2].empty();
        const std::string pathM = RowPath(row[0], row[1]), pathS = RowPath(row[2], row[3]);
        std::string expected = Equal;
        if (hasM && hasS) {
            auto it = renamed.find(pathM);
            if (pathM != pathS && (it == renamed.end() || it->second != pathS))
                problems.Add(where + ": pairs A " + pathM + " with B " + pathS);
            if (auto e = expectM.find(pathM); e != expectM.end() && e->second == ContentsDiffer)
                expected = ContentsDiffer;
        } else if (hasM) {
            expected = expectM.count(pathM) ? NoTarget : "a pair";
        } else if (hasS) {
            expected = expectS.count(pathS) ? NoSource : "a pair";
        } else {
            problems.Add(where + ": no entry on either side");
        }
        if (row[4] != expected)
            problems.Add(where + " (" + (hasM ? pathM : pathS) + "): \"" + row[4] + "\" where " +
                         (expected == "a pair" ? expected : "\"" + expected + "\"") +
                         " was expected");
        if (row[4] == Equal)
            ++equal;
        if (hasM)
            seenM.insert(pathM);
        if (hasS)
            seenS.insert(pathS);

        // Entry numbers are positions in each side's sorted list, and rows walk
        // both lists in order: each side's numbers run 0, 1, 2, ...
        if (row[5] != (hasM ? std::to_string(nextM) : ""))
            problems.Add(where + ": source number \"" + row[5] + "\" where " +
                         (hasM ? std::to_string(nextM) : "none") + " was expected");
        if (row[6] != (hasS ? std::to_string(nextS) : ""))
            problems.Add(where + ": target number \"" + row[6] + "\" where " +
                         (hasS ? std::to_string(nextS) : "none") + " was expected");
        nextM += hasM;
        nextS += hasS;
    }
    for (const auto& [p, text] : expectM)
        if (!seenM.count(p))
            problems.Add(p + ": missing from the report (expected \"" + text + "\")");
    for (const auto& p : m.Added)
        if (!seenS.count(p))
            problems.Add(p + ": missing from the report (expected \"" + NoSource + "\")");
    for (const auto& [a, b] : m.Renamed)
        if (!seenM.count(a) || !seenS.count(b))
            problems.Add(a + " / " + b + ": renamed pair missing");

    const int64_t rows = static_cast<int64_t>(report.Rows.size());
    if (rows != m.ExpectedRows())
        problems.Add(std::to_string(rows) + " rows where " + std::to_string(m.ExpectedRows()) +
                     " were expected");
    if (nextM != m.FilesA + m.FoldersA || nextS != m.FilesB + m.FoldersB)
        problems.Add("rows name " + std::to_string(nextM) + " source and " + std::to_string(nextS) +
                     " target entries; the trees hold " + std::to_string(m.FilesA + m.FoldersA) +
                     " and " + std::to_string(m.FilesB + m.FoldersB));
    if (report.SummaryRows != rows || report.SummaryEqual != equal ||
        report.SummaryDifferent != rows - equal)
        problems.Add("summary counts " + std::to_string(report.SummaryRows) + "/" +
                     std::to_string(report.SummaryEqual) + "/" +
                     std::to_string(report.SummaryDifferent) + " where the rows give " +
                     std::to_string(rows) + "/" + std::to_string(equal) + "/" +
                     std::to_string(rows - equal));
    if (!report.Completed)
        problems.Add("the completion line is missing");
    return problems.Take();
}

std::vector<std::string> CheckMovedReport(const TReport& report, const TManifest& m) {
    const std::string Moved = "相違: 移動 ";
    TProblems problems;
    if (!report.Error.empty()) {
        problems.Add("the report is unreadable: " + report.Error);
        return problems.Take();
    }
    std::map<std::string, std::string> moved(m.Moved.begin(), m.Moved.end());
    std::set<std::string> newFolders;
    for (const auto& p : m.Added)
        if (p.ends_with('/'))
            newFolders.insert(p);
    int64_t equal = 0, movedRows = 0;
    for (size_t r = 0; r < report.Rows.size(); ++r) {
        const auto& row = report.Rows[r];
        if (row.size() != 7) {
            problems.Add("row " + std::to_string(r) + ": " + std::to_string(row.size()) +
                         " columns instead of 7");
            continue;
        }
        const std::string pathM = RowPath(row[0], row[1]), pathS = RowPath(row[2], row[3]);
        std::string expected = Equal;
        if (row[0].empty()) {
            expected = newFolders.count(pathS) ? NoSource : "a pair";
        } else if (auto it = moved.find(pathM); it != moved.end()) {
            expected =
                it->second == pathS ? Moved : "the row of " + it->first + " and " + it->second;
            movedRows += row[4] == Moved;
        } else if (pathM != pathS) {
            expected = "a pair of one path";
        }
        if (row[4] != expected)
            problems.Add("row " + std::to_string(r) + " (" + pathM + " / " + pathS + "): \"" +
                         row[4] + "\" where " + expected + " was expected");
        equal += row[4] == Equal;
    }
    const int64_t rows = static_cast<int64_t>(report.Rows.size());
    const int64_t expectedRows = m.ExpectedRows() - static_cast<int64_t>(m.Moved.size());
    if (movedRows != static_cast<int64_t>(m.Moved.size()))
        problems.Add(std::to_string(movedRows) + " moved rows where " +
                     std::to_string(m.Moved.size()) + " were expected");
    if (rows != expectedRows)
        problems.Add(std::to_string(rows) + " rows where " + std::to_string(expectedRows) +
                     " were expected");
    if (report.SummaryRows != rows || report.SummaryEqual != equal ||
        report.SummaryDifferent != rows - equal)
        problems.Add("summary counts do not fit the rows");
    return problems.Take();
}

TDiffList ParseDiffOutput(std::string_view output, const std::string& a, const std::string& b) {
    TDiffList list;
    const std::string files = "Files " + a + "/", only = "Only in ";
    const std::string middle = " and " + b + "/", differ = " differ";
    while (!output.empty()) {
        size_t end = output.find('\n');
        std::string_view line = output.substr(0, end);
        output.remove_prefix(end == std::string_view::npos ? output.size() : end + 1);
        if (line.starts_with(files) && line.ends_with(differ)) {
            std::string_view rest =
                line.substr(files.size(), line.size() - files.size() - differ.size());
            size_t mid = rest.find(middle);
            if (mid != std::string_view::npos &&
                rest.substr(0, mid) == rest.substr(mid + middle.size())) {
                list.Differ.emplace(rest.substr(0, mid));
                continue;
            }
        } else if (line.starts_with(only)) {
            std::string_view rest = line.substr(only.size());
            if (AddOnlyIn(rest, a, list.OnlyA) || AddOnlyIn(rest, b, list.OnlyB))
                continue;
        }
        list.Unknown.emplace_back(line);
    }
    return list;
}

std::vector<std::string> CheckDiffList(const TDiffList& list, const TManifest& m) {
    TProblems problems;
    std::set<std::string> differ(m.Changed.begin(), m.Changed.end());
    std::set<std::string> onlyA(m.Deleted.begin(), m.Deleted.end());
    std::set<std::string> onlyB(m.Added.begin(), m.Added.end());
    for (const auto& [a, b] : m.Renamed) {
        onlyA.insert(a);
        onlyB.insert(b);
    }
    auto compare = [&](const std::set<std::string>& got, const std::set<std::string>& want,
                       const std::string& what) {
        for (const auto& p : want)
            if (!got.count(p))
                problems.Add(p + ": not listed as " + what);
        for (const auto& p : got)
            if (!want.count(p))
                problems.Add(p + ": listed as " + what + " unexpectedly");
    };
    compare(list.Differ, differ, "differing");
    compare(list.OnlyA, onlyA, "only in A");
    compare(list.OnlyB, onlyB, "only in B");
    for (const auto& line : list.Unknown)
        problems.Add("unexpected line: " + line);
    return problems.Take();
}

#include "TBatchControl.h"

#include <charconv>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>

#include "BatchResult.h"
#include "ExcludeArguments.h"
#include "ProcessArguments.h"
#include "TEntrySource.h"
#include "TRemoteSource.h"
#include "UsageText.h"

namespace {

enum class OptionWord {
    None,
    Help,
    Silent,
    FromDir,
    ToDir,
    File,
    Format,
    Encoding,
    Version,
    DiffStatus,
    Exclude,
    ExcludeFrom,
    Moved,
    MovedMinSize,
    TimeShift,
    TimeTolerance,
    CaseSensitive,
    Snapshot,
    Digest,
    Compare,       // one of the comparison switches: kSwitches[switchIndex]
    NoCompare,     // the same with "no": that check is not made
    ReportPart,    // one of the report switches: kReportSwitches[switchIndex]
    NoReportPart,  // the same with "no": that part is left out
};

// The comparison switches, "/Size" and "/noSize" and so on: each turns one
// check of the engine on or off. The flags hold "ignore": "/noSize" sets it.
// A switch named after the flag itself ("/IgnoreLineEnds") sets it instead.
struct CompareSwitch {
    std::string_view name;
    bool TCompareOption::*flag;
    bool setByWord = false;
};
constexpr CompareSwitch kSwitches[] = {
    {"Size", &TCompareOption::IgnoreSize},
    {"Time", &TCompareOption::IgnoreTime},
    {"Attributes", &TCompareOption::IgnoreAttr},
    {"ReadOnly", &TCompareOption::IgnoreAttrR},
    {"Hidden", &TCompareOption::IgnoreAttrH},
    {"System", &TCompareOption::IgnoreAttrS},
    {"Archive", &TCompareOption::IgnoreAttrA},
    {"FolderTimes", &TCompareOption::IgnoreDirTimeSize},
    {"Contents", &TCompareOption::SkipContents},
    {"IgnoreLineEnds", &TCompareOption::IgnoreLineEnds, true},
};

// The report switches, "/Header" and "/noHeader" and so on: each puts one part
// of the report in or leaves it out. ParseCommandLine lists their flags in the
// same order.
constexpr std::string_view kReportSwitches[] = {"Header", "Comment", "Appendix"};

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// "/format" and "/encoding" values in any letter case; false, leaving the
// value as it was, for any other.
bool ParseFormat(std::string_view text, TBatchControl::TFormat& format) {
    using TFormat = TBatchControl::TFormat;
    for (auto [name, value] : {std::pair{"csv", TFormat::Csv}, std::pair{"tsv", TFormat::Tsv},
                               std::pair{"txt", TFormat::Txt}}) {
        if (EqualsIgnoreCase(text, name)) {
            format = value;
            return true;
        }
    }
    return false;
}

bool ParseEncoding(std::string_view text, platform::TTextEncoding& encoding) {
    if (EqualsIgnoreCase(text, "sjis"))
        encoding = platform::TTextEncoding::Cp932;
    else if (EqualsIgnoreCase(text, "utf8"))
        encoding = platform::TTextEncoding::Utf8;
    else
        return false;
    return true;
}

// The option word an argument names, written with "/", "-" or "--" in front
// and in any letter case. Anything else, even when it begins with "/" or "-",
// is a value: absolute paths begin with "/". For a comparison or report
// switch, switchIndex is set to its place in kSwitches or kReportSwitches.
OptionWord FindOptionWord(std::string_view argument, size_t& switchIndex) {
    std::string_view word;
    if (argument.starts_with("--")) {
        word = argument.substr(2);
    } else if (argument.starts_with("/") || argument.starts_with("-")) {
        word = argument.substr(1);
    } else {
        return OptionWord::None;
    }
    // Searched in this order; the first match acts.
    static constexpr struct {
        std::string_view name;
        OptionWord word;
    } kWords[] = {
        {"?", OptionWord::Help},
        {"help", OptionWord::Help},
        {"silent", OptionWord::Silent},
        {"fromdir", OptionWord::FromDir},
        {"todir", OptionWord::ToDir},
        {"file", OptionWord::File},
        {"format", OptionWord::Format},
        {"encoding", OptionWord::Encoding},
        {"version", OptionWord::Version},
        {"diffstatus", OptionWord::DiffStatus},
        {"exclude", OptionWord::Exclude},
        {"excludefrom", OptionWord::ExcludeFrom},
        {"moved", OptionWord::Moved},
        {"movedmin", OptionWord::MovedMinSize},
        {"timeshift", OptionWord::TimeShift},
        {"timetolerance", OptionWord::TimeTolerance},
        {"casesensitive", OptionWord::CaseSensitive},
        {"snapshot", OptionWord::Snapshot},
        {"digest", OptionWord::Digest},
    };
    for (const auto& entry : kWords) {
        if (EqualsIgnoreCase(word, entry.name))
            return entry.word;
    }
    const bool no = word.size() > 2 && EqualsIgnoreCase(word.substr(0, 2), "no");
    const std::string_view name = word.substr(no ? 2 : 0);
    for (switchIndex = 0; switchIndex < std::size(kReportSwitches); ++switchIndex) {
        if (EqualsIgnoreCase(name, kReportSwitches[switchIndex]))
            return no ? OptionWord::NoReportPart : OptionWord::ReportPart;
    }
    for (switchIndex = 0; switchIndex < std::size(kSwitches); ++switchIndex) {
        if (EqualsIgnoreCase(name, kSwitches[switchIndex].name))
            return no ? OptionWord::NoCompare : OptionWord::Compare;
    }
    return OptionWord::None;
}

// Removes leading and trailing control characters and spaces (0x01 to 0x20).
std::string Trim(const std::string& text) {
    auto blank = [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return byte >= 0x01 && byte <= 0x20;
    };
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// The whole number that text spells in decimal digits alone, when it lies
// from low to high.
bool ParseNumber(const std::string& text, int64_t low, int64_t high, int64_t& value) {
    const char* end = text.data() + text.size();
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        std::from_chars(text.data(), end, value).ptr != end)
        return false;
    return value >= low && value <= high;
}
constexpr const char* BadDigestText = "ダイジェストの種類が不正です \"/digest [sha256,xxh128]\"";

std::string FileNamePart(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

TBatchControl::TBatchControl() : Engine(std::make_unique<TCompare>(this)) {
    ResetSettings();
}

TBatchControl::~TBatchControl() {
    Report.reset();
    Engine.reset();
}

void TBatchControl::ResetSettings() {
    Message.clear();
    FileName.clear();
    Format = TFormat::Csv;
    FromDir.clear();
    ToDir.clear();
    Comment = true;
    Header = true;
    Appendix = false;
    Encoding = platform::TTextEncoding::Cp932;
    Console = stdout;
    Option = TCompareOption();
    DiffStatus = false;
    SnapshotFile.clear();
    SnapshotGiven = false;
    Digest = "sha256";
}

int TBatchControl::ParseCommandLine() {
    return ParseCommandLine(ProcessArguments());
}

int TBatchControl::ParseCommandLine(const std::vector<std::string>& arguments) {
    ResetSettings();

    std::string programName = arguments.empty() ? "" : FileNamePart(Trim(arguments[0]));

    // A value goes into every field whose mark is set; option words set marks
    // but never clear them.
    struct {
        bool Source = false, Target = false, File = false, Format = false, Encoding = false,
             Snapshot = false, Digest = false;
    } pending;
    // Whether the last "/format" and "/encoding" values were known ones: an
    // unknown one is reported only once the report file and both folders are.
    bool formatKnown = true, encodingKnown = true;
    bool help = false;
    bool gnuHelp = false;  // "--help" or "-h": the usage asked for, a success
    bool version = false;
    std::vector<TExcludeArgument> excludes;
    // The values of the numeric switches, checked once the others are sound;
    // null when not given.
    std::optional<std::string> movedMin, timeShift, timeTolerance;
    bool* const reportParts[std::size(kReportSwitches)] = {&Header, &Comment, &Appendix};

    for (size_t i = 1; i < arguments.size() && !help && !version; ++i) {
        std::string argument = Trim(arguments[i]);
        size_t switchIndex = 0;
        // "-h" asks for help as GNU programs take it; "/h" stays a value.
        const OptionWord word =
            argument == "-h" ? OptionWord::Help : FindOptionWord(argument, switchIndex);
        switch (word) {
            case OptionWord::None:
                if (pending.Source)
                    FromDir = argument;
                if (pending.Target)
                    ToDir = argument;
                if (pending.File)
                    FileName = argument;
                if (pending.Format)
                    formatKnown = ParseFormat(argument, Format);
                if (pending.Encoding)
                    encodingKnown = ParseEncoding(argument, Encoding);
                if (pending.Snapshot)
                    SnapshotFile = argument;
                if (pending.Digest)
                    Digest = argument;
                pending = {};
                break;
            case OptionWord::Help:
                help = true;
                gnuHelp = argument.starts_with("--") || argument == "-h";
                break;
            case OptionWord::Silent:
                break;
            case OptionWord::FromDir:
                pending.Source = true;
                break;
            case OptionWord::ToDir:
                pending.Target = true;
                break;
            case OptionWord::File:
                pending.File = true;
                break;
            case OptionWord::Format:
                pending.Format = true;
                break;
            case OptionWord::Encoding:
                pending.Encoding = true;
                break;
            case OptionWord::Version:
                version = true;
                break;
            case OptionWord::DiffStatus:
                DiffStatus = true;
                break;
            case OptionWord::Snapshot:
                SnapshotGiven = true;
                pending.Snapshot = true;
                break;
            case OptionWord::Digest:
                pending.Digest = true;
                break;
            case OptionWord::Exclude:
            case OptionWord::ExcludeFrom:
                // The next argument is the value whatever it looks like: a
                // pattern anchored at the top begins with "/".
                excludes.push_back({word == OptionWord::ExcludeFrom,
                                    i + 1 < arguments.size() ? Trim(arguments[++i]) : ""});
                break;
            case OptionWord::Moved:
                Option.DetectMoved = true;
                break;
            case OptionWord::CaseSensitive:
                Option.CaseSensitive = true;
                break;
            case OptionWord::MovedMinSize:
            case OptionWord::TimeShift:
            case OptionWord::TimeTolerance: {
                // The next argument is the value, as for "/exclude".
                std::optional<std::string>& value = word == OptionWord::MovedMinSize ? movedMin
                                                    : word == OptionWord::TimeShift  ? timeShift
                                                                                    : timeTolerance;
                value = i + 1 < arguments.size() ? Trim(arguments[++i]) : "";
                break;
            }
            case OptionWord::Compare:
            case OptionWord::NoCompare:
                Option.*kSwitches[switchIndex].flag =
                    (word == OptionWord::Compare) == kSwitches[switchIndex].setByWord;
                break;
            case OptionWord::ReportPart:
            case OptionWord::NoReportPart:
                *reportParts[switchIndex] = word == OptionWord::ReportPart;
                break;
        }
    }

    if (version) {
        Message = std::string("TandrilB ") + TANDRIL_VERSION;
        return BatchResult::Version;
    }
    if (arguments.size() <= 1 || help) {
        Message = UsageText(programName);
        return gnuHelp ? BatchResult::Help : BatchResult::Usage;
    }
    if (SnapshotGiven)
        return CheckSnapshotSettings(excludes);
    // Standard output carries the report: everything else goes to standard error.
    if (FileName == StandardOutputName)
        Console = stderr;
    if (FileName.empty()) {
        Message = "出力ファイルが指定されていません \"/file [ファイル名]\"";
        return BatchResult::NoFileName;
    }
    if (FromDir.empty()) {
        Message = "比較元のパスが指定されていません \"/fromdir [比較元のパス]\"";
        return BatchResult::NoFromDir;
    }
    if (ToDir.empty()) {
        Message = "比較先のパスが指定されていません \"/todir [比較先のパス]\"";
        return BatchResult::NoToDir;
    }
    if (!formatKnown) {
        Message = "書式が不正です \"/format [csv,tsv,txt]\"";
        return BatchResult::BadFormat;
    }
    if (!encodingKnown) {
        Message = "文字コードが不正です \"/encoding [sjis,utf8]\"";
        return BatchResult::BadEncoding;
    }
    if (!DigestKind(Digest)) {
        Message = BadDigestText;
        return BatchResult::BadDigest;
    }
    if (int result = CollectExcludePatterns(excludes, Option.Exclude, Message);
        result != BatchResult::Success)
        return result;
    int64_t number = 0;
    if (movedMin) {
        if (!ParseNumber(*movedMin, 1, INT64_MAX, number)) {
            Message = "移動の検出の最小サイズが不正です \"/movedmin [バイト数]\"";
            return BatchResult::BadMovedMinSize;
        }
        // A least size asks for the detection too.
        Option.DetectMoved = true;
        Option.MovedMinSize = number;
    }
    if (timeShift) {
        if (!ParseNumber(*timeShift, 1, 24, number)) {
            Message = "時差の指定が不正です \"/timeshift [1-24]\"";
            return BatchResult::BadTimeShift;
        }
        Option.TimeShift = static_cast<int>(number);
    }
    if (timeTolerance) {
        if (!ParseNumber(*timeTolerance, 0, 3600, number)) {
            Message = "更新日時の許容差が不正です \"/timetolerance [0-3600]\"";
            return BatchResult::BadTimeTolerance;
        }
        Option.TimeTolerance = static_cast<int>(number);
    }

    Engine->SetOption(Option);
    Engine->SetPathM(FromDir);
    Engine->SetPathS(ToDir);
    if (Engine->CheckPaths() != CompareStatus::Success) {
        Message = Engine->GetErrorMessage();
        return BatchResult::BadPath;
    }
    return BatchResult::Success;
}

char TBatchControl::Delimiter() const {
    switch (Format) {
        case TFormat::Tsv:
            return '\t';
        case TFormat::Txt:
            return ' ';
        case TFormat::Csv:
            break;
    }
    return ',';
}

int TBatchControl::CheckSnapshotSettings(const std::vector<TExcludeArgument>& excludes) {
    // The snapshot goes to standard output: everything else to standard error.
    if (SnapshotFile == StandardOutputName)
        Console = stderr;
    if (SnapshotFile.empty()) {
        Message = "スナップショットのファイルが指定されていません \"/snapshot [ファイル名]\"";
        return BatchResult::NoSnapshotFile;
    }
    if (FromDir.empty()) {
        Message = "比較元のパスが指定されていません \"/fromdir [比較元のパス]\"";
        return BatchResult::NoFromDir;
    }
    if (!DigestKind(Digest)) {
        Message = BadDigestText;
        return BatchResult::BadDigest;
    }
    if (int result = CollectExcludePatterns(excludes, Option.Exclude, Message);
        result != BatchResult::Success)
        return result;
    if (!IsValidSide(FromDir)) {
        Message = "比較元のパスが不正です";
        return BatchResult::BadPath;
    }
    return BatchResult::Success;
}

std::optional<platform::TDigestKind> TBatchControl::DigestKind(const std::string& name) {
    if (EqualsIgnoreCase(name, "sha256"))
        return platform::TDigestKind::Sha256;
    if (EqualsIgnoreCase(name, "xxh128"))
        return platform::TDigestKind::Xxh128;
    return std::nullopt;
}

int TBatchControl::ExitStatusOf(int result) const {
    if (result == BatchResult::Version || result == BatchResult::Help)
        return 0;
    if (!DiffStatus)
        return ExitStatus(result);
    // Under "/diffstatus" 0 and 1 tell whether the trees differ; the two
    // failures that read 1 otherwise get statuses of their own.
    if (result == BatchResult::Success)
        return Different > 0 ? 1 : 0;
    if (result == BatchResult::Usage)
        return DiffStatusUsage;
    if (result == BatchResult::OpenFailed)
        return DiffStatusOpenFailed;
    return ExitStatus(result);
}

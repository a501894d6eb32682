#include "TMtreeParser.h"

#include <algorithm>
#include <cstring>

#include "MtreeText.h"

namespace {

// Times the calendar of every reader can print: the years 1 to 9999.
constexpr int64_t EarliestTime = -62135596800;
constexpr int64_t LatestTime = 253402300799;

// Keywords that other tools write and a comparison does not use.
constexpr std::string_view IgnoredKeywords[] = {
    "uname",     "gname",        "flags",           "cksum",        "md5",
    "md5digest", "sha1",         "sha1digest",      "rmd160",       "rmd160digest",
    "sha384",    "sha384digest", "sha512",          "sha512digest", "device",
    "resdevice", "inode",        "contents",        "ignore",       "optional",
    "nochange",  "tags",         "ripemd160digest",
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

void SplitWords(std::string_view line, std::vector<std::string_view>& words) {
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        size_t start = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
}

bool KindOfType(std::string_view type, TFileKind& kind) {
    static constexpr struct {
        std::string_view Name;
        TFileKind Kind;
    } Types[] = {
        {"file", TFileKind::Regular},    {"dir", TFileKind::Directory},
        {"link", TFileKind::Link},       {"fifo", TFileKind::Fifo},
        {"char", TFileKind::CharDevice}, {"block", TFileKind::BlockDevice},
        {"socket", TFileKind::Socket},
    };
    for (const auto& t : Types)
        if (t.Name == type) {
            kind = t.Kind;
            return true;
        }
    return false;
}

std::string Quoted(std::string_view word) {
    // A word shown in a message: long or binary ones are cut.
    std::string text(word.substr(0, 64));
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    return text + (word.size() > 64 ? "..." : "");
}

}  // namespace

TMtreeParser::TMtreeParser(TSink sink) : Sink(std::move(sink)) {}

bool TMtreeParser::Refuse(uint64_t line, std::string reason) {
    if (!Refused()) {
        ErrorAt = line;
        ErrorReason = std::move(reason);
    }
    return false;
}

bool TMtreeParser::Feed(std::string_view bytes) {
    if (Refused())
        return false;
    if (!bytes.empty())
        AnyByte = true;
    // The lines before a NUL byte are read as they would be in any pieces;
    // the line that holds it is refused.
    const void* nul = std::memchr(bytes.data(), '\0', bytes.size());
    if (!nul)
        return FeedLines(bytes);
    const size_t at = static_cast<size_t>(static_cast<const char*>(nul) - bytes.data());
    const size_t lastEnd = bytes.substr(0, at).rfind('\n');
    if (lastEnd != std::string_view::npos && !FeedLines(bytes.substr(0, lastEnd + 1)))
        return false;
    return Refuse(LineNumber + 1, "NUL 文字があります (バイナリファイルです)");
}

bool TMtreeParser::FeedLines(std::string_view bytes) {
    while (!bytes.empty()) {
        const void* found = std::memchr(bytes.data(), '\n', bytes.size());
        size_t length = found ? static_cast<size_t>(static_cast<const char*>(found) - bytes.data())
                              : bytes.size();
        if (Pending.size() + Logical.size() + length > MaxLine)
            return Refuse(LineNumber + 1, "行が長すぎます (1 MiB を超えています)");
        if (!found) {
            Pending.append(bytes);
            return true;
        }
        ++LineNumber;
        bool ok;
        if (Pending.empty()) {
            ok = PhysicalLine(bytes.substr(0, length));
        } else {
            Pending.append(bytes.substr(0, length));
            ok = PhysicalLine(Pending);
            Pending.clear();
        }
        if (!ok)
            return false;
        bytes.remove_prefix(length + 1);
    }
    return true;
}

bool TMtreeParser::Finish() {
    if (Refused())
        return false;
    if (!AnyByte)
        return Refuse(1, "空のファイルです");
    if (!Pending.empty() || Continued)
        return Refuse(Continued ? LogicalStart : LineNumber + 1,
                      "途中で切れています (最後の行が終わっていません)");
    if (Count == 0)
        return Refuse(LineNumber, "項目がありません");
    if (Tandril && !CountSeen)
        return Refuse(LineNumber + 1, "途中で切れています (項目数の行がありません)");
    if (CountSeen && CountValue != Count)
        return Refuse(CountLine, "項目数の行 (" + std::to_string(CountValue) + " 件) と項目の数 (" +
                                     std::to_string(Count) + " 件) が合いません");
    return true;
}

bool TMtreeParser::PhysicalLine(std::string_view line) {
    if (!Continued) {
        LogicalStart = LineNumber;
        size_t first = 0;
        while (first < line.size() && IsBlank(line[first]))
            ++first;
        if (first < line.size() && line[first] == '#') {
            return Comment(line);
        }
    }
    // A line ending in an odd number of "\" goes on in the next line; an
    // even number ends in escaped backslashes.
    size_t end = line.size();
    while (end > 0 && line[end - 1] == '\r')
        --end;
    size_t backslashes = 0;
    while (backslashes < end && line[end - 1 - backslashes] == '\\')
        ++backslashes;
    if (backslashes % 2 == 1) {
        Logical.append(line.substr(0, end - 1)).push_back(' ');
        Continued = true;
        return true;
    }
    if (!Continued)
        return LogicalLine(line);
    Continued = false;
    Logical.append(line);
    std::string whole = std::move(Logical);
    Logical.clear();
    bool ok = LogicalLine(whole);
    Logical = std::move(whole);
    Logical.clear();
    return ok;
}

bool TMtreeParser::Comment(std::string_view line) {
    if (line.starts_with(ToolComment) && Count == 0 &&
        line.substr(ToolComment.size()).starts_with("Tandril"))
        Tandril = true;
    if (Tandril && UnreadableSink && line.starts_with(UnreadableComment))
        return UnreadableLine(line.substr(UnreadableComment.size()));
    if (line.starts_with(CountComment) && !CountSeen) {
        std::string_view value = line.substr(CountComment.size());
        while (!value.empty() && IsBlank(value.back()))
            value.remove_suffix(1);
        int64_t count = 0;
        if (ParseDecimal(value, false, count)) {
            CountSeen = true;
            CountValue = static_cast<uint64_t>(count);
            CountLine = LineNumber;
        }
    }
    return true;
}

bool TMtreeParser::UnreadableLine(std::string_view text) {
    if (CountSeen)
        return Refuse(LogicalStart, "項目数の行の後に項目があります");
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    const size_t blank = text.find(' ');
    int64_t error = 0;
    if (blank == std::string_view::npos || !ParseDecimal(text.substr(0, blank), false, error) ||
        error < 1 || error > 4095)
        return Refuse(LogicalStart, "読めないフォルダの行が不正です: " + Quoted(text));
    std::string path;
    if (!DecodePath(text.substr(blank + 1), path))
        return false;
    std::string reason;
    if (!UnreadableSink(path, static_cast<int>(error), reason))
        return Refuse(LogicalStart, reason);
    return true;
}

bool TMtreeParser::LogicalLine(std::string_view line) {
    for (char c : line) {
        auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t' && c != '\r') || byte == 0x7f)
            return Refuse(LogicalStart, "制御文字があります (バイナリファイルです)");
    }
    SplitWords(line, Words);
    if (Words.empty())
        return true;
    const std::string_view first = Words[0];
    if (first == "/set") {
        for (size_t i = 1; i < Words.size(); ++i)
            if (!Apply(Words[i], Defaults))
                return false;
        return true;
    }
    if (first == "/unset") {
        for (size_t i = 1; i < Words.size(); ++i)
            if (!Unset(Words[i]))
                return false;
        return true;
    }
    if (first == "..") {
        if (Words.size() > 1)
            return Refuse(LogicalStart, ".. の後に何か書かれています");
        // Above the root (where mtree -c closes the root itself) stays at the root.
        if (!CurrentLength.empty()) {
            CurrentPath.resize(CurrentLength.back());
            CurrentLength.pop_back();
        }
        return true;
    }
    if (CountSeen)
        return Refuse(LogicalStart, "項目数の行の後に項目があります");
    return Entry(first, Words);
}

bool TMtreeParser::DecodeName(std::string_view raw, std::string& name) {
    if (!DecodeVis(raw, name))
        return Refuse(LogicalStart, "名前のエスケープが不正です: " + Quoted(raw));
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return Refuse(LogicalStart, name == ".." ? ".. を含むパスは使えません"
                                                 : "名前が不正です: " + Quoted(raw));
    return true;
}

bool TMtreeParser::DecodePath(std::string_view name, std::string& path) {
    if (name.starts_with('/'))
        return Refuse(LogicalStart, "絶対パスは使えません: " + Quoted(name));
    if (name.starts_with("./"))
        name.remove_prefix(2);
    path.clear();
    while (true) {
        size_t slash = name.find('/');
        if (!DecodeName(name.substr(0, slash), Decoded))
            return false;
        if (!path.empty())
            path.push_back('/');
        path.append(Decoded);
        if (slash == std::string_view::npos)
            return true;
        name.remove_prefix(slash + 1);
    }
}

bool TMtreeParser::Entry(std::string_view name, const std::vector<std::string_view>& words) {
    Current = Defaults;
    TMtreeRecord& record = Current.Record;
    record.Line = LogicalStart;
    record.Path.clear();
    bool enter = false;
    if (name.find('/') != std::string_view::npos) {
        // A path from the root: "./a/b" (or "a/b"); it leaves the current folder as it is.
        if (!DecodePath(name, record.Path))
            return false;
    } else if (name == "." && CurrentLength.empty() && CurrentPath.empty()) {
        // The root itself.
    } else {
        if (!DecodeName(name, Decoded))
            return false;
        record.Path = CurrentPath;
        if (!record.Path.empty())
            record.Path.push_back('/');
        record.Path.append(Decoded);
        enter = true;
    }
    for (size_t i = 1; i < words.size(); ++i)
        if (!Apply(words[i], Current))
            return false;
    if (!Current.HasType)
        return Refuse(LogicalStart, "type がありません");
    if (enter && record.Kind == TFileKind::Directory) {
        CurrentLength.push_back(CurrentPath.size());
        CurrentPath = record.Path;
    }
    std::string reason;
    if (!Sink(record, reason))
        return Refuse(LogicalStart, reason);
    ++Count;
    return true;
}

bool TMtreeParser::Apply(std::string_view word, TKeywords& into) {
    const size_t equals = word.find('=');
    const std::string_view key = word.substr(0, equals);
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view() : word.substr(equals + 1);
    TMtreeRecord& r = into.Record;
    TEntryFacts& f = r.Facts;
    auto bad = [&](const char* what) {
        return Refuse(LogicalStart, std::string(what) + ": " + Quoted(word));
    };
    if (key == "type") {
        if (!KindOfType(value, r.Kind))
            return bad("type が不正です");
        into.HasType = true;
    } else if (key == "size") {
        if (!ParseDecimal(value, false, r.Size))
            return bad("サイズが範囲外か不正です");
        f.Recorded |= TEntryFacts::HasSize;
    } else if (key == "time") {
        if (!ParseTime(value, f.Seconds, f.Nanoseconds) || f.Seconds < EarliestTime ||
            f.Seconds > LatestTime)
            return bad("時刻が範囲外か不正です");
        f.Recorded |= TEntryFacts::HasTime;
    } else if (key == "mode") {
        uint64_t mode = 0;
        if (!ParseOctal(value, mode) || mode > 07777)
            return bad("mode が範囲外か不正です");
        f.Mode = static_cast<uint16_t>(mode);
        f.Recorded |= TEntryFacts::HasMode;
    } else if (key == "uid" || key == "gid" || key == "nlink") {
        int64_t number = 0;
        if (!ParseDecimal(value, false, number) || number > UINT32_MAX)
            return bad("値が範囲外か不正です");
        (key == "uid" ? f.Uid : key == "gid" ? f.Gid : f.Links) = static_cast<uint32_t>(number);
        f.Recorded |= key == "nlink" ? TEntryFacts::HasLinks : TEntryFacts::HasOwner;
    } else if (key == "link") {
        if (!DecodeVis(value, r.LinkTarget) || r.LinkTarget.empty())
            return bad("link が不正です");
    } else if (key == MtreeKeyword::Sha256 || key == MtreeKeyword::Sha256Short ||
               key == MtreeKeyword::Xxh128) {
        const auto kind = key == MtreeKeyword::Xxh128 ? platform::TDigestKind::Xxh128
                                                      : platform::TDigestKind::Sha256;
        if (value.size() != 2 * platform::TDigestValue::DigestSize(kind))
            return bad("ダイジェストの長さが不正です");
        platform::TDigestValue digest;
        if (!platform::ParseDigestHex(value, kind, digest))
            return bad("ダイジェストに 16 進数字以外の文字があります");
        // SHA-256 is kept when a line holds both: every tool can check it.
        if (f.Digest.Kind != platform::TDigestKind::Sha256 || kind == f.Digest.Kind)
            f.Digest = digest;
    } else if (std::find(std::begin(IgnoredKeywords), std::end(IgnoredKeywords), key) ==
               std::end(IgnoredKeywords)) {
        return bad("不明なキーワードです");
    }
    return true;
}

bool TMtreeParser::Unset(std::string_view word) {
    TMtreeRecord& r = Defaults.Record;
    TEntryFacts& f = r.Facts;
    if (word == "all") {
        Defaults = TKeywords();
    } else if (word == "type") {
        Defaults.HasType = false;
    } else if (word == "size") {
        f.Recorded &= ~TEntryFacts::HasSize;
        r.Size = 0;
    } else if (word == "time") {
        f.Recorded &= ~TEntryFacts::HasTime;
        f.Seconds = 0;
        f.Nanoseconds = 0;
    } else if (word == "mode") {
        f.Recorded &= ~TEntryFacts::HasMode;
        f.Mode = 0;
    } else if (word == "uid" || word == "gid") {
        f.Recorded &= ~TEntryFacts::HasOwner;
    } else if (word == "nlink") {
        f.Recorded &= ~TEntryFacts::HasLinks;
    } else if (word == "link") {
        r.LinkTarget.clear();
    } else if (word == MtreeKeyword::Sha256 || word == MtreeKeyword::Sha256Short ||
               word == MtreeKeyword::Xxh128) {
        f.Digest = platform::TDigestValue();
    }
    return true;
}

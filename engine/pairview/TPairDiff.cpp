#include "pairview/TPairDiff.h"

#include <algorithm>
#include <cstring>

#include "LineEnds.h"
#include "pairview/TLineDiff.h"

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr size_t DetectSample = 1 << 20;
constexpr size_t ByteBlock = 1 << 20;

std::string_view Sample(std::string_view text) {
    if (text.size() <= DetectSample)
        return text;
    text = text.substr(0, DetectSample);
    const size_t lf = text.rfind('\n');
    return lf == std::string_view::npos ? text : text.substr(0, lf + 1);
}

std::string MegaBytes(int64_t bytes) {
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB";
}

void Open(TPairSide& side, const std::string& path) {
    side.Path = path;
    if (!side.File.Open(path))
        side.Error = side.File.Error();
}

}  // namespace

bool HasUtf8Bom(std::string_view text) {
    return text.starts_with(Utf8Bom);
}

std::optional<platform::TTextCode> DetectTextCode(std::string_view text) {
    using platform::TTextCode;
    if (HasUtf8Bom(text))
        return TTextCode::Utf8;
    const std::string_view sample = Sample(text);
    for (TTextCode code : {TTextCode::Utf8, TTextCode::EucJp, TTextCode::Cp932}) {
        platform::TTextDecoder decoder(code);
        if (decoder.DecodesCleanly(sample))
            return code;
    }
    return std::nullopt;
}

TByteDiff DiffBytes(const platform::TFileAt& m, const platform::TFileAt& s,
                    const std::atomic<bool>* cancel) {
    TByteDiff diff;
    const int64_t common = std::min(m.Size(), s.Size());
    std::string blockM(ByteBlock, '\0'), blockS(ByteBlock, '\0');
    auto add = [&diff](int64_t offset, int64_t length) {
        diff.DifferingBytes += length;
        if (!diff.Runs.empty() && diff.Runs.back().Offset + diff.Runs.back().Length == offset) {
            diff.Runs.back().Length += length;
        } else if (diff.Runs.size() < TByteDiff::MaxRuns) {
            diff.Runs.push_back({offset, length});
        } else {
            diff.Truncated = true;
        }
    };
    for (int64_t at = 0; at < common; at += ByteBlock) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return diff;
        const size_t want = static_cast<size_t>(std::min<int64_t>(ByteBlock, common - at));
        const int64_t gotM = m.ReadAt(at, blockM.data(), want);
        const int64_t gotS = s.ReadAt(at, blockS.data(), want);
        if (gotM != int64_t(want) || gotS != int64_t(want))
            break;  // shrunk or failed since it was opened: what was read stands
        if (std::memcmp(blockM.data(), blockS.data(), want) == 0)
            continue;
        for (size_t i = 0; i < want;) {
            if (blockM[i] == blockS[i]) {
                ++i;
                continue;
            }
            size_t end = i + 1;
            while (end < want && blockM[end] != blockS[end])
                ++end;
            add(at + int64_t(i), int64_t(end - i));
            i = end;
        }
    }
    if (m.Size() != s.Size())
        add(common, std::max(m.Size(), s.Size()) - common);
    return diff;
}

std::unique_ptr<TPairDiff> TPairDiff::Load(const std::string& pathM, const std::string& pathS,
                                           const TPairDiffOptions& options,
                                           const std::atomic<bool>* cancel) {
    auto diff = std::make_unique<TPairDiff>();
    diff->IgnoreLineEnds = options.IgnoreLineEnds;
    Open(diff->M, pathM);
    Open(diff->S, pathS);
    if (!diff->M.Error.empty() || !diff->S.Error.empty()) {
        diff->Mode = TMode::Failed;
        return diff;
    }
    const int64_t largest = std::max(diff->M.File.Size(), diff->S.File.Size());
    bool text = largest <= options.TextLimit;
    if (!text)
        diff->Message = "ファイルが大きすぎるため (" + MegaBytes(largest) + " > 上限 " +
                        MegaBytes(options.TextLimit) + ")、行の比較の代わりに最初の相違から" +
                        "バイトを表示します";
    for (TPairSide* side : {&diff->M, &diff->S}) {
        if (!text)
            break;
        if (!side->File.ReadAll(side->Bytes)) {
            side->Error = side->File.Error();
            diff->Mode = TMode::Failed;
            return diff;
        }
        side->Text = LineEnds::LooksLikeText(side->Bytes);
        text = side->Text;
    }
    if (text) {
        for (TPairSide* side : {&diff->M, &diff->S}) {
            side->Lines = TTextLines(side->Bytes);
            side->Bom = HasUtf8Bom(side->Bytes);
            side->Detected = DetectTextCode(side->Bytes);
        }
        const bool ignore = options.IgnoreLineEnds;
        const size_t countM = diff->M.Lines.ComparedCount(ignore);
        const size_t countS = diff->S.Lines.ComparedCount(ignore);
        diff->Layout =
            TDiffLayout(DiffLines(diff->M.Lines, diff->S.Lines, ignore, cancel), countM, countS,
                        diff->M.Lines.Count() - countM, diff->S.Lines.Count() - countS);
        diff->Mode = TMode::Text;
        if (diff->Decodable())
            return diff;
        diff->Message = "文字コードを判定できないため、バイトを表示します";
    } else if (diff->Message.empty()) {
        diff->Message = "バイナリファイルのため、バイトを表示します";
    }
    diff->Mode = TMode::Bytes;
    diff->Bytes = DiffBytes(diff->M.File, diff->S.File, cancel);
    return diff;
}

#include "TSnapshotSource.h"

#include <algorithm>

#include "RowText.h"

#include "ContentText.h"
#include "TCompare.h"
#include "TContentComparer.h"
#include "TSnapshotBuilder.h"
#include "platform/Collator.h"

std::string TSnapshotSource::RefusalText(const std::string& file, uint64_t line,
                                         const std::string& reason) {
    return "スナップショット " + file + " の " + std::to_string(line) + " 行目: " + reason;
}

TListOutcome TSnapshotSource::List(TEntryList& list, const TListRequest& request) {
    TListOutcome outcome;
    auto refuse = [&](uint64_t line, const std::string& reason) {
        outcome.Status = CompareStatus::BadSnapshot;
        outcome.Message = RefusalText(File, line, reason);
        return outcome;
    };
    platform::TFileReader reader;
    TFileKind kind = TFileKind::Regular;
    if (reader.Open(File, kind) != platform::TFileReader::TOpenResult::Opened ||
        kind != TFileKind::Regular)
        return refuse(1, "通常のファイルとして開けません");
    outcome.Delivered = true;

    TSnapshotBuilder builder(list, IncludeTrailingDelimiter(File), request.Exclude);
    TMtreeParser parser([&builder](const TMtreeRecord& record, std::string& reason) {
        return builder.Add(record, reason);
    });
    parser.SetUnreadableSink([&builder](const std::string& path, int error, std::string& reason) {
        return builder.MarkUnreadable(path, error, reason);
    });
    platform::TAlignedBuffer buffer(256 * 1024);
    while (true) {
        if (request.Stop.load(std::memory_order_relaxed)) {
            outcome.Result = -1;
            return outcome;
        }
        const int64_t count = reader.ReadFull(buffer.Data(), buffer.Size());
        if (count < 0)
            return refuse(parser.ErrorLine() + 1, reader.Error());
        if (!parser.Feed(std::string_view(buffer.Data(), static_cast<size_t>(count))))
            break;
        if (static_cast<size_t>(count) < buffer.Size())
            break;
    }
    if (!parser.Finish())
        return refuse(parser.ErrorLine(), parser.ErrorText());

    // Sorted here, so that a path given twice is found next to itself.
    platform::TCollator collator;
    if (!list.Sort(collator, &request.Stop, request.CaseSensitive)) {
        outcome.Result = -1;
        return outcome;
    }
    outcome.Sorted = true;
    if (const auto [a, b] = list.FindRepeatedPath(); b)
        return refuse(std::max(a->Facts->Line, b->Facts->Line),
                      "パスが重複しています: ./" + b->RelPath());
    outcome.Result = builder.Count();
    return outcome;
}

std::optional<platform::TDigestKind> TSnapshotSource::DigestKindOf(
    const TSearchRecEx& entry) const {
    return entry.Facts ? entry.Facts->Digest.Kind : platform::TDigestKind::None;
}

int TSnapshotSource::Digest(const TSearchRecEx& entry, platform::TDigestKind kind, TDigestWork&,
                            platform::TDigestValue& out, std::string& reason) {
    if (!entry.Facts || entry.Facts->Digest.Kind == platform::TDigestKind::None) {
        reason = ContentText::NoDigest;
        return ContentResult::Different;
    }
    if (entry.Facts->Digest.Kind != kind) {
        reason = ContentText::OtherDigest;
        return ContentResult::Different;
    }
    out = entry.Facts->Digest;
    reason.clear();
    return ContentResult::Equal;
}

#include "TDigestComparer.h"

#include <optional>

#include "ContentText.h"
#include "TContentComparer.h"
#include "TEntryFacts.h"
#include "TEntrySource.h"
#include "TFolderSource.h"
#include "platform/Directory.h"

namespace {

// The kind a pair is compared by: the recorded kind of a snapshot side (or
// of both, when they agree); SHA-256 when both sides could make any.
std::optional<platform::TDigestKind> PairKind(std::optional<platform::TDigestKind> m,
                                              std::optional<platform::TDigestKind> s,
                                              std::string& reason) {
    using platform::TDigestKind;
    if (m == TDigestKind::None || s == TDigestKind::None) {
        reason = ContentText::NoDigest;
        return std::nullopt;
    }
    if (m && s && *m != *s) {
        reason = ContentText::OtherDigest;
        return std::nullopt;
    }
    return m ? *m : s ? *s : TDigestKind::Sha256;
}

std::optional<platform::TDigestKind> KindOf(const TSearchRecEx& entry) {
    return entry.Folder->Source ? entry.Folder->Source->DigestKindOf(entry) : std::nullopt;
}

// The kind two entries are compared by: where both sides can make any kind
// and one of them has no file here (a far side, which digests its own),
// XXH3-128, whose 16 bytes are made and cross the network faster than
// SHA-256's 32; otherwise PairKind's.
std::optional<platform::TDigestKind> EntryPairKind(const TSearchRecEx& m, const TSearchRecEx& s,
                                                   std::string& reason) {
    const auto kindM = KindOf(m);
    const auto kindS = KindOf(s);
    if (!kindM && !kindS && (!HasFile(m) || !HasFile(s)))
        return platform::TDigestKind::Xxh128;
    return PairKind(kindM, kindS, reason);
}

// The target text of a link: recorded, or read from the live link.
bool LinkTarget(const TSearchRecEx& entry, std::string& target) {
    if (entry.Kind == TFileKind::Link) {
        if (!entry.Facts || !entry.Facts->LinkTarget)
            return false;
        target = *entry.Facts->LinkTarget;
        return true;
    }
    return HasFile(entry) && (entry.Attr & Attr::SymLink) &&
           platform::ReadLinkPath(entry.FullPath(), target);
}

}  // namespace

TDigestComparer::TDigestComparer(platform::TFileReader& reader, platform::TAlignedBuffer& buffer,
                                 std::function<bool()> stopRequested)
    : Work(reader, buffer, std::move(stopRequested)) {}

bool TDigestComparer::Needed(const TSearchRecEx& m, const TSearchRecEx& s) {
    return !HasFile(m) || !HasFile(s);
}

void TDigestComparer::Announce(const TSearchRecEx& m, const TSearchRecEx& s) {
    if (!Needed(m, s) || m.Kind == TFileKind::Link || s.Kind == TFileKind::Link ||
        IsSpecial(m.Kind) || IsSpecial(s.Kind))
        return;
    std::string unused;
    std::optional<platform::TDigestKind> kind = EntryPairKind(m, s, unused);
    if (!kind)
        return;
    for (const TSearchRecEx* entry : {&m, &s})
        if (entry->Folder->Source)
            entry->Folder->Source->WillNeedDigest(*entry, *kind);
}

int TDigestComparer::CompareLinks(const TSearchRecEx& m, const TSearchRecEx& s,
                                  std::string& reason) {
    std::string targetM, targetS;
    if (LinkTarget(m, targetM) && LinkTarget(s, targetS) && targetM == targetS) {
        reason.clear();
        return ContentResult::Equal;
    }
    reason = ContentText::Mismatch;
    return ContentResult::Different;
}

int TDigestComparer::Compare(const TSearchRecEx& m, const TSearchRecEx& s, std::string& reason) {
    try {
        reason.clear();
        if (m.Kind == TFileKind::Link || s.Kind == TFileKind::Link)
            return CompareLinks(m, s, reason);
        if (IsSpecial(m.Kind) || IsSpecial(s.Kind)) {
            if (m.Kind == s.Kind)
                return ContentResult::Equal;
            reason = ContentText::Mismatch;
            return ContentResult::Different;
        }
        std::optional<platform::TDigestKind> kind = EntryPairKind(m, s, reason);
        if (!kind)
            return ContentResult::Different;
        platform::TDigestValue digestM, digestS;
        // Source first: the first side that cannot be read is the one named.
        for (auto [entry, digest] : {std::pair{&m, &digestM}, std::pair{&s, &digestS}}) {
            // An entry listed without a source is a live file.
            TEntrySource* source = entry->Folder->Source;
            const int code = source ? source->Digest(*entry, *kind, Work, *digest, reason)
                                    : TFolderSource::DigestFile(entry->FullPath(), entry->Kind,
                                                                *kind, Work, *digest, reason);
            if (code != ContentResult::Equal)
                return code;
        }
        if (digestM == digestS)
            return ContentResult::Equal;
        const bool sizesKnown =
            Recorded(m, TEntryFacts::HasSize) && Recorded(s, TEntryFacts::HasSize);
        reason = sizesKnown && m.Size != s.Size ? ContentText::SizeMismatch : ContentText::Mismatch;
        return ContentResult::Different;
    } catch (const std::exception& e) {
        reason = e.what();
        return ContentResult::Cancelled;
    }
}

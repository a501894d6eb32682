// mtree text from the outside (a snapshot file, a far side's stream): the
// reader never fails but by refusing, gives the same outcome whatever pieces
// the text arrives in, hands out only paths that stay below the root, and
// what it read, written again by the writer, reads back the same.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "TMtreeParser.h"
#include "TMtreeWriter.h"

namespace {

struct TOutcome {
    std::vector<TMtreeRecord> Records;
    bool Accepted = false;
    uint64_t Line = 0;
    std::string Reason;
};

TOutcome Read(std::string_view text, size_t piece) {
    TOutcome outcome;
    TMtreeParser parser([&outcome](const TMtreeRecord& record, std::string&) {
        outcome.Records.push_back(record);
        return true;
    });
    bool fed = true;
    for (size_t at = 0; fed && at < text.size(); at += piece)
        fed = parser.Feed(text.substr(at, piece));
    outcome.Accepted = fed && parser.Finish();
    outcome.Line = parser.ErrorLine();
    outcome.Reason = parser.ErrorText();
    return outcome;
}

bool Same(const TMtreeRecord& a, const TMtreeRecord& b) {
    return a.Path == b.Path && a.Kind == b.Kind && a.Size == b.Size &&
           a.Facts.Recorded == b.Facts.Recorded && a.Facts.Digest == b.Facts.Digest &&
           a.LinkTarget == b.LinkTarget;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TOutcome whole = Read(text, text.size() + 1);
    const TOutcome bytes = Read(text, 1);
    FUZZ_CHECK(whole.Accepted == bytes.Accepted);
    FUZZ_CHECK(whole.Line == bytes.Line && whole.Reason == bytes.Reason);
    FUZZ_CHECK(whole.Records.size() == bytes.Records.size());
    for (size_t i = 0; i < whole.Records.size(); ++i)
        FUZZ_CHECK(Same(whole.Records[i], bytes.Records[i]));
    for (const TMtreeRecord& r : whole.Records) {
        const std::string_view path = r.Path;
        FUZZ_CHECK(path.find('\0') == std::string_view::npos);
        FUZZ_CHECK(!path.starts_with('/') && !path.ends_with('/'));
        FUZZ_CHECK(path.find("//") == std::string_view::npos);
        FUZZ_CHECK(path != "." && path != ".." && !path.starts_with("../") &&
                   !path.starts_with("./") && path.find("/../") == std::string_view::npos &&
                   path.find("/./") == std::string_view::npos && !path.ends_with("/..") &&
                   !path.ends_with("/."));
        FUZZ_CHECK(r.Size >= 0);
    }
    if (!whole.Accepted)
        return 0;

    // Written again, the records read back the same.
    std::string again;
    TMtreeWriter writer([&again](std::string_view block) {
        again.append(block);
        return true;
    });
    writer.WriteHeader({"TandrilB fuzz", "", "", "", ""});
    for (const TMtreeRecord& r : whole.Records) {
        const size_t slash = r.Path.rfind('/');
        const std::string dir = slash == std::string::npos ? "" : r.Path.substr(0, slash);
        const std::string name = slash == std::string::npos ? r.Path : r.Path.substr(slash + 1);
        TEntryFacts facts = r.Facts;
        facts.LinkTarget = r.LinkTarget.empty() ? nullptr : &r.LinkTarget;
        // The writer gives a size to files only, a link target to links only.
        if (r.Kind != TFileKind::Regular)
            facts.Recorded &= ~TEntryFacts::HasSize;
        writer.WriteEntry(dir, name, r.Kind, r.Size, facts);
    }
    FUZZ_CHECK(writer.Finish());
    const TOutcome reread = Read(again, again.size() + 1);
    FUZZ_CHECK(reread.Accepted);
    FUZZ_CHECK(reread.Records.size() == whole.Records.size());
    for (size_t i = 0; i < whole.Records.size(); ++i) {
        const TMtreeRecord& a = whole.Records[i];
        const TMtreeRecord& b = reread.Records[i];
        FUZZ_CHECK(a.Path == b.Path && a.Kind == b.Kind && a.Facts.Digest == b.Facts.Digest);
        if (a.Kind == TFileKind::Regular && (a.Facts.Recorded & TEntryFacts::HasSize))
            FUZZ_CHECK(a.Size == b.Size);
        if (a.Kind == TFileKind::Link)
            FUZZ_CHECK(a.LinkTarget == b.LinkTarget);
    }
    return 0;
}

// TCompare::CompareRowsAgain: the rows of a copy between the sides, judged
// again once the copy has ended.
#include <string>
#include <string_view>

#include "RowText.h"
#include "TCompare.h"
#include "TContentComparer.h"
#include "TEntryList.h"
#include "TFolderLister.h"
#include "TPairing.h"
#include "TResultList.h"
#include "platform/CaseFold.h"
#include "platform/LocalTime.h"

namespace {

// The list's own (writable) entry behind a row's entry, or null.
TSearchRecEx* Own(const TEntryList& list, const TSearchRecEx* entry) {
    if (entry == nullptr)
        return nullptr;
    TSearchRecEx* own = list.At(entry->Index.load(std::memory_order_relaxed));
    return own == entry ? own : nullptr;
}

// True when path is prefix itself or lies below it.
bool AtOrBelow(std::string_view path, std::string_view prefix) {
    return path.starts_with(prefix) && (path.size() == prefix.size() || path[prefix.size()] == '/');
}

}  // namespace

std::vector<int> TCompare::CompareRowsAgain(const TResultRow* row) {
    std::vector<int> changed;
    const int first = Results ? Results->IndexOf(row) : -1;
    if (first < 0 || !ListM || !ListS)
        return changed;
    const TSearchRecEx* named = row->EntryM() ? row->EntryM() : row->EntryS();
    const std::string top = named->RelPath();
    const bool folder = named->IsFolder();

    platform::TLocalClock clock;
    platform::TCaseFolder folderM, folderS;
    TContentComparer contents([] { return false; });
    const TCompareOption option = Option;
    TPairing pairing(this, nullptr, option, StopFlag, contents);
    // An entry the copy made where its side had none, in the folder of its
    // partner's RelPath below that side's root.
    const auto made = [](TEntryList& list, const std::string& root,
                         const TSearchRecEx& partner) -> TSearchRecEx* {
        const std::string prefix = IncludeTrailingDelimiter(root);
        std::string dir = prefix;
        if (!partner.RelDir().empty())
            dir.append(partner.RelDir()).push_back('/');
        TFolder probeFolder{dir, prefix.size()};
        TSearchRecEx probe;
        probe.Folder = &probeFolder;
        probe.Name = partner.Name;
        platform::TLocalClock probeClock;
        if (!TFolderLister::ExamineAgain(probe, probeClock))
            return nullptr;
        TSearchRecEx& entry = list.AddEntry(list.AddFolder(std::move(dir), prefix.size()));
        entry.Name = probe.Name;
        entry.Kind = probe.Kind;
        entry.Size = probe.Size;
        entry.Time = probe.Time;
        entry.Attr = probe.Attr;
        entry.FindData = probe.FindData;
        entry.Index.store(list.Count() - 1, std::memory_order_relaxed);
        return &entry;
    };

    // The row itself, the rows below a folder, and the rows of the folders
    // above it, which the copy may have made on the receiving side. Other
    // names may sort among them: every row is looked at.
    const auto concerned = [&](const TSearchRecEx* entry) {
        if (entry == nullptr)
            return false;
        const std::string path = entry->RelPath();
        return (folder && AtOrBelow(path, top)) || (entry->IsFolder() && AtOrBelow(top, path));
    };
    const int count = Results->Count();
    for (int i = 0; i < count; ++i) {
        const TResultRow& current = *Results->Row(i);
        const TSearchRecEx* oneM = current.EntryM();
        const TSearchRecEx* oneS = current.EntryS();
        if (i != first && !concerned(oneM) && !concerned(oneS))
            continue;
        TSearchRecEx* m = Own(*ListM, oneM);
        TSearchRecEx* s = Own(*ListS, oneS);
        if ((oneM && !m) || (oneS && !s))
            continue;
        // A moved file's row pairs two paths: nothing was copied onto its partner.
        if (m && s && folderM.Fold(m->RelPath()) != folderS.Fold(s->RelPath()))
            continue;
        if (m)
            TFolderLister::ExamineAgain(*m, clock);
        if (s)
            TFolderLister::ExamineAgain(*s, clock);
        if (!m)
            m = made(*ListM, PathM, *s);
        if (!s)
            s = made(*ListS, PathS, *m);
        if (!m || !s)
            continue;
        const TResultText* text = pairing.JudgeNow(*m, *s, *Results);
        if (m == oneM && s == oneS && &current.Result() == &text->Text)
            continue;
        Results->Replace(i, TResultRow(m, s, text));
        changed.push_back(i);
    }
    return changed;
}

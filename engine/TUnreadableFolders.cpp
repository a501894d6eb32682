#include "TUnreadableFolders.h"

#include "platform/FileReader.h"

std::string_view TUnreadableFolders::Fold(const TSearchRecEx& entry) {
    std::string_view dir(entry.Folder->Dir);
    dir.remove_prefix(entry.Folder->RootLength);
    return (KeepCase ? Composer : Folder).Fold(dir, entry.Name);
}

void TUnreadableFolders::Reset(const TEntryList& list, bool caseSensitive) {
    Paths.clear();
    KeepCase = caseSensitive;
    for (const TSearchRecEx* folder : list.Unreadable())
        Paths.emplace(Fold(*folder));
}

bool TUnreadableFolders::HoldsAncestorOf(const TSearchRecEx& entry) {
    // No character composes with "/", so the folded path's part before a "/"
    // is the folded form of that ancestor's RelPath.
    const std::string_view path = Fold(entry);
    for (size_t slash = path.find('/'); slash != std::string_view::npos;
         slash = path.find('/', slash + 1))
        if (Paths.find(path.substr(0, slash)) != Paths.end())
            return true;
    return false;
}

void TUnreadableFolders::AppendReason(const TSearchRecEx& m, const TSearchRecEx& s,
                                      std::string& reason) {
    if (m.ListError == 0 && s.ListError == 0)
        return;
    reason += "フォルダを読めません(";
    if (m.ListError != 0)
        reason.append("比較元: ").append(platform::ErrorString(m.ListError));
    if (m.ListError != 0 && s.ListError != 0)
        reason += ", ";
    if (s.ListError != 0)
        reason.append("比較先: ").append(platform::ErrorString(s.ListError));
    reason += ")";
}

std::string_view TUnreadableFolders::OtherSideReason(bool sourceUnreadable) {
    return sourceUnreadable ? "比較元のフォルダを読めません" : "比較先のフォルダを読めません";
}

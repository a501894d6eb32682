#pragma once

#include <set>
#include <string>
#include <string_view>

#include "TEntryList.h"
#include "platform/CaseFold.h"

// The folders of one listed tree whose names could not be read (ListError),
// and what the rows of the pairing pass say about them. An entry of the other
// tree below such a folder may have a partner that was never seen: its row
// says that this side could not be read, not that the partner is missing.
//
// Folders pair as entries do (letter case and normalisation form aside), so
// "DATA/x" of one tree lies below the unreadable "data" of the other (unless
// letter case is kept, as the option CaseSensitive keeps it for names). One
// object per thread: it keeps a case folder of its own.
class TUnreadableFolders {
public:
    // Takes the unreadable folders of list; none on an ordinary run, which
    // then costs nothing further. caseSensitive: folders pair only when their
    // letter case agrees, as names do under the option CaseSensitive.
    void Reset(const TEntryList& list, bool caseSensitive);
    bool Empty() const { return Paths.empty(); }
    // True when one of the folders pairs with a folder above entry, an entry
    // of the other tree.
    bool HoldsAncestorOf(const TSearchRecEx& entry);

    // Appends the reason for a pair of which either entry is an unreadable
    // folder: "フォルダを読めません(比較元: <why>, 比較先: <why>)" naming each
    // side that failed. Appends nothing when neither did.
    static void AppendReason(const TSearchRecEx& m, const TSearchRecEx& s, std::string& reason);
    // The reason of an entry with no partner below an unreadable folder of
    // the other side: the source (sourceUnreadable) or the target.
    static std::string_view OtherSideReason(bool sourceUnreadable);

private:
    std::string_view Fold(const TSearchRecEx& entry);

    std::set<std::string, std::less<>> Paths;  // folded RelPaths
    platform::TCaseFolder Folder{true}, Composer{false};
    bool KeepCase = false;
};

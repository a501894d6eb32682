#include "TResultList.h"

#include <stdexcept>

TResultList::TResultList(std::shared_ptr<TEntryList> listM, std::shared_ptr<TEntryList> listS)
    : ListM(std::move(listM)), ListS(std::move(listS)) {
    RowCapacity = static_cast<size_t>(ListM ? ListM->Count() : 0) +
                  static_cast<size_t>(ListS ? ListS->Count() : 0);
    Rows = std::make_unique<TResultRow[]>(RowCapacity);
}

const TResultText* TResultList::Intern(std::string_view text, TVerdict verdict) {
    auto found = Texts.find(TKey{text, verdict});
    if (found != Texts.end())
        return &*found;
    // Elements of an unordered_set keep their address when it rehashes.
    return &*Texts.insert(TResultText{std::string(text), verdict}).first;
}

void TResultList::Replace(int index, const TResultRow& row) {
    if (index < 0 || index >= Count())
        throw std::logic_error("no such result row");
    Rows[static_cast<size_t>(index)] = row;
}

int TResultList::IndexOf(const TResultRow* row) const {
    const TResultRow* first = Rows.get();
    if (row == nullptr || row < first || row >= first + Count())
        return -1;
    return static_cast<int>(row - first);
}

void TResultList::Append(const TResultRow& row) {
    int count = Published.load(std::memory_order_relaxed);
    if (static_cast<size_t>(count) >= RowCapacity)
        throw std::logic_error("result rows exceed the entries");
    Rows[static_cast<size_t>(count)] = row;
    Published.store(count + 1, std::memory_order_release);
}

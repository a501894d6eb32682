#include "TResultList.h"

#include <stdexcept>

TResultList::TResultList(std::shared_ptr<TEntryList> listM, std::shared_ptr<TEntryList> listS)
    : ListM(std::move(listM)), ListS(std::move(listS)) {
    RowCapacity = static_cast<size_t>(ListM ? ListM->Count() : 0) +
                  static_cast<size_t>(ListS ? ListS->Count() : 0);
    Rows = std::make_unique<TResultRow[]>(RowCapacity);
}

const std::string* TResultList::Intern(std::string_view text) {
    auto found = Texts.find(text);
    if (found != Texts.end())
        return &*found;
    // Elements of an unordered_set keep their address when it rehashes.
    return &*Texts.emplace(text).first;
}

void TResultList::Append(const TResultRow& row) {
    int count = Published.load(std::memory_order_relaxed);
    if (static_cast<size_t>(count) >= RowCapacity)
        throw std::logic_error("result rows exceed the entries");
    Rows[static_cast<size_t>(count)] = row;
    Published.store(count + 1, std::memory_order_release);
}

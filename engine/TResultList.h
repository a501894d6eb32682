#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "TEntryList.h"
#include "TResultRow.h"

// The result rows of one pairing pass. Room for every row is reserved up
// front (a pass makes at most one row per entry), so appending never moves a
// row; the count is published after the row is written, so another thread
// that reads Count() may read every row below it. The rows point into the two
// entry lists, which the store keeps alive, and into the store's result texts,
// each kept once however many rows share it.
class TResultList {
public:
    TResultList(std::shared_ptr<TEntryList> listM, std::shared_ptr<TEntryList> listS);
    TResultList(const TResultList&) = delete;
    TResultList& operator=(const TResultList&) = delete;

    // The stored copy of a result text and its verdict; equal pairs give the
    // same copy.
    const TResultText* Intern(std::string_view text, TVerdict verdict);
    // Appends a row; at most Capacity rows.
    void Append(const TResultRow& row);
    // Puts row in the place of row index (below Count()), for a pair judged
    // again after the pass; only where no other thread reads the rows.
    void Replace(int index, const TResultRow& row);
    // The index of a row of this list, or -1 for any other pointer.
    int IndexOf(const TResultRow* row) const;

    int Count() const { return Published.load(std::memory_order_acquire); }
    // Row index, or null when index is not below Count().
    const TResultRow* Row(int index) const {
        if (index < 0 || index >= Count())
            return nullptr;
        return &Rows[static_cast<size_t>(index)];
    }
    size_t Capacity() const { return RowCapacity; }

private:
    // Looks texts up by a view, without making a string.
    using TKey = std::pair<std::string_view, TVerdict>;
    struct THash {
        using is_transparent = void;
        size_t operator()(const TKey& key) const {
            return std::hash<std::string_view>()(key.first) ^ static_cast<size_t>(key.second);
        }
        size_t operator()(const TResultText& text) const {
            return (*this)(TKey{text.Text, text.Verdict});
        }
    };
    struct TEqual {
        using is_transparent = void;
        static TKey Key(const TKey& key) { return key; }
        static TKey Key(const TResultText& text) { return {text.Text, text.Verdict}; }
        template <class A, class B>
        bool operator()(const A& a, const B& b) const {
            return Key(a) == Key(b);
        }
    };
    std::shared_ptr<TEntryList> ListM;
    std::shared_ptr<TEntryList> ListS;
    std::unordered_set<TResultText, THash, TEqual> Texts;
    size_t RowCapacity = 0;
    std::unique_ptr<TResultRow[]> Rows;
    std::atomic<int> Published{0};
};

// The pairing pass over two lists of arbitrary names (any bytes but "/" and
// NUL, letter-case twins and bytes that are not UTF-8 included), sorted by the
// collator as the engine sorts them:
// - every entry of both lists stands in exactly one row;
// - a pair's two names are equal to the collator, and a name present on both
//   sides byte for byte is paired with itself;
// - within names equal to the collator, as many pairs are made as the smaller
//   side allows;
// - rows come in collation order, and a second pass gives the same rows.
#include <fuzzer/FuzzedDataProvider.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "ICompareCallBack.h"
#include "TContentComparer.h"
#include "TEntryList.h"
#include "TPairing.h"
#include "TResultList.h"
#include "platform/Collator.h"

namespace {

struct TRow {
    const TSearchRecEx* M;
    const TSearchRecEx* S;
    bool operator==(const TRow&) const = default;
};

class TRows : public ICompareCallBack {
public:
    std::vector<TRow> Rows;
    void OnCompareBegin(TCompare*) override {}
    void OnListReady(TCompare*, int, int) override {}
    void OnRowReady(TCompare*, int, int, int, const TSearchRecEx* m, const TSearchRecEx* s,
                    const TResultRow&) override {
        Rows.push_back({m, s});
    }
    void OnCompareDone(TCompare*, int, int, int) override {}
    void OnCompareEnd(TCompare*) override {}
};

// Distinct names, as one folder holds them; a few share a subfolder.
std::shared_ptr<TEntryList> MakeList(FuzzedDataProvider& input, platform::TCollator& collator) {
    auto list = std::make_shared<TEntryList>();
    const TFolder& root = list->AddFolder("/r/", 3);
    const TFolder& sub = list->AddFolder("/r/Sub/", 3);
    std::set<std::pair<const TFolder*, std::string>> seen;
    const size_t count = input.ConsumeIntegralInRange<size_t>(0, 24);
    for (size_t i = 0; i < count && input.remaining_bytes() > 0; ++i) {
        const TFolder* folder = input.ConsumeBool() ? &sub : &root;
        std::string name = input.ConsumeRandomLengthString(12);
        std::erase(name, '/');
        std::erase(name, '\0');
        if (name.empty() || name == "." || name == ".." || !seen.insert({folder, name}).second)
            continue;
        TSearchRecEx& entry = list->AddEntry(*folder);
        entry.Name = name;
    }
    list->Sort(collator);
    return list;
}

std::vector<TRow> Pair(const std::shared_ptr<TEntryList>& listM,
                       const std::shared_ptr<TEntryList>& listS) {
    TRows rows;
    TCompareOption option;
    option.SkipContents = true;  // no file is read: names alone decide
    std::atomic<bool> stop{false};
    TContentComparer contents({});
    TResultList results(listM, listS);
    TPairing pairing(nullptr, &rows, option, stop, contents);
    TPairingResult result = pairing.Run(*listM, *listS, results);
    FUZZ_CHECK(!result.Stopped);
    FUZZ_CHECK(result.Rows == static_cast<int>(rows.Rows.size()));
    FUZZ_CHECK(results.Count() == result.Rows);
    return rows.Rows;
}

const TSearchRecEx& Key(const TRow& row) {
    return row.M ? *row.M : *row.S;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    static platform::TCollator collator;
    auto listM = MakeList(input, collator);
    auto listS = MakeList(input, collator);
    const std::vector<TRow> rows = Pair(listM, listS);

    std::map<const TSearchRecEx*, int> uses;
    for (const TRow& row : rows) {
        FUZZ_CHECK(row.M || row.S);
        if (row.M)
            ++uses[row.M];
        if (row.S)
            ++uses[row.S];
        if (row.M && row.S)
            FUZZ_CHECK(TEntryList::CompareKeys(*row.M, *row.S) == 0);
    }
    FUZZ_CHECK(uses.size() == static_cast<size_t>(listM->Count() + listS->Count()));
    for (const auto& [entry, count] : uses)
        FUZZ_CHECK(count == 1);

    for (size_t i = 1; i < rows.size(); ++i)
        FUZZ_CHECK(TEntryList::CompareKeys(Key(rows[i - 1]), Key(rows[i])) <= 0);

    for (const TRow& row : rows) {
        // A name alone in its row has no byte-equal twin left on the other side.
        const TEntryList& other = row.M ? *listS : *listM;
        const TSearchRecEx& own = Key(row);
        if (row.M && row.S)
            continue;
        for (int i = 0; i < other.Count(); ++i)
            FUZZ_CHECK(TEntryList::CompareRelPathBytes(own, *other.At(i)) != 0);
        // ... and no partner of equal key left alone either.
        for (const TRow& alone : rows)
            if (!(alone.M && alone.S) && (alone.M == nullptr) != (row.M == nullptr))
                FUZZ_CHECK(TEntryList::CompareKeys(own, Key(alone)) != 0);
    }

    FUZZ_CHECK(Pair(listM, listS) == rows);
    return 0;
}

// The pairing pass over two lists of arbitrary names (any bytes but "/" and
// NUL, letter-case twins and bytes that are not UTF-8 included; some target
// names are source names with letters of another case or an invisible
// character put in), sorted by the collator as the engine sorts them:
// - every entry of both lists stands in exactly one row;
// - a pair's two names have the same folded form (composition and simple
//   case folding), and a name present on both sides byte for byte is paired
//   with itself;
// - names that differ only in ASCII letter case always have the same folded
//   form, and ASCII names have it only then;
// - the folded form (worked out character by character) is that of the whole
//   name decomposed, folded and composed again by ICU, also for names made of
//   characters whose folding or composition is tricky;
// - within names of one folded form, as many pairs are made as the smaller
//   side allows;
// - rows come in key order, and a second pass gives the same rows;
// - paired case sensitively (as the input chooses), all of the above with
//   the composed form (NFC alone) in place of the folded one, and ASCII
//   names pair only when equal byte for byte.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <atomic>
#include <cctype>
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
#include "platform/CaseFold.h"
#include "platform/Collator.h"

#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

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

// A name of `other` with some ASCII letters in the other case, or with an
// invisible character put in: a twin that must or must not pair.
std::string Twin(FuzzedDataProvider& input, const TEntryList& other) {
    const TSearchRecEx* entry = other.At(input.ConsumeIntegralInRange(0, other.Count() - 1));
    std::string name = entry->Name;
    if (input.ConsumeBool()) {
        for (char& c : name)
            if (std::isalpha(static_cast<unsigned char>(c)) && input.ConsumeBool())
                c = static_cast<char>(c ^ 0x20);
    } else {
        static const char* const invisible[] = {"\u200b", "\u00ad", "\x01", "\u0301"};
        name.insert(input.ConsumeIntegralInRange<size_t>(0, name.size()),
                    invisible[input.ConsumeIntegralInRange(0, 3)]);
    }
    return name;
}

// A name made of characters whose folding or composition is tricky: letters
// with and without marks, combining marks in any order, characters with no
// one-character fold, singletons that normalisation replaces, kana with
// voicing marks, characters beyond the first plane, a byte that is not UTF-8.
std::string TrickyName(FuzzedDataProvider& input) {
    static const char* const palette[] = {
        "A",      "a",      "I",          "i",          "\u0130", "\u0131", "J",      "\u01f0",
        "S",      "\u1e9e", "\u00df",     "E",          "\u00c9", "\u00e9", "\u0301", "\u0307",
        "\u030c", "\u0323", "\u0308",     "\u0345",     "\u0344", "\u0391", "\u1fbc", "\u1fb3",
        "\u304b", "\u3099", "\u304c",     "\uff76",     "\u212b", "\u00c5", "\u2126", "\u01c5",
        "<",      "\u0338", "\U00010400", "\U0001f389", "\xff",   "\u1100", "\u1161", "\uac00",
    };
    std::string name;
    const size_t length = input.ConsumeIntegralInRange<size_t>(1, 6);
    for (size_t i = 0; i < length; ++i)
        name += palette[input.ConsumeIntegralInRange<size_t>(0, std::size(palette) - 1)];
    return name;
}

// Distinct names, as one folder holds them; a few share a subfolder.
std::shared_ptr<TEntryList> MakeList(FuzzedDataProvider& input, platform::TCollator& collator,
                                     const TEntryList* other, bool caseSensitive) {
    auto list = std::make_shared<TEntryList>();
    const TFolder& root = list->AddFolder("/r/", 3);
    const TFolder& sub = list->AddFolder("/r/Sub/", 3);
    std::set<std::pair<const TFolder*, std::string>> seen;
    const size_t count = input.ConsumeIntegralInRange<size_t>(0, 24);
    for (size_t i = 0; i < count && input.remaining_bytes() > 0; ++i) {
        const TFolder* folder = input.ConsumeBool() ? &sub : &root;
        std::string name;
        switch (input.ConsumeIntegralInRange(0, 3)) {
            case 0:
                name = TrickyName(input);
                break;
            case 1:
                if (other && other->Count() > 0) {
                    name = Twin(input, *other);
                    break;
                }
                [[fallthrough]];
            default:
                name = input.ConsumeRandomLengthString(12);
        }
        std::erase(name, '/');
        std::erase(name, '\0');
        if (name.empty() || name == "." || name == ".." || !seen.insert({folder, name}).second)
            continue;
        TSearchRecEx& entry = list->AddEntry(*folder);
        entry.Name = name;
    }
    list->Sort(collator, nullptr, caseSensitive);
    return list;
}

std::vector<TRow> Pair(const std::shared_ptr<TEntryList>& listM,
                       const std::shared_ptr<TEntryList>& listS, bool caseSensitive) {
    TRows rows;
    TCompareOption option;
    option.CaseSensitive = caseSensitive;
    option.SkipContents = true;  // no file is read: names alone decide
    std::atomic<bool> stop{false};
    static TContentComparer contents({});  // never asked: made once, its buffers are large
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

// The form pairing compares: folded, or case sensitively only composed.
std::string Folded(const TSearchRecEx& entry, bool caseSensitive) {
    if (!caseSensitive)
        return platform::FoldCase(entry.RelPath());
    platform::TCaseFolder composer(false);
    return std::string(composer.Fold(entry.RelPath()));
}

// The folded form by its definition, on the whole text at once: NFC of the
// simple case folding of the NFD form, combining marks and bytes that are not
// UTF-8 (carried as lone surrogates) kept; without foldCase only NFC.
std::string ReferenceFold(const std::string& utf8, bool foldCase) {
    std::u16string text;
    const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto count = static_cast<int32_t>(utf8.size());
    for (int32_t i = 0; i < count;) {
        const int32_t start = i;
        UChar32 c;
        U8_NEXT(bytes, i, count, c);
        if (c < 0) {
            i = start + 1;
            c = 0xDC00 + bytes[start];
        }
        if (c > 0xFFFF) {
            text.push_back(U16_LEAD(c));
            text.push_back(U16_TRAIL(c));
        } else {
            text.push_back(static_cast<char16_t>(c));
        }
    }
    auto normalize = [](const std::u16string& in, bool compose) {
        UErrorCode status = U_ZERO_ERROR;
        const UNormalizer2* n =
            compose ? unorm2_getNFCInstance(&status) : unorm2_getNFDInstance(&status);
        std::u16string out(in.size() * 4 + 16, u'\0');
        const int32_t size =
            unorm2_normalize(n, in.data(), static_cast<int32_t>(in.size()), out.data(),
                             static_cast<int32_t>(out.size()), &status);
        FUZZ_CHECK(U_SUCCESS(status));
        out.resize(static_cast<size_t>(size));
        return out;
    };
    const std::u16string decomposed = normalize(text, false);
    std::u16string folded;
    for (size_t i = 0; i < decomposed.size();) {
        UChar32 c;
        U16_NEXT(decomposed.data(), i, decomposed.size(), c);
        const bool bad = c >= 0xDC80 && c <= 0xDCFF;
        if (foldCase && !bad && u_getCombiningClass(c) == 0)
            c = u_foldCase(c, U_FOLD_CASE_DEFAULT);
        if (c > 0xFFFF) {
            folded.push_back(U16_LEAD(c));
            folded.push_back(U16_TRAIL(c));
        } else {
            folded.push_back(static_cast<char16_t>(c));
        }
    }
    std::string out;
    const std::u16string composed = normalize(folded, true);
    for (size_t i = 0; i < composed.size();) {
        UChar32 c;
        U16_NEXT(composed.data(), i, composed.size(), c);
        if (c >= 0xDC80 && c <= 0xDCFF) {
            out.push_back(static_cast<char>(c - 0xDC00));
            continue;
        }
        char buffer[4];
        int32_t length = 0;
        U8_APPEND_UNSAFE(buffer, length, c);
        out.append(buffer, static_cast<size_t>(length));
    }
    return out;
}

bool IsAscii(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    static platform::TCollator collator;
    const bool cs = input.ConsumeBool();
    auto listM = MakeList(input, collator, nullptr, cs);
    auto listS = MakeList(input, collator, listM.get(), cs);
    const std::vector<TRow> rows = Pair(listM, listS, cs);

    std::map<const TSearchRecEx*, int> uses;
    for (const TRow& row : rows) {
        FUZZ_CHECK(row.M || row.S);
        if (row.M)
            ++uses[row.M];
        if (row.S)
            ++uses[row.S];
        if (row.M && row.S) {
            FUZZ_CHECK(TEntryList::CompareKeys(*row.M, *row.S, cs) == 0);
            FUZZ_CHECK(Folded(*row.M, cs) == Folded(*row.S, cs));
        }
    }

    for (const auto* list : {listM.get(), listS.get()})
        for (int i = 0; i < list->Count(); ++i)
            FUZZ_CHECK(Folded(*list->At(i), cs) == ReferenceFold(list->At(i)->RelPath(), !cs));

    // Folding against an oracle for ASCII letter case.
    std::vector<std::string> foldedS;
    for (int j = 0; j < listS->Count(); ++j)
        foldedS.push_back(Folded(*listS->At(j), cs));
    for (int i = 0; i < listM->Count(); ++i) {
        const TSearchRecEx& m = *listM->At(i);
        const std::string relM = m.RelPath(), foldedM = Folded(m, cs);
        for (int j = 0; j < listS->Count(); ++j) {
            const TSearchRecEx& s = *listS->At(j);
            const std::string relS = s.RelPath();
            const bool sameForm = foldedM == foldedS[static_cast<size_t>(j)];
            FUZZ_CHECK(sameForm == (TEntryList::CompareKeys(m, s, cs) == 0));
            if (cs ? relM == relS : EqualIgnoringAsciiCase(relM, relS))
                FUZZ_CHECK(sameForm);
            else if (IsAscii(relM) && IsAscii(relS))
                FUZZ_CHECK(!sameForm);
        }
    }
    FUZZ_CHECK(uses.size() == static_cast<size_t>(listM->Count() + listS->Count()));
    for (const auto& [entry, count] : uses)
        FUZZ_CHECK(count == 1);

    for (size_t i = 1; i < rows.size(); ++i)
        FUZZ_CHECK(TEntryList::CompareKeys(Key(rows[i - 1]), Key(rows[i]), cs) <= 0);

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
                FUZZ_CHECK(TEntryList::CompareKeys(own, Key(alone), cs) != 0);
    }

    FUZZ_CHECK(Pair(listM, listS, cs) == rows);
    return 0;
}

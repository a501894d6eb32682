#include "pairview/TLineDiff.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_map>

namespace {

// Lines that must agree after a mismatch before the texts count as back in step.
constexpr size_t AnchorLines = 3;
constexpr size_t FirstWindow = 16;
// What is left of two texts up to this many lines in all goes to the edit
// script at once, which then finds a shortest one.
constexpr size_t WholeRest = 4096;
// Above this (sum of lengths times the shorter length, after lines found on
// one side only are taken out) a region counts as replaced whole: the edit
// script's time grows with that product.
constexpr size_t RegionWorkLimit = size_t(1) << 27;

class TDiffer {
public:
    TDiffer(const TTextLines& m, const TTextLines& s, bool ignoreLineEnds)
        : M(m),
          S(s),
          Ignore(ignoreLineEnds),
          CountM(m.ComparedCount(ignoreLineEnds)),
          CountS(s.ComparedCount(ignoreLineEnds)) {}

    std::vector<TEditRun> Run(const std::atomic<bool>* cancel);

private:
    bool Equal(size_t i, size_t j) const {
        return M.EndsWithLf(i) == S.EndsWithLf(j) && M.Key(i, Ignore) == S.Key(j, Ignore);
    }
    size_t HashM(size_t i) const { return Hash(M.Key(i, Ignore), M.EndsWithLf(i)); }
    size_t HashS(size_t j) const { return Hash(S.Key(j, Ignore), S.EndsWithLf(j)); }
    static size_t Hash(std::string_view key, bool lf) {
        return std::hash<std::string_view>()(key) * 2 + (lf ? 1 : 0);
    }
    // Whether both texts go on alike from (p, q) for AnchorLines lines, or
    // alike to both their ends.
    bool AnchorAt(size_t p, size_t q) const;
    // The nearest anchor at or after (i, j), by lines skipped on both sides;
    // (CountM, CountS) when there is none.
    std::pair<size_t, size_t> FindAnchor(size_t i, size_t j) const;
    // Appends the runs of lines [i, p) of m against [j, q) of s.
    void DiffRegion(size_t i, size_t p, size_t j, size_t q);

    const TTextLines& M;
    const TTextLines& S;
    const bool Ignore;
    const size_t CountM;
    const size_t CountS;
    std::vector<TEditRun> Runs;
};

bool TDiffer::AnchorAt(size_t p, size_t q) const {
    for (size_t k = 0; k < AnchorLines; ++k, ++p, ++q) {
        if (p == CountM || q == CountS)
            return p == CountM && q == CountS;
        if (!Equal(p, q))
            return false;
    }
    return true;
}

std::pair<size_t, size_t> TDiffer::FindAnchor(size_t i, size_t j) const {
    std::vector<std::pair<size_t, size_t>> hashesS;  // (hash, line), sorted
    for (size_t window = FirstWindow;; window *= 4) {
        const size_t endM = std::min(CountM, i + window);
        const size_t endS = std::min(CountS, j + window);
        hashesS.clear();
        for (size_t q = j; q < endS; ++q)
            hashesS.emplace_back(HashS(q), q);
        std::sort(hashesS.begin(), hashesS.end());
        size_t best = SIZE_MAX;
        std::pair<size_t, size_t> anchor{CountM, CountS};
        for (size_t p = i; p < endM && p - i < best; ++p) {
            const size_t hash = HashM(p);
            auto at = std::lower_bound(hashesS.begin(), hashesS.end(), std::pair{hash, size_t(0)});
            for (; at != hashesS.end() && at->first == hash; ++at) {
                const size_t cost = (p - i) + (at->second - j);
                if (cost < best && AnchorAt(p, at->second)) {
                    best = cost;
                    anchor = {p, at->second};
                }
            }
        }
        if (best != SIZE_MAX || (endM == CountM && endS == CountS))
            return anchor;
    }
}

void TDiffer::DiffRegion(size_t i, size_t p, size_t j, size_t q) {
    if (i == p || j == q) {
        Runs.push_back({i, p - i, j, q - j});
        return;
    }
    // Each distinct line gets a number; lines found on one side only are
    // edits whatever else happens, so they are left out of the script.
    struct TKey {
        std::string_view Text;
        bool Lf;
        bool operator==(const TKey&) const = default;
    };
    struct TKeyHash {
        size_t operator()(const TKey& k) const {
            return std::hash<std::string_view>()(k.Text) * 2 + (k.Lf ? 1 : 0);
        }
    };
    struct TCounts {
        uint32_t Id;
        uint32_t InM = 0, InS = 0;
    };
    std::unordered_map<TKey, TCounts, TKeyHash> ids;
    ids.reserve((p - i) + (q - j));
    std::vector<TCounts*> linesM, linesS;
    for (size_t a = i; a < p; ++a) {
        auto [it, added] =
            ids.try_emplace({M.Key(a, Ignore), M.EndsWithLf(a)}, TCounts{uint32_t(ids.size())});
        ++it->second.InM;
        linesM.push_back(&it->second);
    }
    for (size_t b = j; b < q; ++b) {
        auto [it, added] =
            ids.try_emplace({S.Key(b, Ignore), S.EndsWithLf(b)}, TCounts{uint32_t(ids.size())});
        ++it->second.InS;
        linesS.push_back(&it->second);
    }
    std::vector<uint32_t> seqM, seqS;
    std::vector<size_t> lineOfM, lineOfS;
    for (size_t a = 0; a < linesM.size(); ++a)
        if (linesM[a]->InS) {
            seqM.push_back(linesM[a]->Id);
            lineOfM.push_back(i + a);
        }
    for (size_t b = 0; b < linesS.size(); ++b)
        if (linesS[b]->InM) {
            seqS.push_back(linesS[b]->Id);
            lineOfS.push_back(j + b);
        }
    std::vector<std::pair<size_t, size_t>> common;  // matched lines, in order
    const size_t shorter = std::min(seqM.size(), seqS.size());
    if (shorter > 0 && (seqM.size() + seqS.size()) * shorter <= RegionWorkLimit) {
        size_t a = 0, b = 0;
        for (const TEditRun& run : DiffSequences(seqM, seqS)) {
            for (; a < run.StartA; ++a, ++b)
                common.emplace_back(lineOfM[a], lineOfS[b]);
            a += run.CountA;
            b += run.CountB;
        }
        for (; a < seqM.size(); ++a, ++b)
            common.emplace_back(lineOfM[a], lineOfS[b]);
    }
    // The gaps between matched lines are the runs.
    size_t a = i, b = j;
    common.emplace_back(p, q);
    for (const auto& [lineM, lineS] : common) {
        if (lineM > a || lineS > b)
            Runs.push_back({a, lineM - a, b, lineS - b});
        a = lineM + 1;
        b = lineS + 1;
    }
}

std::vector<TEditRun> TDiffer::Run(const std::atomic<bool>* cancel) {
    size_t i = 0, j = 0;
    while (true) {
        while (i < CountM && j < CountS && Equal(i, j)) {
            ++i;
            ++j;
        }
        if (i == CountM || j == CountS) {
            if (i < CountM || j < CountS)
                Runs.push_back({i, CountM - i, j, CountS - j});
            break;
        }
        if (cancel && cancel->load(std::memory_order_relaxed))
            break;
        if ((CountM - i) + (CountS - j) <= WholeRest) {
            DiffRegion(i, CountM, j, CountS);
            break;
        }
        const auto [p, q] = FindAnchor(i, j);
        DiffRegion(i, p, j, q);
        i = p;
        j = q;
    }
    return std::move(Runs);
}

}  // namespace

std::vector<TEditRun> DiffLines(const TTextLines& m, const TTextLines& s, bool ignoreLineEnds,
                                const std::atomic<bool>* cancel) {
    return TDiffer(m, s, ignoreLineEnds).Run(cancel);
}

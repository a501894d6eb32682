#include "TMovedFiles.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "TContentComparer.h"
#include "TContentPipeline.h"
#include "TEntrySource.h"
#include "TPairingSteps.h"
#include "TUnreadableFolders.h"
#include "platform/Directory.h"
#include "platform/FileDigest.h"

namespace {

// A one-sided file that may have moved.
struct TCandidate {
    int64_t Size = 0;
    const TSearchRecEx* Entry = nullptr;
    int Position = 0;  // in its sorted list
    bool Source = false;
    bool Digested = false;  // Digest holds the file's digest
    platform::TDigest Digest;
};

// Runs job(state, i) for every i below count, on the caller's thread and up
// to `workers` more, each thread with a TState of its own made by make().
// job returns true when it read bytes that were not cached: the files come
// from the disk, which does better with more reads under way, so the caller
// then adds up to TContentPipeline::ColdWorkers threads (fewer under a low
// descriptor limit), as the pairing pass does. A thread that cannot be had
// or cannot make its state leaves its share to the others; the caller's own
// failure passes on after the others are done.
template <class TMake, class TJob>
void ForEach(size_t count, int workers, const TMake& make, const TJob& job) {
    std::atomic<size_t> next{0};
    std::vector<std::thread> threads;
    std::function<void()> guarded;
    auto run = [&](bool caller) {
        auto state = make();
        bool cold = !caller || workers <= 0;  // cold threads are added once, when there are any
        for (size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < count;) {
            if (job(*state, i) && !cold) {
                cold = true;
                // Each thread holds two files at most.
                const size_t room = platform::DescriptorLimit() / 4 / 2;
                const size_t more =
                    std::min(TContentPipeline::ColdWorkers,
                             room > threads.size() + 1 ? room - threads.size() - 1 : 0);
                try {
                    for (size_t k = 0; k < more; ++k)
                        threads.emplace_back(guarded);
                } catch (...) {
                    // Fewer threads: the others do their share.
                }
            }
        }
    };
    guarded = [&run] {
        try {
            run(false);
        } catch (...) {
            // Its share goes to the other threads.
        }
    };
    const size_t extra = std::min<size_t>(static_cast<size_t>(std::max(0, workers)), count / 2);
    std::exception_ptr failure;
    try {
        for (size_t k = 0; k < extra; ++k)
            threads.emplace_back(guarded);
        run(true);
    } catch (...) {
        failure = std::current_exception();
    }
    for (std::thread& thread : threads)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}

// A regular file of at least `least` bytes whose bytes can be read here (not
// an entry of a snapshot or of a far side: a match must be confirmed byte by
// byte).
bool Matchable(const TSearchRecEx* entry, int64_t least) {
    return entry && entry->Kind == TFileKind::Regular && !entry->IsFolder() &&
           entry->Size >= least && HasFile(*entry);
}

}  // namespace

void TMovedFiles::Find(const TEntryList& listM, const TEntryList& listS,
                       const TCompareOption& option, int workers) {
    Targets.clear();
    MovedS.clear();
    const int64_t least = std::max<int64_t>(1, option.MovedMinSize);

    // The files the pass will show on one side only; not those below a
    // folder of the other side that could not be read, whose partner may
    // simply be unseen.
    std::vector<TCandidate> candidates;
    TPairingSteps steps(listM, listS, option.CaseSensitive);
    TUnreadableFolders unreadableM, unreadableS;
    unreadableM.Reset(listM, option.CaseSensitive);
    unreadableS.Reset(listS, option.CaseSensitive);
    for (TPairingStep step; steps.Next(step);) {
        const bool source = step.RowS < 0;
        const int position = source ? step.RowM : step.RowS;
        if (step.RowM >= 0 && step.RowS >= 0)
            continue;
        const TSearchRecEx* entry = (source ? listM : listS).At(position);
        TUnreadableFolders& other = source ? unreadableS : unreadableM;
        if (Matchable(entry, least) && (other.Empty() || !other.HoldsAncestorOf(*entry)))
            candidates.push_back({entry->Size, entry, position, source, false, {}});
    }
    std::sort(candidates.begin(), candidates.end(), [](const TCandidate& a, const TCandidate& b) {
        return a.Size != b.Size ? a.Size < b.Size : a.Source > b.Source;
    });

    // Sizes held on both sides: a lone file of a size on each side is a pair
    // to compare, larger groups are digested first.
    std::vector<std::pair<const TCandidate*, const TCandidate*>> pairs;
    std::vector<std::pair<size_t, size_t>> groups;  // [begin, end) of candidates to digest
    std::vector<TCandidate*> toDigest;
    for (size_t begin = 0, end; begin < candidates.size(); begin = end) {
        end = begin;
        size_t sources = 0;
        while (end < candidates.size() && candidates[end].Size == candidates[begin].Size)
            sources += candidates[end++].Source ? 1 : 0;
        const size_t targets = end - begin - sources;
        if (sources == 0 || targets == 0)
            continue;
        if (sources == 1 && targets == 1) {
            pairs.emplace_back(&candidates[begin], &candidates[begin + 1]);
            continue;
        }
        groups.emplace_back(begin, end);
        for (size_t i = begin; i < end; ++i)
            toDigest.push_back(&candidates[i]);
    }

    ForEach(
        toDigest.size(), workers, [] { return std::make_unique<platform::TFileDigester>(); },
        [this, &toDigest](platform::TFileDigester& digester, size_t i) {
            TCandidate& c = *toDigest[i];
            c.Digested = digester.Digest(c.Entry->FullPath(), Stop, c.Digest);
            return digester.ReadUncached();
        });
    for (auto [begin, end] : groups) {
        auto first = candidates.begin() + static_cast<ptrdiff_t>(begin);
        auto last = candidates.begin() + static_cast<ptrdiff_t>(end);
        // Files that could not be read match nothing.
        last = std::partition(first, last, [](const TCandidate& c) { return c.Digested; });
        std::sort(first, last, [](const TCandidate& a, const TCandidate& b) {
            return a.Digest != b.Digest ? a.Digest < b.Digest : a.Source > b.Source;
        });
        for (auto same = first; same != last;) {
            auto beyond = std::find_if(
                same, last, [&](const TCandidate& c) { return c.Digest != same->Digest; });
            if (beyond - same == 2 && same->Source && !(same + 1)->Source)
                pairs.emplace_back(&*same, &*(same + 1));
            same = beyond;
        }
    }

    // Equal digests are confirmed byte by byte, as lone sizes are compared.
    std::vector<char> equal(pairs.size(), 0);
    auto stop = [this] { return Stop.load(std::memory_order_relaxed); };
    ForEach(
        pairs.size(), workers, [&stop] { return std::make_unique<TContentComparer>(stop); },
        [&pairs, &equal](TContentComparer& comparer, size_t i) {
            // By path: the pairs lie in folders all over both trees, where
            // the comparer's folder handles would only be opened and closed.
            const TSearchRecEx& m = *pairs[i].first->Entry;
            const TSearchRecEx& s = *pairs[i].second->Entry;
            std::string reason;
            equal[i] = comparer.Compare(m.FullPath(), m.Kind, s.FullPath(), s.Kind, reason) ==
                       ContentResult::Equal;
            return comparer.ReadUncached();
        });
    for (size_t i = 0; i < pairs.size(); ++i) {
        if (!equal[i])
            continue;
        Targets.emplace(pairs[i].first->Position, pairs[i].second->Position);
        MovedS.insert(pairs[i].second->Position);
    }
}

#include "pairview/DiffSequences.h"

#include <dtl/dtl.hpp>

// dtl (Debian's libdtl-dev) computes the edit script: Wu, Manber and Myers'
// O(NP) algorithm, header-only. Only this file knows it.
std::vector<TEditRun> DiffSequences(std::span<const uint32_t> a, std::span<const uint32_t> b) {
    std::vector<TEditRun> runs;
    if (a.empty() && b.empty())
        return runs;
    if (a.empty() || b.empty()) {
        runs.push_back({0, a.size(), 0, b.size()});
        return runs;
    }
    dtl::Diff<uint32_t, std::vector<uint32_t>> diff(std::vector<uint32_t>(a.begin(), a.end()),
                                                    std::vector<uint32_t>(b.begin(), b.end()));
    diff.compose();
    size_t i = 0, j = 0;
    TEditRun* open = nullptr;
    for (const auto& [item, info] : diff.getSes().getSequence()) {
        (void)item;
        if (info.type == dtl::SES_COMMON) {
            open = nullptr;
            ++i;
            ++j;
            continue;
        }
        if (!open) {
            runs.push_back({i, 0, j, 0});
            open = &runs.back();
        }
        if (info.type == dtl::SES_DELETE) {
            ++open->CountA;
            ++i;
        } else {
            ++open->CountB;
            ++j;
        }
    }
    return runs;
}

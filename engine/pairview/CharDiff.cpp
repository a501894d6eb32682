#include "pairview/CharDiff.h"

#include <algorithm>
#include <cstdint>

#include "pairview/DiffSequences.h"

namespace {

// Beyond this product of the lengths the edit script costs too much per row drawn.
constexpr size_t ScriptLimit = 4000 * 4000;

}  // namespace

TCharDiff DiffChars(std::u16string_view m, std::u16string_view s) {
    TCharDiff diff;
    // The common start and end are never marked; only the middle is compared.
    size_t head = 0;
    while (head < m.size() && head < s.size() && m[head] == s[head])
        ++head;
    size_t tail = 0;
    while (tail < m.size() - head && tail < s.size() - head &&
           m[m.size() - 1 - tail] == s[s.size() - 1 - tail])
        ++tail;
    const std::u16string_view midM = m.substr(head, m.size() - head - tail);
    const std::u16string_view midS = s.substr(head, s.size() - head - tail);
    if (midM.size() * midS.size() > ScriptLimit || midM.empty() || midS.empty()) {
        if (!midM.empty())
            diff.M.push_back({head, midM.size()});
        if (!midS.empty())
            diff.S.push_back({head, midS.size()});
        return diff;
    }
    const std::vector<uint32_t> a(midM.begin(), midM.end()), b(midS.begin(), midS.end());
    for (const TEditRun& run : DiffSequences(a, b)) {
        if (run.CountA)
            diff.M.push_back({head + run.StartA, run.CountA});
        if (run.CountB)
            diff.S.push_back({head + run.StartB, run.CountB});
    }
    return diff;
}

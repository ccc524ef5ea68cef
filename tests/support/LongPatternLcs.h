#ifndef LONGPATTERNLCS_H
#define LONGPATTERNLCS_H

#include "BitParallelLcs.h"
#include "PlainWeightedRatio.h"

#include <string>
#include <vector>

namespace plain {

// What the LCS of a long pattern promises when asked for at least `needed` common bytes, by the
// 64-bit steps and by the vector steps where the processor has them: the LCS itself where it
// reaches `needed` (the band is just wide enough at needed == LCS), something smaller where not.
// Checked at needed = 0, LCS - 1, LCS, LCS + 1 and `alsoNeeded`; empty where it holds.
inline std::string
brokenLcsAtLeast(const std::string &pattern, const std::string &text, std::size_t alsoNeeded = 0)
{
    const std::size_t common = lcs(pattern, text);
    const similarity::BitPattern bits(pattern, similarity::BitPattern::Direction::ForwardOnly);
    for (const std::size_t needed : {std::size_t(0), common - 1, common, common + 1, alsoNeeded}) {
        std::vector<std::size_t> found
            = {similarity::lcsAtLeastWith<similarity::MultiWordLcs>(bits, text, needed)};
        if (similarity::wideLcsAvailable(bits.blocks()))
            found.push_back(
                similarity::wideLcsAtLeast(bits.forwardTable(), bits.size(), text, needed));
        for (const std::size_t result : found) {
            if (needed <= common ? result != common : result >= needed)
                return "needed " + std::to_string(needed) + ": " + std::to_string(result) + ", LCS "
                    + std::to_string(common) + " for |pattern| " + std::to_string(pattern.size())
                    + ", |text| " + std::to_string(text.size());
        }
    }
    return {};
}

} // namespace plain

#endif // LONGPATTERNLCS_H

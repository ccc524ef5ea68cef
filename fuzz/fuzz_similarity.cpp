// Differential: the fast weighted ratio (one call and prepared scorer, its bounds and its
// floors) against the plain quadratic one written from the definition. The first byte says where
// the rest is cut into the two strings.

#include "LongPatternLcs.h"
#include "PlainWeightedRatio.h"
#include "WeightedRatio.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The plain version tries every window with a quadratic table: keep it quick.
constexpr std::size_t longestInput = 300;

void expectSameScore(
    double fast, double plainScore, const std::string &a, const std::string &b, const char *which)
{
    if (std::fabs(fast - plainScore) <= 1e-9)
        return;
    std::fprintf(stderr,
                 "%s: %.17g, plain: %.17g for |a|=%zu |b|=%zu\n",
                 which,
                 fast,
                 plainScore,
                 a.size(),
                 b.size());
    std::abort();
}

// The LCS of a long pattern (513 to 2,300 bytes, the input repeated) against a text made from it,
// asked for at least `needed` common bytes: the 64-bit steps and the vector steps against the
// quadratic table, at the band's edges and at a place the input chooses.
void checkLongPatternLcs(const std::string &rest, const std::uint8_t *data)
{
    const auto repeated = [&rest](std::size_t length, std::size_t from) {
        std::string text(length, '\0');
        for (std::size_t i = 0; i < length; ++i)
            text[i] = rest[(from + i) % rest.size()];
        return text;
    };
    const std::string pattern = repeated(513 + data[0] * 7u, 0);
    std::string text = repeated(400 + data[1] * 7u, data[2]);
    if (data[1] & 1) {
        // A near copy: a narrow band.
        text = pattern.substr(0, std::min(pattern.size(), text.size()));
        for (std::size_t i = data[2]; i < text.size(); i += 7u + data[3])
            text[i] = static_cast<char>(data[4]);
    }
    const std::string broken = plain::brokenLcsAtLeast(pattern, text, data[4] * text.size() / 255);
    if (broken.empty())
        return;
    std::fprintf(stderr, "long pattern LCS: %s\n", broken.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0 || size > longestInput)
        return 0;
    const std::string rest(reinterpret_cast<const char *>(data + 1), size - 1);
    const std::size_t cut = rest.empty() ? 0 : data[0] % (rest.size() + 1);
    const std::string a = rest.substr(0, cut);
    const std::string b = rest.substr(cut);
    // One input in four also drives the LCS of long patterns, which the plain scorer would take
    // too long over.
    if (size > 5 && data[5] % 4 == 0)
        checkLongPatternLcs(rest, data);
    const double expected = plain::weightedRatio(a, b);
    expectSameScore(similarity::weightedRatio(a, b), expected, a, b, "weightedRatio");
    const similarity::WeightedRatioScorer scorer(a);
    expectSameScore(scorer.score(b), expected, a, b, "scorer");
    // What a search reads instead of the score: bounds never below it, exact ones equal to it,
    // and scores under a floor exact above the floor.
    const similarity::ScoreBound bound = scorer.bound(b);
    if (bound.bound < expected || (bound.exact && bound.bound != expected))
        expectSameScore(bound.bound, expected, a, b, "bound");
    if (!(similarity::byteKinds(a) & similarity::byteKinds(b)))
        expectSameScore(0.0, expected, a, b, "no common kind of byte");
    for (const double floor : {data[0] * 0.4, expected * (1.0 - 1e-9), expected}) {
        const double aboveFloor = scorer.score(b, floor);
        if (expected > floor)
            expectSameScore(aboveFloor, expected, a, b, "scorer above a floor");
        else if (aboveFloor > floor)
            expectSameScore(aboveFloor, floor, a, b, "scorer under a floor");
    }
    return 0;
}

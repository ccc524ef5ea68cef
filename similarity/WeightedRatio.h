#ifndef WEIGHTEDRATIO_H
#define WEIGHTEDRATIO_H

#include <cstdint>
#include <memory>
#include <string_view>

namespace similarity {

// Weighted similarity ratio of two byte strings, 0..100 (100: equal, 0: either empty).
// It blends the plain ratio with partial (best window) and token-set ratios, and
// gives the same score as the RapidFuzz library's WRatio on the same bytes.
double weightedRatio(std::string_view s1, std::string_view s2);

// Which kinds of byte a text holds, one bit per kind (every white-space byte is one kind): two
// texts whose kinds do not meet share no byte, not even white space, and score 0.
std::uint64_t byteKinds(std::string_view text);

// What can be said of a score without computing it: it is at most `bound`, and equal to it
// when `exact`.
struct ScoreBound
{
    double bound = 100.0;
    bool exact = false;
};

// A query prepared once and scored against many candidates:
// WeightedRatioScorer(q).score(c) == weightedRatio(q, c).
class WeightedRatioScorer
{
public:
    explicit WeightedRatioScorer(std::string_view query);
    WeightedRatioScorer(const WeightedRatioScorer &other);
    WeightedRatioScorer(WeightedRatioScorer &&other) noexcept;
    WeightedRatioScorer &operator=(const WeightedRatioScorer &other);
    WeightedRatioScorer &operator=(WeightedRatioScorer &&other) noexcept;
    ~WeightedRatioScorer();

    // The query's bytes (an own copy).
    std::string_view query() const;
    double score(std::string_view candidate) const;
    // The same where it exceeds `floor`; where it does not, some value no greater than the
    // floor, found with less work (a search needs exact scores only above its bar).
    double score(std::string_view candidate, double floor) const;
    // A cheap upper bound of score(candidate), from the lengths, the bytes the two share and
    // whether the shorter occurs in the longer; a search skips what cannot reach its bar.
    ScoreBound bound(std::string_view candidate) const;

private:
    struct PreparedQuery;
    // On the heap so that the prepared data may refer to the query bytes it holds.
    std::unique_ptr<const PreparedQuery> m_prepared;
};

} // namespace similarity

#endif // WEIGHTEDRATIO_H

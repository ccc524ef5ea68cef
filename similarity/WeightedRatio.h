#ifndef SIMILARITY_WEIGHTEDRATIO_H
#define SIMILARITY_WEIGHTEDRATIO_H

#include <string_view>

namespace similarity {

// Weighted similarity ratio of two byte strings, 0..100 (100: equal, 0: either empty).
double weightedRatio(std::string_view s1, std::string_view s2);

// A query prepared once and scored against many candidates.
class WeightedRatioScorer
{
public:
    explicit WeightedRatioScorer(std::string_view query);
    double score(std::string_view candidate) const;

private:
    std::string_view m_query;
};

} // namespace similarity

#endif

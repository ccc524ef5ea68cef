#include "WeightedRatio.h"

namespace similarity {

double weightedRatio(std::string_view s1, std::string_view s2)
{
    return (s1.empty() || s2.empty()) ? 0.0 : (s1 == s2 ? 100.0 : 0.0);
}

WeightedRatioScorer::WeightedRatioScorer(std::string_view query)
    : m_query(query)
{
}

double WeightedRatioScorer::score(std::string_view candidate) const
{
    return weightedRatio(m_query, candidate);
}

} // namespace similarity

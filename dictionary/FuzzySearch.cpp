#include "ConlangDictionary.h"

#include "WeightedRatio.h"

#include <QStringEncoder>

#include <algorithm>
#include <string>
#include <string_view>

namespace {

// Converts candidates to UTF-8 into one reused buffer instead of a new byte array each.
class Utf8Buffer
{
public:
    std::string_view encode(const QString &text)
    {
        m_bytes.resize(size_t(m_encoder.requiredSpace(text.size())));
        char *end = m_encoder.appendToBuffer(m_bytes.data(), text);
        return std::string_view(m_bytes.data(), size_t(end - m_bytes.data()));
    }

private:
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    std::string m_bytes;
};

} // namespace

QList<std::pair<QString, double>>
ConlangDictionary::fuzzyWordSearch(const QString &query, int maxResults, double threshold) const
{
    QList<std::pair<QString, double>> matches;
    if (query.isEmpty() || maxResults < 0)
        return matches;

    const QString loweredQuery = query.toLower();
    const std::string queryBytes = loweredQuery.toStdString();
    const similarity::WeightedRatioScorer scorer(queryBytes);
    Utf8Buffer candidateBytes;

    auto scoreCandidate = [&](const QString &wordKey) {
        const double score = scorer.score(candidateBytes.encode(wordKey));
        if (score >= threshold)
            matches.append({wordKey, score});
    };

    // Only words sharing the first letter are compared, unless no word starts with it.
    const auto bucket = letterIndex.constFind(loweredQuery.at(0));
    if (bucket != letterIndex.cend()) {
        for (const QString &wordKey : bucket.value())
            scoreCandidate(wordKey);
    } else {
        for (const QString &wordKey : wordSet)
            scoreCandidate(wordKey);
    }

    const auto higherScore
        = [](const std::pair<QString, double> &a, const std::pair<QString, double> &b) {
              return a.second > b.second;
          };
    // Sorting only the kept head gives the same answer as sorting everything and cutting.
    if (matches.size() > maxResults) {
        std::partial_sort(
            matches.begin(), matches.begin() + maxResults, matches.end(), higherScore);
        matches.resize(maxResults);
    } else {
        std::sort(matches.begin(), matches.end(), higherScore);
    }
    return matches;
}

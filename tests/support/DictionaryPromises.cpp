#include "DictionaryPromises.h"

#include <algorithm>

#include "SearchRanking.h"

namespace {

template<typename Key>
QString unknownWordKey(const ConlangDictionary &dictionary,
                       const QHash<Key, QList<QString>> &lists,
                       const char *name)
{
    for (auto it = lists.cbegin(); it != lists.cend(); ++it) {
        for (const QString &wordKey : it.value()) {
            if (!dictionary.wordIndexData().contains(wordKey))
                return QStringLiteral("%1 lists \"%2\", no key of wordIndex")
                    .arg(QLatin1String(name), wordKey);
        }
    }
    return {};
}

QString brokenEntry(const DictionaryEntry &entry)
{
    if (entry.phrases.size() != entry.phraseTranslations.size())
        return QStringLiteral("entry %1 has %2 phrases and %3 translations")
            .arg(entry.number)
            .arg(entry.phrases.size())
            .arg(entry.phraseTranslations.size());
    return {};
}

} // namespace

QList<QString> wordKeysInLineOrder(const ConlangDictionary &dictionary)
{
    QList<int> numbers = dictionary.numberIndexData().keys();
    std::sort(numbers.begin(), numbers.end());
    QList<QString> wordKeys;
    for (int number : numbers)
        wordKeys.append(dictionary.numberIndexData().value(number).word.toLower());
    return wordKeys;
}

QList<QString> eachWordOnce(const QList<QString> &wordKeys)
{
    QList<QString> once;
    QSet<QString> seen;
    for (const QString &word : wordKeys) {
        if (!seen.contains(word)) {
            seen.insert(word);
            once.append(word);
        }
    }
    return once;
}

QList<QString> wordsByFirstPlace(const QList<QString> &wordKeys)
{
    QList<QString> firstPlaces;
    QHash<QString, int> count;
    for (const QString &word : wordKeys) {
        if (count[word]++ == 0)
            firstPlaces.append(word);
    }
    QList<QString> ordered;
    for (const QString &word : firstPlaces)
        ordered.append(QList<QString>(count.value(word), word));
    return ordered;
}

QString brokenContainerInvariant(const ConlangDictionary &dictionary, qsizetype loadedRecords)
{
    const auto &wordIndex = dictionary.wordIndexData();
    const auto &numberIndex = dictionary.numberIndexData();
    if (dictionary.wordSetData() != QSet<QString>(wordIndex.keyBegin(), wordIndex.keyEnd()))
        return "wordSet and wordIndex hold different keys";
    if (numberIndex.size() != loadedRecords)
        return QStringLiteral("numberIndex holds %1 entries for %2 loaded records")
            .arg(numberIndex.size())
            .arg(loadedRecords);
    for (const QString &problem :
         {unknownWordKey(dictionary, dictionary.chineseIndexData(), "chineseIndex"),
          unknownWordKey(dictionary, dictionary.posIndexData(), "posIndex"),
          unknownWordKey(dictionary, dictionary.letterIndexData(), "letterIndex")}) {
        if (!problem.isEmpty())
            return problem;
    }
    for (auto it = wordIndex.cbegin(); it != wordIndex.cend(); ++it) {
        if (it.key() != it.value().word.toLower())
            return QStringLiteral("wordIndex key \"%1\" is not its word lower-cased").arg(it.key());
        if (const QString problem = brokenEntry(it.value()); !problem.isEmpty())
            return problem;
    }
    for (auto it = numberIndex.cbegin(); it != numberIndex.cend(); ++it) {
        if (it.key() != it.value().number)
            return QStringLiteral("numberIndex key %1 holds entry %2")
                .arg(it.key())
                .arg(it.value().number);
        if (!wordIndex.contains(it.value().word.toLower()))
            return QStringLiteral("entry %1 has no word key in wordIndex").arg(it.key());
        if (const QString problem = brokenEntry(it.value()); !problem.isEmpty())
            return problem;
    }
    return {};
}

OwnedEntries ownedEntries(const ConlangDictionary &dictionary)
{
    OwnedEntries owned;
    for (const DictionaryEntry &entry : dictionary.wordIndexData())
        owned.inWordIndex.insert(&entry);
    for (const DictionaryEntry &entry : dictionary.numberIndexData())
        owned.inNumberIndex.insert(&entry);
    return owned;
}

// Empty when the results keep every promise, otherwise what went wrong.
QString brokenPromise(const QList<SearchResult> &results, int maxResults, const OwnedEntries &owned)
{
    if (maxResults < 0)
        return results.isEmpty() ? QString() : QStringLiteral("results for a negative limit");
    const bool byNumber = results.size() == 1 && results.first().matchType == "index_match";
    if (!byNumber && results.size() > maxResults)
        return QStringLiteral("%1 results for the limit %2").arg(results.size()).arg(maxResults);
    QSet<const DictionaryEntry *> seen;
    const SearchRankingOrder ranksBefore;
    for (qsizetype i = 0; i < results.size(); ++i) {
        const SearchResult &result = results.at(i);
        if (seen.contains(result.entry))
            return QStringLiteral("entry %1 twice").arg(result.entry->number);
        seen.insert(result.entry);
        const auto &home = byNumber ? owned.inNumberIndex : owned.inWordIndex;
        if (!home.contains(result.entry))
            return QStringLiteral("result %1 points outside the dictionary").arg(i);
        if (result.matchType == "index_match" && !byNumber)
            return "an entry-number result among others";
        if (i > 0 && ranksBefore(result, results.at(i - 1)))
            return QStringLiteral("result %1 ranks before result %2").arg(i).arg(i - 1);
    }
    return {};
}

QString brokenFuzzyPromise(const ConlangDictionary &dictionary,
                           const QString &query,
                           int maxResults,
                           double threshold)
{
    const QList<std::pair<QString, double>> pairs
        = dictionary.fuzzyWordSearch(query, maxResults, threshold);
    if (pairs.size() > qMax(maxResults, 0))
        return "too many fuzzy pairs";
    const QString lowered = query.toLower();
    const bool hasBucket
        = !lowered.isEmpty() && dictionary.letterIndexData().contains(lowered.at(0));
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        const auto &[word, score] = pairs.at(i);
        if (score < threshold || score > 100.0)
            return QStringLiteral("fuzzy score %1 outside the threshold %2")
                .arg(score)
                .arg(threshold);
        if (i > 0 && pairs.at(i - 1).second < score)
            return "fuzzy pairs not sorted";
        if (!dictionary.wordSetData().contains(word))
            return QStringLiteral("fuzzy word \"%1\" is no word key").arg(word);
        if (hasBucket && !word.startsWith(lowered.at(0)))
            return QStringLiteral("fuzzy word \"%1\" outside the first-letter bucket").arg(word);
    }
    return {};
}

QList<std::pair<QString, double>> everyCandidateScored(const ConlangDictionary &dictionary,
                                                       const QString &query,
                                                       int maxResults,
                                                       double threshold,
                                                       ByteScorer score)
{
    QList<std::pair<QString, double>> pairs;
    if (query.isEmpty() || maxResults <= 0)
        return pairs;
    const QString lowered = query.toLower();
    const std::string bytes = lowered.toStdString();
    const auto bucket = dictionary.letterIndexData().constFind(lowered.at(0));
    const QList<QString> candidates = bucket != dictionary.letterIndexData().cend()
        ? wordsByFirstPlace(bucket.value())
        : eachWordOnce(wordKeysInLineOrder(dictionary));
    for (const QString &word : candidates) {
        const double s = score(bytes, word.toStdString());
        if (s >= threshold)
            pairs.append({word, s});
    }
    std::stable_sort(pairs.begin(), pairs.end(), [](const auto &a, const auto &b) {
        return a.second > b.second;
    });
    pairs.resize(std::min<qsizetype>(pairs.size(), maxResults));
    return pairs;
}

QString brokenMixedQueryPromise(const ConlangDictionary &dictionary,
                                const QString &query,
                                const OwnedEntries &owned)
{
    QList<SearchResult> results;
    QSet<const DictionaryEntry *> added;
    dictionary.handleMixedQuery(query, results, added);
    if (added.size() != results.size())
        return "mixed query: an entry twice, or not recorded as added";
    for (const SearchResult &result : results) {
        if (!owned.inWordIndex.contains(result.entry)
            && !owned.inNumberIndex.contains(result.entry))
            return "mixed query result points outside the dictionary";
        if (result.score < 0.0 || result.score > 100.0 || result.matchType != "mixed_query")
            return QStringLiteral("mixed query result %1 %2")
                .arg(result.matchType)
                .arg(result.score);
    }
    return {};
}

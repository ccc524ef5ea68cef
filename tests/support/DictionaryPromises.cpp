#include "DictionaryPromises.h"

#include <algorithm>
#include <tuple>

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

namespace {

QList<char32_t> codePointsOf(const QString &text)
{
    QList<char32_t> points;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            points.append(QChar::surrogateToUcs4(unit, text.at(i + 1)));
            ++i;
        } else {
            points.append(unit.unicode());
        }
    }
    return points;
}

// The cheapest alignment of a word with what was typed, 16 per edit, plus one for each letter
// typed that the word lacks (changed, or added unless typed twice): the whole table, every cell.
int plainSpellingCost(const QList<char32_t> &word, const QList<char32_t> &typed)
{
    const qsizetype n = word.size();
    const qsizetype m = typed.size();
    const auto addedAt
        = [&](qsizetype j) { return j >= 2 && typed[j - 1] == typed[j - 2] ? 16 : 17; };
    QList<QList<int>> cost(n + 1, QList<int>(m + 1, 0));
    for (qsizetype j = 1; j <= m; ++j)
        cost[0][j] = cost[0][j - 1] + addedAt(j);
    for (qsizetype i = 1; i <= n; ++i) {
        cost[i][0] = 16 * int(i);
        for (qsizetype j = 1; j <= m; ++j) {
            int best = cost[i - 1][j - 1] + (word[i - 1] == typed[j - 1] ? 0 : 17);
            best = std::min(best, cost[i - 1][j] + 16);
            best = std::min(best, cost[i][j - 1] + addedAt(j));
            if (i >= 2 && j >= 2 && word[i - 1] == typed[j - 2] && word[i - 2] == typed[j - 1])
                best = std::min(best, cost[i - 2][j - 2] + 16);
            cost[i][j] = best;
        }
    }
    return cost[n][m];
}

// The entries of the words within reach of the query, best first, by aligning it with every word.
QList<const DictionaryEntry *> everyWordAligned(const ConlangDictionary &dictionary,
                                                const QString &loweredQuery)
{
    const QList<char32_t> typed = codePointsOf(loweredQuery);
    const qsizetype edits = std::min<qsizetype>(typed.size() >= 9 ? 3 : 2, typed.size() - 1);
    struct Found
    {
        int cost;
        bool otherFirstLetter;
        qsizetype place;
        const DictionaryEntry *entry;
    };
    QList<Found> found;
    const QList<QString> words = eachWordOnce(wordKeysInLineOrder(dictionary));
    for (qsizetype place = 0; place < words.size(); ++place) {
        const QList<char32_t> word = codePointsOf(words.at(place));
        if (word.isEmpty() || edits < 0)
            continue;
        const int cost = plainSpellingCost(word, typed);
        if (cost <= 16 * int(edits) + 15)
            found.append({cost,
                          word.front() != typed.front(),
                          place,
                          &*dictionary.wordIndexData().constFind(words.at(place))});
    }
    std::sort(found.begin(), found.end(), [](const Found &a, const Found &b) {
        return std::tie(a.cost, a.otherFirstLetter, a.place)
            < std::tie(b.cost, b.otherFirstLetter, b.place);
    });
    QList<const DictionaryEntry *> entries;
    for (const Found &word : found)
        entries.append(word.entry);
    return entries;
}

} // namespace

QString brokenSuggestionPromise(const ConlangDictionary &dictionary,
                                const QString &query,
                                int maxResults,
                                const OwnedEntries &owned)
{
    const QList<SpellingSuggestion> suggestions = dictionary.spellingSuggestions(query, maxResults);
    if (suggestions.size() > std::max(maxResults, 0))
        return QStringLiteral("%1 suggestions for a limit of %2")
            .arg(suggestions.size())
            .arg(maxResults);
    const QString text = query.trimmed();
    const bool answeredByTheCard = text.isEmpty() || ConlangDictionary::isInteger(text)
        || dictionary.wordIndexData().contains(text.toLower())
        || dictionary.chineseIndexData().contains(text);
    if (answeredByTheCard && !suggestions.isEmpty())
        return QStringLiteral("suggestions for what the card answers");
    static const QSet<QString> kinds{QStringLiteral("spelling"),
                                     QStringLiteral("translation"),
                                     QStringLiteral("phrase_translation"),
                                     QStringLiteral("translation_partial"),
                                     QStringLiteral("phrase_translation_partial")};
    QSet<const DictionaryEntry *> seen;
    QList<const DictionaryEntry *> earlier;
    QList<const DictionaryEntry *> spelt;
    for (const SpellingSuggestion &suggestion : suggestions) {
        if (!owned.inWordIndex.contains(suggestion.entry) || seen.contains(suggestion.entry))
            return QStringLiteral("an entry twice, or not of wordIndex");
        seen.insert(suggestion.entry);
        if (!kinds.contains(suggestion.kind))
            return QStringLiteral("a suggestion of the kind %1").arg(suggestion.kind);
        const bool ofPhrase = suggestion.kind.startsWith(u"phrase");
        if (ofPhrase
                ? suggestion.phrase < 0 || suggestion.phrase >= suggestion.entry->phrases.size()
                : suggestion.phrase != -1)
            return QStringLiteral("phrase %1 of %2")
                .arg(suggestion.phrase)
                .arg(suggestion.entry->word);
        if (suggestion.kind == u"spelling")
            spelt.append(suggestion.entry);
        else if (!spelt.isEmpty())
            return QStringLiteral("a suggestion of another kind after the spelling ones");
        else
            earlier.append(suggestion.entry);
    }
    if (answeredByTheCard || dictionary.isMainlyChinese(text))
        return spelt.isEmpty() ? QString() : QStringLiteral("Chinese text spelt");
    QList<const DictionaryEntry *> expected;
    for (const DictionaryEntry *entry : everyWordAligned(dictionary, text.toLower())) {
        if (!earlier.contains(entry) && !expected.contains(entry))
            expected.append(entry);
    }
    expected = expected.mid(0, std::max<qsizetype>(maxResults - earlier.size(), 0));
    if (spelt != expected)
        return QStringLiteral("%1 words suggested for their spelling, where aligning with every "
                              "word gives %2")
            .arg(spelt.size())
            .arg(expected.size());
    return {};
}

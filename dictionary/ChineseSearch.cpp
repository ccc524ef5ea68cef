#include "ConlangDictionary.h"

#include <QStringView>

#include <algorithm>

namespace {

// CJK Unified Ideographs and Extension A; surrogate halves and punctuation are not Chinese.
bool isChineseUnit(QChar unit)
{
    const char16_t u = unit.unicode();
    return (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF);
}

// floor(100 * chinese units / all units) > 40, in integers so that exactly 40 % is not enough.
bool hasChineseMajority(QStringView text)
{
    if (text.isEmpty())
        return false;
    qint64 chinese = 0;
    for (QChar unit : text) {
        if (isChineseUnit(unit))
            ++chinese;
    }
    return (100 * chinese) / text.size() > 40;
}

// Score of a translation that contains the query without being equal to it. Longer queries
// say more about the translation, so they earn more, up to 95.
double partialScore(qsizetype queryLength, bool startsWithQuery)
{
    const double base = startsWithQuery ? 90.0 : 80.0;
    if (queryLength <= 2)
        return base;
    return std::min(base + (5.0 * double(queryLength) - 10.0), 95.0);
}

void sortByScoreDescending(QList<SearchResult> &results)
{
    std::sort(results.begin(), results.end(), [](const SearchResult &a, const SearchResult &b) {
        return a.score > b.score;
    });
}

using TranslationIndex = QHash<QString, QList<QString>>;
using WordIndex = QHash<QString, DictionaryEntry>;

// Every record listed under a translation equal to the query.
QList<SearchResult> exactTranslationMatches(const TranslationIndex &chineseIndex,
                                            const WordIndex &wordIndex,
                                            const QString &trimmedQuery)
{
    QList<SearchResult> results;
    const auto listed = chineseIndex.constFind(trimmedQuery);
    if (listed == chineseIndex.cend())
        return results;

    const QString highlight = QStringLiteral("翻译完全匹配: %1").arg(trimmedQuery);
    // A word listed twice under the translation gives two results: each listing is a record.
    for (const QString &wordKey : listed.value()) {
        const auto stored = wordIndex.constFind(wordKey.toLower());
        if (stored == wordIndex.cend())
            continue;
        results.append({&stored.value(), QStringLiteral("translation_exact"), 100.0, highlight});
    }
    return results;
}

// Every entry whose translation contains the query, once, scored by the first translation met.
QList<SearchResult> partialTranslationMatches(const TranslationIndex &chineseIndex,
                                              const WordIndex &wordIndex,
                                              const QString &trimmedQuery,
                                              bool scoreByLength)
{
    QList<SearchResult> results;
    QSet<const DictionaryEntry *> returnedEntries;
    const QString matchType = QStringLiteral("translation_partial");
    const QString highlight = QStringLiteral("翻译包含: %1").arg(trimmedQuery);

    // The texts of the translations lie far apart in memory: those a few steps ahead are
    // requested early, so that their loads overlap.
    QList<std::pair<const QString *, const QList<QString> *>> translations;
    translations.reserve(chineseIndex.size());
    for (auto it = chineseIndex.cbegin(), end = chineseIndex.cend(); it != end; ++it)
        translations.append({&it.key(), &it.value()});

    constexpr qsizetype lead = 8;
    for (qsizetype i = 0; i < translations.size(); ++i) {
#if defined(__GNUC__)
        if (i + lead < translations.size())
            __builtin_prefetch(translations.at(i + lead).first->constData());
#endif
        const QString &translation = *translations.at(i).first;
        if (!translation.contains(trimmedQuery))
            continue;
        const bool startsWithQuery = translation.startsWith(trimmedQuery);
        const double score = scoreByLength ? partialScore(trimmedQuery.size(), startsWithQuery)
                                           : (startsWithQuery ? 90.0 : 80.0);
        for (const QString &wordKey : *translations.at(i).second) {
            const auto stored = wordIndex.constFind(wordKey.toLower());
            if (stored == wordIndex.cend())
                continue;
            const DictionaryEntry *entry = &stored.value();
            if (returnedEntries.contains(entry))
                continue;
            returnedEntries.insert(entry);
            results.append({entry, matchType, score, highlight});
        }
    }
    return results;
}

} // namespace

bool ConlangDictionary::isMainlyChinese(const QString &text) const
{
    return hasChineseMajority(text);
}

QList<SearchResult> ConlangDictionary::searchChineseDynamic(const QString &query) const
{
    const QString trimmedQuery = query.trimmed();
    if (trimmedQuery.isEmpty())
        return {};

    QList<SearchResult> results = exactTranslationMatches(chineseIndex, wordIndex, trimmedQuery);
    if (results.isEmpty() && hasChineseMajority(trimmedQuery))
        results = partialTranslationMatches(chineseIndex, wordIndex, trimmedQuery, true);
    sortByScoreDescending(results);
    return results;
}

QList<SearchResult> ConlangDictionary::searchChineseTranslation(const QString &query) const
{
    const QString trimmedQuery = query.trimmed();
    if (trimmedQuery.isEmpty())
        return {};

    QList<SearchResult> results = exactTranslationMatches(chineseIndex, wordIndex, trimmedQuery);
    if (results.isEmpty())
        results = partialTranslationMatches(chineseIndex, wordIndex, trimmedQuery, false);
    sortByScoreDescending(results);
    return results;
}

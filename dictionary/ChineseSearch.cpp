#include "ConlangDictionary.h"
#include "ConlangDictionary_p.h"

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

// Equal scores go by entry number, so that the list is the same in every process.
void sortByScoreDescending(QList<SearchResult> &results)
{
    std::sort(results.begin(), results.end(), [](const SearchResult &a, const SearchResult &b) {
        if (a.score != b.score)
            return a.score > b.score;
        return a.entry->number < b.entry->number;
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
// Translations come in the order of their first line, as the table holds them.
template<typename Table>
QList<SearchResult> partialTranslationMatches(const Table &table,
                                              const WordIndex &wordIndex,
                                              const QString &trimmedQuery,
                                              bool scoreByLength)
{
    QList<SearchResult> results;
    QSet<const DictionaryEntry *> returnedEntries;
    const QString matchType = QStringLiteral("translation_partial");
    const QString highlight = QStringLiteral("翻译包含: %1").arg(trimmedQuery);

    const QStringView text(table.text);
    const qsizetype length = trimmedQuery.size();
    qsizetype at = text.indexOf(trimmedQuery);
    while (at >= 0) {
        // The translation holding `at` is the last one that starts at or before it.
        const auto next = std::upper_bound(table.starts.cbegin(), table.starts.cend(), at);
        const qsizetype index = next - table.starts.cbegin() - 1;
        const qsizetype start = table.starts.at(index);
        const qsizetype end = next == table.starts.cend() ? text.size() : *next - 1;
        if (at + length > end) {
            // Runs past the end of its translation: look again from the next place.
            at = text.indexOf(trimmedQuery, at + 1);
            continue;
        }
        const bool startsWithQuery = at == start;
        const double score = scoreByLength ? partialScore(length, startsWithQuery)
                                           : (startsWithQuery ? 90.0 : 80.0);
        for (const QString &wordKey : *table.wordKeys.at(index)) {
            const auto stored = wordIndex.constFind(wordKey.toLower());
            if (stored == wordIndex.cend())
                continue;
            const DictionaryEntry *entry = &stored.value();
            if (returnedEntries.contains(entry))
                continue;
            returnedEntries.insert(entry);
            results.append({entry, matchType, score, highlight});
        }
        at = next == table.starts.cend() ? -1 : text.indexOf(trimmedQuery, *next);
    }
    return results;
}

} // namespace

void searchtables::buildTranslationTable(TranslationTable &translationTable,
                                         const QHash<QString, QList<QString>> &chineseIndex,
                                         const QList<QString> &translationsInFileOrder)
{
    qsizetype length = 0;
    for (const QString &translation : translationsInFileOrder)
        length += translation.size() + 1;
    translationTable.text.reserve(length);
    translationTable.starts.reserve(translationsInFileOrder.size());
    translationTable.wordKeys.reserve(translationsInFileOrder.size());
    for (const QString &translation : translationsInFileOrder) {
        translationTable.starts.append(translationTable.text.size());
        translationTable.text += translation;
        translationTable.text += u'\n';
        translationTable.wordKeys.append(&*chineseIndex.constFind(translation));
    }
}

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
        results = partialTranslationMatches(
            m_searchTables->translationTable, wordIndex, trimmedQuery, true);
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
        results = partialTranslationMatches(
            m_searchTables->translationTable, wordIndex, trimmedQuery, false);
    sortByScoreDescending(results);
    return results;
}

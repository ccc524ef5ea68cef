#include "ConlangDictionary.h"

#include <QStringView>

void ConlangDictionary::handleMixedQuery(const QString &query,
                                         QList<SearchResult> &results,
                                         QSet<const DictionaryEntry *> &addedEntries) const
{
    QList<QStringView> words;
    for (QStringView word : QStringView(query).tokenize(u' ', Qt::SkipEmptyParts))
        words.append(word);
    if (words.size() < 2)
        return;

    // Sum of each entry's scores over all words; an entry missed by a word gets 0 from it.
    QHash<const DictionaryEntry *, double> entryScores;
    for (QStringView word : words) {
        for (const SearchResult &result : smartSearch(word.toString(), 20))
            entryScores[result.entry] += result.score;
    }

    const double wordCount = double(words.size());
    for (auto it = entryScores.cbegin(), end = entryScores.cend(); it != end; ++it) {
        if (addedEntries.contains(it.key()))
            continue;
        addedEntries.insert(it.key());
        results.append({it.key(),
                        QStringLiteral("mixed_query"),
                        it.value() / wordCount,
                        QStringLiteral("混合查询匹配")});
    }
}

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
    // Entries are appended in the order the words first found them, the same in every process.
    QHash<const DictionaryEntry *, double> entryScores;
    QList<const DictionaryEntry *> entriesInFoundOrder;
    for (QStringView word : words) {
        for (const SearchResult &result : smartSearch(word.toString(), 20)) {
            auto sum = entryScores.find(result.entry);
            if (sum == entryScores.end()) {
                sum = entryScores.insert(result.entry, 0.0);
                entriesInFoundOrder.append(result.entry);
            }
            *sum += result.score;
        }
    }

    const double wordCount = double(words.size());
    for (const DictionaryEntry *entry : std::as_const(entriesInFoundOrder)) {
        if (addedEntries.contains(entry))
            continue;
        addedEntries.insert(entry);
        results.append({entry,
                        QStringLiteral("mixed_query"),
                        entryScores.value(entry) / wordCount,
                        QStringLiteral("混合查询匹配")});
    }
}

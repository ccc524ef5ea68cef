#include "SearchRanking.h"

#include <QHash>
#include <QSet>

int SearchRankingOrder::priorityOf(const QString &matchType)
{
    // Built once, on the first comparison of the program's life; C++ guards the initialisation.
    static const QHash<QString, int> priority = {
        {QStringLiteral("word_exact"), 100},
        {QStringLiteral("translation_exact"), 100},
        {QStringLiteral("phrase_exact_match"), 95},
        {QStringLiteral("phrase_exact_word"), 95},
        {QStringLiteral("part_of_speech"), 95},
        {QStringLiteral("phrase_contains_word"), 90},
        {QStringLiteral("word_fuzzy"), 85},
        {QStringLiteral("translation_partial"), 75},
    };
    return priority.value(matchType, 50);
}

bool SearchRankingOrder::operator()(const SearchResult &a, const SearchResult &b) const
{
    const int priorityA = priorityOf(a.matchType);
    const int priorityB = priorityOf(b.matchType);
    if (priorityA != priorityB)
        return priorityA > priorityB;
    return a.score > b.score;
}

QList<SearchResult> keepFirstResultPerEntry(const QList<SearchResult> &results)
{
    QList<SearchResult> unique;
    QSet<const DictionaryEntry *> seen;
    for (const SearchResult &result : results) {
        if (seen.contains(result.entry))
            continue;
        seen.insert(result.entry);
        unique.append(result);
    }
    return unique;
}

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
    if (a.score != b.score)
        return a.score > b.score;
    // Results the ranking cannot tell apart go in file order, so that an answer, and which
    // results a cut keeps, are the same in every process.
    return a.entry && b.entry && a.entry->number < b.entry->number;
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

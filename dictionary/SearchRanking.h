#ifndef SEARCHRANKING_H
#define SEARCHRANKING_H

#include "ConlangDictionary.h"

// The order of the smart search's answer: the kind of match decides first, the score only
// between results of equal priority, so an exact word always outranks a fuzzy one; of results
// equal in both, the lower entry number (the earlier line of the files) goes first.
struct SearchRankingOrder
{
    // Priority of a match-type key; keys outside the table, the empty key included, get 50.
    static int priorityOf(const QString &matchType);

    bool operator()(const SearchResult &a, const SearchResult &b) const;
};

// The first result collected for each entry, in collected order; identity is the entry pointer.
QList<SearchResult> keepFirstResultPerEntry(const QList<SearchResult> &results);

#endif // SEARCHRANKING_H

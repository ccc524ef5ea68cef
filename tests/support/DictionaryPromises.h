#ifndef DICTIONARYPROMISES_H
#define DICTIONARYPROMISES_H

#include "ConlangDictionary.h"

#include <QSet>
#include <QString>

#include <string>
#include <utility>

// What a loaded dictionary and every answer of its searches promise, whatever the query: checked by
// the randomized tests and the fuzzers. Each check returns an empty string when the promise holds,
// otherwise what went wrong.

// The containers agree: wordSet and wordIndex have the same keys, every word key listed in
// chineseIndex, posIndex or letterIndex is a key of wordIndex, numberIndex holds one entry per
// loaded record under its own number, and every entry has as many phrase translations as phrases.
QString brokenContainerInvariant(const ConlangDictionary &dictionary, qsizetype loadedRecords);

struct OwnedEntries
{
    QSet<const DictionaryEntry *> inWordIndex;
    QSet<const DictionaryEntry *> inNumberIndex;
};

OwnedEntries ownedEntries(const ConlangDictionary &dictionary);

// Each entry at most once, in ranking order, within the limit, pointing into the dictionary.
QString
brokenPromise(const QList<SearchResult> &results, int maxResults, const OwnedEntries &owned);

// Sorted pairs of word keys within the threshold, from the query's first-letter bucket if any.
QString brokenFuzzyPromise(const ConlangDictionary &dictionary,
                           const QString &query,
                           int maxResults,
                           double threshold);

// Every record's word key, by line number.
QList<QString> wordKeysInLineOrder(const ConlangDictionary &dictionary);
// Each word once, at its first place.
QList<QString> eachWordOnce(const QList<QString> &wordKeys);
// Each word with all its repeats, words by their first place in `wordKeys`.
QList<QString> wordsByFirstPlace(const QList<QString> &wordKeys);

// The fuzzy search with every candidate scored by `score` on the UTF-8 bytes, no bound
// consulted: the best `maxResults` at or above the threshold, of equal scores the word of the
// earlier first line (a repeated word's repeats next to it). The judge of the fast search.
using ByteScorer = double (*)(const std::string &, const std::string &);
QList<std::pair<QString, double>> everyCandidateScored(const ConlangDictionary &dictionary,
                                                       const QString &query,
                                                       int maxResults,
                                                       double threshold,
                                                       ByteScorer score);

// The spelling suggestions: each entry at most once, within the limit, from wordIndex, of a known
// kind; none for a word, an entry number or a whole translation; and the words suggested for their
// spelling exactly those that aligning the query with every word in a full table gives (no trie,
// no band), best first, where the suggestions before them left room. The judge of the trie walk.
QString brokenSuggestionPromise(const ConlangDictionary &dictionary,
                                const QString &query,
                                int maxResults,
                                const OwnedEntries &owned);

// Each entry once, recorded as added, inside the dictionary, with a score between 0 and 100.
QString brokenMixedQueryPromise(const ConlangDictionary &dictionary,
                                const QString &query,
                                const OwnedEntries &owned);

#endif // DICTIONARYPROMISES_H

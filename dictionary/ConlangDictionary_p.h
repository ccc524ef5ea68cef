#ifndef CONLANGDICTIONARY_P_H
#define CONLANGDICTIONARY_P_H

// The dictionary's own: the tables each load derives from the containers so that the searches
// sweep contiguous memory, and the steps that build them. Only the library's .cpp files include
// this header; callers see none of it.

#include "ConlangDictionary.h"

#include <QByteArray>
#include <QChar>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringView>

#include <mutex>

namespace searchtables {

// The phrases of every record, lower-cased, back to back in one text in line order, each
// followed by a blank, and their trimmed translations likewise: a phrase search sweeps
// contiguous memory instead of visiting one heap block per phrase. Filled while the files are
// read (the record is still in the cache then); rows point into wordIndex once the load is
// done, and the rows of a record that a later one replaced point nowhere (PhraseSearch.cpp).
struct PhraseRow
{
    const DictionaryEntry *entry = nullptr;
    qsizetype phraseOffset = 0; // in loweredPhrases
    qsizetype translationOffset = 0; // in trimmedTranslations
};
using RowOffset = qsizetype PhraseRow::*;
struct PhraseTables
{
    QString loweredPhrases;
    QString trimmedTranslations;
    QList<PhraseRow> rows; // a record's rows are consecutive, in phrase order
    QList<qsizetype> firstRowOfLine; // by entry number
    QList<int> wordIndexPosition; // by entry number: place in wordIndex's iteration order
    // The rows by the blank-separated pieces of their lowered text: bucket h lists, in row
    // order, the rows holding a piece whose hash falls into h, as
    // pieceRows[pieceBucketStart[h] .. pieceBucketStart[h + 1]).
    QList<quint32> pieceBucketStart;
    QList<quint32> pieceRows;
};
struct RowHit
{
    const PhraseRow *row = nullptr;
    qsizetype offset = 0; // of the row's text
    qsizetype length = 0;
};
void addPhraseRows(PhraseTables &phraseTables,
                   int lineNumber,
                   const QList<QString> &phrases,
                   const QList<QString> &phraseTranslations);
void linkPhraseRows(PhraseTables &phraseTables, const QHash<QString, DictionaryEntry> &wordIndex);
void indexPhrasePieces(PhraseTables &phraseTables);
QList<RowHit> firstRowsWithPiece(const PhraseTables &phraseTables, QStringView key);
void sortByWordIndexOrder(const PhraseTables &phraseTables, QList<RowHit> &hits);
qsizetype phraseIndexOf(const PhraseTables &phraseTables, const PhraseRow *row);

// The word keys in UTF-8, back to back, for the fuzzy search (FuzzySearch.cpp): it reads
// contiguous memory and passes over most words by their length and kinds of byte alone.
// Of equal scores, the word of the earlier first line in the files goes first, the repeats of a
// word (one per record) next to it: each candidate's rank in that order.
struct CandidateWords
{
    QByteArray bytes;
    QList<quint32> ends; // word i is bytes [ends[i - 1], ends[i])
    QList<quint64> byteKinds; // similarity::byteKinds of word i
    QList<quint32> tieRanks; // rank of word i among equal scores; empty: its place is its rank
};
struct FuzzyTables
{
    CandidateWords allWords; // each word key once, by its first line
    QList<const QString *> allWordKeys; // the key in wordSet of each of allWords
    QHash<QChar, CandidateWords> byFirstLetter; // each in its letterIndex list's order
};
void buildFuzzyTables(FuzzyTables &fuzzyTables,
                      const QSet<QString> &wordSet,
                      const QHash<QChar, QList<QString>> &letterIndex,
                      const QList<QString> &wordKeysInFileOrder,
                      bool hasRepeatedWords);

// The word keys as a trie in depth-first order, for the spelling suggestions
// (SpellingSuggestions.cpp): node n holds one Unicode character of a key at its depth, its subtree
// is the nodes n .. end - 1, `word` is the key ending there, as its place in
// FuzzyTables::allWords (the order of first lines), else -1, and `longestBelow` the length of the
// subtree's longest word. A search reads the nodes from the first to the last and skips each
// subtree whose prefix is already too far from the query, or whose words are all too short.
struct TrieNode
{
    char32_t letter = 0;
    quint32 depth = 0;
    quint32 end = 0;
    qint32 word = -1;
    quint32 longestBelow = 0;
};
struct WordTrie
{
    QList<TrieNode> nodes;
    quint32 longestWord = 0; // in characters
};
void buildWordTrie(WordTrie &wordTrie, const QList<const QString *> &wordKeysInFileOrder);

// Every whole translation (chineseIndex's keys) back to back in the order of their first line,
// each followed by a line feed, for the partial translation search (ChineseSearch.cpp): one
// sweep over contiguous text instead of a visit to every key's own memory. The order decides
// which translation scores an entry reached through two, so it must not follow the hash's seed.
struct TranslationTable
{
    QString text;
    QList<qsizetype> starts; // of translation i in text
    QList<const QList<QString> *> wordKeys; // the word keys listed under translation i
};
void buildTranslationTable(TranslationTable &translationTable,
                           const QHash<QString, QList<QString>> &chineseIndex,
                           const QList<QString> &translationsInFileOrder);

} // namespace searchtables

struct ConlangDictionary::SearchTables
{
    searchtables::PhraseTables phraseTables;
    searchtables::FuzzyTables fuzzyTables;
    searchtables::TranslationTable translationTable;
    // Built by the first spelling suggestion, not by the load: the window never asks for one, and
    // the trie would add a tenth to the memory of its dictionary.
    std::once_flag wordTrieBuilt;
    searchtables::WordTrie wordTrie;
};

#endif // CONLANGDICTIONARY_P_H

#ifndef CONLANGDICTIONARY_H
#define CONLANGDICTIONARY_H

#include <QByteArray>
#include <QChar>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringView>

#include <utility>

// One dictionary entry, made from line `number` of the five dictionary files.
struct DictionaryEntry
{
    QString word;
    QString translation;
    QString partOfSpeech;
    QList<QString> phrases;
    QList<QString> phraseTranslations; // element i translates phrases[i]
    int number = 0;
};

// One search hit. `entry` points into the dictionary that produced it and
// stays valid while that dictionary is neither reloaded nor destroyed.
struct SearchResult
{
    const DictionaryEntry *entry = nullptr;
    QString matchType;
    double score = 0.0;
    QString highlightInfo;
};

class ConlangDictionary
{
public:
    ConlangDictionary() = default;
    // The phrase tables point into wordIndex, so a copy would point into its original.
    Q_DISABLE_COPY_MOVE(ConlangDictionary)

    // Loading (DictionaryLoading.cpp)
    bool loadDictionaryFiles(const QString &wordFile,
                             const QString &translationFile,
                             const QString &partOfSpeechFile,
                             const QString &phraseFile,
                             const QString &phraseTranslationFile);
    void clearAllData();
    QList<QString> splitString(const QString &text, QChar separator) const;
    static bool isInteger(const QString &text);

    // Direct lookups and example sentences (DictionaryLookups.cpp)
    const DictionaryEntry *lookupByNumIndex(int number) const;
    const DictionaryEntry *lookupByWord(const QString &word) const;
    QList<int> getAllIndices() const;
    QList<const DictionaryEntry *> lookupByExactChinese(const QString &translation) const;
    QList<const DictionaryEntry *> lookupByPartOfSpeech(const QString &tag) const;
    QString createExSentence(const QString &word,
                             const QString &translation,
                             const QString &partOfSpeech) const;

    // Smart search, ranking and mixed queries (SmartSearch.cpp, MixedQuery.cpp)
    QList<SearchResult> smartSearch(const QString &query, int maxResults) const;
    void handleMixedQuery(const QString &query,
                          QList<SearchResult> &results,
                          QSet<const DictionaryEntry *> &addedEntries) const;

    // Chinese translation search (ChineseSearch.cpp)
    bool isMainlyChinese(const QString &text) const;
    QList<SearchResult> searchChineseDynamic(const QString &query) const;
    QList<SearchResult> searchChineseTranslation(const QString &query) const;

    // Phrase search (PhraseSearch.cpp)
    QList<SearchResult> findPhrasesContainingWord(const QString &word) const;
    QList<SearchResult> findExactPhrase(const QString &phrase) const;
    QList<SearchResult> findPhraseTranslation(const QString &chinese) const;

    // Fuzzy word search (FuzzySearch.cpp)
    QList<std::pair<QString, double>>
    fuzzyWordSearch(const QString &query, int maxResults, double threshold) const;

    // Diagnostics (Diagnostics.cpp)
    void printStatistics() const;
    void runTests() const;
    static void testSearchFunctions();

    // Read-only views of the containers, for diagnostics tools and tests.
    const QHash<QString, DictionaryEntry> &wordIndexData() const { return wordIndex; }
    const QHash<QString, QList<QString>> &chineseIndexData() const { return chineseIndex; }
    const QHash<QString, QList<QString>> &posIndexData() const { return posIndex; }
    const QHash<QChar, QList<QString>> &letterIndexData() const { return letterIndex; }
    const QHash<int, DictionaryEntry> &numberIndexData() const { return numberIndex; }
    const QSet<QString> &wordSetData() const { return wordSet; }

    // Common Chinese function words; kept for callers, no search reads it.
    static const QSet<QString> chineseStopWords;

private:
    // What one load remembers between records (DictionaryLoading.cpp).
    struct LoadScratch;
    void writeLoadReport(int loadedRecords, const LoadScratch &scratch) const;
    void fileEntry(DictionaryEntry entry, LoadScratch &scratch);
    void reserveRoomFor(qsizetype records);
    void squeezeLongLists();
    QList<const DictionaryEntry *> entriesOf(const QList<QString> &wordKeys) const;

    // The phrases of every record, lower-cased, back to back in one text in line order, each
    // followed by a blank, and their trimmed translations likewise: a phrase search sweeps
    // contiguous memory instead of visiting one heap block per phrase. Filled while the files are
    // read (the record is still in the cache then); rows point into wordIndex once the load is
    // done, and the rows of a record that a later one replaced point nowhere.
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
    void addPhraseRows(int lineNumber,
                       const QList<QString> &phrases,
                       const QList<QString> &phraseTranslations);
    void linkPhraseRows();
    void indexPhrasePieces();
    QList<RowHit> firstRowsWithPiece(QStringView key) const;
    void sortByWordIndexOrder(QList<RowHit> &hits) const;
    qsizetype phraseIndexOf(const PhraseRow *row) const;
    template<typename Accepts>
    QList<RowHit> firstRowsHolding(const QString &text,
                                   RowOffset offset,
                                   QStringView key,
                                   bool betweenBlanksOnly,
                                   Accepts accepts) const;

    // The word keys in UTF-8, back to back, for the fuzzy search (FuzzySearch.cpp): it reads
    // contiguous memory and passes over most words by their length and kinds of byte alone.
    struct CandidateWords
    {
        QByteArray bytes;
        QList<quint32> ends; // word i is bytes [ends[i - 1], ends[i])
        QList<quint64> byteKinds; // similarity::byteKinds of word i
    };
    struct FuzzyTables
    {
        CandidateWords allWords; // in wordSet's iteration order
        QList<const QString *> allWordKeys; // the key in wordSet of each of allWords
        QHash<QChar, CandidateWords> byFirstLetter; // each in its letterIndex list's order
    };
    void buildFuzzyTables();

    // Every whole translation (chineseIndex's keys) back to back in the index's iteration order,
    // each followed by a line feed, for the partial translation search (ChineseSearch.cpp): one
    // sweep over contiguous text instead of a visit to every key's own memory.
    struct TranslationTable
    {
        QString text;
        QList<qsizetype> starts; // of translation i in text
        QList<const QList<QString> *> wordKeys; // the word keys listed under translation i
    };
    void buildTranslationTable();

    QHash<QString, DictionaryEntry> wordIndex; // word key -> entry
    QHash<QString, QList<QString>> chineseIndex; // whole translation -> word keys
    QHash<QString, QList<QString>> posIndex; // tag -> word keys
    QHash<QChar, QList<QString>> letterIndex; // first letter -> word keys
    QHash<int, DictionaryEntry> numberIndex; // entry number -> entry
    QSet<QString> wordSet; // all word keys
    PhraseTables phraseTables;
    FuzzyTables fuzzyTables;
    TranslationTable translationTable;
};

#endif // CONLANGDICTIONARY_H

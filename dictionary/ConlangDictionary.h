#ifndef CONLANGDICTIONARY_H
#define CONLANGDICTIONARY_H

#include <QChar>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

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
    QList<std::pair<QString, double>> fuzzyWordSearch(const QString &query,
                                                      int maxResults,
                                                      double threshold) const;

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
    void writeLoadReport(int loadedRecords) const;
    void fileEntry(DictionaryEntry entry);
    QList<const DictionaryEntry *> entriesOf(const QList<QString> &wordKeys) const;
    // Several phrase searches in one pass over the phrases (PhraseSearch.cpp): element i is
    // findPhrasesContainingWord(words[i]); one more element, when exactPhrase is not empty, is
    // findExactPhrase(exactPhrase). Given `onlyPhrases` (entry and phrase, in search order), only
    // those phrases are searched. Given `phrasesWithInitial`, the phrases with a piece that
    // begins with `initial` (in lower case) are collected there, in search order; they point
    // into the dictionary.
    using PhraseRefs = QList<std::pair<const DictionaryEntry *, const QString *>>;
    QList<QList<SearchResult>> findPhrasesInOnePass(const QList<QString> &words,
                                                    const QString &exactPhrase,
                                                    const PhraseRefs *onlyPhrases = nullptr,
                                                    QChar initial = QChar(),
                                                    PhraseRefs *phrasesWithInitial = nullptr) const;

    QHash<QString, DictionaryEntry> wordIndex;       // word key -> entry
    QHash<QString, QList<QString>> chineseIndex;     // whole translation -> word keys
    QHash<QString, QList<QString>> posIndex;         // tag -> word keys
    QHash<QChar, QList<QString>> letterIndex;        // first letter -> word keys
    QHash<int, DictionaryEntry> numberIndex;         // entry number -> entry
    QSet<QString> wordSet;                           // all word keys
};

#endif // CONLANGDICTIONARY_H

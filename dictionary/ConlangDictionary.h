#ifndef CONLANGDICTIONARY_H
#define CONLANGDICTIONARY_H

#include <QChar>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>
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

// One thing a query not found as typed may have meant (ConlangDictionary::spellingSuggestions).
// `entry` points into the dictionary that made it, as a SearchResult's does.
struct SpellingSuggestion
{
    const DictionaryEntry *entry = nullptr;
    // "spelling": the entry's word is `distance` edits from the query; "translation": the query
    // in simplified characters is the entry's translation; "phrase_translation": the query (or
    // that form) is the translation of entry->phrases[phrase]; "translation_partial",
    // "phrase_translation_partial": such a text holds it.
    QString kind;
    int distance = 0;
    int phrase = -1;
};

class ConlangDictionary
{
public:
    ConlangDictionary();
    ~ConlangDictionary();
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

    // Spelling suggestions (SpellingSuggestions.cpp): what a query that is neither a word, an
    // entry number nor a whole translation of the dictionary may have meant, best first, at most
    // maxResults. Words within two edits of the query (three from nine characters on; a swap of
    // two neighbouring letters is one edit), the fewest edits first; the whole translation or
    // phrase translation that the query or `simplifiedQuery` (the query in simplified Chinese
    // characters, empty when unknown) is; the translations and phrase translations that hold
    // such Chinese text. Each entry once. Neither the window nor smartSearch calls it.
    QList<SpellingSuggestion> spellingSuggestions(const QString &query,
                                                  int maxResults,
                                                  const QString &simplifiedQuery = QString()) const;

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
    // The tables the searches sweep, derived from the containers at the end of each load
    // (ConlangDictionary_p.h).
    struct SearchTables;
    void writeLoadReport(int loadedRecords, const LoadScratch &scratch) const;
    void fileEntry(DictionaryEntry entry, LoadScratch &scratch);
    void reserveRoomFor(qsizetype records);
    void squeezeLongLists();
    QList<const DictionaryEntry *> entriesOf(const QList<QString> &wordKeys) const;

    QHash<QString, DictionaryEntry> wordIndex; // word key -> entry
    QHash<QString, QList<QString>> chineseIndex; // whole translation -> word keys
    QHash<QString, QList<QString>> posIndex; // tag -> word keys
    QHash<QChar, QList<QString>> letterIndex; // first letter -> word keys
    QHash<int, DictionaryEntry> numberIndex; // entry number -> entry
    QSet<QString> wordSet; // all word keys
    // Never null; behind a pointer so that callers see none of the tables' types.
    std::unique_ptr<SearchTables> m_searchTables;
};

#endif // CONLANGDICTIONARY_H

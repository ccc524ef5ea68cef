// Randomized checks over generated dictionaries: whatever the query, the smart search answers
// with each entry at most once, in ranking order, within the limit, pointing into the dictionary.

#include "ConlangDictionary.h"
#include "DictionaryFiles.h"
#include "DictionaryGenerator.h"
#include "DictionaryPromises.h"
#include "LogCapture.h"
#include "PlainWeightedRatio.h"
#include "SearchRanking.h"
#include "WeightedRatio.h"

#include <QScopeGuard>
#include <QSemaphore>
#include <QThreadPool>
#include <QtTest>

using dictionarygenerator::GeneratedEntry;

namespace {

constexpr int queriesPerDictionary = 150;

// Our own generator, so that a failing seed replays the same queries everywhere.
class Random
{
public:
    explicit Random(quint64 seed)
        : m_state(seed * 0x2545F4914F6CDD1DULL + 7)
    {
    }
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int bound) { return bound <= 0 ? 0 : int(next() % quint64(bound)); }
    int between(int low, int high) { return low + below(high - low + 1); }

private:
    quint64 m_state;
};

QString misspelt(const QString &word, Random &random)
{
    if (word.size() < 2)
        return word + u'a';
    QString text = word;
    const int at = random.below(int(text.size()) - 1);
    switch (random.below(3)) {
    case 0:
        std::swap(text[at], text[at + 1]);
        break;
    case 1:
        text.remove(at, 1);
        break;
    default:
        text.insert(at, QChar(u'a' + random.below(26)));
    }
    return text;
}

QString randomCase(const QString &text, Random &random)
{
    QString result;
    for (QChar c : text)
        result += random.below(2) ? c.toUpper() : c;
    return result;
}

// Phrases of several entries one after another, as a user pastes a text, sometimes after a
// letter that no word starts with, so that the fuzzy search scores the whole vocabulary.
QString pastedText(const QList<GeneratedEntry> &entries, Random &random)
{
    QString text = random.below(2) ? QStringLiteral("q") : QString();
    const int length = random.between(10, 200);
    while (text.size() < length) {
        const GeneratedEntry &entry = entries.at(random.below(int(entries.size())));
        text += (entry.phrases.isEmpty() ? entry.word : entry.phrases.first()) + u' ';
    }
    return text.left(length);
}

// A query of one of several kinds, drawn from the dictionary's own texts or made up.
QString makeQuery(const QList<GeneratedEntry> &entries, Random &random)
{
    if (random.below(8) == 0)
        return pastedText(entries, random);
    const GeneratedEntry &entry = entries.at(random.below(int(entries.size())));
    const QString phrase = entry.phrases.isEmpty()
        ? entry.word
        : entry.phrases.at(random.below(int(entry.phrases.size())));
    switch (random.below(12)) {
    case 0:
        return entry.word;
    case 1:
        return randomCase(entry.word, random);
    case 2:
        return misspelt(entry.word.toLower(), random);
    case 3: {
        const QStringList pieces = phrase.split(u' ', Qt::SkipEmptyParts);
        return pieces.isEmpty() ? phrase : pieces.at(random.below(int(pieces.size())));
    }
    case 4:
        return QString(random.below(3), u' ') + phrase + QString(random.below(3), u' ');
    case 5:
        return entry.translation;
    case 6:
        return entry.translation.mid(random.below(3), random.between(1, 4));
    case 7:
        return entry.phraseTranslations.isEmpty() ? entry.translation
                                                  : entry.phraseTranslations.first();
    case 8:
        return QString::number(random.between(-3, int(entries.size()) + 3));
    case 9:
        return entry.word + u' ' + entry.translation;
    case 10: {
        const QStringList odd = {QStringLiteral(""),
                                 QStringLiteral(" "),
                                 QStringLiteral("\t"),
                                 QStringLiteral("0"),
                                 QStringLiteral("+7"),
                                 QStringLiteral(" 12 "),
                                 QStringLiteral("2147483648"),
                                 QStringLiteral("?"),
                                 QStringLiteral("日 出"),
                                 QStringLiteral("\u3000"),
                                 QStringLiteral("zzzz"),
                                 QStringLiteral("Ärö"),
                                 QStringLiteral("\u212Aa"),
                                 QStringLiteral("\u0130")};
        return odd.at(random.below(int(odd.size())));
    }
    default:
        return misspelt(phrase, random);
    }
}

// The ranking keys (priority, score) of the first n results.
QList<std::pair<int, double>> rankingKeys(const QList<SearchResult> &results, qsizetype n)
{
    QList<std::pair<int, double>> keys;
    for (qsizetype i = 0; i < qMin(n, results.size()); ++i)
        keys.append({SearchRankingOrder::priorityOf(results.at(i).matchType), results.at(i).score});
    return keys;
}

QList<int> entryNumbers(const QList<SearchResult> &results)
{
    QList<int> numbers;
    for (const SearchResult &result : results)
        numbers.append(result.entry->number);
    return numbers;
}

// The phrase searches and the smart search written as plainly as possible, from the public
// operations, for comparison with the fast implementations.
QList<SearchResult> plainPhrasesContainingWord(const ConlangDictionary &dictionary,
                                               const QString &word)
{
    const QString key = word.trimmed().toLower();
    QList<SearchResult> results;
    for (const DictionaryEntry &entry : dictionary.wordIndexData()) {
        for (const QString &phrase : entry.phrases) {
            const QString lowered = phrase.toLower();
            if (!key.isEmpty() && lowered == key) {
                results.append({&entry,
                                QStringLiteral("phrase_exact_word"),
                                100.0,
                                QStringLiteral("词组等于单词: ") + phrase});
                break;
            }
            if (!key.isEmpty() && lowered.split(u' ', Qt::SkipEmptyParts).contains(key)) {
                const double score = lowered.startsWith(key + u' ') ? 98.0 : 95.0;
                results.append({&entry,
                                QStringLiteral("phrase_contains_word"),
                                score,
                                QStringLiteral("词组包含: ") + phrase});
                break;
            }
        }
    }
    return results;
}

QList<SearchResult> plainExactPhrase(const ConlangDictionary &dictionary, const QString &phrase)
{
    const QString key = phrase.trimmed().toLower();
    QList<SearchResult> results;
    for (const DictionaryEntry &entry : dictionary.wordIndexData()) {
        for (const QString &stored : entry.phrases) {
            if (!key.isEmpty() && stored.trimmed().toLower() == key) {
                results.append({&entry,
                                QStringLiteral("phrase_exact_match"),
                                100.0,
                                QStringLiteral("完全匹配词组: ") + phrase});
                break;
            }
        }
    }
    return results;
}

QList<SearchResult> plainPhraseTranslation(const ConlangDictionary &dictionary,
                                           const QString &chinese)
{
    const QString key = chinese.trimmed();
    QList<SearchResult> results;
    for (const DictionaryEntry &entry : dictionary.wordIndexData()) {
        for (const QString &stored : entry.phraseTranslations) {
            if (!key.isEmpty() && stored.trimmed() == key) {
                results.append({&entry,
                                QStringLiteral("phrase_translation_exact"),
                                100.0,
                                QStringLiteral("词组翻译: ") + chinese});
                break;
            }
        }
    }
    return results;
}

// The fuzzy search as its definition reads, every candidate scored by the plain weighted ratio.
QList<std::pair<QString, double>> plainFuzzyWordSearch(const ConlangDictionary &dictionary,
                                                       const QString &query,
                                                       int maxResults,
                                                       double threshold)
{
    return everyCandidateScored(
        dictionary, query, maxResults, threshold, [](const std::string &a, const std::string &b) {
            return plain::weightedRatio(a, b);
        });
}

// The Chinese translation search as its definition reads: the whole query as a translation, or
// else every translation holding it, each entry once.
QList<SearchResult> plainChineseDynamic(const ConlangDictionary &dictionary, const QString &query)
{
    const QString key = query.trimmed();
    QList<SearchResult> results;
    QSet<const DictionaryEntry *> returned;
    const auto &translations = dictionary.chineseIndexData();
    // Translations are met in the order of their first line.
    QList<int> numbers = dictionary.numberIndexData().keys();
    std::sort(numbers.begin(), numbers.end());
    QStringList translationsInLineOrder;
    for (int number : numbers)
        translationsInLineOrder.append(dictionary.numberIndexData().value(number).translation);
    translationsInLineOrder.removeDuplicates();
    for (const QString &translation : translationsInLineOrder) {
        if (key.isEmpty() || !translations.contains(translation))
            continue;
        const bool exact = translation == key;
        const bool partial = translations.contains(key) ? false : translation.contains(key);
        if (!exact && !(partial && dictionary.isMainlyChinese(key)))
            continue;
        const double base = translation.startsWith(key) ? 90.0 : 80.0;
        const double score = exact ? 100.0
            : key.size() <= 2      ? base
                                   : std::min(base + 5.0 * double(key.size()) - 10.0, 95.0);
        for (const QString &word : translations.value(translation)) {
            const DictionaryEntry *entry = dictionary.lookupByWord(word);
            if (!entry || (!exact && returned.contains(entry)))
                continue;
            returned.insert(entry);
            results.append(
                {entry,
                 exact ? QStringLiteral("translation_exact")
                       : QStringLiteral("translation_partial"),
                 score,
                 (exact ? QStringLiteral("翻译完全匹配: ") : QStringLiteral("翻译包含: ")) + key});
        }
    }
    return results;
}

// The word path of the smart search before ranking, stage by stage.
QList<SearchResult>
plainCollectedResults(const ConlangDictionary &dictionary, const QString &query, int maxResults)
{
    QList<SearchResult> collected;
    QSet<const DictionaryEntry *> added;
    const auto add = [&](const SearchResult &result) {
        if (!added.contains(result.entry)) {
            added.insert(result.entry);
            collected.append(result);
        }
    };
    const QString trimmed = query.trimmed();
    const bool chinese = dictionary.isMainlyChinese(trimmed);
    if (const DictionaryEntry *entry = dictionary.lookupByWord(trimmed))
        add({entry, QStringLiteral("word_exact"), 100.0, QStringLiteral("单词完全匹配")});
    for (const SearchResult &result : plainPhrasesContainingWord(dictionary, trimmed))
        add(result);
    if (chinese || collected.isEmpty()) {
        for (const SearchResult &result : dictionary.searchChineseDynamic(trimmed))
            add(result);
    }
    if (trimmed.contains(u' ')) {
        const QList<SearchResult> phrases = plainExactPhrase(dictionary, trimmed);
        for (const SearchResult &result : phrases)
            add(result);
        if (chinese && phrases.isEmpty()) {
            for (const SearchResult &result : plainPhraseTranslation(dictionary, trimmed))
                add(result);
        }
    }
    if (collected.isEmpty() && !chinese) {
        for (const auto &[word, score] :
             plainFuzzyWordSearch(dictionary, trimmed, maxResults, 50.0)) {
            const DictionaryEntry *entry = dictionary.lookupByWord(word);
            if (!entry || added.contains(entry))
                continue;
            add({entry, QStringLiteral("word_fuzzy"), score, QStringLiteral("模糊匹配: ") + word});
            for (const SearchResult &result : plainPhrasesContainingWord(dictionary, word))
                add(result);
        }
    }
    return collected;
}

QStringList describe(const QList<SearchResult> &results)
{
    QStringList lines;
    for (const SearchResult &r : results) {
        lines.append(QStringLiteral("%1 %2 %3 %4 %5")
                         .arg(quintptr(r.entry), 0, 16)
                         .arg(r.matchType)
                         .arg(r.score)
                         .arg(r.highlightInfo, r.entry->word));
    }
    lines.sort();
    return lines;
}

// Writes the generated records into a temporary folder and loads them.
bool loadGenerated(const QList<GeneratedEntry> &generated, ConlangDictionary &dictionary)
{
    const QTemporaryDir folder;
    return folder.isValid() && dictionarygenerator::writeDictionaryFiles(folder.path(), generated)
        && loadDictionaryFiles(dictionary, dictionaryFilePaths(folder.path()));
}

} // namespace

class TestSearchProperties : public QObject
{
    Q_OBJECT

private slots:
    void keepsItsPromisesOnGeneratedDictionaries_data();
    void keepsItsPromisesOnGeneratedDictionaries();
    void fuzzySearchOfTheWholeVocabularyIsExact_data();
    void fuzzySearchOfTheWholeVocabularyIsExact();
};

void TestSearchProperties::keepsItsPromisesOnGeneratedDictionaries_data()
{
    QTest::addColumn<quint64>("seed");
    QTest::addColumn<int>("entries");
    for (quint64 seed = 1; seed <= 8; ++seed)
        QTest::addRow("seed %llu", seed) << seed << int(150 + 50 * seed);
}

void TestSearchProperties::keepsItsPromisesOnGeneratedDictionaries()
{
    QFETCH(quint64, seed);
    QFETCH(int, entries);

    dictionarygenerator::GeneratorOptions options;
    options.entries = entries;
    options.seed = seed;
    options.capitalisedShare = 0.1;
    options.repeatedWordShare = 0.05;
    options.blankLineShare = 0.03;
    options.oddPhraseShare = 0.2;
    const QList<GeneratedEntry> generated = dictionarygenerator::generateDictionary(options);
    ConlangDictionary dictionary;
    LogCapture capture;
    QVERIFY(loadGenerated(generated, dictionary));
    const OwnedEntries owned = ownedEntries(dictionary);

    Random random(seed);
    for (int i = 0; i < queriesPerDictionary; ++i) {
        const QString query = makeQuery(generated, random);
        const int maxResults = random.between(-2, 25);
        const QString context = QStringLiteral("query \"%1\", limit %2").arg(query).arg(maxResults);

        capture.clear();
        const QList<SearchResult> results = dictionary.smartSearch(query, maxResults);
        const QStringList trace = capture.messages();
        const QString broken = brokenPromise(results, maxResults, owned);
        QVERIFY2(broken.isEmpty(), qPrintable(context + QStringLiteral(": ") + broken));
        if (trace.contains(QStringLiteral("==================词语搜索=================="))) {
            QCOMPARE(trace.last(),
                     QStringLiteral("=== smartSearch: 搜索完成，返回  %1  个结果 ===")
                         .arg(results.size()));
        }

        const double threshold = QList<double>{0.0, 50.0, 75.0, 101.0}.at(random.below(4));
        const QString fuzzyBroken = brokenFuzzyPromise(dictionary, query, maxResults, threshold);
        QVERIFY2(fuzzyBroken.isEmpty(), qPrintable(context + QStringLiteral(": ") + fuzzyBroken));
        // The bounds that spare most scoring leave the answer as scoring everything gives it.
        QVERIFY2(dictionary.fuzzyWordSearch(query, maxResults, threshold)
                     == plainFuzzyWordSearch(dictionary, query, maxResults, threshold),
                 qPrintable(context + QStringLiteral(", threshold %1").arg(threshold)));
        const QString suggestionBroken
            = brokenSuggestionPromise(dictionary, query, maxResults, owned);
        QVERIFY2(suggestionBroken.isEmpty(),
                 qPrintable(context + QStringLiteral(": ") + suggestionBroken));
        const QString mixedBroken = brokenMixedQueryPromise(dictionary, query, owned);
        QVERIFY2(mixedBroken.isEmpty(), qPrintable(context + QStringLiteral(": ") + mixedBroken));

        // The fast phrase scans give what the plain ones give.
        QCOMPARE(describe(dictionary.findPhrasesContainingWord(query)),
                 describe(plainPhrasesContainingWord(dictionary, query)));
        QCOMPARE(describe(dictionary.findExactPhrase(query)),
                 describe(plainExactPhrase(dictionary, query)));
        QCOMPARE(describe(dictionary.findPhraseTranslation(query)),
                 describe(plainPhraseTranslation(dictionary, query)));
        QCOMPARE(describe(dictionary.searchChineseDynamic(query)),
                 describe(plainChineseDynamic(dictionary, query)));

        // The word path collects what its stages find; the answer is their best, ranked.
        const bool byNumber
            = !trace.contains(QStringLiteral("==================词语搜索=================="));
        if (maxResults >= 0 && !byNumber) {
            QList<SearchResult> expected = plainCollectedResults(dictionary, query, maxResults);
            std::sort(expected.begin(), expected.end(), SearchRankingOrder());
            const QStringList all = describe(expected);
            for (const QString &line : describe(results))
                QVERIFY2(all.contains(line),
                         qPrintable(context + QStringLiteral(": unexpected ") + line));
            QVERIFY2(rankingKeys(results, results.size()) == rankingKeys(expected, maxResults),
                     qPrintable(context));
            // Ties are broken by line number, so the answer is exactly the head of the list.
            QVERIFY2(entryNumbers(results) == entryNumbers(expected.mid(0, maxResults)),
                     qPrintable(context));
        }
    }
}

// A vocabulary large enough to be searched in two halves, scored whole by queries whose first
// letter starts no word: the answer is what scoring every word gives, whether the second half
// runs on a pooled thread or, with every pooled thread taken, on the calling one.
void TestSearchProperties::fuzzySearchOfTheWholeVocabularyIsExact_data()
{
    QTest::addColumn<bool>("poolBusy");
    QTest::newRow("second half on a pooled thread") << false;
    QTest::newRow("pool busy: both halves on this thread") << true;
}

void TestSearchProperties::fuzzySearchOfTheWholeVocabularyIsExact()
{
    QFETCH(bool, poolBusy);
    // Every pooled thread kept waiting until the end of the test.
    QThreadPool *pool = QThreadPool::globalInstance();
    const int taken = poolBusy ? pool->maxThreadCount() : 0;
    QSemaphore started;
    QSemaphore finish;
    for (int i = 0; i < taken; ++i) {
        pool->start([&] {
            started.release();
            finish.acquire();
        });
    }
    started.acquire(taken);
    const auto release = qScopeGuard([&] {
        finish.release(taken);
        pool->waitForDone();
    });

    dictionarygenerator::GeneratorOptions options;
    options.entries = 20000;
    options.seed = 99;
    const QList<GeneratedEntry> generated = dictionarygenerator::generateDictionary(options);
    ConlangDictionary dictionary;
    LogCapture capture;
    QVERIFY(loadGenerated(generated, dictionary));
    QVERIFY(!dictionary.letterIndexData().contains(u'q'));

    Random random(99);
    for (int i = 0; i < 12; ++i) {
        const QString query = i % 3 == 0
            ? u'q' + misspelt(generated.at(random.below(20000)).word.toLower(), random)
            : u'q' + pastedText(generated, random);
        const int maxResults = random.between(1, 20);
        const auto everyWordScored = everyCandidateScored(
            dictionary, query, maxResults, 50.0, [](const std::string &a, const std::string &b) {
                return similarity::weightedRatio(a, b);
            });
        QVERIFY2(dictionary.fuzzyWordSearch(query, maxResults, 50.0) == everyWordScored,
                 qPrintable(query));
    }
}

QTEST_GUILESS_MAIN(TestSearchProperties)
#include "tst_search_properties.moc"

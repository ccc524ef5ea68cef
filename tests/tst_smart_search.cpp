#include "ConlangDictionary.h"
#include "DictionaryFiles.h"
#include "LogCapture.h"
#include "SearchRanking.h"

#include <QtTest>

namespace {

// Line 3 is a gap: it counts in the numbering but holds no entry.
const QList<DictionaryRow> sampleRows = {
    {"kalo", "太阳", "n.", "kalo sumi", "日出"},
    {"sumi", "天空", "n.", "vena kalo", "美丽 太阳"},
    {"", "", "", "", ""},
    {"tavu", "水", "n.", "tavu ro", "流水"},
    {"Vena", "美丽", "adj.", "", ""},
    {"lira", "河流水", "n.", "lira tavu", "河水"},
};

QString kindOf(const SearchResult &r)
{
    return r.entry->word + u':' + r.matchType;
}

// The expected ranking is a list of groups, best first; a group "a = b" holds results whose
// order among themselves is not defined (equal priority and score).
bool matchesRanking(const QList<SearchResult> &results, const QStringList &groups, QString *why)
{
    qsizetype next = 0;
    for (const QString &group : groups) {
        QStringList expected = group.split(QStringLiteral(" = "));
        QStringList actual;
        for (qsizetype i = 0; i < expected.size() && next < results.size(); ++i)
            actual.append(kindOf(results.at(next++)));
        expected.sort();
        actual.sort();
        if (actual != expected) {
            *why = QStringLiteral("expected {%1}, got {%2}")
                       .arg(expected.join(", "), actual.join(", "));
            return false;
        }
    }
    if (next != results.size()) {
        *why = QStringLiteral("%1 results more than expected").arg(results.size() - next);
        return false;
    }
    return true;
}

SearchResult resultOf(const QString &matchType, double score)
{
    return {nullptr, matchType, score, QString()};
}

const QList<DictionaryRow> tieRows = rowsThatTie();

} // namespace

class TestSmartSearch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void writesTheTrace_data();
    void writesTheTrace();
    void findsResultsByStage_data();
    void findsResultsByStage();
    void answersEntryNumbersFromTheNumberIndex();
    void cutsToTheLimit_data();
    void cutsToTheLimit();
    void ranksMatchKindsOfOneQuery_data();
    void ranksMatchKindsOfOneQuery();
    void ordersByPriorityThenScore_data();
    void ordersByPriorityThenScore();
    void keepsTheFirstResultOfEachEntry();
    void averagesScoresOverMixedQueryWords_data();
    void averagesScoresOverMixedQueryWords();
    void leavesMixedQueryResultsAloneForFewerThanTwoWords_data();
    void leavesMixedQueryResultsAloneForFewerThanTwoWords();
    void skipsEntriesTheCallerAlreadyHas();
    void breaksTiesByLineInEveryProcess_data();
    void breaksTiesByLineInEveryProcess();

private:
    std::unique_ptr<TemporaryDictionary> m_sample;
    const ConlangDictionary &sample() const { return m_sample->dictionary(); }
};

void TestSmartSearch::initTestCase()
{
    m_sample = std::make_unique<TemporaryDictionary>(sampleRows);
    QVERIFY(m_sample->isLoaded());
}

void TestSmartSearch::writesTheTrace_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("trace");

    const auto opening = [](const QString &quoted) {
        return QStringLiteral("\n=== smartSearch: 开始搜索 \" %1 \" ===").arg(quoted);
    };
    const auto wordPath = [](const QString &quoted, bool chinese) {
        return QStringList{"==================词语搜索==================",
                           QStringLiteral("修剪后查询: \" %1 \", 是否中文:  %2")
                               .arg(quoted, chinese ? "true" : "false")};
    };
    const auto ranking = [](int collected, int unique, int returned) {
        return QStringList{
            "\n6. 排序和去重...",
            QStringLiteral("   原始结果数:  %1").arg(collected),
            QStringLiteral("   去重后结果数:  %1").arg(unique),
            QStringLiteral("=== smartSearch: 搜索完成，返回  %1  个结果 ===").arg(returned)};
    };
    const QString stage1 = "\n1. 尝试单词精确匹配...";
    const QString noWord = "   ✗ 未找到精确匹配单词";
    const QString stage2 = "\n2. 查找包含该单词的词组...";
    const QString stage3 = "\n3. 尝试中文翻译搜索...";
    const QString stage4 = "\n4. 尝试完整词组匹配...";
    const QString stage5 = "\n5. 尝试模糊搜索...";

    QTest::newRow("empty") << "" << QStringList{opening("\"\""), "查询为空，返回空结果"};
    QTest::newRow("entry number found") << "2"
                                        << QStringList{opening("\"2\""),
                                                       "已经进入if",
                                                       "   ✓ 通过索引找到词条:  \"sumi\"",
                                                       "已经return allResults"};
    QTest::newRow("entry number of a gap")
        << "3" << QStringList{opening("\"3\""), "已经进入if", "   ✗ 索引 3 无对应词条"};
    QTest::newRow("exact word, other letter case")
        << "KALO"
        << QStringList{opening("\"KALO\"")} + wordPath("\"KALO\"", false)
            + QStringList{stage1,
                          "   ✓ 找到精确匹配单词:  \"kalo\"  ->  \"太阳\"",
                          stage2,
                          "   添加词组结果:  \"sumi\"  [ \"phrase_contains_word\" ]"}
            + ranking(2, 2, 2);
    QTest::newRow("word found only in a phrase")
        << " ro"
        << QStringList{opening("\" ro\"")} + wordPath("\"ro\"", false)
            + QStringList{stage1,
                          noWord,
                          stage2,
                          "   添加词组结果:  \"tavu\"  [ \"phrase_contains_word\" ]"}
            + ranking(1, 1, 1);
    QTest::newRow("Chinese, exact") << "水"
                                    << QStringList{opening("\"水\"")} + wordPath("\"水\"", true)
            + QStringList{stage1, noWord, stage2, stage3, "   找到  1  个中文翻译结果"}
            + ranking(1, 1, 1);
    QTest::newRow("Chinese, partial")
        << "河流"
        << QStringList{opening("\"河流\"")} + wordPath("\"河流\"", true)
            + QStringList{stage1, noWord, stage2, stage3, "   找到  1  个中文翻译结果"}
            + ranking(1, 1, 1);
    QTest::newRow("Chinese with a space")
        << "美丽 太阳"
        << QStringList{opening("\"美丽 太阳\"")} + wordPath("\"美丽 太阳\"", true)
            + QStringList{stage1,
                          noWord,
                          stage2,
                          stage3,
                          "   找到  0  个中文翻译结果",
                          stage4,
                          "   找到  0  个完整词组匹配",
                          "   尝试中文词组翻译匹配...",
                          "   找到  1  个中文词组翻译匹配"}
            + ranking(1, 1, 1);
    QTest::newRow("Chinese found nowhere")
        << "星星"
        << QStringList{opening("\"星星\"")} + wordPath("\"星星\"", true)
            + QStringList{stage1, noWord, stage2, stage3, "   找到  0  个中文翻译结果", stage5}
            + ranking(0, 0, 0);
    QTest::newRow("blanks only") << "   "
                                 << QStringList{opening("\"   \"")} + wordPath("\"\"", false)
            + QStringList{stage1,
                          noWord,
                          stage2,
                          stage3,
                          "   找到  0  个中文翻译结果",
                          stage5,
                          "   找到  0  个模糊匹配"}
            + ranking(0, 0, 0);
    QTest::newRow("fuzzy fallback")
        << "tauv"
        << QStringList{opening("\"tauv\"")} + wordPath("\"tauv\"", false)
            + QStringList{stage1,
                          noWord,
                          stage2,
                          stage3,
                          "   找到  0  个中文翻译结果",
                          stage5,
                          "   找到  1  个模糊匹配"}
            + ranking(2, 2, 2);
}

void TestSmartSearch::writesTheTrace()
{
    QFETCH(QString, query);
    QFETCH(QStringList, trace);

    LogCapture capture;
    sample().smartSearch(query, 10);
    QCOMPARE(capture.messages(), trace);
}

void TestSmartSearch::findsResultsByStage_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("exact word first, then phrases of other entries")
        << "KALO"
        << QStringList{"kalo|word_exact|100|单词完全匹配",
                       "sumi|phrase_contains_word|95|词组包含: vena kalo"};
    QTest::newRow("word only in a phrase")
        << " ro" << QStringList{"tavu|phrase_contains_word|95|词组包含: tavu ro"};
    QTest::newRow("Chinese, exact")
        << "水" << QStringList{"tavu|translation_exact|100|翻译完全匹配: 水"};
    QTest::newRow("Chinese, partial")
        << "河流" << QStringList{"lira|translation_partial|90|翻译包含: 河流"};
    QTest::newRow("Chinese with a space, phrase translation")
        << "美丽 太阳" << QStringList{"sumi|phrase_translation_exact|100|词组翻译: 美丽 太阳"};
    QTest::newRow("fuzzy word, then the phrases of that word")
        << "tauv"
        << QStringList{"lira|phrase_contains_word|95|词组包含: lira tavu",
                       "tavu|word_fuzzy|75|模糊匹配: tavu"};
    QTest::newRow("Chinese is never searched by spelling") << "星星" << QStringList{};
    QTest::newRow("blanks only") << "  " << QStringList{};
}

void TestSmartSearch::findsResultsByStage()
{
    QFETCH(QString, query);
    QFETCH(QStringList, expected);

    LogCapture quiet;
    QCOMPARE(describeResults(sample().smartSearch(query, 10)), expected);
}

void TestSmartSearch::answersEntryNumbersFromTheNumberIndex()
{
    const TemporaryDictionary loaded(rowsFromLines({"12|十二|num.||",
                                                    "0|零|num.||",
                                                    "-3|负三|num.||",
                                                    "2147483648|大数|num.||",
                                                    "kalo|太阳|n.||"}));
    QVERIFY(loaded.isLoaded());
    const ConlangDictionary &dictionary = loaded.dictionary();
    LogCapture quiet;

    const QList<SearchResult> byNumber = dictionary.smartSearch(" 5 ", 10);
    QCOMPARE(describeResults(byNumber), QStringList{"kalo|index_match|100|索引 5 匹配"});
    QCOMPARE(byNumber.first().entry, dictionary.lookupByNumIndex(5));
    QVERIFY(byNumber.first().entry != dictionary.lookupByWord("kalo"));
    QCOMPARE(describeResults(dictionary.smartSearch("+1", 10)),
             QStringList{"12|index_match|100|索引 1 匹配"});

    // A number without an entry finds nothing, even where a word is written the same way.
    QVERIFY(dictionary.smartSearch("12", 10).isEmpty());
    // Zero, negative numbers and numbers beyond int are words.
    for (const char *word : {"0", "-3", "2147483648"}) {
        const QList<SearchResult> results = dictionary.smartSearch(word, 10);
        QCOMPARE(results.size(), 1);
        QCOMPARE(results.first().matchType, "word_exact");
        QCOMPARE(results.first().entry, dictionary.lookupByWord(word));
    }
}

void TestSmartSearch::cutsToTheLimit_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("maxResults");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("one: the best result only")
        << "kalo" << 1 << QStringList{"kalo|word_exact|100|单词完全匹配"};
    QTest::newRow("zero") << "kalo" << 0 << QStringList{};
    QTest::newRow("negative") << "kalo" << -1 << QStringList{};
    QTest::newRow("entry number with zero: not cut")
        << "1" << 0 << QStringList{"kalo|index_match|100|索引 1 匹配"};
    QTest::newRow("entry number, negative") << "1" << -5 << QStringList{};
}

void TestSmartSearch::cutsToTheLimit()
{
    QFETCH(QString, query);
    QFETCH(int, maxResults);
    QFETCH(QStringList, expected);

    LogCapture capture;
    QCOMPARE(describeResults(sample().smartSearch(query, maxResults)), expected);
    // A negative limit is answered before any search is made.
    if (maxResults < 0)
        QCOMPARE(capture.messages(), QStringList{});
}

void TestSmartSearch::ranksMatchKindsOfOneQuery_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("ranking");

    QTest::newRow("Chinese: word, phrases, partial translations")
        << QStringList{"日出|晨|n.||",
                       "alpa|天|n.|日出,x|一,二",
                       "beko|地|n.|看 日出|三",
                       "cira|日出东方|n.||",
                       "dumo|看日出|n.||"}
        << "日出"
        << QStringList{"日出:word_exact",
                       "alpa:phrase_exact_word",
                       "beko:phrase_contains_word",
                       "cira:translation_partial",
                       "dumo:translation_partial"};
    QTest::newRow("Chinese: exact translation, phrases")
        << QStringList{"alpa|日出|n.||", "beko|天|n.|日出|一", "cira|地|n.|看 日出|二"} << "日出"
        << QStringList{
               "alpa:translation_exact", "beko:phrase_exact_word", "cira:phrase_contains_word"};
    QTest::newRow("Chinese with a space: word, both phrase kinds, partial translations")
        << QStringList{"日 出|晨|n.||",
                       "alpa|天|n.|x,日 出|一,二",
                       "beko|日 出来|n.||",
                       "cira|看日 出|n.||",
                       "dumo|地|n.|x, 日 出|一,二"}
        << "日 出"
        << QStringList{"日 出:word_exact",
                       "alpa:phrase_exact_word = dumo:phrase_exact_match",
                       "beko:translation_partial",
                       "cira:translation_partial"};
    QTest::newRow("Chinese with a space: word, exact translation, phrase translation")
        << QStringList{"日 出|晨|n.||", "alpa|日 出|n.||", "gamo|地|n.|p|日 出"} << "日 出"
        << QStringList{"日 出:word_exact = alpa:translation_exact",
                       "gamo:phrase_translation_exact"};
    QTest::newRow("Chinese with a space: word, partial translation, phrase translation")
        << QStringList{"日 出|晨|n.||", "beko|日 出来|n.||", "gamo|地|n.|p|日 出"} << "日 出"
        << QStringList{
               "日 出:word_exact", "beko:translation_partial", "gamo:phrase_translation_exact"};
    QTest::newRow("with a space: word, exact phrase word, exact phrase")
        << QStringList{"kalo sumi|短语|n.||",
                       "alpa|天|n.|Kalo Sumi|一",
                       "beko|地|n.|x, kalo sumi|一,二"}
        << "kalo sumi"
        << QStringList{"kalo sumi:word_exact", "alpa:phrase_exact_word = beko:phrase_exact_match"};
    QTest::newRow("with a space: exact translation, exact phrase")
        << QStringList{"alpa|abc def|n.||", "beko|地|n.|x, ABC DEF|一,二"} << "abc def"
        << QStringList{"alpa:translation_exact", "beko:phrase_exact_match"};
    QTest::newRow("fuzzy words and their phrases") << QStringList{"tavu|水|n.||",
                                                                  "tauvo|湖|n.||",
                                                                  "alpa|天|n.|tavu|一",
                                                                  "beko|地|n.|ro tavu|二"}
                                                   << "tauv"
                                                   << QStringList{"alpa:phrase_exact_word",
                                                                  "beko:phrase_contains_word",
                                                                  "tauvo:word_fuzzy",
                                                                  "tavu:word_fuzzy"};
}

void TestSmartSearch::ranksMatchKindsOfOneQuery()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, query);
    QFETCH(QStringList, ranking);

    const TemporaryDictionary loaded(rowsFromLines(rows));
    QVERIFY(loaded.isLoaded());
    LogCapture quiet;
    const QList<SearchResult> results = loaded.dictionary().smartSearch(query, 10);
    QString why;
    QVERIFY2(matchesRanking(results, ranking, &why), qPrintable(why));
}

void TestSmartSearch::ordersByPriorityThenScore_data()
{
    QTest::addColumn<QString>("firstKey");
    QTest::addColumn<QString>("secondKey");

    // Every key against every key of lower priority, the lower one with the better score.
    const QList<std::pair<QString, int>> priorities = {
        {"word_exact", 100},
        {"translation_exact", 100},
        {"phrase_exact_match", 95},
        {"phrase_exact_word", 95},
        {"part_of_speech", 95},
        {"phrase_contains_word", 90},
        {"word_fuzzy", 85},
        {"translation_partial", 75},
        {"index_match", 50},
        {"phrase_translation_exact", 50},
        {"mixed_query", 50},
        {"", 50},
        {"Word_Exact", 50},
    };
    for (const auto &[first, firstPriority] : priorities) {
        for (const auto &[second, secondPriority] : priorities) {
            if (firstPriority > secondPriority)
                QTest::addRow("%s over %s", qPrintable(first), qPrintable(second))
                    << first << second;
        }
    }
}

void TestSmartSearch::ordersByPriorityThenScore()
{
    QFETCH(QString, firstKey);
    QFETCH(QString, secondKey);

    const SearchRankingOrder ranksBefore;
    const SearchResult better = resultOf(firstKey, 10.0);
    const SearchResult worse = resultOf(secondKey, 100.0);
    QVERIFY(ranksBefore(better, worse));
    QVERIFY(!ranksBefore(worse, better));

    // Within one priority the score decides; equal scores are equivalent.
    for (const QString &key : {firstKey, secondKey}) {
        QVERIFY(ranksBefore(resultOf(key, 88.0), resultOf(key, 70.5)));
        QVERIFY(!ranksBefore(resultOf(key, 70.5), resultOf(key, 88.0)));
        QVERIFY(!ranksBefore(resultOf(key, 70.5), resultOf(key, 70.5)));
    }
}

void TestSmartSearch::keepsTheFirstResultOfEachEntry()
{
    const DictionaryEntry x;
    const DictionaryEntry y;
    const QList<SearchResult> collected = {
        {&x, "phrase_contains_word", 95.0, "a"},
        {&y, "word_fuzzy", 60.0, "b"},
        {&x, "word_fuzzy", 99.0, "c"},
        {&y, "word_exact", 100.0, "d"},
    };
    const QList<SearchResult> unique = keepFirstResultPerEntry(collected);
    QCOMPARE(unique.size(), 2);
    QCOMPARE(unique.at(0).highlightInfo, "a");
    QCOMPARE(unique.at(1).highlightInfo, "b");
    QVERIFY(keepFirstResultPerEntry({}).isEmpty());
}

void TestSmartSearch::averagesScoresOverMixedQueryWords_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("searches");

    // kalo: 100 as a word, 90 as the start of its translation; sumi: 95 from a phrase.
    QTest::newRow("two words") << "kalo 太"
                               << QStringList{"kalo|mixed_query|95|混合查询匹配",
                                              "sumi|mixed_query|47.5|混合查询匹配"}
                               << 2;
    QTest::newRow("two spaces between the words")
        << "  kalo  太 "
        << QStringList{"kalo|mixed_query|95|混合查询匹配", "sumi|mixed_query|47.5|混合查询匹配"}
        << 2;
    QTest::newRow("an entry number finds the other copy of a record")
        << "1 kalo"
        << QStringList{"kalo|mixed_query|50|混合查询匹配",
                       "kalo|mixed_query|50|混合查询匹配",
                       "sumi|mixed_query|47.5|混合查询匹配"}
        << 2;
    QTest::newRow("three words, divided by all of them")
        << "kalo 太 星星"
        << QStringList{"kalo|mixed_query|63.3333|混合查询匹配",
                       "sumi|mixed_query|31.6667|混合查询匹配"}
        << 3;
}

void TestSmartSearch::averagesScoresOverMixedQueryWords()
{
    QFETCH(QString, query);
    QFETCH(QStringList, expected);
    QFETCH(int, searches);

    LogCapture capture;
    QList<SearchResult> results;
    QSet<const DictionaryEntry *> added;
    sample().handleMixedQuery(query, results, added);

    QStringList described = describeResults(results);
    described.sort();
    QCOMPARE(described, expected);
    QCOMPARE(added.size(), results.size());
    for (const SearchResult &result : results)
        QVERIFY(added.contains(result.entry));
    const QStringList openings = capture.messages().filter("\n=== smartSearch: 开始搜索");
    QCOMPARE(openings.size(), searches);
}

void TestSmartSearch::leavesMixedQueryResultsAloneForFewerThanTwoWords_data()
{
    QTest::addColumn<QString>("query");
    QTest::newRow("empty") << "";
    QTest::newRow("one word") << "kalo";
    QTest::newRow("one word between spaces") << "  kalo ";
    QTest::newRow("a tab does not separate") << "kalo\t太";
}

void TestSmartSearch::leavesMixedQueryResultsAloneForFewerThanTwoWords()
{
    QFETCH(QString, query);

    LogCapture capture;
    const DictionaryEntry earlier;
    QList<SearchResult> results = {{&earlier, "word_exact", 100.0, "earlier"}};
    QSet<const DictionaryEntry *> added = {&earlier};
    sample().handleMixedQuery(query, results, added);
    QCOMPARE(results.size(), 1);
    QCOMPARE(added.size(), 1);
    QCOMPARE(capture.messages(), QStringList{});
}

void TestSmartSearch::skipsEntriesTheCallerAlreadyHas()
{
    LogCapture quiet;
    const DictionaryEntry *kalo = sample().lookupByWord("kalo");
    QList<SearchResult> results = {{kalo, "word_exact", 100.0, "earlier"}};
    QSet<const DictionaryEntry *> added = {kalo};
    sample().handleMixedQuery("kalo 太", results, added);

    QCOMPARE(describeResults(results),
             (QStringList{"kalo|word_exact|100|earlier", "sumi|mixed_query|47.5|混合查询匹配"}));
    QCOMPARE(added.size(), 2);
}

// Equal results come in line order, and a cut keeps the earliest lines, whatever the hash seed
// of the process (each dictionary below is loaded under a new one).
void TestSmartSearch::breaksTiesByLineInEveryProcess_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QStringList>("expected"); // "number word matchType score"
    QStringList mira, starlight;
    for (int number = 1; number <= 10; ++number) {
        const QString word = tieRows.at(number - 1).word;
        mira.append(QStringLiteral("%1 %2 phrase_contains_word 98").arg(number).arg(word));
        starlight.append(QStringLiteral("%1 %2 translation_partial 90").arg(number).arg(word));
    }
    QTest::newRow("tenth-place tie of phrases") << "mira" << 10 << mira;
    QTest::newRow("tenth-place tie of translations") << "星光" << 10 << starlight;
    QTest::newRow("three equal words of the whole vocabulary, by line")
        << "9eno" << 3
        << QStringList{"1 zeno word_fuzzy 75", "2 yeno word_fuzzy 75", "3 xeno word_fuzzy 75"};
    QTest::newRow("the limit cuts at an equal score")
        << "9eno" << 2 << QStringList{"1 zeno word_fuzzy 75", "2 yeno word_fuzzy 75"};
    QTest::newRow("fuzzy words of one letter, the repeated word's last record")
        << "kalu" << 10 << QStringList{"23 kale word_fuzzy 75", "24 Kalo word_fuzzy 75"};
}

void TestSmartSearch::breaksTiesByLineInEveryProcess()
{
    QFETCH(QString, query);
    QFETCH(int, limit);
    QFETCH(QStringList, expected);

    const auto restoreSeed = qScopeGuard([] { QHashSeed::resetRandomGlobalSeed(); });
    for (int load = 0; load < 5; ++load) {
        if (load == 0)
            QHashSeed::setDeterministicGlobalSeed();
        else
            QHashSeed::resetRandomGlobalSeed();
        const TemporaryDictionary dictionary(tieRows);
        QVERIFY(dictionary.isLoaded());
        LogCapture quiet;
        QStringList found;
        for (const SearchResult &result : dictionary.dictionary().smartSearch(query, limit))
            found.append(QStringLiteral("%1 %2 %3 %4")
                             .arg(result.entry->number)
                             .arg(result.entry->word, result.matchType)
                             .arg(result.score));
        QCOMPARE(found, expected);
        // The Chinese search's own list: equal scores by line too.
        const QList<SearchResult> translations
            = dictionary.dictionary().searchChineseDynamic(query);
        for (qsizetype i = 1; i < translations.size(); ++i)
            QVERIFY(translations.at(i - 1).score > translations.at(i).score
                    || translations.at(i - 1).entry->number < translations.at(i).entry->number);
        // The fuzzy search's own pairs: a repeated word's pairs stay next to it.
        if (query == "kalu")
            QCOMPARE(dictionary.dictionary().fuzzyWordSearch(query, 3, 50.0),
                     (QList<std::pair<QString, double>>{
                         {"kalo", 75.0}, {"kalo", 75.0}, {"kale", 75.0}}));
    }
}

QTEST_GUILESS_MAIN(TestSmartSearch)
#include "tst_smart_search.moc"

#include "ConlangDictionary.h"
#include "DictionaryFiles.h"
#include "LogCapture.h"
#include "SearchRanking.h"

#include <QtTest>

namespace {

// Line 3 is a gap: it counts in the numbering but holds no entry.
const QList<DictionaryRow> sampleRows = {
    {QStringLiteral("kalo"),
     QStringLiteral("太阳"),
     QStringLiteral("n."),
     QStringLiteral("kalo sumi"),
     QStringLiteral("日出")},
    {QStringLiteral("sumi"),
     QStringLiteral("天空"),
     QStringLiteral("n."),
     QStringLiteral("vena kalo"),
     QStringLiteral("美丽 太阳")},
    {QStringLiteral(""),
     QStringLiteral(""),
     QStringLiteral(""),
     QStringLiteral(""),
     QStringLiteral("")},
    {QStringLiteral("tavu"),
     QStringLiteral("水"),
     QStringLiteral("n."),
     QStringLiteral("tavu ro"),
     QStringLiteral("流水")},
    {QStringLiteral("Vena"),
     QStringLiteral("美丽"),
     QStringLiteral("adj."),
     QStringLiteral(""),
     QStringLiteral("")},
    {QStringLiteral("lira"),
     QStringLiteral("河流水"),
     QStringLiteral("n."),
     QStringLiteral("lira tavu"),
     QStringLiteral("河水")},
};

// Rows written as "word|translation|part of speech|phrase line|phrase-translation line".
QList<DictionaryRow> rowsFrom(const QStringList &lines)
{
    QList<DictionaryRow> rows;
    for (const QString &line : lines) {
        const QStringList f = line.split(u'|');
        rows.append({f.value(0), f.value(1), f.value(2), f.value(3), f.value(4)});
    }
    return rows;
}

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
                       .arg(expected.join(QStringLiteral(", ")), actual.join(QStringLiteral(", ")));
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
        return QStringList{
            QStringLiteral("==================词语搜索=================="),
            QStringLiteral("修剪后查询: \" %1 \", 是否中文:  %2")
                .arg(quoted, chinese ? QStringLiteral("true") : QStringLiteral("false"))};
    };
    const auto ranking = [](int collected, int unique, int returned) {
        return QStringList{
            QStringLiteral("\n6. 排序和去重..."),
            QStringLiteral("   原始结果数:  %1").arg(collected),
            QStringLiteral("   去重后结果数:  %1").arg(unique),
            QStringLiteral("=== smartSearch: 搜索完成，返回  %1  个结果 ===").arg(returned)};
    };
    const QString stage1 = QStringLiteral("\n1. 尝试单词精确匹配...");
    const QString noWord = QStringLiteral("   ✗ 未找到精确匹配单词");
    const QString stage2 = QStringLiteral("\n2. 查找包含该单词的词组...");
    const QString stage3 = QStringLiteral("\n3. 尝试中文翻译搜索...");
    const QString stage4 = QStringLiteral("\n4. 尝试完整词组匹配...");
    const QString stage5 = QStringLiteral("\n5. 尝试模糊搜索...");

    QTest::newRow("empty") << ""
                           << QStringList{opening(QStringLiteral("\"\"")),
                                          QStringLiteral("查询为空，返回空结果")};
    QTest::newRow("entry number found")
        << "2"
        << QStringList{opening(QStringLiteral("\"2\"")),
                       QStringLiteral("已经进入if"),
                       QStringLiteral("   ✓ 通过索引找到词条:  \"sumi\""),
                       QStringLiteral("已经return allResults")};
    QTest::newRow("entry number of a gap") << "3"
                                           << QStringList{opening(QStringLiteral("\"3\"")),
                                                          QStringLiteral("已经进入if"),
                                                          QStringLiteral("   ✗ 索引 3 无对应词条")};
    QTest::newRow("exact word, other letter case")
        << "KALO"
        << QStringList{opening(QStringLiteral("\"KALO\""))}
            + wordPath(QStringLiteral("\"KALO\""), false)
            + QStringList{stage1,
                          QStringLiteral("   ✓ 找到精确匹配单词:  \"kalo\"  ->  \"太阳\""),
                          stage2,
                          QStringLiteral(
                              "   添加词组结果:  \"sumi\"  [ \"phrase_contains_word\" ]")}
            + ranking(2, 2, 2);
    QTest::newRow("word found only in a phrase") << " ro"
                                                 << QStringList{opening(QStringLiteral("\" ro\""))}
            + wordPath(QStringLiteral("\"ro\""), false)
            + QStringList{stage1,
                          noWord,
                          stage2,
                          QStringLiteral(
                              "   添加词组结果:  \"tavu\"  [ \"phrase_contains_word\" ]")}
            + ranking(1, 1, 1);
    QTest::newRow("Chinese, exact")
        << "水"
        << QStringList{opening(QStringLiteral("\"水\""))} + wordPath(QStringLiteral("\"水\""), true)
            + QStringList{stage1,
                          noWord,
                          stage2,
                          stage3,
                          QStringLiteral("   找到  1  个中文翻译结果")}
            + ranking(1, 1, 1);
    QTest::newRow("Chinese, partial") << "河流"
                                      << QStringList{opening(QStringLiteral("\"河流\""))}
            + wordPath(QStringLiteral("\"河流\""), true)
            + QStringList{stage1,
                          noWord,
                          stage2,
                          stage3,
                          QStringLiteral("   找到  1  个中文翻译结果")}
            + ranking(1, 1, 1);
    QTest::newRow("Chinese with a space") << "美丽 太阳"
                                          << QStringList{opening(QStringLiteral("\"美丽 太阳\""))}
            + wordPath(QStringLiteral("\"美丽 太阳\""), true)
            + QStringList{stage1,
                          noWord,
                          stage2,
                          stage3,
                          QStringLiteral("   找到  0  个中文翻译结果"),
                          stage4,
                          QStringLiteral("   找到  0  个完整词组匹配"),
                          QStringLiteral("   尝试中文词组翻译匹配..."),
                          QStringLiteral("   找到  1  个中文词组翻译匹配")}
            + ranking(1, 1, 1);
    QTest::newRow("Chinese found nowhere") << "星星"
                                           << QStringList{opening(QStringLiteral("\"星星\""))}
            + wordPath(QStringLiteral("\"星星\""), true)
            + QStringList{stage1,
                          noWord,
                          stage2,
                          stage3,
                          QStringLiteral("   找到  0  个中文翻译结果"),
                          stage5}
            + ranking(0, 0, 0);
    QTest::newRow("blanks only") << "   "
                                 << QStringList{opening(QStringLiteral("\"   \""))}
            + wordPath(QStringLiteral("\"\""), false)
            + QStringList{stage1,
                          noWord,
                          stage2,
                          stage3,
                          QStringLiteral("   找到  0  个中文翻译结果"),
                          stage5,
                          QStringLiteral("   找到  0  个模糊匹配")}
            + ranking(0, 0, 0);
    QTest::newRow("fuzzy fallback") << "tauv"
                                    << QStringList{opening(QStringLiteral("\"tauv\""))}
            + wordPath(QStringLiteral("\"tauv\""), false)
            + QStringList{stage1,
                          noWord,
                          stage2,
                          stage3,
                          QStringLiteral("   找到  0  个中文翻译结果"),
                          stage5,
                          QStringLiteral("   找到  1  个模糊匹配")}
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
        << QStringList{QStringLiteral("kalo|word_exact|100|单词完全匹配"),
                       QStringLiteral("sumi|phrase_contains_word|95|词组包含: vena kalo")};
    QTest::newRow("word only in a phrase")
        << " ro" << QStringList{QStringLiteral("tavu|phrase_contains_word|95|词组包含: tavu ro")};
    QTest::newRow("Chinese, exact")
        << "水" << QStringList{QStringLiteral("tavu|translation_exact|100|翻译完全匹配: 水")};
    QTest::newRow("Chinese, partial")
        << "河流" << QStringList{QStringLiteral("lira|translation_partial|90|翻译包含: 河流")};
    QTest::newRow("Chinese with a space, phrase translation")
        << "美丽 太阳"
        << QStringList{QStringLiteral("sumi|phrase_translation_exact|100|词组翻译: 美丽 太阳")};
    QTest::newRow("fuzzy word, then the phrases of that word")
        << "tauv"
        << QStringList{QStringLiteral("lira|phrase_contains_word|95|词组包含: lira tavu"),
                       QStringLiteral("tavu|word_fuzzy|75|模糊匹配: tavu")};
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
    const TemporaryDictionary loaded(rowsFrom({QStringLiteral("12|十二|num.||"),
                                               QStringLiteral("0|零|num.||"),
                                               QStringLiteral("-3|负三|num.||"),
                                               QStringLiteral("2147483648|大数|num.||"),
                                               QStringLiteral("kalo|太阳|n.||")}));
    QVERIFY(loaded.isLoaded());
    const ConlangDictionary &dictionary = loaded.dictionary();
    LogCapture quiet;

    const QList<SearchResult> byNumber = dictionary.smartSearch(QStringLiteral(" 5 "), 10);
    QCOMPARE(describeResults(byNumber),
             QStringList{QStringLiteral("kalo|index_match|100|索引 5 匹配")});
    QCOMPARE(byNumber.first().entry, dictionary.lookupByNumIndex(5));
    QVERIFY(byNumber.first().entry != dictionary.lookupByWord(QStringLiteral("kalo")));
    QCOMPARE(describeResults(dictionary.smartSearch(QStringLiteral("+1"), 10)),
             QStringList{QStringLiteral("12|index_match|100|索引 1 匹配")});

    // A number without an entry finds nothing, even where a word is written the same way.
    QVERIFY(dictionary.smartSearch(QStringLiteral("12"), 10).isEmpty());
    // Zero, negative numbers and numbers beyond int are words.
    for (const QString &word :
         QStringList{QStringLiteral("0"), QStringLiteral("-3"), QStringLiteral("2147483648")}) {
        const QList<SearchResult> results = dictionary.smartSearch(word, 10);
        QCOMPARE(results.size(), 1);
        QCOMPARE(results.first().matchType, QStringLiteral("word_exact"));
        QCOMPARE(results.first().entry, dictionary.lookupByWord(word));
    }
}

void TestSmartSearch::cutsToTheLimit_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("maxResults");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("one: the best result only")
        << "kalo" << 1 << QStringList{QStringLiteral("kalo|word_exact|100|单词完全匹配")};
    QTest::newRow("zero") << "kalo" << 0 << QStringList{};
    QTest::newRow("negative") << "kalo" << -1 << QStringList{};
    QTest::newRow("entry number with zero: not cut")
        << "1" << 0 << QStringList{QStringLiteral("kalo|index_match|100|索引 1 匹配")};
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
        << QStringList{QStringLiteral("日出|晨|n.||"),
                       QStringLiteral("alpa|天|n.|日出,x|一,二"),
                       QStringLiteral("beko|地|n.|看 日出|三"),
                       QStringLiteral("cira|日出东方|n.||"),
                       QStringLiteral("dumo|看日出|n.||")}
        << "日出"
        << QStringList{QStringLiteral("日出:word_exact"),
                       QStringLiteral("alpa:phrase_exact_word"),
                       QStringLiteral("beko:phrase_contains_word"),
                       QStringLiteral("cira:translation_partial"),
                       QStringLiteral("dumo:translation_partial")};
    QTest::newRow("Chinese: exact translation, phrases")
        << QStringList{QStringLiteral("alpa|日出|n.||"),
                       QStringLiteral("beko|天|n.|日出|一"),
                       QStringLiteral("cira|地|n.|看 日出|二")}
        << "日出"
        << QStringList{QStringLiteral("alpa:translation_exact"),
                       QStringLiteral("beko:phrase_exact_word"),
                       QStringLiteral("cira:phrase_contains_word")};
    QTest::newRow("Chinese with a space: word, both phrase kinds, partial translations")
        << QStringList{QStringLiteral("日 出|晨|n.||"),
                       QStringLiteral("alpa|天|n.|x,日 出|一,二"),
                       QStringLiteral("beko|日 出来|n.||"),
                       QStringLiteral("cira|看日 出|n.||"),
                       QStringLiteral("dumo|地|n.|x, 日 出|一,二")}
        << "日 出"
        << QStringList{QStringLiteral("日 出:word_exact"),
                       QStringLiteral("alpa:phrase_exact_word = dumo:phrase_exact_match"),
                       QStringLiteral("beko:translation_partial"),
                       QStringLiteral("cira:translation_partial")};
    QTest::newRow("Chinese with a space: word, exact translation, phrase translation")
        << QStringList{QStringLiteral("日 出|晨|n.||"),
                       QStringLiteral("alpa|日 出|n.||"),
                       QStringLiteral("gamo|地|n.|p|日 出")}
        << "日 出"
        << QStringList{QStringLiteral("日 出:word_exact = alpa:translation_exact"),
                       QStringLiteral("gamo:phrase_translation_exact")};
    QTest::newRow("Chinese with a space: word, partial translation, phrase translation")
        << QStringList{QStringLiteral("日 出|晨|n.||"),
                       QStringLiteral("beko|日 出来|n.||"),
                       QStringLiteral("gamo|地|n.|p|日 出")}
        << "日 出"
        << QStringList{QStringLiteral("日 出:word_exact"),
                       QStringLiteral("beko:translation_partial"),
                       QStringLiteral("gamo:phrase_translation_exact")};
    QTest::newRow("with a space: word, exact phrase word, exact phrase")
        << QStringList{QStringLiteral("kalo sumi|短语|n.||"),
                       QStringLiteral("alpa|天|n.|Kalo Sumi|一"),
                       QStringLiteral("beko|地|n.|x, kalo sumi|一,二")}
        << "kalo sumi"
        << QStringList{QStringLiteral("kalo sumi:word_exact"),
                       QStringLiteral("alpa:phrase_exact_word = beko:phrase_exact_match")};
    QTest::newRow("with a space: exact translation, exact phrase")
        << QStringList{QStringLiteral("alpa|abc def|n.||"),
                       QStringLiteral("beko|地|n.|x, ABC DEF|一,二")}
        << "abc def"
        << QStringList{QStringLiteral("alpa:translation_exact"),
                       QStringLiteral("beko:phrase_exact_match")};
    QTest::newRow("fuzzy words and their phrases")
        << QStringList{QStringLiteral("tavu|水|n.||"),
                       QStringLiteral("tauvo|湖|n.||"),
                       QStringLiteral("alpa|天|n.|tavu|一"),
                       QStringLiteral("beko|地|n.|ro tavu|二")}
        << "tauv"
        << QStringList{QStringLiteral("alpa:phrase_exact_word"),
                       QStringLiteral("beko:phrase_contains_word"),
                       QStringLiteral("tauvo:word_fuzzy"),
                       QStringLiteral("tavu:word_fuzzy")};
}

void TestSmartSearch::ranksMatchKindsOfOneQuery()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, query);
    QFETCH(QStringList, ranking);

    const TemporaryDictionary loaded(rowsFrom(rows));
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
        {QStringLiteral("word_exact"), 100},
        {QStringLiteral("translation_exact"), 100},
        {QStringLiteral("phrase_exact_match"), 95},
        {QStringLiteral("phrase_exact_word"), 95},
        {QStringLiteral("part_of_speech"), 95},
        {QStringLiteral("phrase_contains_word"), 90},
        {QStringLiteral("word_fuzzy"), 85},
        {QStringLiteral("translation_partial"), 75},
        {QStringLiteral("index_match"), 50},
        {QStringLiteral("phrase_translation_exact"), 50},
        {QStringLiteral("mixed_query"), 50},
        {QStringLiteral(""), 50},
        {QStringLiteral("Word_Exact"), 50},
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
        {&x, QStringLiteral("phrase_contains_word"), 95.0, QStringLiteral("a")},
        {&y, QStringLiteral("word_fuzzy"), 60.0, QStringLiteral("b")},
        {&x, QStringLiteral("word_fuzzy"), 99.0, QStringLiteral("c")},
        {&y, QStringLiteral("word_exact"), 100.0, QStringLiteral("d")},
    };
    const QList<SearchResult> unique = keepFirstResultPerEntry(collected);
    QCOMPARE(unique.size(), 2);
    QCOMPARE(unique.at(0).highlightInfo, QStringLiteral("a"));
    QCOMPARE(unique.at(1).highlightInfo, QStringLiteral("b"));
    QVERIFY(keepFirstResultPerEntry({}).isEmpty());
}

void TestSmartSearch::averagesScoresOverMixedQueryWords_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("searches");

    // kalo: 100 as a word, 90 as the start of its translation; sumi: 95 from a phrase.
    QTest::newRow("two words") << "kalo 太"
                               << QStringList{QStringLiteral("kalo|mixed_query|95|混合查询匹配"),
                                              QStringLiteral("sumi|mixed_query|47.5|混合查询匹配")}
                               << 2;
    QTest::newRow("two spaces between the words")
        << "  kalo  太 "
        << QStringList{QStringLiteral("kalo|mixed_query|95|混合查询匹配"),
                       QStringLiteral("sumi|mixed_query|47.5|混合查询匹配")}
        << 2;
    QTest::newRow("an entry number finds the other copy of a record")
        << "1 kalo"
        << QStringList{QStringLiteral("kalo|mixed_query|50|混合查询匹配"),
                       QStringLiteral("kalo|mixed_query|50|混合查询匹配"),
                       QStringLiteral("sumi|mixed_query|47.5|混合查询匹配")}
        << 2;
    QTest::newRow("three words, divided by all of them")
        << "kalo 太 星星"
        << QStringList{QStringLiteral("kalo|mixed_query|63.3333|混合查询匹配"),
                       QStringLiteral("sumi|mixed_query|31.6667|混合查询匹配")}
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
    const QStringList openings
        = capture.messages().filter(QStringLiteral("\n=== smartSearch: 开始搜索"));
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
    QList<SearchResult> results
        = {{&earlier, QStringLiteral("word_exact"), 100.0, QStringLiteral("earlier")}};
    QSet<const DictionaryEntry *> added = {&earlier};
    sample().handleMixedQuery(query, results, added);
    QCOMPARE(results.size(), 1);
    QCOMPARE(added.size(), 1);
    QCOMPARE(capture.messages(), QStringList{});
}

void TestSmartSearch::skipsEntriesTheCallerAlreadyHas()
{
    LogCapture quiet;
    const DictionaryEntry *kalo = sample().lookupByWord(QStringLiteral("kalo"));
    QList<SearchResult> results
        = {{kalo, QStringLiteral("word_exact"), 100.0, QStringLiteral("earlier")}};
    QSet<const DictionaryEntry *> added = {kalo};
    sample().handleMixedQuery(QStringLiteral("kalo 太"), results, added);

    QCOMPARE(describeResults(results),
             (QStringList{QStringLiteral("kalo|word_exact|100|earlier"),
                          QStringLiteral("sumi|mixed_query|47.5|混合查询匹配")}));
    QCOMPARE(added.size(), 2);
}

QTEST_GUILESS_MAIN(TestSmartSearch)
#include "tst_smart_search.moc"

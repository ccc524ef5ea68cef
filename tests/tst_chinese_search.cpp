#include "ConlangDictionary.h"
#include "DictionaryFiles.h"

#include <QtTest>

namespace {

// One entry per translation, with the words w1, w2, ... in line order.
QList<DictionaryRow> entriesWithTranslations(const QStringList &translations)
{
    QList<DictionaryRow> rows;
    for (qsizetype i = 0; i < translations.size(); ++i)
        rows.append({QStringLiteral("w%1").arg(i + 1), translations.at(i), "n.", "", ""});
    return rows;
}

bool scoresDescend(const QList<SearchResult> &results)
{
    for (qsizetype i = 1; i < results.size(); ++i) {
        if (results.at(i - 1).score < results.at(i).score)
            return false;
    }
    return true;
}

QString chineseThenLatin(int chinese, int latin)
{
    return QString(chinese, QChar(u'中')) + QString(latin, QChar(u'a'));
}

} // namespace

class TestChineseSearch : public QObject
{
    Q_OBJECT

private slots:
    void decidesMainlyChinese_data();
    void decidesMainlyChinese();
    void searchesTranslations_data();
    void searchesTranslations();
    void returnsAnEntryReachedThroughTwoTranslationsOnce();
    void givesAnExactResultForEachRecordOfARepeatedWord();
};

void TestChineseSearch::decidesMainlyChinese_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");

    QTest::newRow("empty") << "" << false;
    QTest::newRow("share 50") << "你好ab" << true;
    QTest::newRow("share exactly 40") << "你好abc" << false;
    QTest::newRow("share 41") << chineseThenLatin(41, 59) << true;
    QTest::newRow("share 40 of 100 units") << chineseThenLatin(40, 60) << false;
    QTest::newRow("share 40.9 rounds down") << chineseThenLatin(409, 591) << false;
    QTest::newRow("a trailing blank counts, untrimmed") << "你好 " << true;
    QTest::newRow("extension A") << "\u3400" << true;
    QTest::newRow("first and last unified ideographs") << "\u4E00\u9FFF" << true;
    QTest::newRow("ideographic full stop") << "\u3002" << false;
    QTest::newRow("full-width comma") << "\uFF0C" << false;
    QTest::newRow("extension B, a surrogate pair") << QString::fromUcs4(U"\U00020000") << false;
    QTest::newRow("Latin") << "kalo" << false;
}

void TestChineseSearch::decidesMainlyChinese()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);
    const ConlangDictionary dictionary;
    QCOMPARE(dictionary.isMainlyChinese(text), expected);
}

void TestChineseSearch::searchesTranslations_data()
{
    QTest::addColumn<QStringList>("translations");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("dynamic"); // searchChineseDynamic
    QTest::addColumn<QStringList>("fixedScores"); // searchChineseTranslation

    const QStringList exactHello = {"w1|translation_exact|100|翻译完全匹配: 你好",
                                    "w2|translation_exact|100|翻译完全匹配: 你好"};
    QTest::newRow("every listed word of an equal translation")
        << QStringList{"你好", "你好", "你好世界"} << "你好" << exactHello << exactHello;
    QTest::newRow("blanks around the query")
        << QStringList{"你好", "你好", "你好世界"} << " \u3000你好 " << exactHello << exactHello;
    QTest::newRow("an exact match hides partial ones")
        << QStringList{"大山", "大山河"} << "大山"
        << QStringList{"w1|translation_exact|100|翻译完全匹配: 大山"}
        << QStringList{"w1|translation_exact|100|翻译完全匹配: 大山"};

    const QString partial = QStringLiteral("%1|translation_partial|%2|翻译包含: %3");
    QTest::newRow("two characters")
        << QStringList{"大山河", "高大山"} << "大山"
        << QStringList{partial.arg("w1").arg(90).arg("大山"), partial.arg("w2").arg(80).arg("大山")}
        << QStringList{partial.arg("w1").arg(90).arg("大山"),
                       partial.arg("w2").arg(80).arg("大山")};
    QTest::newRow("one character")
        << QStringList{"山河", "高山"} << "山"
        << QStringList{partial.arg("w1").arg(90).arg("山"), partial.arg("w2").arg(80).arg("山")}
        << QStringList{partial.arg("w1").arg(90).arg("山"), partial.arg("w2").arg(80).arg("山")};
    QTest::newRow("three characters") << QStringList{"大山河水", "高大山河"} << "大山河"
                                      << QStringList{partial.arg("w1").arg(95).arg("大山河"),
                                                     partial.arg("w2").arg(85).arg("大山河")}
                                      << QStringList{partial.arg("w1").arg(90).arg("大山河"),
                                                     partial.arg("w2").arg(80).arg("大山河")};
    QTest::newRow("four characters") << QStringList{"大山河水流", "高大山河水"} << "大山河水"
                                     << QStringList{partial.arg("w1").arg(95).arg("大山河水"),
                                                    partial.arg("w2").arg(90).arg("大山河水")}
                                     << QStringList{partial.arg("w1").arg(90).arg("大山河水"),
                                                    partial.arg("w2").arg(80).arg("大山河水")};
    QTest::newRow("five characters") << QStringList{"大山河水流动", "高大山河水流"} << "大山河水流"
                                     << QStringList{partial.arg("w1").arg(95).arg("大山河水流"),
                                                    partial.arg("w2").arg(95).arg("大山河水流")}
                                     << QStringList{partial.arg("w1").arg(90).arg("大山河水流"),
                                                    partial.arg("w2").arg(80).arg("大山河水流")};
    QTest::newRow("not mainly Chinese: no partial stage in the dynamic search")
        << QStringList{"中abc文", "x中abc"} << "中abc" << QStringList{}
        << QStringList{partial.arg("w1").arg(90).arg("中abc"),
                       partial.arg("w2").arg(80).arg("中abc")};
    QTest::newRow("letter case must match")
        << QStringList{"你好中A"} << "你好中a" << QStringList{} << QStringList{};
    QTest::newRow("no translation contains the query")
        << QStringList{"大山"} << "河水" << QStringList{} << QStringList{};
    QTest::newRow("blank query") << QStringList{"大山"} << "  " << QStringList{} << QStringList{};
    QTest::newRow("empty query") << QStringList{"大山"} << "" << QStringList{} << QStringList{};
}

void TestChineseSearch::searchesTranslations()
{
    QFETCH(QStringList, translations);
    QFETCH(QString, query);
    QFETCH(QStringList, dynamic);
    QFETCH(QStringList, fixedScores);

    const TemporaryDictionary loaded(entriesWithTranslations(translations));
    QVERIFY(loaded.isLoaded());
    const ConlangDictionary &dictionary = loaded.dictionary();

    const QList<SearchResult> dynamicResults = dictionary.searchChineseDynamic(query);
    QCOMPARE(describeResultsSorted(dynamicResults), dynamic);
    QVERIFY(scoresDescend(dynamicResults));
    const QList<SearchResult> fixedResults = dictionary.searchChineseTranslation(query);
    QCOMPARE(describeResultsSorted(fixedResults), fixedScores);
    QVERIFY(scoresDescend(fixedResults));
    for (const SearchResult &result : dynamicResults + fixedResults)
        QCOMPARE(result.entry, dictionary.lookupByWord(result.entry->word));
}

void TestChineseSearch::returnsAnEntryReachedThroughTwoTranslationsOnce()
{
    // The second record replaces the first in the word index, and both translations name it.
    const TemporaryDictionary loaded({
        {"gra", "山水一", "n.", "", ""},
        {"Gra", "一山水", "n.", "", ""},
    });
    QVERIFY(loaded.isLoaded());
    const QList<SearchResult> results = loaded.dictionary().searchChineseDynamic("山水");
    QCOMPARE(results.size(), 1);
    QCOMPARE(results.first().entry->number, 2);
    // Which translation the scan meets first is the hash's business.
    QVERIFY(results.first().score == 90.0 || results.first().score == 80.0);
}

void TestChineseSearch::givesAnExactResultForEachRecordOfARepeatedWord()
{
    const TemporaryDictionary loaded({
        {"kalo", "太阳", "n.", "", ""},
        {"Kalo", "太阳", "n.", "", ""},
    });
    QVERIFY(loaded.isLoaded());
    const ConlangDictionary &dictionary = loaded.dictionary();
    const QList<SearchResult> results = dictionary.searchChineseDynamic("太阳");
    QCOMPARE(describeResultsSorted(results),
             (QStringList{"Kalo|translation_exact|100|翻译完全匹配: 太阳",
                          "Kalo|translation_exact|100|翻译完全匹配: 太阳"}));
    QCOMPARE(results.at(0).entry, results.at(1).entry);
}

QTEST_GUILESS_MAIN(TestChineseSearch)
#include "tst_chinese_search.moc"

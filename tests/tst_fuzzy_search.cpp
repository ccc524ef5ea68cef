#include "ConlangDictionary.h"
#include "DictionaryFiles.h"

#include <QtTest>

namespace {

using Pairs = QList<std::pair<QString, double>>;

QList<DictionaryRow> entriesWithWords(const QStringList &words)
{
    QList<DictionaryRow> rows;
    for (qsizetype i = 0; i < words.size(); ++i)
        rows.append({words.at(i),
                     QStringLiteral("译%1").arg(i + 1),
                     QStringLiteral("n."),
                     QStringLiteral(""),
                     QStringLiteral("")});
    return rows;
}

// "word|score" per pair, sorted: pairs with equal scores come in no defined order.
QStringList describe(const Pairs &pairs)
{
    QStringList lines;
    for (const auto &[word, score] : pairs)
        lines.append(QStringLiteral("%1|%2").arg(word).arg(score));
    lines.sort();
    return lines;
}

QStringList wordsOf(const Pairs &pairs)
{
    QStringList words;
    for (const auto &pair : pairs)
        words.append(pair.first);
    words.sort();
    return words;
}

bool scoresDescend(const Pairs &pairs)
{
    for (qsizetype i = 1; i < pairs.size(); ++i) {
        if (pairs.at(i - 1).second < pairs.at(i).second)
            return false;
    }
    return true;
}

} // namespace

class TestFuzzySearch : public QObject
{
    Q_OBJECT

private slots:
    void scoresSimilarWords_data();
    void scoresSimilarWords();
    void choosesCandidatesByFirstLetter_data();
    void choosesCandidatesByFirstLetter();
    void keepsTheBestPairsWithinTheLimit_data();
    void keepsTheBestPairsWithinTheLimit();
};

void TestFuzzySearch::scoresSimilarWords_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("query");
    QTest::addColumn<double>("threshold");
    QTest::addColumn<QStringList>("expected");

    const QStringList words = {QStringLiteral("tavu"),
                               QStringLiteral("kalo sumi"),
                               QStringLiteral("kalo"),
                               QStringLiteral("rena")};
    QTest::newRow("swapped letters")
        << words << "tauv" << 50.0 << QStringList{QStringLiteral("tavu|75")};
    QTest::newRow("query case ignored")
        << words << "TAUV" << 50.0 << QStringList{QStringLiteral("tavu|75")};
    QTest::newRow("threshold reached exactly")
        << words << "tauv" << 75.0 << QStringList{QStringLiteral("tavu|75")};
    QTest::newRow("threshold just missed") << words << "tauv" << 75.000001 << QStringList{};
    QTest::newRow("word and a longer word")
        << words << "kalo" << 50.0
        << QStringList{QStringLiteral("kalo sumi|90"), QStringLiteral("kalo|100")};
    QTest::newRow("word keys, not words as written")
        << QStringList{QStringLiteral("Tavu")} << "tavu" << 50.0
        << QStringList{QStringLiteral("tavu|100")};
    QTest::newRow("a repeated word is scored per record")
        << QStringList{QStringLiteral("kalo"), QStringLiteral("Kalo")} << "kalo" << 50.0
        << QStringList{QStringLiteral("kalo|100"), QStringLiteral("kalo|100")};
    // Eleven words of one score for ten places: the first ten in the file are kept.
    QStringList equals;
    for (char last = 'a'; last <= 'k'; ++last)
        equals.append(QStringLiteral("kal") + QLatin1Char(last));
    QStringList firstTen;
    for (qsizetype i = 0; i < 10; ++i)
        firstTen.append(equals.at(i) + QStringLiteral("|75"));
    QTest::newRow("equal scores beyond the limit: the earlier words")
        << equals << "kalz" << 50.0 << firstTen;
    // Five words score 60 (a hair above it in floating point) for the last four places; the
    // earlier "korilori", whose bound is 60, is scored after the later "kivolamoku", whose bound
    // is higher, and still takes its place.
    QTest::newRow("equal scores for the last places: the earlier words")
        << QString("koririko kotuvo korilori kotulila kalon kovo kokukela ko kuvokoko kikukata "
                   "kekokika kivolamoku kunekelo")
               .split(' ')
        << "kuko" << 50.0
        << QString("kekokika|67.5 kikukata|67.5 kokukela|67.5 korilori|60 koririko|60 kotulila|60 "
                   "kotuvo|60 ko|90 kunekelo|66.6667 kuvokoko|67.5")
               .split(' ');
    QTest::newRow("a word eight times as long as the query")
        << QStringList{"kalosumi"} << "k" << 80.0 << QStringList{"kalosumi|90"};
    QTest::newRow("threshold above 100") << words << "kalo" << 100.5 << QStringList{};
    QTest::newRow("empty query") << words << "" << 0.0 << QStringList{};
}

void TestFuzzySearch::scoresSimilarWords()
{
    QFETCH(QStringList, words);
    QFETCH(QString, query);
    QFETCH(double, threshold);
    QFETCH(QStringList, expected);

    const TemporaryDictionary loaded(entriesWithWords(words));
    QVERIFY(loaded.isLoaded());
    const Pairs pairs = loaded.dictionary().fuzzyWordSearch(query, 10, threshold);
    QCOMPARE(describe(pairs), expected);
    QVERIFY(scoresDescend(pairs));
}

void TestFuzzySearch::choosesCandidatesByFirstLetter_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("candidates");

    const QStringList words
        = {QStringLiteral("tavu"), QStringLiteral("savi"), QStringLiteral("Sumi")};
    QTest::newRow("only words sharing the first letter")
        << words << "sauv" << QStringList{QStringLiteral("savi"), QStringLiteral("sumi")};
    QTest::newRow("first letter compared lower-cased")
        << words << "SAUV" << QStringList{QStringLiteral("savi"), QStringLiteral("sumi")};
    QTest::newRow("no word with that letter: every word")
        << words << "xavu"
        << QStringList{QStringLiteral("savi"), QStringLiteral("sumi"), QStringLiteral("tavu")};
    QTest::newRow("leading blank: every word")
        << words << " tavu"
        << QStringList{QStringLiteral("savi"), QStringLiteral("sumi"), QStringLiteral("tavu")};
    QTest::newRow("repeated word listed per record in its letter")
        << QStringList{QStringLiteral("kalo"), QStringLiteral("Kalo"), QStringLiteral("kira")}
        << "k"
        << QStringList{QStringLiteral("kalo"), QStringLiteral("kalo"), QStringLiteral("kira")};
    QTest::newRow("repeated word once among all words")
        << QStringList{QStringLiteral("kalo"), QStringLiteral("Kalo"), QStringLiteral("kira")}
        << "z" << QStringList{QStringLiteral("kalo"), QStringLiteral("kira")};
    // "<" and "!" are bytes of one kind that share no byte: a score of 0 that must be computed.
    QTest::newRow("a word sharing only a kind of byte among all words")
        << QStringList{QStringLiteral("tavu"), QStringLiteral("<3")} << "!"
        << QStringList{QStringLiteral("<3"), QStringLiteral("tavu")};
    QTest::newRow("empty word among all words")
        << QStringList{QStringLiteral(""), QStringLiteral("kalo")} << "z"
        << QStringList{QStringLiteral(""), QStringLiteral("kalo")};
}

void TestFuzzySearch::choosesCandidatesByFirstLetter()
{
    QFETCH(QStringList, words);
    QFETCH(QString, query);
    QFETCH(QStringList, candidates);

    // With the threshold at 0 every candidate comes back, so the answer shows the candidates.
    const TemporaryDictionary loaded(entriesWithWords(words));
    QVERIFY(loaded.isLoaded());
    const Pairs pairs = loaded.dictionary().fuzzyWordSearch(query, 100, 0.0);
    QCOMPARE(wordsOf(pairs), candidates);
    QVERIFY(scoresDescend(pairs));
}

void TestFuzzySearch::keepsTheBestPairsWithinTheLimit_data()
{
    QTest::addColumn<int>("maxResults");
    QTest::addColumn<int>("expectedCount");

    QTest::newRow("three of five") << 3 << 3;
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("more than there are") << 9 << 5;
    QTest::newRow("zero") << 0 << 0;
    QTest::newRow("negative") << -1 << 0;
}

void TestFuzzySearch::keepsTheBestPairsWithinTheLimit()
{
    QFETCH(int, maxResults);
    QFETCH(int, expectedCount);

    const TemporaryDictionary loaded(entriesWithWords({QStringLiteral("kalo"),
                                                       QStringLiteral("kalos"),
                                                       QStringLiteral("kaloma"),
                                                       QStringLiteral("kelonu"),
                                                       QStringLiteral("kuvasi")}));
    QVERIFY(loaded.isLoaded());
    const ConlangDictionary &dictionary = loaded.dictionary();

    const Pairs all = dictionary.fuzzyWordSearch(QStringLiteral("kalo"), 100, 0.0);
    QCOMPARE(all.size(), 5);
    const Pairs kept = dictionary.fuzzyWordSearch(QStringLiteral("kalo"), maxResults, 0.0);
    QCOMPARE(kept.size(), expectedCount);
    QVERIFY(scoresDescend(kept));
    for (qsizetype i = 0; i < kept.size(); ++i)
        QCOMPARE(kept.at(i).second, all.at(i).second);
}

QTEST_GUILESS_MAIN(TestFuzzySearch)
#include "tst_fuzzy_search.moc"

#include "ConlangDictionary.h"
#include "DictionaryFiles.h"
#include "LogCapture.h"

#include <QtTest>

namespace {

// Each phrase line is framed by a phrase that matches nothing, so that the phrases under test
// keep the blanks around them (the loader trims whole lines, not the pieces between commas).
DictionaryRow entryWithPhrases(const QString &word, const QStringList &phrases)
{
    const QStringList framed
        = QStringList{QStringLiteral("zzz")} + phrases + QStringList{QStringLiteral("zzz")};
    QStringList translations;
    for (qsizetype i = 0; i < framed.size(); ++i)
        translations.append(QStringLiteral("译%1").arg(i));
    return {word,
            QStringLiteral("词"),
            QStringLiteral("n."),
            framed.join(u','),
            translations.join(u',')};
}

DictionaryRow entryWithPhraseTranslations(const QString &word, const QStringList &translations)
{
    const QStringList framed
        = QStringList{QStringLiteral("无关")} + translations + QStringList{QStringLiteral("无关")};
    QStringList phrases;
    for (qsizetype i = 0; i < framed.size(); ++i)
        phrases.append(QStringLiteral("p%1").arg(i));
    return {
        word, QStringLiteral("词"), QStringLiteral("n."), phrases.join(u','), framed.join(u',')};
}

} // namespace

class TestPhraseSearch : public QObject
{
    Q_OBJECT

private slots:
    void findsWordInPhrases_data();
    void findsWordInPhrases();
    void findsExactPhrase_data();
    void findsExactPhrase();
    void findsPhraseTranslation_data();
    void findsPhraseTranslation();
    void givesOneResultPerEntryPointingIntoWordIndex();
    void examinesOnlyTheStoredRecordOfARepeatedWord();
    void neverMatchesAcrossNeighbouringPhrases_data();
    void neverMatchesAcrossNeighbouringPhrases();
    void findsPhrasesThatGrowWhenLowerCased();
    void keepsNulCharactersInsidePhrases();
    void forgetsThePreviousDictionaryOnReload();
};

void TestPhraseSearch::findsWordInPhrases_data()
{
    QTest::addColumn<QStringList>("phrases");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QStringList>("expected");

    const QString exact = QStringLiteral("tavu|phrase_exact_word|100|词组等于单词: %1");
    const QString leading = QStringLiteral("tavu|phrase_contains_word|98|词组包含: %1");
    const QString inner = QStringLiteral("tavu|phrase_contains_word|95|词组包含: %1");

    QTest::newRow("equal phrase, case and blanks of the word ignored")
        << QStringList{"Kalo", "kalo sumi"} << " KALO " << QStringList{exact.arg("Kalo")};
    QTest::newRow("the first matching phrase wins over a later exact one")
        << QStringList{"sumi kalo", "kalo"} << "kalo" << QStringList{inner.arg("sumi kalo")};
    QTest::newRow("phrase starting with the word")
        << QStringList{"kalo sumi"} << "kalo" << QStringList{leading.arg("kalo sumi")};
    QTest::newRow("word inside the phrase")
        << QStringList{"sumi kalo sumi"} << "kalo" << QStringList{inner.arg("sumi kalo sumi")};
    QTest::newRow("phrase case kept in the text")
        << QStringList{"SUMI Kalo"} << "kalo" << QStringList{inner.arg("SUMI Kalo")};
    QTest::newRow("word glued to another") << QStringList{"kalosumi"} << "kalo" << QStringList{};
    QTest::newRow("word joined by a hyphen") << QStringList{"kalo-sumi"} << "kalo" << QStringList{};
    QTest::newRow("word followed by a full stop")
        << QStringList{"sumi kalo."} << "kalo" << QStringList{};
    QTest::newRow("a tab does not separate")
        << QStringList{"sumi\tkalo"} << "kalo" << QStringList{};
    QTest::newRow("phrase stored with a leading blank")
        << QStringList{" kalo sumi"} << "kalo" << QStringList{inner.arg(" kalo sumi")};
    QTest::newRow("one-word phrase with a blank before it")
        << QStringList{" kalo"} << "kalo" << QStringList{inner.arg(" kalo")};
    QTest::newRow("one-word phrase with a blank after it")
        << QStringList{"kalo "} << "kalo" << QStringList{leading.arg("kalo ")};
    QTest::newRow("two blanks after the leading word")
        << QStringList{"kalo  sumi"} << "kalo" << QStringList{leading.arg("kalo  sumi")};
    QTest::newRow("word with a blank matches an equal phrase")
        << QStringList{"Kalo Sumi"} << "kalo sumi" << QStringList{exact.arg("Kalo Sumi")};
    QTest::newRow("word with a blank matches no longer phrase")
        << QStringList{"kalo sumi tavu"} << "kalo sumi" << QStringList{};
    QTest::newRow("non-ASCII letters are lower-cased")
        << QStringList{"ÄRÖ vala"} << "ärö" << QStringList{leading.arg("ÄRÖ vala")};
    QTest::newRow("empty word") << QStringList{"kalo"} << "" << QStringList{};
    QTest::newRow("blank word") << QStringList{"kalo"} << "   " << QStringList{};
}

void TestPhraseSearch::findsWordInPhrases()
{
    QFETCH(QStringList, phrases);
    QFETCH(QString, word);
    QFETCH(QStringList, expected);

    const TemporaryDictionary dictionary({entryWithPhrases("tavu", phrases)});
    QVERIFY(dictionary.isLoaded());
    QCOMPARE(describeResultsSorted(dictionary.dictionary().findPhrasesContainingWord(word)),
             expected);
}

void TestPhraseSearch::findsExactPhrase_data()
{
    QTest::addColumn<QStringList>("phrases");
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<QStringList>("expected");

    const QString hit = QStringLiteral("tavu|phrase_exact_match|100|完全匹配词组: %1");
    QTest::newRow("case and outer blanks ignored, argument quoted as passed")
        << QStringList{" kalo sumi"} << "  Kalo Sumi " << QStringList{hit.arg("  Kalo Sumi ")};
    QTest::newRow("stored phrase with a blank after it")
        << QStringList{"KALO SUMI "} << "kalo sumi" << QStringList{hit.arg("kalo sumi")};
    QTest::newRow("inner blanks must match")
        << QStringList{"kalo  sumi"} << "kalo sumi" << QStringList{};
    QTest::newRow("a longer phrase does not match")
        << QStringList{"kalo sumi tavu"} << "kalo sumi" << QStringList{};
    QTest::newRow("one word") << QStringList{"sumi", "Kalo"} << "kalo"
                              << QStringList{hit.arg("kalo")};
    QTest::newRow("blank argument") << QStringList{"kalo"} << " " << QStringList{};
    QTest::newRow("empty argument") << QStringList{"kalo"} << "" << QStringList{};
}

void TestPhraseSearch::findsExactPhrase()
{
    QFETCH(QStringList, phrases);
    QFETCH(QString, phrase);
    QFETCH(QStringList, expected);

    const TemporaryDictionary dictionary({entryWithPhrases("tavu", phrases)});
    QVERIFY(dictionary.isLoaded());
    QCOMPARE(describeResultsSorted(dictionary.dictionary().findExactPhrase(phrase)), expected);
}

void TestPhraseSearch::findsPhraseTranslation_data()
{
    QTest::addColumn<QStringList>("translations");
    QTest::addColumn<QString>("chinese");
    QTest::addColumn<QStringList>("expected");

    const QString hit = QStringLiteral("tavu|phrase_translation_exact|100|词组翻译: %1");
    QTest::newRow("stored with blanks around it")
        << QStringList{" 日出东方 "} << "日出东方" << QStringList{hit.arg("日出东方")};
    QTest::newRow("argument quoted with its blanks")
        << QStringList{"日出东方"} << " 日出东方  " << QStringList{hit.arg(" 日出东方  ")};
    QTest::newRow("ideographic space is trimmed")
        << QStringList{"日出"} << "\u3000日出\u3000" << QStringList{hit.arg("\u3000日出\u3000")};
    QTest::newRow("containing the argument is not enough")
        << QStringList{"日出东方红"} << "日出东方" << QStringList{};
    QTest::newRow("letter case must match") << QStringList{"ABC"} << "abc" << QStringList{};
    QTest::newRow("not lower-cased") << QStringList{"Abc"} << "Abc" << QStringList{hit.arg("Abc")};
    QTest::newRow("blank argument") << QStringList{"日出"} << "  " << QStringList{};
}

void TestPhraseSearch::findsPhraseTranslation()
{
    QFETCH(QStringList, translations);
    QFETCH(QString, chinese);
    QFETCH(QStringList, expected);

    const TemporaryDictionary dictionary({entryWithPhraseTranslations("tavu", translations)});
    QVERIFY(dictionary.isLoaded());
    QCOMPARE(describeResultsSorted(dictionary.dictionary().findPhraseTranslation(chinese)),
             expected);
}

void TestPhraseSearch::givesOneResultPerEntryPointingIntoWordIndex()
{
    const TemporaryDictionary loaded({
        {"tavu", "水", "n.", "kalo sumi,sumi kalo,kalo", "一,二,三"},
        {"rena", "光", "n.", "vena kalo", "四"},
        {"lira", "河", "n.", "kalosumi", "五"},
    });
    QVERIFY(loaded.isLoaded());
    const ConlangDictionary &dictionary = loaded.dictionary();

    const QList<SearchResult> results = dictionary.findPhrasesContainingWord("kalo");
    QCOMPARE(describeResultsSorted(results),
             (QStringList{"rena|phrase_contains_word|95|词组包含: vena kalo",
                          "tavu|phrase_contains_word|98|词组包含: kalo sumi"}));
    for (const SearchResult &result : results)
        QCOMPARE(result.entry, dictionary.lookupByWord(result.entry->word));
}

void TestPhraseSearch::examinesOnlyTheStoredRecordOfARepeatedWord()
{
    const TemporaryDictionary loaded({
        {"kalo", "太阳", "n.", "kalo sumi", "日出"},
        {"Kalo", "日", "n.", "kalo tavu", "日水"},
    });
    QVERIFY(loaded.isLoaded());
    const ConlangDictionary &dictionary = loaded.dictionary();

    QVERIFY(dictionary.findPhrasesContainingWord("sumi").isEmpty());
    QVERIFY(dictionary.findExactPhrase("kalo sumi").isEmpty());
    QVERIFY(dictionary.findPhraseTranslation("日出").isEmpty());
    const QList<SearchResult> results = dictionary.findPhrasesContainingWord("tavu");
    QCOMPARE(results.size(), 1);
    QCOMPARE(results.first().entry->number, 2);
}

// Phrases and translations are searched as neighbours in one long text: a match must never take
// the end of one phrase and the start of the next.
void TestPhraseSearch::neverMatchesAcrossNeighbouringPhrases_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("expected");

    const QString word = QStringLiteral("word");
    const QString phrase = QStringLiteral("phrase");
    const QString translation = QStringLiteral("translation");
    QTest::newRow("word over the end of a phrase")
        << word << QStringList{"ab", "c d"} << "bc" << QStringList{};
    QTest::newRow("word with a blank over two phrases")
        << word << QStringList{"ab", "c d"} << "b c" << QStringList{};
    QTest::newRow("word with a blank equal to two phrases")
        << word << QStringList{"ab", "cd"} << "ab cd" << QStringList{};
    QTest::newRow("word after a phrase ending in its first letters")
        << word << QStringList{"xab", "ab"} << "ab"
        << QStringList{"tavu|phrase_exact_word|100|词组等于单词: ab"};
    QTest::newRow("one-letter phrase after another")
        << word << QStringList{"c", "D"} << "d"
        << QStringList{"tavu|phrase_exact_word|100|词组等于单词: D"};
    QTest::newRow("whole phrase over two phrases")
        << phrase << QStringList{"ab", "c d"} << "ab c" << QStringList{};
    QTest::newRow("whole phrase over a phrase of blanks")
        << phrase << QStringList{"ab", "  ", "cd"} << "ab cd" << QStringList{};
    QTest::newRow("translation over two translations")
        << translation << QStringList{"日出", "东方"} << "日出 东方" << QStringList{};
    QTest::newRow("translation over the blank between two translations")
        << translation << QStringList{"x b", "c"} << "b c" << QStringList{};
    QTest::newRow("translation after one that trims to nothing")
        << translation << QStringList{" ", "东方"} << "东方"
        << QStringList{"tavu|phrase_translation_exact|100|词组翻译: 东方"};
}

void TestPhraseSearch::neverMatchesAcrossNeighbouringPhrases()
{
    QFETCH(QString, search);
    QFETCH(QStringList, texts);
    QFETCH(QString, query);
    QFETCH(QStringList, expected);

    const bool translations = search == "translation";
    const TemporaryDictionary loaded({translations ? entryWithPhraseTranslations("tavu", texts)
                                                   : entryWithPhrases("tavu", texts)});
    QVERIFY(loaded.isLoaded());
    const ConlangDictionary &dictionary = loaded.dictionary();
    const QList<SearchResult> results = search == "word"
        ? dictionary.findPhrasesContainingWord(query)
        : search == "phrase" ? dictionary.findExactPhrase(query)
                             : dictionary.findPhraseTranslation(query);
    QCOMPARE(describeResultsSorted(results), expected);
}

// Lower-casing U+0130 gives two units, so every later phrase moves in the lower-cased text.
void TestPhraseSearch::findsPhrasesThatGrowWhenLowerCased()
{
    const TemporaryDictionary loaded({
        {"tavu", "水", "n.", "\u0130zm\u0130r kalo,kalo", "一,二"},
        {"rena", "光", "n.", "sumi \u0130\u0130,\u0130 kalo sumi", "三,四"},
        {"lira", "河", "n.", "vena,kalo \u0130", "五,六"},
    });
    QVERIFY(loaded.isLoaded());
    const ConlangDictionary &dictionary = loaded.dictionary();

    QCOMPARE(describeResultsSorted(dictionary.findPhrasesContainingWord("kalo")),
             (QStringList{"lira|phrase_contains_word|98|词组包含: kalo \u0130",
                          "rena|phrase_contains_word|95|词组包含: \u0130 kalo sumi",
                          "tavu|phrase_contains_word|95|词组包含: \u0130zm\u0130r kalo"}));
    QCOMPARE(describeResultsSorted(dictionary.findPhrasesContainingWord("\u0130ZM\u0130R")),
             QStringList{"tavu|phrase_contains_word|98|词组包含: \u0130zm\u0130r kalo"});
    QCOMPARE(describeResultsSorted(dictionary.findPhrasesContainingWord("i\u0307i\u0307")),
             QStringList{"rena|phrase_contains_word|95|词组包含: sumi \u0130\u0130"});
    QCOMPARE(describeResultsSorted(dictionary.findPhrasesContainingWord("sumi")),
             QStringList{"rena|phrase_contains_word|98|词组包含: sumi \u0130\u0130"});
    QCOMPARE(describeResultsSorted(dictionary.findExactPhrase(" \u0130 KALO SUMI")),
             QStringList{"rena|phrase_exact_match|100|完全匹配词组:  \u0130 KALO SUMI"});
    QCOMPARE(describeResultsSorted(dictionary.findPhrasesContainingWord("\u0130")),
             (QStringList{"lira|phrase_contains_word|95|词组包含: kalo \u0130",
                          "rena|phrase_contains_word|98|词组包含: \u0130 kalo sumi"}));
}

void TestPhraseSearch::keepsNulCharactersInsidePhrases()
{
    const QString withNul = QStringLiteral("ka") + QChar(0) + QStringLiteral("lo sumi");
    const TemporaryDictionary loaded(
        {{"tavu", "水", "n.", withNul + QStringLiteral(",kalo"), QStringLiteral("一,二")}});
    QVERIFY(loaded.isLoaded());
    const ConlangDictionary &dictionary = loaded.dictionary();
    QCOMPARE(dictionary.wordIndexData().value("tavu").phrases.first(), withNul);

    QCOMPARE(describeResultsSorted(dictionary.findPhrasesContainingWord(withNul.left(5))),
             QStringList{"tavu|phrase_contains_word|98|词组包含: " + withNul});
    QCOMPARE(describeResultsSorted(dictionary.findPhrasesContainingWord("kalo")),
             QStringList{"tavu|phrase_exact_word|100|词组等于单词: kalo"});
    QVERIFY(dictionary.findPhrasesContainingWord("lo").isEmpty());
    QCOMPARE(dictionary.findExactPhrase(withNul).size(), 1);
}

void TestPhraseSearch::forgetsThePreviousDictionaryOnReload()
{
    QTemporaryDir first;
    QTemporaryDir second;
    const DictionaryFilePaths firstPaths
        = writeDictionaryFiles(first.path(), {{"tavu", "水", "n.", "kalo sumi,vena", "日出,月落"}});
    const DictionaryFilePaths secondPaths = writeDictionaryFiles(
        second.path(),
        {{"rena", "光", "n.", "vena kalo", "星光"}, {"lira", "河", "n.", "mori", "河水"}});
    QVERIFY(!firstPaths.words.isEmpty() && !secondPaths.words.isEmpty());

    ConlangDictionary dictionary;
    LogCapture capture;
    QVERIFY(loadDictionaryFiles(dictionary, firstPaths));
    QCOMPARE(dictionary.findPhrasesContainingWord("sumi").size(), 1);

    QVERIFY(loadDictionaryFiles(dictionary, secondPaths));
    QVERIFY(dictionary.findPhrasesContainingWord("sumi").isEmpty());
    QVERIFY(dictionary.findExactPhrase("kalo sumi").isEmpty());
    QVERIFY(dictionary.findPhraseTranslation("日出").isEmpty());
    const QList<SearchResult> results = dictionary.findPhrasesContainingWord("kalo");
    QCOMPARE(describeResultsSorted(results),
             QStringList{"rena|phrase_contains_word|95|词组包含: vena kalo"});
    QCOMPARE(results.first().entry, dictionary.lookupByWord("rena"));
    QCOMPARE(describeResultsSorted(dictionary.findPhraseTranslation("河水")),
             QStringList{"lira|phrase_translation_exact|100|词组翻译: 河水"});

    // A reload that cannot open its files leaves nothing to find.
    QVERIFY(!loadDictionaryFiles(dictionary, dictionaryFilePaths(second.path() + "/missing")));
    QVERIFY(dictionary.findPhrasesContainingWord("kalo").isEmpty());
    QVERIFY(dictionary.findPhraseTranslation("河水").isEmpty());
}

QTEST_GUILESS_MAIN(TestPhraseSearch)
#include "tst_phrase_search.moc"

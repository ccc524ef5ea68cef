#include "ConlangDictionary.h"
#include "DictionaryFiles.h"

#include <QtTest>

namespace {

// Dictionary lines "word|translation|part of speech|phrases|phrase translations" of the words
// given, each translated by its own line number.
QStringList linesOfWords(const QStringList &words)
{
    QStringList lines;
    for (qsizetype i = 0; i < words.size(); ++i)
        lines.append(QStringLiteral("%1|译%2|n.||").arg(words.at(i)).arg(i + 1));
    return lines;
}

// "number|word|kind|distance|phrase" per suggestion, in the list's order.
QStringList described(const QList<SpellingSuggestion> &suggestions)
{
    QStringList lines;
    for (const SpellingSuggestion &suggestion : suggestions)
        lines.append(QStringLiteral("%1|%2|%3|%4|%5")
                         .arg(suggestion.entry->number)
                         .arg(suggestion.entry->word, suggestion.kind)
                         .arg(suggestion.distance)
                         .arg(suggestion.phrase));
    return lines;
}

QStringList wordsOf(const QList<SpellingSuggestion> &suggestions)
{
    QStringList words;
    for (const SpellingSuggestion &suggestion : suggestions)
        words.append(suggestion.entry->word);
    return words;
}

} // namespace

class TestSpellingSuggestions : public QObject
{
    Q_OBJECT

private slots:
    void findsWordsWithinReach_data();
    void findsWordsWithinReach();
    void ranksTheLikeliestWordFirst_data();
    void ranksTheLikeliestWordFirst();
    void suggestsNothingTheCardAnswers_data();
    void suggestsNothingTheCardAnswers();
    void suggestsChineseText_data();
    void suggestsChineseText();
};

// How far a word may be from the query: edits counted on Unicode characters of the case-folded
// text, a swap of neighbours as one edit.
void TestSpellingSuggestions::findsWordsWithinReach_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("expected"); // "number|word|kind|distance|phrase"

    const QStringList hundo{"hundo"};
    QTest::newRow("two neighbours swapped: one edit")
        << hundo << "hudno" << QStringList{"1|hundo|spelling|1|-1"};
    QTest::newRow("a letter left out") << hundo << "hndo" << QStringList{"1|hundo|spelling|1|-1"};
    QTest::newRow("a letter added") << hundo << "hundzo" << QStringList{"1|hundo|spelling|1|-1"};
    QTest::newRow("a letter changed") << hundo << "hunbo" << QStringList{"1|hundo|spelling|1|-1"};
    QTest::newRow("a swap and a change: two edits")
        << hundo << "hudnq" << QStringList{"1|hundo|spelling|2|-1"};
    QTest::newRow("three edits are too many below nine letters")
        << QStringList{"abcdefgh"} << "bacedfhg" << QStringList{};
    QTest::newRow("two edits below nine letters")
        << QStringList{"abcdefgh"} << "bacdefhg" << QStringList{"1|abcdefgh|spelling|2|-1"};
    QTest::newRow("three edits from nine letters on")
        << QStringList{"abcdefgh"} << "bacdefhgx" << QStringList{"1|abcdefgh|spelling|3|-1"};
    QTest::newRow("fewer edits than the query has letters")
        << QStringList{"ab", "x"} << "xy" << QStringList{"2|x|spelling|1|-1"};
    QTest::newRow("one letter is no misspelling") << QStringList{"x"} << "y" << QStringList{};
    QTest::newRow("case folded as the words' keys")
        << QStringList{"Hundo"} << "HUDNO" << QStringList{"1|Hundo|spelling|1|-1"};
    QTest::newRow("characters, not bytes")
        << QStringList{"ĉevalo"} << "cevalo" << QStringList{"1|ĉevalo|spelling|1|-1"};
    QTest::newRow("characters beyond 16 bits swapped")
        << QStringList{"𠀀𠀁𠀂"} << "𠀁𠀀𠀂" << QStringList{"1|𠀀𠀁𠀂|spelling|1|-1"};
    QTest::newRow("blanks around the query")
        << hundo << "  hudno\t" << QStringList{"1|hundo|spelling|1|-1"};
    QTest::newRow("a word the query holds is still counted in edits")
        << QStringList{"kato", "katodo"} << "katodoj" << QStringList{"2|katodo|spelling|1|-1"};
    QTest::newRow("a repeated word: the entry the card would show")
        << QStringList{"hundo", "kato", "Hundo"} << "hudno" << QStringList{"3|Hundo|spelling|1|-1"};
}

void TestSpellingSuggestions::findsWordsWithinReach()
{
    QFETCH(QStringList, words);
    QFETCH(QString, query);
    QFETCH(QStringList, expected);
    const TemporaryDictionary loaded(rowsFromLines(linesOfWords(words)));
    QVERIFY(loaded.isLoaded());
    QCOMPARE(described(loaded.dictionary().spellingSuggestions(query, 10)), expected);
}

// Of the words within reach, the fewest edits first; then the one reached by letters left out or
// swapped (or typed twice) before one reached by letters changed or added; then a kept first
// letter; then the word's first line.
void TestSpellingSuggestions::ranksTheLikeliestWordFirst_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("maxResults");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("fewer edits first")
        << QStringList{"hundoj", "hundo"} << "hundx" << 10 << QStringList{"hundo", "hundoj"};
    QTest::newRow("a letter left out before one changed")
        << QStringList{"belo", "belan"} << "bela" << 10 << QStringList{"belan", "belo"};
    QTest::newRow("two letters swapped before one added")
        << QStringList{"abd", "abcd"} << "abdc" << 10 << QStringList{"abcd", "abd"};
    QTest::newRow("a letter typed twice before one changed")
        << QStringList{"katio", "kato"} << "katoo" << 10 << QStringList{"kato", "katio"};
    QTest::newRow("a letter added, not typed twice, as unlikely as one changed")
        << QStringList{"katio", "kato"} << "katxo" << 10 << QStringList{"katio", "kato"};
    QTest::newRow("the first letter kept")
        << QStringList{"kato", "bata"} << "bato" << 10 << QStringList{"bata", "kato"};
    QTest::newRow("then the first line")
        << QStringList{"kati", "kato"} << "kat" << 10 << QStringList{"kati", "kato"};
    QTest::newRow("then the first line, the other way")
        << QStringList{"kato", "kati"} << "kat" << 10 << QStringList{"kato", "kati"};
    QTest::newRow("a word's first line, not its last")
        << QStringList{"kato", "kati", "kato"} << "kat" << 10 << QStringList{"kato", "kati"};
    QTest::newRow("no more than asked for") << QStringList{"kata", "kate", "kati", "kato"} << "kat"
                                            << 3 << QStringList{"kata", "kate", "kati"};
}

void TestSpellingSuggestions::ranksTheLikeliestWordFirst()
{
    QFETCH(QStringList, words);
    QFETCH(QString, query);
    QFETCH(int, maxResults);
    QFETCH(QStringList, expected);
    const TemporaryDictionary loaded(rowsFromLines(linesOfWords(words)));
    QVERIFY(loaded.isLoaded());
    QCOMPARE(wordsOf(loaded.dictionary().spellingSuggestions(query, maxResults)), expected);
}

// Suggestions are for what the card does not answer: never for a word, an entry number or a whole
// translation, however written.
void TestSpellingSuggestions::suggestsNothingTheCardAnswers_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("simplified");
    QTest::addColumn<int>("maxResults");
    QTest::addColumn<int>("expected"); // how many suggestions

    QTest::newRow("a word") << "hundo"
                            << "" << 10 << 0;
    QTest::newRow("a word in capitals") << " HUNDO "
                                        << "" << 10 << 0;
    QTest::newRow("an entry number") << "1"
                                     << "" << 10 << 0;
    QTest::newRow("an entry number with blanks") << " 2 "
                                                 << "" << 10 << 0;
    QTest::newRow("no entry's number") << "0"
                                       << "" << 10 << 0;
    QTest::newRow("a whole translation") << "狗"
                                         << "狗" << 10 << 0;
    QTest::newRow("blanks") << " \t"
                            << "" << 10 << 0;
    QTest::newRow("nothing asked for") << "hudno"
                                       << "" << 0 << 0;
    QTest::newRow("a misspelt word") << "hudno"
                                     << "" << 10 << 1;
}

void TestSpellingSuggestions::suggestsNothingTheCardAnswers()
{
    QFETCH(QString, query);
    QFETCH(QString, simplified);
    QFETCH(int, maxResults);
    QFETCH(int, expected);
    const TemporaryDictionary loaded(
        rowsFromLines({"hundo|狗|ko.||", "kato|猫|ko.|kato kaj hundo|猫和狗"}));
    QVERIFY(loaded.isLoaded());
    QCOMPARE(loaded.dictionary().spellingSuggestions(query, maxResults, simplified).size(),
             expected);
}

// Chinese text: the translation or phrase translation that the query, or its simplified form,
// is whole; then those that hold it, the shortest first; each entry once, by its first way.
void TestSpellingSuggestions::suggestsChineseText_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("simplified");
    QTest::addColumn<QStringList>("expected"); // "number|word|kind|distance|phrase"

    QTest::newRow("a phrase translation, whole")
        << "我爱你"
        << "" << QStringList{"1|mo|phrase_translation|0|1"};
    QTest::newRow("a phrase translation in other characters")
        << "我愛你"
        << "我爱你" << QStringList{"1|mo|phrase_translation|0|1"};
    QTest::newRow("a translation in other characters")
        << "飛行"
        << "飞行" << QStringList{"4|tavu|translation|0|-1"};
    QTest::newRow("a translation and a phrase translation of the same entry: once")
        << "飛鳥"
        << "飞鸟" << QStringList{"5|pelo|translation|0|-1"};
    QTest::newRow("phrase translations holding it, the shortest first")
        << "爱"
        << ""
        << QStringList{"1|mo|phrase_translation_partial|0|1",
                       "3|ami|phrase_translation_partial|0|0"};
    QTest::newRow("the shortest first, not the first line")
        << "飞"
        << ""
        << QStringList{"5|pelo|phrase_translation_partial|0|0",
                       "4|tavu|phrase_translation_partial|0|0"};
    QTest::newRow("an entry by its shortest phrase translation holding it")
        << "朋"
        << "" << QStringList{"3|ami|phrase_translation_partial|0|1"};
    QTest::newRow("translations holding the simplified form, then phrase translations")
        << "愛"
        << "爱"
        << QStringList{"2|amo|translation_partial|0|-1",
                       "1|mo|phrase_translation_partial|0|1",
                       "3|ami|phrase_translation_partial|0|0"};
    QTest::newRow("a phrase translation in Latin letters, whole")
        << "Big Dog"
        << "" << QStringList{"6|hundo|phrase_translation|0|0"};
    QTest::newRow("Latin letters are not looked for inside texts") << "Big"
                                                                   << "" << QStringList{};
    QTest::newRow("a simplified form no text holds") << "飛機"
                                                     << "飞机" << QStringList{};
}

void TestSpellingSuggestions::suggestsChineseText()
{
    QFETCH(QString, query);
    QFETCH(QString, simplified);
    QFETCH(QStringList, expected);
    const TemporaryDictionary loaded(rowsFromLines({
        "mo|我|koler.|mina mo,mo amo ini|我的名字,我爱你",
        "amo|爱人|ko.||",
        "ami|朋友|ko.|ami amo,bona ami|朋友的爱情故事,好朋友",
        "tavu|飞行|ka.|tavu mel|高空飞行",
        "pelo|飞鸟|ko.|pelo tavu|飞鸟",
        "hundo|狗|ko.|granda hundo|Big Dog",
    }));
    QVERIFY(loaded.isLoaded());
    QCOMPARE(described(loaded.dictionary().spellingSuggestions(query, 10, simplified)), expected);
}

QTEST_GUILESS_MAIN(TestSpellingSuggestions)
#include "tst_spelling_suggestions.moc"

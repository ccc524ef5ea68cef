#include "ConlangDictionary.h"
#include "DictionaryFiles.h"
#include "LogCapture.h"

#include <QRegularExpression>
#include <QtTest>

// The dictionary that ships in texts/: what the window, its vocabulary page and
// the start-up self-test rely on.
class TestShippedDictionary : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void loadsWithoutWarnings();
    void firstFiftyOneEntriesArePresent();
    void hasGapAfterTheVocabularyPage();
    void wordsAreUniqueAndWellFormed();
    void phrasesUseDictionaryWords();
    void requiredEntries_data();
    void requiredEntries();
    void legendTagsAreUsed_data();
    void legendTagsAreUsed();
    void someEntriesCarryTwoTags();
    void flightPhrasesAreFound();
    void startUpSelfTestPasses();

private:
    QList<const DictionaryEntry *> entriesByNumber() const;

    ConlangDictionary m_dictionary;
    QStringList m_loadLog;
    bool m_loaded = false;
};

void TestShippedDictionary::initTestCase()
{
    LogCapture log;
    m_loaded = loadDictionaryFiles(m_dictionary,
                                   dictionaryFilePaths(QStringLiteral(VARNELL_SHIPPED_TEXTS_DIR)));
    m_loadLog = log.messages();
}

QList<const DictionaryEntry *> TestShippedDictionary::entriesByNumber() const
{
    QList<int> numbers = m_dictionary.getAllIndices();
    std::sort(numbers.begin(), numbers.end());
    QList<const DictionaryEntry *> entries;
    for (int number : numbers)
        entries.append(m_dictionary.lookupByNumIndex(number));
    return entries;
}

void TestShippedDictionary::loadsWithoutWarnings()
{
    QVERIFY(m_loaded);
    for (const QString &message : std::as_const(m_loadLog)) {
        QVERIFY2(!message.startsWith(QStringLiteral("警告"))
                     && !message.startsWith(QStringLiteral("错误")),
                 qPrintable(message));
    }
    QVERIFY(m_loadLog.contains(QStringLiteral("词典加载成功！")));
    const qsizetype entries = m_dictionary.numberIndexData().size();
    QVERIFY2(entries >= 60 && entries <= 120, qPrintable(QString::number(entries)));
}

void TestShippedDictionary::firstFiftyOneEntriesArePresent()
{
    for (int number = 1; number <= 51; ++number) {
        const DictionaryEntry *entry = m_dictionary.lookupByNumIndex(number);
        QVERIFY2(entry, qPrintable(QString::number(number)));
        QVERIFY2(!entry->word.isEmpty() && !entry->translation.isEmpty()
                     && !entry->partOfSpeech.isEmpty(),
                 qPrintable(QString::number(number)));
    }
}

void TestShippedDictionary::hasGapAfterTheVocabularyPage()
{
    const QList<int> numbers = m_dictionary.getAllIndices();
    const int last = *std::max_element(numbers.begin(), numbers.end());
    bool gapFound = false;
    for (int number = 52; number < last; ++number)
        gapFound = gapFound || !m_dictionary.lookupByNumIndex(number);
    QVERIFY(gapFound);
}

void TestShippedDictionary::wordsAreUniqueAndWellFormed()
{
    // Same size means no two lines share a word key.
    QCOMPARE(m_dictionary.wordIndexData().size(), m_dictionary.numberIndexData().size());
    static const QRegularExpression spelling(QStringLiteral("^[a-z]+$"));
    for (const DictionaryEntry *entry : entriesByNumber())
        QVERIFY2(spelling.match(entry->word).hasMatch(), qPrintable(entry->word));
}

void TestShippedDictionary::phrasesUseDictionaryWords()
{
    for (const DictionaryEntry *entry : entriesByNumber()) {
        QCOMPARE(entry->phrases.size(), entry->phraseTranslations.size());
        for (const QString &phrase : entry->phrases) {
            // Pieces are not trimmed on loading, so a stray blank would stay in the phrase.
            QCOMPARE(phrase, phrase.simplified());
            for (const QString &word : phrase.split(QLatin1Char(' ')))
                QVERIFY2(m_dictionary.lookupByWord(word), qPrintable(phrase));
        }
        for (const QString &translation : entry->phraseTranslations)
            QCOMPARE(translation, translation.trimmed());
    }
}

void TestShippedDictionary::requiredEntries_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("translation");
    QTest::addColumn<QString>("partOfSpeech");

    // The example-sentence templates speak of ini, na, orvan, rado and ber.
    QTest::newRow("kalo") << "kalo"
                          << "门"
                          << "ko.";
    QTest::newRow("ini") << "ini"
                         << "你"
                         << "koler.";
    QTest::newRow("na") << "na"
                        << "有"
                        << "ka.";
    QTest::newRow("orvan") << "orvan"
                           << "奥凡"
                           << "n.";
    QTest::newRow("rado") << "rado"
                          << "安全"
                          << "kiu.";
    QTest::newRow("huhuhu") << "huhuhu"
                            << "禾岚"
                            << "n.";
    QTest::newRow("tavu") << "tavu"
                          << "飞行"
                          << "ka.";
    QTest::newRow("ber") << "ber"
                         << "是；吗"
                         << "kei.;ka.";
}

void TestShippedDictionary::requiredEntries()
{
    QFETCH(QString, word);
    QFETCH(QString, translation);
    QFETCH(QString, partOfSpeech);

    const DictionaryEntry *entry = m_dictionary.lookupByWord(word);
    QVERIFY(entry);
    QCOMPARE(entry->word, word);
    QCOMPARE(entry->translation, translation);
    QCOMPARE(entry->partOfSpeech, partOfSpeech);
}

void TestShippedDictionary::legendTagsAreUsed_data()
{
    QTest::addColumn<QString>("tag");
    for (const char *tag : {"ko.", "kiu.", "koler.", "koos.", "ka.", "kei.", "n."})
        QTest::newRow(tag) << QString::fromLatin1(tag);
}

void TestShippedDictionary::legendTagsAreUsed()
{
    QFETCH(QString, tag);
    QVERIFY(!m_dictionary.lookupByPartOfSpeech(tag).isEmpty());
}

void TestShippedDictionary::someEntriesCarryTwoTags()
{
    int twoTagged = 0;
    int withoutPhrases = 0;
    int withSeveralPhrases = 0;
    for (const DictionaryEntry *entry : entriesByNumber()) {
        twoTagged += entry->partOfSpeech.count(QLatin1Char(';')) == 1 ? 1 : 0;
        withoutPhrases += entry->phrases.isEmpty() ? 1 : 0;
        withSeveralPhrases += entry->phrases.size() > 1 ? 1 : 0;
    }
    QVERIFY(twoTagged >= 2);
    QVERIFY(withoutPhrases >= 2);
    QVERIFY(withSeveralPhrases >= 2);
}

void TestShippedDictionary::flightPhrasesAreFound()
{
    const DictionaryEntry *tavu = m_dictionary.lookupByWord(QStringLiteral("tavu"));
    QVERIFY(tavu);
    QVERIFY(tavu->phrases.size() >= 3);
    const qsizetype at = tavu->phrases.indexOf(QStringLiteral("tavu huhuhu"));
    QVERIFY(at >= 0);
    QCOMPARE(tavu->phraseTranslations.at(at), QStringLiteral("禾岚航空"));

    const QList<SearchResult> byPhrase
        = m_dictionary.findExactPhrase(QStringLiteral("tavu huhuhu"));
    QCOMPARE(byPhrase.size(), 1);
    QCOMPARE(byPhrase.first().entry->word, QStringLiteral("tavu"));
    QVERIFY(!m_dictionary.findPhraseTranslation(QStringLiteral("禾岚航空")).isEmpty());
}

void TestShippedDictionary::startUpSelfTestPasses()
{
    LogCapture log;
    m_dictionary.runTests();
    const QStringList messages = log.messages();

    QVERIFY(messages.size() >= 7);
    QCOMPARE(messages.first(), QStringLiteral("\n=== 运行词典测试 ==="));
    QCOMPARE(messages.last(), QStringLiteral("=== 测试完成 ==="));
    int verdicts = 0;
    for (const QString &message : messages.mid(1, messages.size() - 2)) {
        // A verdict line, or a detail line under one.
        QVERIFY2(message.startsWith(QStringLiteral("✓"))
                     || message.startsWith(QStringLiteral("  ")),
                 qPrintable(message));
        verdicts += message.startsWith(QStringLiteral("✓")) ? 1 : 0;
    }
    QCOMPARE(verdicts, 5);
    QVERIFY(messages.contains(QStringLiteral("  建议: \"tavu\" ( 75 %)")));
}

QTEST_GUILESS_MAIN(TestShippedDictionary)
#include "tst_shipped_dictionary.moc"

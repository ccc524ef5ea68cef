#include "ConlangDictionary.h"
#include "DictionaryFiles.h"
#include "LogCapture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Lines 1-8 of a small dictionary: kalo occurs on lines 3 and 7, line 5 is a gap.
const QList<QByteArray> dictionaryFiles = {
    "ber\nhuhu\nkalo\norvan\n\ntavu\nKalo\nsumi\n",
    "是\n你好\n门\n奥凡\n\n天\n大门\n门\n",
    "kei.\nko.;ko.\nko.\nn.\n\nko.; KA. \nko.\n\n",
    "\n\n\n\n\n\n\n\n",
    "\n\n\n\n\n\n\n\n",
};

QList<int> numbersOf(const QList<const DictionaryEntry *> &entries)
{
    QList<int> numbers;
    for (const DictionaryEntry *entry : entries)
        numbers.append(entry->number);
    return numbers;
}

} // namespace

class TestLookups : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void looksUpByNumber_data();
    void looksUpByNumber();
    void looksUpByWord_data();
    void looksUpByWord();
    void looksUpByExactChinese_data();
    void looksUpByExactChinese();
    void looksUpByPartOfSpeech_data();
    void looksUpByPartOfSpeech();
    void listsAllIndices();
    void numberAndWordLookupsGiveSeparateCopies();
    void emptyDictionaryFindsNothing();
    void makesExampleSentences_data();
    void makesExampleSentences();

private:
    QTemporaryDir m_dir;
    ConlangDictionary m_dictionary;
};

void TestLookups::initTestCase()
{
    const QList<QString> &names = dictionaryFileNames();
    QList<QString> paths;
    for (int i = 0; i < names.size(); ++i) {
        paths.append(m_dir.filePath(names[i]));
        QFile file(paths.last());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(dictionaryFiles[i]);
    }
    LogCapture log;
    QVERIFY(m_dictionary.loadDictionaryFiles(paths[0], paths[1], paths[2], paths[3], paths[4]));
}

void TestLookups::looksUpByNumber_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("word");

    QTest::newRow("first line") << 1 << "ber";
    QTest::newRow("earlier of a repeated word") << 3 << "kalo";
    QTest::newRow("later of a repeated word") << 7 << "Kalo";
    QTest::newRow("gap line") << 5 << QString();
    QTest::newRow("zero") << 0 << QString();
    QTest::newRow("negative") << -3 << QString();
    QTest::newRow("past the end") << 9 << QString();
}

void TestLookups::looksUpByNumber()
{
    QFETCH(int, number);
    QFETCH(QString, word);
    const DictionaryEntry *entry = m_dictionary.lookupByNumIndex(number);
    QCOMPARE(entry ? entry->word : QString(), word);
    if (entry)
        QCOMPARE(entry->number, number);
}

void TestLookups::looksUpByWord_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("number");

    QTest::newRow("as stored") << "tavu" << 6;
    QTest::newRow("other letter case") << "TaVu" << 6;
    QTest::newRow("repeated word gives the later record") << "kalo" << 7;
    QTest::newRow("blank before") << " tavu" << 0;
    QTest::newRow("blank after") << "tavu " << 0;
    QTest::newRow("absent") << "rado" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestLookups::looksUpByWord()
{
    QFETCH(QString, word);
    QFETCH(int, number);
    const DictionaryEntry *entry = m_dictionary.lookupByWord(word);
    QCOMPARE(entry ? entry->number : 0, number);
    if (entry)
        QCOMPARE(entry, &m_dictionary.wordIndexData().find(word.toLower()).value());
}

void TestLookups::looksUpByExactChinese_data()
{
    QTest::addColumn<QString>("translation");
    QTest::addColumn<QList<int>>("numbers");

    QTest::newRow("one entry") << "你好" << QList<int>{2};
    QTest::newRow("every line carrying it, in file order") << "门" << QList<int>{7, 8};
    QTest::newRow("part of a translation") << "大" << QList<int>{};
    QTest::newRow("not trimmed") << " 天" << QList<int>{};
    QTest::newRow("absent") << "水" << QList<int>{};
}

void TestLookups::looksUpByExactChinese()
{
    QFETCH(QString, translation);
    QFETCH(QList<int>, numbers);
    // "门" lists kalo (line 3) and sumi; kalo's stored entry is line 7's.
    QCOMPARE(numbersOf(m_dictionary.lookupByExactChinese(translation)), numbers);
}

void TestLookups::looksUpByPartOfSpeech_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QList<int>>("numbers");

    QTest::newRow("tag named twice lists twice") << "ko." << QList<int>{2, 2, 7, 6, 7};
    QTest::newRow("other letter case and blanks") << "  KO. " << QList<int>{2, 2, 7, 6, 7};
    QTest::newRow("tag stored in capitals") << "ka." << QList<int>{6};
    QTest::newRow("single tag") << "n." << QList<int>{4};
    QTest::newRow("whole tag text is no tag") << "ko.; KA." << QList<int>{};
    QTest::newRow("without full stop") << "ko" << QList<int>{};
    QTest::newRow("empty") << "" << QList<int>{};
}

void TestLookups::looksUpByPartOfSpeech()
{
    QFETCH(QString, tag);
    QFETCH(QList<int>, numbers);
    QCOMPARE(numbersOf(m_dictionary.lookupByPartOfSpeech(tag)), numbers);
}

void TestLookups::listsAllIndices()
{
    QList<int> numbers = m_dictionary.getAllIndices();
    std::sort(numbers.begin(), numbers.end());
    QCOMPARE(numbers, (QList<int>{1, 2, 3, 4, 6, 7, 8}));
}

void TestLookups::numberAndWordLookupsGiveSeparateCopies()
{
    const DictionaryEntry *byNumber = m_dictionary.lookupByNumIndex(6);
    const DictionaryEntry *byWord = m_dictionary.lookupByWord(QStringLiteral("tavu"));
    QVERIFY(byNumber && byWord);
    QVERIFY(byNumber != byWord);
    QCOMPARE(byNumber->word, byWord->word);
    QCOMPARE(byNumber->translation, byWord->translation);
}

void TestLookups::emptyDictionaryFindsNothing()
{
    const ConlangDictionary empty;
    QCOMPARE(empty.lookupByNumIndex(1), nullptr);
    QCOMPARE(empty.lookupByWord(QStringLiteral("tavu")), nullptr);
    QVERIFY(empty.getAllIndices().isEmpty());
    QVERIFY(empty.lookupByExactChinese(QStringLiteral("门")).isEmpty());
    QVERIFY(empty.lookupByPartOfSpeech(QStringLiteral("ko.")).isEmpty());
}

void TestLookups::makesExampleSentences_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("translation");
    QTest::addColumn<QString>("partOfSpeech");
    QTest::addColumn<QString>("sentence");

    QTest::newRow("verb template") << "kalo"
                                   << "门"
                                   << "ka."
                                   << "Ber kalo rado?\n  例句中文意义：门安全吗？";
    QTest::newRow("noun template") << "kalo"
                                   << "门"
                                   << "ko."
                                   << "Ber ini na kalo?\n  例句中文意义：你有门吗？";
    QTest::newRow("adjective template")
        << "rado"
        << "安全"
        << "kiu."
        << "Ber orvan ber rado?\n  例句中文意义：奥凡是不是安全的？";
    QTest::newRow("noun with empty translation") << "kalo"
                                                 << ""
                                                 << "ko."
                                                 << "Ber ini na kalo?\n  例句中文意义：你有吗？";
    QTest::newRow("placeholders in the word stay literal")
        << "a%2b%1"
        << "门%1"
        << "ko."
        << "Ber ini na a%2b%1?\n  例句中文意义：你有门%1吗？";
    QTest::newRow("key in capitals") << "kalo"
                                     << "门"
                                     << "KO."
                                     << "\n  例句中文意义：";
    QTest::newRow("key without full stop") << "kalo"
                                           << "门"
                                           << "ko"
                                           << "\n  例句中文意义：";
    QTest::newRow("several tags") << "kalo"
                                  << "门"
                                  << "ko.;ka."
                                  << "\n  例句中文意义：";
    QTest::newRow("empty key") << "kalo"
                               << "门"
                               << ""
                               << "\n  例句中文意义：";
}

void TestLookups::makesExampleSentences()
{
    QFETCH(QString, word);
    QFETCH(QString, translation);
    QFETCH(QString, partOfSpeech);
    QFETCH(QString, sentence);
    QCOMPARE(m_dictionary.createExSentence(word, translation, partOfSpeech), sentence);
}

QTEST_GUILESS_MAIN(TestLookups)
#include "tst_lookups.moc"

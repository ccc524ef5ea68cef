// Dictionary files that a careless editor, a broken copy or a prankster may produce, read by the
// loader: huge lines, broken UTF-8, files that vanish between two loads, files of wildly different
// lengths and floods of separators. Every case uses real files in temporary folders and the real
// loader; tests/gui/tst_hostile_files_window.cpp opens the window on the same files.

#include <QTemporaryDir>
#include <QTest>

#include "DictionaryFiles.h"
#include "HostileFiles.h"
#include "LogCapture.h"

using namespace hostilefiles;

class TestHostileFiles : public QObject
{
    Q_OBJECT

private slots:
    void keepsRecordsAroundLongLine_data();
    void keepsRecordsAroundLongLine();
    void survivesBrokenUtf8_data();
    void survivesBrokenUtf8();
    void reloadAfterFilesChanged_data();
    void reloadAfterFilesChanged();
    void stopsAtShortFile_data();
    void stopsAtShortFile();
    void keepsSeparatorFloods_data();
    void keepsSeparatorFloods();
};

// ---- very long lines ----

void TestHostileFiles::keepsRecordsAroundLongLine_data()
{
    addLongLineRows();
}

void TestHostileFiles::keepsRecordsAroundLongLine()
{
    QFETCH(RawDictionaryFiles, middle);
    QFETCH(int, longFile);

    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), around(middle)));
    LogCapture log;
    ConlangDictionary dictionary;
    QVERIFY(loadTexts(dictionary, folder.path()));
    QCOMPARE(sortedEntryNumbers(dictionary), (QList<int>{1, 2, 3}));
    QCOMPARE(recordsBetween(dictionary, 1, 1), QList<QString>{firstRecord});
    QCOMPARE(recordsBetween(dictionary, 3, 3), QList<QString>{lastRecord});
    const DictionaryEntry *longEntry = dictionary.lookupByNumIndex(2);
    const qsizetype longSize = middle[longFile].size();
    QCOMPARE(longFile == 0 ? longEntry->word.size() : longEntry->phrases.value(0).size(), longSize);
    QVERIFY(log.warnings().isEmpty());
}

// ---- broken encodings ----

void TestHostileFiles::survivesBrokenUtf8_data()
{
    addBrokenUtf8Rows();
}

void TestHostileFiles::survivesBrokenUtf8()
{
    QFETCH(RawDictionaryFiles, files);
    QFETCH(QList<QString>, records);

    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), files));
    LogCapture log;
    ConlangDictionary dictionary;
    QVERIFY(loadTexts(dictionary, folder.path()));
    QCOMPARE(recordsBetween(dictionary, 1, 3), records);
    QCOMPARE(log.warnings(), QList<QString>{});
    // Encoded surrogates never become lone surrogates in the text.
    for (const DictionaryEntry &entry : dictionary.numberIndexData()) {
        QVERIFY(entry.word.isValidUtf16());
        QVERIFY(entry.translation.isValidUtf16());
        QVERIFY(entry.phrases.join(QString()).isValidUtf16());
    }
}

// ---- files that vanish ----

void TestHostileFiles::reloadAfterFilesChanged_data()
{
    QTest::addColumn<int>("file");
    QTest::addColumn<Replacement>("replacement");

    const QList<const char *> names = {"word file",
                                       "translation file",
                                       "part-of-speech file",
                                       "phrase file",
                                       "phrase-translation file"};
    for (int file = 0; file < names.size(); ++file)
        QTest::addRow("%s removed", names[file]) << file << Replacement::Missing;
    QTest::newRow("word file replaced by a directory") << 0 << Replacement::Directory;
    QTest::newRow("phrase file replaced by a FIFO") << 3 << Replacement::Fifo;
    QTest::newRow("translation file replaced by a dangling link") << 1 << Replacement::DanglingLink;
}

void TestHostileFiles::reloadAfterFilesChanged()
{
    QFETCH(int, file);
    QFETCH(Replacement, replacement);

    QTemporaryDir folder;
    const RawDictionaryFiles files = around({"mira", "镜子", "n.", "mira sumi", "镜书"});
    QVERIFY(writeTexts(folder.path(), files));
    LogCapture log;
    ConlangDictionary dictionary;
    QVERIFY(loadTexts(dictionary, folder.path()));
    QCOMPARE(sortedEntryNumbers(dictionary), (QList<int>{1, 2, 3}));

    // Between the two loads the file goes; the second load must not show the first one's records.
    QList<QString> fifos;
    const QString path = textsPath(folder.path(), file);
    QVERIFY(replacePath(path, replacement, fifos));
    const FifoWriterStandIn writer(fifos);
    log.clear();
    QVERIFY(!loadTexts(dictionary, folder.path()));
    QCOMPARE(log.messages(), QList<QString>{openError(path)});
    QVERIFY(dictionary.getAllIndices().isEmpty());
    QVERIFY(dictionary.wordIndexData().isEmpty());
    QVERIFY(dictionary.smartSearch("mira", 10).isEmpty());
    QVERIFY(dictionary.smartSearch("2", 10).isEmpty());
    QVERIFY(dictionary.smartSearch("mira sumi", 10).isEmpty());
    QVERIFY(dictionary.smartSearch("镜书", 10).isEmpty());

    // Put back, the files load as before.
    QVERIFY(replacePath(path, Replacement::Missing, fifos));
    QVERIFY(writeTexts(folder.path(), files));
    QVERIFY(loadTexts(dictionary, folder.path()));
    QCOMPARE(recordsBetween(dictionary, 1, 3),
             (QList<QString>{firstRecord, "2|mira|镜子|n.|mira sumi|镜书", lastRecord}));
}

// ---- files of different lengths ----

void TestHostileFiles::stopsAtShortFile_data()
{
    addShortFileRows();
}

void TestHostileFiles::stopsAtShortFile()
{
    QFETCH(RawDictionaryFiles, files);
    QFETCH(int, records);
    QFETCH(QList<QString>, warnings);

    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), files));
    LogCapture log;
    ConlangDictionary dictionary;
    QCOMPARE(loadTexts(dictionary, folder.path()), records > 0);
    QCOMPARE(log.warnings(), warnings);
    QVERIFY(log.contains(QStringLiteral("总词条数: %1").arg(records)));
    QCOMPARE(dictionary.getAllIndices().size(), records);
    QList<QString> expected;
    for (int n = 1; n <= qMin(records, 3); ++n)
        expected.append(numberedRecord(n));
    QCOMPARE(recordsBetween(dictionary, 1, 3), expected);
    if (records > 0)
        QCOMPARE(describeRecord(*dictionary.lookupByNumIndex(records)), numberedRecord(records));
    QCOMPARE(dictionary.lookupByNumIndex(records + 1), nullptr);
}

// ---- separator floods ----

void TestHostileFiles::keepsSeparatorFloods_data()
{
    addSeparatorFloodRows();
}

void TestHostileFiles::keepsSeparatorFloods()
{
    QFETCH(RawDictionaryFiles, middle);
    QFETCH(int, phrases);
    QFETCH(QList<QString>, warnings);

    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), around(middle)));
    LogCapture log;
    ConlangDictionary dictionary;
    QVERIFY(loadTexts(dictionary, folder.path()));
    QCOMPARE(log.warnings(), warnings);
    QCOMPARE(recordsBetween(dictionary, 1, 1), QList<QString>{firstRecord});
    QCOMPARE(recordsBetween(dictionary, 3, 3), QList<QString>{lastRecord});
    const DictionaryEntry &entry = *dictionary.lookupByNumIndex(2);
    QCOMPARE(entry.phrases.size(), phrases);
    QCOMPARE(entry.phraseTranslations.size(), phrases);
    QCOMPARE(entry.translation, QString::fromUtf8(middle.translations));
    QCOMPARE(entry.partOfSpeech, QString::fromUtf8(middle.tags));
}

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostile_files.moc"

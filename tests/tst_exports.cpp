// The files of the exports for dictionary readers and flashcards, read back as their formats
// define them (the real readers are run by tst_reader_exports).

#include "AnkiExport.h"
#include "DictdExport.h"
#include "DictionaryFiles.h"
#include "Dictzip.h"
#include "ExportArticles.h"
#include "FreedictConverter.h"
#include "StardictExport.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <zlib.h>

namespace {

// The .idx read back: headword, offset, size.
struct IdxEntry
{
    QByteArray headword;
    quint32 offset = 0;
    quint32 size = 0;
};

QList<IdxEntry> readIdx(const QByteArray &idx)
{
    QList<IdxEntry> entries;
    qsizetype at = 0;
    while (at < idx.size()) {
        const qsizetype end = idx.indexOf('\0', at);
        if (end < 0 || end + 9 > idx.size())
            return {};
        entries.append({idx.mid(at, end - at),
                        qFromBigEndian<quint32>(idx.constData() + end + 1),
                        qFromBigEndian<quint32>(idx.constData() + end + 5)});
        at = end + 9;
    }
    return entries;
}

QMap<QByteArray, QByteArray> ifoFields(const QByteArray &ifo)
{
    QMap<QByteArray, QByteArray> fields;
    for (const QByteArray &line : ifo.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            fields.insert(line.left(equals), line.mid(equals + 1));
    }
    return fields;
}

QByteArray gunzip(const QByteArray &bytes)
{
    QProcess gzip;
    gzip.start("gzip", {"-dc"});
    gzip.write(bytes);
    gzip.closeWriteChannel();
    gzip.waitForFinished();
    return gzip.exitCode() == 0 ? gzip.readAllStandardOutput() : QByteArray("gzip failed");
}

// One chunk of a dictzip file uncompressed on its own, as a reader seeking to it does.
QByteArray inflateChunk(const QByteArray &chunk)
{
    z_stream stream{};
    inflateInit2(&stream, -MAX_WBITS);
    QByteArray out(1 << 20, '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(chunk.constData()));
    stream.avail_in = uInt(chunk.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    inflate(&stream, Z_SYNC_FLUSH);
    out.truncate(qsizetype(stream.total_out));
    inflateEnd(&stream);
    return out;
}

const QStringList smallDictionary = {
    "kalo|门|ko.|kalo hena,pasu kalo|家门,开门",
    "Apple|苹果；果子|n.;ko.||",
    "apple|苹果|n.||",
    "_under|下面，底下|||",
    "zeta|字母|kiu.|zeta velu|大字母",
    "||||",
    "ber|是；吗|kei.;ka.|ber mel|好吗",
    "nolation||ko.||",
    "Élan|风格 <b>|ko.|Élan & co|风格 & 公司",
};

} // namespace

class TestExports : public QObject
{
    Q_OBJECT

private slots:
    void leftOut_data();
    void leftOut();
    void stardictOrder_data();
    void stardictOrder();
    void stardictBook_data();
    void stardictBook();
    void dictzipChunks_data();
    void dictzipChunks();
    void dictdRoundTrip_data();
    void dictdRoundTrip();
    void ankiNotes_data();
    void ankiNotes();
    void ankiGuidsStable();
};

// What every export leaves out, as the command counts it: gap lines, and entries a reader cannot
// use.
void TestExports::leftOut_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QList<int>>("exported"); // the entry numbers
    QTest::addColumn<int>("emptyLines");
    QTest::addColumn<int>("withoutTranslation");
    QTest::newRow("a gap, a word without translation, a translation without word")
        << QStringList{"a|一|||", "||||", "b||||", "|三|||", "e|五|||"} << QList<int>{1, 5} << 1
        << 2;
    QTest::newRow("nothing left out") << QStringList{"a|一|||"} << QList<int>{1} << 0 << 0;
}

void TestExports::leftOut()
{
    QFETCH(QStringList, lines);
    QFETCH(QList<int>, exported);
    QFETCH(int, emptyLines);
    QFETCH(int, withoutTranslation);
    const TemporaryDictionary loaded(rowsFromLines(lines));
    QVERIFY(loaded.isLoaded());
    const exports::ExportedEntries entries = exports::exportedEntries(loaded.dictionary());
    QList<int> numbers;
    for (const DictionaryEntry &entry : entries.entries)
        numbers.append(entry.number);
    QCOMPARE(numbers, exported);
    QCOMPARE(entries.emptyLines, emptyLines);
    QCOMPARE(entries.withoutTranslation, withoutTranslation);
}

void TestExports::stardictOrder_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::newRow("letters without case") << QByteArray("apple") << QByteArray("Banana");
    QTest::newRow("case breaks a tie, capitals first")
        << QByteArray("Apple") << QByteArray("apple");
    QTest::newRow("underscore before letters") << QByteArray("_x") << QByteArray("A");
    QTest::newRow("prefix first") << QByteArray("kal") << QByteArray("kalo");
    QTest::newRow("UTF-8 after ASCII") << QByteArray("zzz") << QByteArray("门");
    QTest::newRow("UTF-8 by bytes") << QByteArray("Élan") << QByteArray("门");
    QTest::newRow("other letters keep their case") << QByteArray("É") << QByteArray("é");
}

void TestExports::stardictOrder()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QVERIFY(stardict::headwordLess(first, second));
    QVERIFY(!stardict::headwordLess(second, first));
    QVERIFY(!stardict::headwordLess(first, first));
}

void TestExports::stardictBook_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QStringList>("headwords"); // in the .idx's order
    QTest::addColumn<QStringList>("synonyms"); // "synonym>headword", in the .syn's order
    QTest::newRow("words") << smallDictionary << false
                           << QStringList{"_under", "Apple", "apple", "ber", "kalo", "zeta", "Élan"}
                           << QStringList{"ber mel>ber",
                                          "kalo hena>kalo",
                                          "pasu kalo>kalo",
                                          "zeta velu>zeta",
                                          "Élan & co>Élan"};
    QTest::newRow("a phrase twice, and the word as a phrase: one synonym")
        << QStringList{"nabu|船|ko.|nabu velu,nabu velu,nabu|大船,大船,船"} << false
        << QStringList{"nabu"} << QStringList{"nabu velu>nabu"};
    QTest::newRow("translations: a piece that is not Chinese finds no article")
        << QStringList{"kalo|门；door|ko.||"} << true << QStringList{"门；door"}
        << QStringList{"门>门；door"};
    QTest::newRow("translations")
        << smallDictionary << true
        << QStringList{"下面，底下", "字母", "是；吗", "苹果", "苹果；果子", "门", "风格 <b>"}
        << QStringList{"下面>下面，底下",
                       "吗>是；吗",
                       "底下>下面，底下",
                       "是>是；吗",
                       "果子>苹果；果子",
                       "苹果>苹果；果子"};
}

void TestExports::stardictBook()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, chinese);
    QFETCH(QStringList, headwords);
    QFETCH(QStringList, synonyms);
    const TemporaryDictionary loaded(rowsFromLines(lines));
    QVERIFY(loaded.isLoaded());
    const exports::ExportedEntries exported = exports::exportedEntries(loaded.dictionary());
    const QList<exports::Article> articles = chinese
        ? exports::translationArticles(exported, loaded.dictionary())
        : exports::wordArticles(exported, loaded.dictionary());
    // A line break in the name would end the .ifo's line.
    const stardict::Book book = stardict::writeBook("测试\nbook", articles);

    const QMap<QByteArray, QByteArray> ifo = ifoFields(book.ifo);
    QVERIFY(book.ifo.startsWith("StarDict's dict ifo file\n"));
    QCOMPARE(ifo.value("bookname"), QByteArray("测试 book"));
    QCOMPARE(ifo.value("wordcount").toInt(), headwords.size());
    QCOMPARE(ifo.value("synwordcount").toInt(), synonyms.size());
    QCOMPARE(ifo.value("idxfilesize").toLongLong(), book.idx.size());
    QCOMPARE(ifo.value("sametypesequence"), QByteArray("m"));

    // Every headword leads to its own article, found where the .idx says.
    const QByteArray dict = gunzip(book.dictDz);
    const QList<IdxEntry> idx = readIdx(book.idx);
    QStringList found;
    for (const IdxEntry &entry : idx) {
        found.append(QString::fromUtf8(entry.headword));
        QVERIFY(qint64(entry.offset) + entry.size <= dict.size());
        const QString text = QString::fromUtf8(dict.mid(entry.offset, entry.size));
        const auto article = std::find_if(articles.cbegin(), articles.cend(), [&](const auto &a) {
            return a.headword == found.last() && a.text == text;
        });
        QVERIFY2(article != articles.cend(), qPrintable(found.last() + u'=' + text));
    }
    QCOMPARE(found, headwords);
    for (qsizetype i = 1; i < idx.size(); ++i)
        QVERIFY(!stardict::headwordLess(idx.at(i).headword, idx.at(i - 1).headword));

    QStringList synonymsFound;
    qsizetype at = 0;
    while (at < book.syn.size()) {
        const qsizetype end = book.syn.indexOf('\0', at);
        QVERIFY(end > 0 && end + 5 <= book.syn.size());
        const quint32 target = qFromBigEndian<quint32>(book.syn.constData() + end + 1);
        QVERIFY(target < quint32(idx.size()));
        synonymsFound.append(QString::fromUtf8(book.syn.mid(at, end - at)) + u'>'
                             + QString::fromUtf8(idx.at(target).headword));
        at = end + 5;
    }
    QCOMPARE(synonymsFound, synonyms);
}

void TestExports::dictzipChunks_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("chunkSize");
    QTest::newRow("empty") << 0 << 100;
    QTest::newRow("one short chunk") << 50 << 100;
    QTest::newRow("exactly two chunks") << 200 << 100;
    QTest::newRow("many chunks and a short last one") << 100'001 << 4096;
}

void TestExports::dictzipChunks()
{
    QFETCH(int, size);
    QFETCH(int, chunkSize);
    QByteArray data;
    QRandomGenerator random(size);
    for (int i = 0; i < size; ++i)
        data.append(char('a' + random.bounded(6)));
    const QByteArray file = dictzip::compress(data, chunkSize);
    QCOMPARE(gunzip(file), data);

    // The chunk table as a reader uses it: each chunk inflates on its own, to its part.
    QCOMPARE(file.mid(12, 2), QByteArray("RA"));
    const int count = qFromLittleEndian<quint16>(file.constData() + 20);
    QCOMPARE(count, (size + chunkSize - 1) / chunkSize);
    QCOMPARE(int(qFromLittleEndian<quint16>(file.constData() + 18)), chunkSize);
    qsizetype at = 10 + 2 + qFromLittleEndian<quint16>(file.constData() + 10);
    for (int chunk = 0; chunk < count; ++chunk) {
        const int compressed = qFromLittleEndian<quint16>(file.constData() + 22 + 2 * chunk);
        QCOMPARE(inflateChunk(file.mid(at, compressed)), data.mid(chunk * chunkSize, chunkSize));
        at += compressed;
    }
}

void TestExports::dictdRoundTrip_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("phrases and several tags") << QStringList{
        "kalo|门|ko.|kalo hena,kalo velu|家门,大门", "ber|是；吗|kei.;ka.||", "rado|安全|||"};
    QTest::newRow("a name beside its word")
        << QStringList{"marko|mark; sign|n.|Marko,marko de|Marcus,a sign of", "de|of|prep.||"};
    // A tab would end the headword's index line early: it comes back as a blank.
    QTest::newRow("a tab inside a headword") << QStringList{"a\tb|tab|||"};
    QTest::newRow("index order: capitals, digits, non-ASCII") << QStringList{
        "Zeta|z|||", "alpha|a|||", "9lives|cat|||", "élan|verve|n.||", "_x|under|||"};
}

void TestExports::dictdRoundTrip()
{
    QFETCH(QStringList, lines);
    const QList<DictionaryRow> rows = rowsFromLines(lines);
    const TemporaryDictionary loaded(rows);
    QVERIFY(loaded.isLoaded());
    const exports::ExportedEntries exported = exports::exportedEntries(loaded.dictionary());
    const dictd::Database database
        = dictd::writeDatabase("short", "info", dictd::wordArticles(exported));

    // The server's binary search needs the keys sorted byte by byte, in lower case; each line is
    // the key, the offset and the length.
    const QList<QByteArray> index = database.index.split('\n');
    for (qsizetype i = 1; i + 1 < index.size(); ++i) {
        QCOMPARE(index.at(i).count('\t'), 2);
        const QByteArray key = index.at(i).left(index.at(i).indexOf('\t'));
        QVERIFY2(index.at(i - 1).left(index.at(i - 1).indexOf('\t')) <= key, key.constData());
        QCOMPARE(key, QString::fromUtf8(key).toLower().toUtf8());
    }

    const freedict::Conversion conversion
        = freedict::convertFreedict(database.index, gunzip(database.dictDz));
    QCOMPARE(conversion.report.metadataLines, 4);
    const dictionaryformat::Texts texts = freedict::formatDictionaryFiles(conversion.entries);
    QStringList back;
    for (qsizetype i = 0; i < texts.words.size(); ++i) {
        back.append(QStringList{texts.words.at(i),
                                texts.translations.at(i),
                                texts.partsOfSpeech.at(i),
                                texts.phrases.at(i),
                                texts.phraseTranslations.at(i)}
                        .join(u'|'));
    }
    QCOMPARE(back, QStringList(lines).replaceInStrings("\t", " "));
}

void TestExports::ankiNotes_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("deck");
    QTest::addColumn<QStringList>("notes"); // front, back and tags of each note
    QTest::newRow("a word with its example")
        << QStringList{"kalo|门|ko.|kalo hena|家门"} << "禾岚"
        << QStringList{"kalo\t门<br><i>ko.</i><ul><li>kalo hena — 家门</li></ul><br>Ber ini na "
                       "kalo?<br>  例句中文意义：你有门吗？\tko."};
    QTest::newRow("markup is text")
        << QStringList{"<b>|a & b \"c\"|x y;z||"} << "deck"
        << QStringList{"&lt;b&gt;\ta &amp; b &quot;c&quot;<br><i>x y;z</i>\tx_y z"};
    QTest::newRow("gaps and entries without translation left out")
        << QStringList{"a|一|||", "||||", "b||||", "c|三|||"} << "deck"
        << QStringList{"a\t一\t", "c\t三\t"};
    QTest::newRow("a tab inside a field stays in its column")
        << QStringList{"a\tb|一\t二|||"} << "deck" << QStringList{"a&#9;b\t一&#9;二\t"};
    QTest::newRow("a tag given twice is one tag, a deck's line break a blank")
        << QStringList{"a|一|ko.; ko.||"} << "禾岚\n词"
        << QStringList{"a\t一<br><i>ko.; ko.</i>\tko."};
}

void TestExports::ankiNotes()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, deck);
    QFETCH(QStringList, notes);
    const TemporaryDictionary loaded(rowsFromLines(lines));
    QVERIFY(loaded.isLoaded());
    const QString file = QString::fromUtf8(anki::writeNotes(
        exports::exportedEntries(loaded.dictionary()), loaded.dictionary(), {"name", deck}));
    QStringList fileLines = file.split(u'\n');
    QCOMPARE(fileLines.takeLast(), QString());
    const QStringList header{"#separator:tab",
                             "#html:true",
                             "#notetype:Basic",
                             "#deck:" + QString(deck).replace(u'\n', u' '),
                             "#columns:GUID\tFront\tBack\tTags",
                             "#guid column:1",
                             "#tags column:4"};
    QCOMPARE(fileLines.mid(0, header.size()), header);
    QStringList found;
    for (const QString &line : fileLines.mid(header.size())) {
        QCOMPARE(line.count(u'\t'), 3);
        found.append(line.section(u'\t', 1));
    }
    QCOMPARE(found, notes);
}

void TestExports::ankiGuidsStable()
{
    // An author fixes a translation and adds an entry: the old notes keep their GUIDs.
    const QStringList before{"kalo|门|ko.||", "rado|安全|||"};
    const QStringList after{"kalo|大门|ko.||", "rado|安全|||", "nabu|船|||"};
    QList<QStringList> guids;
    for (const QStringList &lines : {before, after, before}) {
        const TemporaryDictionary loaded(rowsFromLines(lines));
        const QString file = QString::fromUtf8(anki::writeNotes(
            exports::exportedEntries(loaded.dictionary()), loaded.dictionary(), {"名", "d"}));
        QStringList column;
        for (const QString &line : file.split(u'\n')) {
            if (!line.isEmpty() && !line.startsWith(u'#'))
                column.append(line.section(u'\t', 0, 0));
        }
        guids.append(column);
    }
    QCOMPARE(guids.at(1).mid(0, 2), guids.at(0));
    QCOMPARE(guids.at(2), guids.at(0));
    QCOMPARE(QSet<QString>(guids.at(1).cbegin(), guids.at(1).cend()).size(), 3);
    QVERIFY(anki::noteGuid("名", 1) != anki::noteGuid("other", 1));
}

QTEST_GUILESS_MAIN(TestExports)
#include "tst_exports.moc"

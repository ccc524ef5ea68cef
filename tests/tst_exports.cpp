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
#include <QSet>
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

// A collection of the flashcard program, as its text importer meets a file: the header lines
// (until the first other line), the note type named or else the one the learner used last, the
// fields given the columns by name when a line names them, else in order without the GUID and
// tags columns, the first field never left unmapped (column 1 when nothing else maps it); a note
// whose GUID is known is updated only when the header or the learner's last choice says "update
// current", and its tags are replaced only where the line has a tags column.
struct AnkiCollection
{
    QStringList fieldNames; // of the note type: Front, Back or 正面, 背面
    QString lastChoice = "keep current"; // for notes already there, as the dialog last had it
    QMap<QString, QStringList> notes; // GUID -> the fields, then the tags joined by blanks
};

void importNotes(AnkiCollection *collection, const QByteArray &file)
{
    QMap<QString, QString> header;
    QList<QStringList> records;
    for (const QString &line : QString::fromUtf8(file).split(u'\n')) {
        if (line.startsWith(u'#') && records.isEmpty() && line.contains(u':'))
            header.insert(line.mid(1).section(u':', 0, 0).trimmed().toLower(),
                          line.section(u':', 1));
        else if (!line.isEmpty() && !line.startsWith(u'#'))
            records.append(line.split(u'\t'));
    }
    const QSet<int> meta{header.value("guid column").toInt(), header.value("tags column").toInt()};
    const QStringList labels = header.contains("columns")
        ? header.value("columns").split(u'\t')
        : QStringList(records.value(0).size(), QString());
    QList<int> columns(collection->fieldNames.size(), 0);
    columns[0] = 1;
    qsizetype next = 0;
    for (int index = 1; index <= labels.size(); ++index) {
        if (meta.contains(index))
            continue;
        if (labels.join(QString()).isEmpty() && next < columns.size())
            columns[next++] = index;
        else if (const qsizetype field = collection->fieldNames.indexOf(labels.at(index - 1));
                 field >= 0)
            columns[field] = index;
    }
    const QString choice = header.value("if matches", collection->lastChoice);
    const int tagsColumn = header.value("tags column").toInt();
    for (const QStringList &record : std::as_const(records)) {
        const QString guid = record.value(header.value("guid column").toInt() - 1);
        QStringList &note = collection->notes[guid];
        if (note.size() > columns.size() && choice != "update current")
            continue;
        note.resize(columns.size() + 1);
        for (qsizetype field = 0; field < columns.size(); ++field)
            note[field] = columns.at(field) > 0 ? record.value(columns.at(field) - 1) : QString();
        if (tagsColumn > 0 && tagsColumn <= record.size())
            note.last() = record.at(tagsColumn - 1).simplified();
    }
}

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
    void dictdAlphabet_data();
    void dictdAlphabet();
    void ankiNotes_data();
    void ankiNotes();
    void ankiGuidsStable();
    void ankiImport_data();
    void ankiImport();
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
    QTest::newRow("translations, and phrase translations to their entry")
        << smallDictionary << true
        << QStringList{"下面，底下", "字母", "是；吗", "苹果", "苹果；果子", "门", "风格 <b>"}
        << QStringList{"下面>下面，底下",
                       "吗>是；吗",
                       "大字母>字母",
                       "好吗>是；吗",
                       "家门>门",
                       "底下>下面，底下",
                       "开门>门",
                       "是>是；吗",
                       "果子>苹果；果子",
                       "苹果>苹果；果子",
                       "风格 & 公司>风格 <b>"};
    // Readers keep a headword in 256 bytes with its NUL: longer ones are cut before a character.
    const QString longWord = QString(300, u'a');
    QTest::newRow("over 255 bytes: a word cut at the limit")
        << QStringList{longWord + "|长|||"} << false << QStringList{QString(255, u'a')}
        << QStringList{};
    QTest::newRow("over 255 bytes: a Chinese key cut before the character that crosses it")
        << QStringList{"lona|" + QString(254, u'x') + "很|||", "bel|" + QString(86, u'很') + "|||"}
        << true << QStringList{QString(254, u'x'), QString(85, u'很')} << QStringList{};
    QTest::newRow("over 255 bytes: a phrase translation cut likewise")
        << QStringList{"lona|很||lona bel|" + QString(90, u'一')} << true << QStringList{"很"}
        << QStringList{QString(85, u'一') + ">很"};
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
        QVERIFY(entry.headword.size() <= stardict::maxHeadwordBytes);
        const QString text = QString::fromUtf8(dict.mid(entry.offset, entry.size));
        const auto article = std::find_if(articles.cbegin(), articles.cend(), [&](const auto &a) {
            return a.headword.toUtf8().startsWith(entry.headword) && a.text == text;
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
        QVERIFY(end - at <= stardict::maxHeadwordBytes);
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
    QCOMPARE(conversion.report.metadataLines, 5);
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

void TestExports::dictdAlphabet_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QString>("alphabet");
    QTest::newRow("Chinese keys, by their UTF-8 bytes")
        << QStringList{"tavu|飞行|||", "nabu|船舶|||"} << true << "舶船行飞";
    QTest::newRow("Esperanto letters, lower-cased as the keys")
        << QStringList{"Ŝafo|sheep|||", "ĉe|at|||"} << false << "aefoĉŝ";
    QTest::newRow("phrases bring blanks and punctuation")
        << QStringList{"kalo|门||kalo-hena ok|家门"} << false << " -aehklno";
}

void TestExports::dictdAlphabet()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, chinese);
    QFETCH(QString, alphabet);
    const TemporaryDictionary loaded(rowsFromLines(lines));
    QVERIFY(loaded.isLoaded());
    const exports::ExportedEntries exported = exports::exportedEntries(loaded.dictionary());
    const dictd::Database database = dictd::writeDatabase(
        "short",
        "info",
        chinese ? dictd::withHeadLines(exports::translationArticles(exported, loaded.dictionary()))
                : dictd::wordArticles(exported));
    // The server takes the alphabet from the first line of the article the index points at.
    const QByteArray dict = gunzip(database.dictDz);
    QByteArray article;
    for (const QByteArray &line : database.index.split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.value(0) != "00-database-alphabet")
            continue;
        qint64 numbers[2] = {0, 0};
        for (int i = 0; i < 2; ++i) {
            for (const char digit : fields.value(i + 1)) {
                numbers[i] = numbers[i] * 64
                    + QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
                          .indexOf(digit);
            }
        }
        article = dict.mid(numbers[0], numbers[1]);
    }
    QCOMPARE(QString::fromUtf8(article), alphabet + u'\n');
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
                             "#if matches:update current",
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

void TestExports::ankiImport_data()
{
    QTest::addColumn<QStringList>("fieldNames");
    QTest::addColumn<bool>("tags");
    QTest::addColumn<QString>("secondDictionary"); // the second export's identity
    QTest::addColumn<QStringList>("notes"); // front, the back's translation and tags of each
    // The learner imports the first export and marks every card, then imports the second: the
    // author fixed kalo's translation and added nabu.
    const QStringList updated{"kalo|大门|ko.", "nabu|船|n.", "rado|安全|"};
    QTest::newRow("English collection: Basic's Front and Back, the tags replaced")
        << QStringList{"Front", "Back"} << true << "名" << updated;
    QTest::newRow("Chinese collection: 问答题's 正面 and 背面 by their order")
        << QStringList{"正面", "背面"} << true << "名" << updated;
    QTest::newRow("no tags column: the learner's own tags stay")
        << QStringList{"正面", "背面"} << false << "名"
        << QStringList{"kalo|大门|marked", "nabu|船|", "rado|安全|marked"};
    QTest::newRow("another dictionary's import leaves the cards alone")
        << QStringList{"Front", "Back"} << true << "other"
        << QStringList{
               "kalo|大门|ko.", "kalo|门|marked", "nabu|船|n.", "rado|安全|", "rado|安全|marked"};
}

void TestExports::ankiImport()
{
    QFETCH(QStringList, fieldNames);
    QFETCH(bool, tags);
    QFETCH(QString, secondDictionary);
    QFETCH(QStringList, notes);
    AnkiCollection collection{fieldNames, "keep current", {}};
    const QList<QStringList> exports{{"kalo|门|ko.||", "rado|安全|||"},
                                     {"kalo|大门|ko.||", "rado|安全|||", "nabu|船|n.||"}};
    for (qsizetype i = 0; i < exports.size(); ++i) {
        const TemporaryDictionary loaded(rowsFromLines(exports.at(i)));
        QVERIFY(loaded.isLoaded());
        importNotes(&collection,
                    anki::writeNotes(exports::exportedEntries(loaded.dictionary()),
                                     loaded.dictionary(),
                                     {i == 0 ? "名" : secondDictionary, "deck", tags}));
        if (i == 0) {
            for (QStringList &note : collection.notes)
                note.last() = "marked";
        }
    }
    QStringList found;
    for (const QStringList &note : std::as_const(collection.notes))
        found.append(note.value(0) + u'|' + note.value(1).section("<br>", 0, 0) + u'|'
                     + note.last());
    found.sort();
    QCOMPARE(found, notes);
}

QTEST_GUILESS_MAIN(TestExports)
#include "tst_exports.moc"

#include "ConlangDictionary.h"
#include "DictionaryFiles.h"
#include "FreedictConverter.h"
#include "LogCapture.h"
#include "RequiredTools.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <utility>

using freedict::ConversionReport;

namespace {

const QString realIndex = "/usr/share/dictd/freedict-epo-eng.index";
const QString realDict = "/usr/share/dictd/freedict-epo-eng.dict.dz";
const char *const missingPackage
    = "the Esperanto-English dictionary is not installed: apt-get install dict-freedict-epo-eng";

QByteArray dictdNumber(qint64 value)
{
    static const char alphabet[]
        = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    QByteArray digits;
    do {
        digits.prepend(alphabet[value % 64]);
        value /= 64;
    } while (value > 0);
    return digits;
}

struct DictdSource
{
    QByteArray index;
    QByteArray dict;
};

// Articles written as "index key<TAB>article": the .dict holds them one after another in the
// order given (an article given twice is there twice, as in FreeDict's repeated copies), the
// index names each with its key, sorted by key as dictd sorts it. Lines end with `lineEnd`.
DictdSource dictdSource(const QStringList &articles, const QByteArray &lineEnd = "\n")
{
    DictdSource source;
    QList<QByteArray> indexLines;
    for (const QString &article : articles) {
        const qsizetype tab = article.indexOf(u'\t');
        QByteArray text = article.mid(tab + 1).toUtf8();
        text.replace("\n", lineEnd);
        indexLines.append(article.left(tab).toUtf8() + '\t' + dictdNumber(source.dict.size()) + '\t'
                          + dictdNumber(text.size()) + lineEnd);
        source.dict += text;
    }
    std::stable_sort(indexLines.begin(), indexLines.end());
    for (const QByteArray &line : indexLines)
        source.index += line;
    return source;
}

QString summary(const ConversionReport &r)
{
    return QStringLiteral("entries %1, phrases %2 (case %3), repeated %4, merged %5, "
                          "incomplete %6, metadata %7, unreadable %8")
        .arg(r.entries)
        .arg(r.phrases)
        .arg(r.caseVariants)
        .arg(r.repeatedArticles)
        .arg(r.mergedArticles)
        .arg(r.incompleteArticles)
        .arg(r.metadataLines)
        .arg(r.unreadableLines);
}

QString summary(int entries,
                int phrases,
                int caseVariants,
                int repeated,
                int merged,
                int incomplete,
                int metadata = 0,
                int unreadable = 0)
{
    ConversionReport r;
    r.entries = entries;
    r.phrases = phrases;
    r.caseVariants = caseVariants;
    r.repeatedArticles = repeated;
    r.mergedArticles = merged;
    r.incompleteArticles = incomplete;
    r.metadataLines = metadata;
    r.unreadableLines = unreadable;
    return summary(r);
}

// Every index line is a metadata line, an unreadable one, or an article that was repeated,
// merged, skipped, or made an entry or a phrase.
bool accountsForEveryIndexLine(const ConversionReport &r)
{
    return r.indexLines
        == r.metadataLines + r.unreadableLines + r.repeatedArticles + r.mergedArticles
        + r.incompleteArticles + r.entries + r.phrases;
}

QList<QList<QString>> linesOf(const dictionaryformat::Texts &texts)
{
    return {texts.words,
            texts.translations,
            texts.partsOfSpeech,
            texts.phrases,
            texts.phraseTranslations};
}

// Line n of the five files joined with "|"; empty when the files do not have the same
// number of lines.
QStringList rowsOf(const dictionaryformat::Texts &texts)
{
    const QList<QList<QString>> files = linesOf(texts);
    for (const QList<QString> &lines : files) {
        if (lines.size() != files.first().size())
            return {};
    }
    QStringList rows;
    for (qsizetype n = 0; n < files.first().size(); ++n) {
        QStringList fields;
        for (const QList<QString> &lines : files)
            fields.append(lines.at(n));
        rows.append(fields.join(u'|'));
    }
    return rows;
}

bool loadFrom(ConlangDictionary &dictionary, const QString &folder)
{
    const QDir dir(folder);
    return dictionary.loadDictionaryFiles(dir.filePath(dictionaryFileNames()[0]),
                                          dir.filePath(dictionaryFileNames()[1]),
                                          dir.filePath(dictionaryFileNames()[2]),
                                          dir.filePath(dictionaryFileNames()[3]),
                                          dir.filePath(dictionaryFileNames()[4]));
}

QStringList warningsIn(const QList<QString> &messages)
{
    QStringList warnings;
    for (const QString &message : messages) {
        if (message.contains("警告"))
            warnings.append(message);
    }
    return warnings;
}

// A log message as the debug stream writes it.
template<typename... Items> QString traceLine(const Items &...items)
{
    QString line;
    {
        QDebug stream(&line);
        (stream << ... << items);
    }
    if (line.endsWith(u' ')) // the blank after the last item is not part of the message
        line.chop(1);
    return line;
}

// Where the entry a search must find stands among the results: the best; anywhere; anywhere, all
// results alike; the only one.
enum class Among { First, Any, Every, Only };

} // namespace

Q_DECLARE_METATYPE(Among)

class TestRealDictionary : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void decodesDictdNumbers_data();
    void decodesDictdNumbers();
    void convertsArticles_data();
    void convertsArticles();
    void skipsUnreadableIndexLines();
    void convertsFilesOnDisk();
    void reportsFilesItCannotRead();

    void loadsEveryConvertedLine();
    void findsEntries_data();
    void findsEntries();

private:
    struct RealDictionary
    {
        QTemporaryDir folder;
        ConversionReport report;
        QString error;
        bool converted = false;
        QList<QByteArray> files; // the five converted files
        bool loaded = false;
        QList<QString> loadLog;
        ConlangDictionary dictionary;
    };
    std::unique_ptr<RealDictionary> m_real;
};

void TestRealDictionary::initTestCase()
{
    if (!QFile::exists(realIndex) || !QFile::exists(realDict))
        return;
    m_real = std::make_unique<RealDictionary>();
    const QString folder = m_real->folder.filePath("texts");
    m_real->converted = freedict::convertFreedictFiles(
        realIndex, realDict, folder, &m_real->report, &m_real->error);
    for (const QString &name : dictionaryFileNames()) {
        QFile file(QDir(folder).filePath(name));
        m_real->files.append(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    const LogCapture log;
    m_real->loaded = loadFrom(m_real->dictionary, folder);
    m_real->loadLog = log.messages();
}

void TestRealDictionary::decodesDictdNumbers_data()
{
    QTest::addColumn<QByteArray>("digits");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("value");

    QTest::newRow("zero") << QByteArray("A") << true << qint64(0);
    QTest::newRow("last digit") << QByteArray("/") << true << qint64(63);
    QTest::newRow("two digits") << QByteArray("BA") << true << qint64(64);
    QTest::newRow("first article of the real file") << QByteArray("cK") << true << qint64(1802);
    QTest::newRow("leading zero digits") << QByteArray("AAcK") << true << qint64(1802);
    QTest::newRow("empty") << QByteArray() << false << qint64(0);
    QTest::newRow("digit outside the alphabet") << QByteArray("c-K") << false << qint64(0);
    QTest::newRow("blank") << QByteArray("c ") << false << qint64(0);
    QTest::newRow("too large for any file") << QByteArray("//////////") << false << qint64(0);
}

void TestRealDictionary::decodesDictdNumbers()
{
    QFETCH(QByteArray, digits);
    QFETCH(bool, valid);
    QFETCH(qint64, value);

    bool ok = !valid;
    const qint64 decoded = freedict::decodeDictdNumber(digits, &ok);
    QCOMPARE(ok, valid);
    if (valid)
        QCOMPARE(decoded, value);
}

void TestRealDictionary::convertsArticles_data()
{
    QTest::addColumn<QStringList>("articles");
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("report");

    const QByteArray lf = "\n";
    QTest::newRow("headword, pronunciation, gloss")
        << QStringList{"akvo\takvo /ˈakvo/\nwater\n"} << lf << QStringList{"akvo|water|||"}
        << summary(1, 0, 0, 0, 0, 0);
    QTest::newRow("numbered senses")
        << QStringList{QStringLiteral(
               "abela\tabela /abˈela/\n1. Abel’s, Abelian\n2. related to bees\n")}
        << lf << QStringList{"abela|Abel’s, Abelian; related to bees|||"}
        << summary(1, 0, 0, 0, 0, 0);
    QTest::newRow("a number that is not numbering")
        << QStringList{"litro\tlitro /lˈitro/\n1.5 litres\n2000. year\n"} << lf
        << QStringList{"litro|1.5 litres; 2000. year|||"} << summary(1, 0, 0, 0, 0, 0);
    QTest::newRow("blank lines and a wrapped line")
        << QStringList{QStringLiteral(
               "ata\t-ata /ˈata/\n\nshows that the state is still\n    applicable\n \n")}
        << lf << QStringList{"-ata|shows that the state is still applicable|||"}
        << summary(1, 0, 0, 0, 0, 0);
    QTest::newRow("tags") << QStringList{QStringLiteral(
                                             "abandoni\tabandoni /ˌabandˈoni/ <v>\nrelinquish\n"),
                                         "okuloj\tokuloj /okˈuloɪ/ <n, pl>\neyes\n"}
                          << lf << QStringList{"abandoni|relinquish|v.||", "okuloj|eyes|n.;pl.||"}
                          << summary(2, 0, 0, 0, 0, 0);
    QTest::newRow("no pronunciation; a slash in the headword")
        << QStringList{"ktp\tktp\nand so on\n", "kmh\tkm/h /kˈo/\nkilometres per hour\n"} << lf
        << QStringList{"ktp|and so on|||", "km/h|kilometres per hour|||"}
        << summary(2, 0, 0, 0, 0, 0);
    QTest::newRow("phrase filed under its first word")
        << QStringList{"adria\tAdria /adrˈia/\nAdriatic\n",
                       "adria maro\tAdria Maro /adrˈia mˈaro/\nAdriatic Sea\n"}
        << lf << QStringList{"Adria|Adriatic||Adria Maro|Adriatic Sea"}
        << summary(1, 1, 0, 0, 0, 0);
    QTest::newRow("phrase whose first word has no entry")
        << QStringList{"akso\takso /ˈakso/\naxis\n",
                       "abscisa akso\tabscisa akso /..../\naxis of abscissas\n"}
        << lf << QStringList{"akso|axis|||", "abscisa akso|axis of abscissas|||"}
        << summary(2, 0, 0, 0, 0, 0);
    QTest::newRow("commas in a phrase and its gloss")
        << QStringList{"hundo\thundo /hˈundo/\ndog, hound\n",
                       "hundo gardista\thundo gardista /../\nwatchdog, guard dog\n",
                       "hundo kaj\thundo kaj, kato /../\ncats,dogs\n"}
        << lf
        << QStringList{QStringLiteral(
               "hundo|dog, hound||hundo gardista,hundo kaj; kato|watchdog; guard "
               "dog,cats;dogs")}
        << summary(1, 2, 0, 0, 0, 0);
    QTest::newRow("repeated copies of the articles")
        << QStringList{"akvo\takvo /ˈakvo/\nwater\n",
                       "akvo maro\takvo maro /../\nsea water\n",
                       "akvo\takvo /ˈakvo/\nwater\n",
                       "akvo maro\takvo maro /../\nsea water\n",
                       "akvo\takvo /ˈakvo/\nwater\n"}
        << lf << QStringList{"akvo|water||akvo maro|sea water"} << summary(1, 1, 0, 3, 0, 0);
    QTest::newRow("senses of one headword in two articles")
        << QStringList{"marko\tmarko /mˈarko/\nbrand, label\n",
                       "marko\tmarko /mˈarko/\n1. mark\n2. brand, label\n",
                       "pendi\tpendi /pˈendi/ <v>\nhang\n",
                       "pendi\tpendi /pˈendi/ <v>\n\nhang\n"}
        << lf << QStringList{"marko|brand, label; mark|||", "pendi|hang|v.||"}
        << summary(2, 0, 0, 1, 1, 0);
    QTest::newRow("spellings in other letter case share an entry")
        << QStringList{"marko\tMarko /mˈarko/\nMarcus\n",
                       "marko\tmarko /mˈarko/\nmark\n",
                       "marko polo\tMarko Polo /../\nMarco Polo\n",
                       "ade\tAdE /ˈad ˈe/\nAkademio de Esperanto\n",
                       "ade\tADE /ˈad ˈe/\nsomething else\n"}
        << lf
        << QStringList{"marko|mark||Marko,Marko Polo|Marcus,Marco Polo",
                       "AdE|Akademio de Esperanto||ADE|something else"}
        << summary(2, 3, 2, 0, 0, 0);
    QTest::newRow("metadata") << QStringList{"00databaseinfo\t00-database-info\nabout this file\n",
                                             "00databaseshort\tEsperanto-English\n",
                                             "akvo\takvo /ˈakvo/\nwater\n"}
                              << lf << QStringList{"akvo|water|||"} << summary(1, 0, 0, 0, 0, 0, 2);
    QTest::newRow("articles without gloss or headword")
        << QStringList{"nenio\tnenio /nˈenio/\n \n", "nul\t", "akvo\takvo\nwater\n"} << lf
        << QStringList{"akvo|water|||"} << summary(1, 0, 0, 0, 0, 2);
    QTest::newRow("empty headword line: the index key stands in")
        << QStringList{"nova\t\nnew\n"} << lf << QStringList{"nova|new|||"}
        << summary(1, 0, 0, 0, 0, 0);
    QTest::newRow("CRLF line ends")
        << QStringList{"abela\tabela /abˈela/ <adj>\n1. Abelian\n2. of bees\n",
                       "abela kolonio\tabela kolonio /../\nbee colony\n"}
        << QByteArray("\r\n") << QStringList{"abela|Abelian; of bees|adj.|abela kolonio|bee colony"}
        << summary(1, 1, 0, 0, 0, 0);
    QTest::newRow("source order, not index order")
        << QStringList{"zebro\tzebro\nzebra\n", "akvo\takvo\nwater\n"} << lf
        << QStringList{"zebro|zebra|||", "akvo|water|||"} << summary(2, 0, 0, 0, 0, 0);
    QTest::newRow("line breaks, controls and separators inside fields")
        << QStringList{QStringLiteral("zo\t") + QChar(0xFEFF) + "zo" + QChar(0)
                           + "\t /zo/ <v;x>\nfoo" + QChar(0x2028) + "bar\vbaz\rqux\n",
                       QStringLiteral("zo kaj\tzo kaj /../\nfoo,bar") + QChar(0x85) + "baz\n"}
        << lf << QStringList{"zo|foo bar baz qux|v.;x.|zo kaj|foo;bar baz"}
        << summary(1, 1, 0, 0, 0, 0);
}

void TestRealDictionary::convertsArticles()
{
    QFETCH(QStringList, articles);
    QFETCH(QByteArray, lineEnd);
    QFETCH(QStringList, rows);
    QFETCH(QString, report);

    const DictdSource source = dictdSource(articles, lineEnd);
    const freedict::Conversion conversion = freedict::convertFreedict(source.index, source.dict);
    const dictionaryformat::Texts texts = freedict::formatDictionaryFiles(conversion.entries);
    QCOMPARE(rowsOf(texts), rows);
    QCOMPARE(summary(conversion.report), report);
    QCOMPARE(conversion.report.indexLines, int(articles.size()));
    QVERIFY(accountsForEveryIndexLine(conversion.report));
    for (const QList<QString> &lines : linesOf(texts)) {
        for (const QString &line : lines)
            QVERIFY(!line.contains(u'\r') && !line.contains(u'\n'));
    }

    // The program reads back every line whole: one record each, phrase counts intact.
    QTemporaryDir folder;
    QString error;
    QVERIFY2(dictionaryformat::writeFolder(folder.path(), texts, &error), qPrintable(error));
    ConlangDictionary dictionary;
    const LogCapture log;
    QVERIFY(loadFrom(dictionary, folder.path()));
    QCOMPARE(dictionary.numberIndexData().size(), rows.size());
    QCOMPARE(dictionary.wordIndexData().size(), rows.size());
    QCOMPARE(warningsIn(log.messages()), QStringList());
}

void TestRealDictionary::skipsUnreadableIndexLines()
{
    const QByteArray dict = "akvo /ˈakvo/\nwater\n";
    const QByteArray size = dictdNumber(dict.size());
    const QByteArray index = "akvo\tA\t" + size + "\n" // the one good line
        + "\n" // blank lines are no index lines
        + "akvo\tA\n" // no length
        + "akvo\tA-\t" + size + "\n" // a digit outside the alphabet
        + "akvo\tB\t" + size + "\n" // ends one byte after the .dict
        + "akvo\t" + size + "\tA\n" // an empty article just after the end: nothing to read
        + "akvo\t" + dictdNumber(dict.size() + 1) + "\tA\n" // starts after the end
        + "akvo\t//////////\t/////////\n"; // beyond any file

    const freedict::Conversion conversion = freedict::convertFreedict(index, dict);
    QCOMPARE(rowsOf(freedict::formatDictionaryFiles(conversion.entries)),
             QStringList{"akvo|water|||"});
    QCOMPARE(conversion.report.indexLines, 7);
    QCOMPARE(summary(conversion.report), summary(1, 0, 0, 0, 0, 1, 0, 5));
    QVERIFY(accountsForEveryIndexLine(conversion.report));

    const freedict::Conversion nothing = freedict::convertFreedict(QByteArray(), QByteArray());
    QVERIFY(nothing.entries.isEmpty());
    QCOMPARE(nothing.report.indexLines, 0);
}

void TestRealDictionary::convertsFilesOnDisk()
{
    const DictdSource source = dictdSource({"adria\tAdria /adrˈia/\nAdriatic\n",
                                            "adria maro\tAdria Maro /adrˈia mˈaro/\nAdriatic Sea\n",
                                            "akvo\takvo /ˈakvo/\nwater\n"});
    QTemporaryDir work;
    const QDir dir(work.path());
    for (const auto &[name, contents] :
         {std::pair{"epo.index", &source.index}, std::pair{"epo.dict", &source.dict}}) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(*contents), contents->size());
    }
    QProcess gzip;
    gzip.setStandardOutputFile(dir.filePath("epo.dict.dz"));
    gzip.start("gzip", {"-c", "-9", dir.filePath("epo.dict")});
    QVERIFY(gzip.waitForFinished());
    QCOMPARE(gzip.exitCode(), 0);

    for (const QString dictName : {"epo.dict", "epo.dict.dz"}) {
        const QString texts = dir.filePath(dictName + "-texts/texts"); // made on the way
        ConversionReport report;
        QString error;
        QVERIFY2(freedict::convertFreedictFiles(
                     dir.filePath("epo.index"), dir.filePath(dictName), texts, &report, &error),
                 qPrintable(error));
        QCOMPARE(summary(report), summary(2, 1, 0, 0, 0, 0));
        QFile words(dictionaryFilePaths(texts).words);
        QVERIFY(words.open(QIODevice::ReadOnly));
        QCOMPARE(words.readAll(), QByteArray("Adria\nakvo\n"));
        QFile phraseTranslations(dictionaryFilePaths(texts).phraseTranslations);
        QVERIFY(phraseTranslations.open(QIODevice::ReadOnly));
        QCOMPARE(phraseTranslations.readAll(), QByteArray("Adriatic Sea\n\n"));
    }
}

void TestRealDictionary::reportsFilesItCannotRead()
{
    QTemporaryDir work;
    const QDir dir(work.path());
    QFile broken(dir.filePath("broken.dict.dz"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("\x1f\x8b not really compressed");
    broken.close();
    QFile index(dir.filePath("epo.index"));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.close();

    QString error;
    QByteArray contents;
    QVERIFY(!freedict::readDictFile(dir.filePath("missing.dict"), &contents, &error));
    QVERIFY2(error.contains("missing.dict"), qPrintable(error));
    QVERIFY(!freedict::readDictFile(broken.fileName(), &contents, &error));
    QVERIFY2(error.startsWith("gzip could not uncompress"), qPrintable(error));

    ConversionReport report;
    const QString out = dir.filePath("out");
    QVERIFY(!freedict::convertFreedictFiles(
        dir.filePath("missing.index"), broken.fileName(), out, &report, &error));
    QVERIFY2(error.contains("missing.index"), qPrintable(error));
    QVERIFY(
        !freedict::convertFreedictFiles(index.fileName(), broken.fileName(), out, &report, &error));
    QVERIFY(!QFileInfo::exists(out)); // nothing written from a source that was not read
}

void TestRealDictionary::loadsEveryConvertedLine()
{
    if (!m_real)
        VARNELL_SKIP_WITHOUT(missingPackage);
    QVERIFY2(m_real->converted, qPrintable(m_real->error));
    const ConversionReport &report = m_real->report;
    QCOMPARE(report.unreadableLines, 0);
    QVERIFY(report.metadataLines > 0);
    QVERIFY(report.repeatedArticles > report.entries); // the .dict repeats every article
    QVERIFY(report.phrases > 0 && report.caseVariants > 0);
    QVERIFY(accountsForEveryIndexLine(report));

    const int lines = report.entries;
    for (const QByteArray &contents : std::as_const(m_real->files)) {
        QCOMPARE(contents.count('\n'), lines);
        QVERIFY(contents.endsWith('\n'));
        QVERIFY(!contents.contains('\r'));
    }

    // Every line is one record under a word key of its own, so every entry can be found by its
    // word; the load report has no warning at all.
    QVERIFY(m_real->loaded);
    const ConlangDictionary &dictionary = m_real->dictionary;
    QCOMPARE(dictionary.numberIndexData().size(), lines);
    QCOMPARE(dictionary.wordIndexData().size(), lines);
    QVERIFY(m_real->loadLog.contains(traceLine("总词条数:", lines)));
    QCOMPARE(warningsIn(m_real->loadLog), QStringList());
    int phrases = 0;
    for (const DictionaryEntry &entry : dictionary.wordIndexData())
        phrases += int(entry.phrases.size());
    QCOMPARE(phrases, report.phrases);
}

void TestRealDictionary::findsEntries_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("word"); // the entry that must be among the results
    QTest::addColumn<Among>("among"); // where it stands, and which results the checks cover
    QTest::addColumn<QString>("matchType"); // of its result (of every result for Among::Every)
    QTest::addColumn<QString>("highlight"); // as matchType
    QTest::addColumn<QStringList>("entry"); // its translation and part of speech, as far as given
    QTest::addColumn<QStringList>("phrase"); // one of its phrases and that phrase's translation
    QTest::addColumn<QStringList>("trace"); // lines the search writes to the log

    const auto text = [](const char *utf8) { return QString::fromUtf8(utf8); };
    // A headword: its entry is the best result.
    const auto headword = [&](const char *name,
                              const char *query,
                              const char *word,
                              const char *translation,
                              const char *partOfSpeech) {
        QTest::addRow("headword: %s", name)
            << text(query) << text(word) << Among::First << "word_exact"
            << "单词完全匹配" << QStringList{text(translation), text(partOfSpeech)} << QStringList()
            << QStringList{
                   traceLine("   ✓ 找到精确匹配单词: ", text(word), " -> ", text(translation))};
    };
    // A misspelling whose word outscores every other candidate beyond the tenth, so the answer
    // does not hang on the order of equal scores.
    const auto misspelling = [&](const char *name, const char *query, const char *word) {
        QTest::addRow("misspelling: %s", name)
            << text(query) << text(word) << Among::Any << "word_fuzzy"
            << "模糊匹配: " + text(word) << QStringList() << QStringList()
            << QStringList{"\n5. 尝试模糊搜索..."};
    };
    // An English gloss: every result is an entry translated exactly so.
    const auto gloss = [&](const char *name, const char *query, const char *word) {
        QTest::addRow("gloss: %s", name)
            << text(query) << text(word) << Among::Every << "translation_exact"
            << "翻译完全匹配: " + text(query) << QStringList{text(query)} << QStringList()
            << QStringList{"\n3. 尝试中文翻译搜索..."};
    };
    // A phrase: the phrase search of stage 2 takes the whole query as one word and finds the
    // phrase first; stage 4 then finds the same entry by the whole phrase.
    const auto phrase = [&](const char *name,
                            const char *query,
                            const char *word,
                            const char *phrase,
                            const char *phraseTranslation) {
        QTest::addRow("phrase: %s", name)
            << text(query) << text(word) << Among::Only << "phrase_exact_word"
            << "词组等于单词: " + text(phrase) << QStringList()
            << QStringList{text(phrase), text(phraseTranslation)}
            << QStringList{"\n4. 尝试完整词组匹配...", traceLine("   找到 ", 1, " 个完整词组匹配")};
    };

    headword("word", "akvo", "akvo", "water", "");
    headword("word in capitals", "AKVO", "akvo", "water", "");
    headword("capital beyond ASCII", "ĤEMIO", "ĥemio", "chemistry", "");
    headword("verb", "abandoni", "abandoni", "relinquish", "v.");
    headword("suffix", "-a", "-a", "adjective ending", "");
    headword("numbered senses",
             "abela",
             "abela",
             "Abel’s, Abelian, commutative [group]; related to bees",
             "");
    headword("wrapped gloss",
             "-ata",
             "-ata",
             "shows that the action is still in progress, the state is still applicable",
             "");
    headword("senses from two articles, name in capitals folded in",
             "Marko",
             "marko",
             "brand, marker, tag, label; mark, stamp",
             "");
    headword("headword of two words",
             "abonitaj dosierujoj",
             "abonitaj dosierujoj",
             "subscribed folders",
             "");

    misspelling("last letter wrong", "ĵurnalp", "ĵurnalo");
    misspelling("letter doubled", "ŝipoo", "ŝipo");
    misspelling("letter doubled inside", "ĥemiio", "ĥemio");
    misspelling("short word", "eĥoo", "eĥo");
    misspelling("word with many phrases", "domoo", "domo");

    gloss("gloss of several entries", "water", "akvo");
    gloss("gloss with a comma", "dog, hound", "hundo");
    gloss("name", "Adriatic", "Adria");
    gloss("common noun", "school", "lernejo");

    phrase("name", "adria maro", "Adria", "Adria Maro", "Adriatic Sea");
    phrase("in capitals", "ADUKCIA MUSKOLO", "adukcia", "adukcia muskolo", "adductor");
    phrase(
        "gloss with a comma", "abela kolonio", "abela", "abela kolonio", "bee colony; settlement");
}

void TestRealDictionary::findsEntries()
{
    if (!m_real)
        VARNELL_SKIP_WITHOUT(missingPackage);
    QFETCH(QString, query);
    QFETCH(QString, word);
    QFETCH(Among, among);
    QFETCH(QString, matchType);
    QFETCH(QString, highlight);
    QFETCH(QStringList, entry);
    QFETCH(QStringList, phrase);
    QFETCH(QStringList, trace);

    const LogCapture log;
    const QList<SearchResult> results = m_real->dictionary.smartSearch(query, 10);
    for (const QString &line : std::as_const(trace))
        QVERIFY2(log.contains(line), qPrintable(line));
    const auto found = std::find_if(results.cbegin(), results.cend(), [&](const SearchResult &r) {
        return r.entry->word == word;
    });
    QVERIFY2(found != results.cend(), qPrintable(word + " is not among the results"));
    if (among == Among::First)
        QVERIFY(found == results.cbegin());
    if (among == Among::Only)
        QCOMPARE(results.size(), 1);
    // The gloss rows hold every result to the entry's match, translation included.
    const QList<SearchResult> checked
        = among == Among::Every ? results : QList<SearchResult>{*found};
    for (const SearchResult &result : checked) {
        QCOMPARE(result.matchType, matchType);
        QCOMPARE(result.highlightInfo, highlight);
        if (among == Among::Every)
            QCOMPARE(result.entry->translation, query);
    }
    const QStringList fields = {found->entry->translation, found->entry->partOfSpeech};
    QCOMPARE(fields.mid(0, entry.size()), entry);
    if (!phrase.isEmpty()) {
        const qsizetype at = found->entry->phrases.indexOf(phrase.value(0));
        QVERIFY(at >= 0);
        QCOMPARE(found->entry->phraseTranslations.value(at), phrase.value(1));
    }
}

QTEST_GUILESS_MAIN(TestRealDictionary)
#include "tst_real_dictionary.moc"

// The exports opened by the real readers: sdcv reads the StarDict dictionaries, a dictd server of
// the test's own (on 127.0.0.1, a free port) serves the dictd databases to the dict client. Every
// word of the shipped dictionary and 1,000 words of the Esperanto dictionary must be found with
// their article in both directions, and a word that is not there must not be.

#include "ConlangDictionary.h"
#include "DictionaryFormat.h"
#include "ExportArticles.h"
#include "FreedictConverter.h"
#include "RequiredTools.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

const QString realIndex = "/usr/share/dictd/freedict-epo-eng.index";
const QString realDict = "/usr/share/dictd/freedict-epo-eng.dict.dz";
const QString missingWord = "zzqxv-nenio";

struct Output
{
    int exitCode = -1;
    QByteArray out, err;
};

Output run(const QString &program,
           const QStringList &arguments,
           const QString &home = {},
           const QByteArray &input = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LANG", "C.UTF-8");
    environment.insert("LC_ALL", "C.UTF-8");
    if (!home.isEmpty()) {
        // sdcv keeps a cache of the dictionaries' indices in the user's folders.
        environment.insert("HOME", home);
        environment.insert("XDG_CACHE_HOME", home);
    }
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// `wanted` entries of the dictionary in `folder`, spread evenly over it.
QList<DictionaryEntry> sampleEntries(const QString &folder, int wanted)
{
    ConlangDictionary dictionary;
    const QtMessageHandler previous
        = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    dictionaryformat::loadFolder(dictionary, folder);
    qInstallMessageHandler(previous);
    const QList<DictionaryEntry> all = exports::exportedEntries(dictionary).entries;
    const qsizetype step = std::max<qsizetype>(1, all.size() / wanted);
    QList<DictionaryEntry> sample;
    for (qsizetype i = 0; i < all.size() && sample.size() < wanted; i += step)
        sample.append(all.at(i));
    return sample;
}

// What sdcv answered for each word, in order: for each, "dictionary\nword\ndefinition" per hit.
QList<QStringList>
sdcvAnswers(const QString &dataDir, const QString &home, const QStringList &words)
{
    // Words on stdin, one a line: on its command line sdcv would take a word beginning with "-"
    // for an option, and "--" for a word. Without -n it answers each line, its prompt before it.
    const Output output = run("sdcv",
                              {"-x", "-j", "-e", "--data-dir", dataDir},
                              home,
                              (words.join(u'\n') + u'\n').toUtf8());
    QList<QStringList> answers;
    for (const QByteArray &line : output.out.split('\n')) {
        if (!line.startsWith('['))
            continue;
        QStringList hits;
        for (const QJsonValue &hit : QJsonDocument::fromJson(line).array()) {
            const QJsonObject object = hit.toObject();
            hits.append(object["dict"].toString() + u'\n' + object["word"].toString() + u'\n'
                        + object["definition"].toString());
        }
        answers.append(hits);
    }
    return answers;
}

// A dictd server of this test, with its own configuration, on 127.0.0.1 and a free port.
class DictdServer
{
public:
    DictdServer(const QString &folder, const QStringList &databases)
    {
        QString config = "global { }\n";
        for (const QString &name : databases) {
            config
                += QStringLiteral("database %1 { data \"%2/%1.dict.dz\" index \"%2/%1.index\" }\n")
                       .arg(name, folder);
        }
        QFile file(folder + "/dictd.conf");
        if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) != config.size())
            return;
        file.close();
        for (int attempt = 0; attempt < 5 && m_port == 0; ++attempt)
            start(file.fileName(), 20000 + int(QRandomGenerator::global()->bounded(40000)));
    }
    ~DictdServer()
    {
        m_server.terminate();
        m_server.waitForFinished(5000);
    }
    Q_DISABLE_COPY_MOVE(DictdServer)

    int port() const { return m_port; }

private:
    void start(const QString &config, int port)
    {
        m_server.start("dictd",
                       {"--config",
                        config,
                        "--port",
                        QString::number(port),
                        "--listen-to",
                        "127.0.0.1",
                        "--locale",
                        "C.UTF-8",
                        "--debug",
                        "nodetach"});
        if (!m_server.waitForStarted())
            return;
        // Ready once it answers; gone at once when the port was taken.
        for (int wait = 0; wait < 50; ++wait) {
            if (m_server.state() != QProcess::Running)
                return;
            if (run("dict", {"-h", "127.0.0.1", "-p", QString::number(port), "-D"}).exitCode == 0) {
                m_port = port;
                return;
            }
            QThread::msleep(100);
        }
        m_server.kill();
        m_server.waitForFinished();
    }

    QProcess m_server;
    int m_port = 0;
};

// The articles dict printed (-f), each as its lines without their indentation.
QList<QStringList> dictArticles(const QByteArray &output)
{
    QList<QStringList> articles;
    for (const QByteArray &line : output.split('\n')) {
        if (line.count('\t') == 3)
            articles.append(QStringList());
        else if (line.startsWith("  ") && !articles.isEmpty())
            articles.last().append(QString::fromUtf8(line.mid(2)));
    }
    return articles;
}

// How a word is listed in the article of its translation.
QString listedWord(const DictionaryEntry &entry)
{
    return entry.partOfSpeech.isEmpty() ? entry.word
                                        : entry.word + " (" + entry.partOfSpeech + u')';
}

// The tags on the first line of a dictd word article.
QString tagsOf(const DictionaryEntry &entry)
{
    return entry.partOfSpeech.isEmpty()
        ? QString()
        : " <" + entry.partOfSpeech.split(u';', Qt::SkipEmptyParts).join(", ") + u'>';
}

} // namespace

class TestReaderExports : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readers_data();
    void readers();
    void commandLine_data();
    void commandLine();

private:
    QTemporaryDir m_work;
    QHash<QString, QList<DictionaryEntry>> m_samples; // loaded once for both readers
};

void TestReaderExports::initTestCase()
{
    // The server drops its privileges when started as root; it must still read the files.
    QVERIFY(QFile::setPermissions(m_work.path(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                      | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                      | QFileDevice::ExeOther | QFileDevice::ReadGroup
                                      | QFileDevice::ExeGroup));
}

void TestReaderExports::readers_data()
{
    QTest::addColumn<QString>("source"); // "shipped" or "esperanto"
    QTest::addColumn<QString>("reader");
    for (const char *source : {"shipped", "esperanto"}) {
        for (const char *reader : {"sdcv", "dictd"})
            QTest::addRow("%s, %s", source, reader) << source << reader;
    }
}

void TestReaderExports::readers()
{
    QFETCH(QString, source);
    QFETCH(QString, reader);
    for (const char *program : {"sdcv", "dictd", "dict"}) {
        if (QStandardPaths::findExecutable(program).isEmpty())
            VARNELL_SKIP_WITHOUT("the dictionary readers are not installed: bash scripts/setup.sh");
    }
    QString texts = VARNELL_SHIPPED_TEXTS_DIR;
    if (source == "esperanto") {
        if (!QFile::exists(realIndex))
            VARNELL_SKIP_WITHOUT(
                "the Esperanto-English dictionary is not installed: bash scripts/setup.sh");
        texts = m_work.filePath("esperanto-texts");
        if (!QFile::exists(texts + "/values.txt"))
            QVERIFY(freedict::convertFreedictFiles(realIndex, realDict, texts, nullptr));
    }
    if (!m_samples.contains(source))
        m_samples.insert(source, sampleEntries(texts, 1000));
    const QList<DictionaryEntry> entries = m_samples.value(source);
    QCOMPARE(entries.size(), source == "shipped" ? 92 : 1000);

    const QString folder = m_work.filePath(source + '-' + reader);
    QVERIFY(QDir().mkpath(folder + "/dic"));
    const QString format = reader == "sdcv" ? "stardict" : "dictd";
    const QString file
        = reader == "sdcv" ? folder + "/dic/" + source + ".ifo" : folder + '/' + source + ".index";
    const Output exported
        = run(VARNELL_DICT_PROGRAM,
              {"export", "--texts", texts, "--format", format, "--name", source, file});
    QVERIFY2(exported.exitCode == 0, exported.err.constData());

    // The Chinese headwords: each translation, and each piece of it that finds the entry.
    QStringList words, translations;
    QList<const DictionaryEntry *> translated; // the entry each Chinese headword is asked for
    const ConlangDictionary rules; // the mainly-Chinese rule needs no data
    for (const DictionaryEntry &entry : entries) {
        words.append(entry.word);
        for (const QString &headword : QStringList{entry.translation}
                 + exports::translationPieces(entry.translation, rules)) {
            translations.append(headword);
            translated.append(&entry);
        }
    }

    if (reader == "sdcv") {
        const QList<QStringList> found
            = sdcvAnswers(folder, folder, words + translations + QStringList{missingWord});
        QCOMPARE(found.size(), words.size() + translations.size() + 1);
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const DictionaryEntry &entry = entries.at(i);
            const QString article = source + " 禾岚→中文\n" + entry.word + u'\n';
            const bool wordFound
                = std::any_of(found.at(i).cbegin(), found.at(i).cend(), [&](const QString &hit) {
                      return hit.startsWith(article)
                          && (hit + u'\n').contains("\n翻译：" + entry.translation + u'\n');
                  });
            QVERIFY2(wordFound, qPrintable(entry.word + u'\n' + found.at(i).join("\n\n")));
        }
        for (qsizetype i = 0; i < translations.size(); ++i) {
            const QStringList &hits = found.at(words.size() + i);
            const QString article = source + " 中文→禾岚\n" + translated.at(i)->translation + u'\n';
            const bool translationFound
                = std::any_of(hits.cbegin(), hits.cend(), [&](const QString &hit) {
                      return hit.startsWith(article)
                          && hit.split(u'\n').contains(listedWord(*translated.at(i)));
                  });
            QVERIFY2(translationFound, qPrintable(translations.at(i) + u'\n' + hits.join("\n\n")));
        }
        QCOMPARE(found.constLast(), QStringList());
        return;
    }

    const QString zh = source + "-zh";
    const DictdServer server(folder, {source, zh});
    QVERIFY2(server.port() != 0, "dictd did not start");
    const auto ask = [&](const QString &database, const QStringList &queries) {
        // -f: strict tabbed output; one batch of queries, not one query a round trip.
        return run("dict",
                   QStringList{"-h",
                               "127.0.0.1",
                               "-p",
                               QString::number(server.port()),
                               "-d",
                               database,
                               "-C",
                               "-f",
                               "--pipesize",
                               "1000000",
                               "--"}
                       + queries);
    };
    const Output wordsOut = ask(source, words + QStringList{missingWord});
    const QList<QStringList> wordArticles = dictArticles(wordsOut.out);
    for (const DictionaryEntry &entry : entries) {
        QVERIFY2(wordArticles.contains({entry.word + tagsOf(entry), entry.translation}),
                 qPrintable(entry.word));
    }
    QVERIFY2(wordsOut.err.contains("No definitions found for \"" + missingWord.toUtf8() + '"'),
             wordsOut.err.constData());
    // Asked one at a time in a batch, each Chinese headword must bring its entry's article.
    const Output translationsOut = ask(zh, translations);
    const QList<QStringList> translationArticles = dictArticles(translationsOut.out);
    qsizetype next = 0;
    for (qsizetype i = 0; i < translations.size(); ++i) {
        const auto found = std::find_if(translationArticles.cbegin() + next,
                                        translationArticles.cend(),
                                        [&](const QStringList &a) {
                                            return a.value(0) == translated.at(i)->translation
                                                && a.mid(1).contains(listedWord(*translated.at(i)));
                                        });
        QVERIFY2(found != translationArticles.cend(), qPrintable(translations.at(i)));
        next = found - translationArticles.cbegin() + 1;
    }

    // Read back by convert-freedict, the Esperanto dictionary is the same five files again. (The
    // shipped one is not: it files phrases such as "kalo tavu" under tavu, and the converter files
    // a phrase under the entry of its first word.)
    if (source == "esperanto") {
        const QString back = folder + "/back";
        const Output converted = run(VARNELL_DICT_PROGRAM,
                                     {"convert-freedict",
                                      folder + '/' + source + ".index",
                                      folder + '/' + source + ".dict.dz",
                                      back});
        QVERIFY2(converted.exitCode == 0, converted.err.constData());
        for (const QString &name : dictionaryformat::fileNames()) {
            QFile original(texts + u'/' + name);
            QFile copy(back + u'/' + name);
            QVERIFY(original.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
            QVERIFY2(original.readAll() == copy.readAll(), qPrintable(name));
        }
    }
}

void TestReaderExports::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments"); // after "export --texts SHIPPED"
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expectedErr");
    QTest::addColumn<QStringList>("written");
    const QString c = "C.UTF-8";
    QTest::newRow("unknown format") << QStringList{"--format", "epub", "x.epub"} << c << 2
                                    << "unknown format 'epub'" << QStringList{};
    QTest::newRow("no format, no table extension")
        << QStringList{"x.ifo"} << c << 2 << "must end in .csv or .tsv" << QStringList{};
    QTest::newRow("a table by its name")
        << QStringList{"--format", "tsv", "x.txt"} << c << 0 << "" << QStringList{"x.txt"};
    QTest::newRow("stardict: two books")
        << QStringList{"--format", "stardict", "x.ifo"} << c << 0
        << "left out: 1 empty lines, 0 entries without a word or a translation"
        << QStringList{"x-zh.dict.dz",
                       "x-zh.idx",
                       "x-zh.ifo",
                       "x-zh.syn",
                       "x.dict.dz",
                       "x.idx",
                       "x.ifo",
                       "x.syn"};
    QTest::newRow("dictd: two databases")
        << QStringList{"--format", "DICTD", "x.index"} << c << 0 << ""
        << QStringList{"x-zh.dict.dz", "x-zh.index", "x.dict.dz", "x.index"};
    QTest::newRow("anki, the count in Chinese")
        << QStringList{"--format", "anki", "--deck", "禾岚", "notes.txt"} << "zh_CN.UTF-8" << 0
        << "已略去：1 个空行" << QStringList{"notes.txt"};
}

void TestReaderExports::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, language);
    QFETCH(int, exitCode);
    QFETCH(QString, expectedErr);
    QFETCH(QStringList, written);
    const QTemporaryDir folder;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        environment.remove(name);
    environment.insert("LANG", language);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder.path());
    process.start(VARNELL_DICT_PROGRAM,
                  QStringList{"export", "--texts", VARNELL_SHIPPED_TEXTS_DIR} + arguments);
    QVERIFY(process.waitForFinished());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY2(err.contains(expectedErr), qPrintable(err));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files, QDir::Name), written);
}

QTEST_GUILESS_MAIN(TestReaderExports)
#include "tst_reader_exports.moc"

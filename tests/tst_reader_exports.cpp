// The exports opened by the real readers: sdcv reads the StarDict dictionaries, a dictd server of
// the test's own (on 127.0.0.1, a free port) serves the dictd databases to the dict client. Every
// word of the shipped dictionary and 1,000 words of the Esperanto dictionary must be found with
// their article in both directions, and a word that is not there must not be.

#include "ConlangDictionary.h"
#include "DictionaryFiles.h"
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
#include <QSet>
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

// `wanted` entries of the dictionary in `folder`, spread evenly over it, and the headwords of
// the reverse lookup that each translation brings (itself and its pieces), of every entry.
struct Sample
{
    QList<DictionaryEntry> entries;
    QSet<QString> translationHeadwords;
};

Sample sampleEntries(const QString &folder, int wanted)
{
    ConlangDictionary dictionary;
    const QtMessageHandler previous
        = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    dictionaryformat::loadFolder(dictionary, folder);
    qInstallMessageHandler(previous);
    const QList<DictionaryEntry> all = exports::exportedEntries(dictionary).entries;
    const qsizetype step = std::max<qsizetype>(1, all.size() / wanted);
    Sample sample;
    for (qsizetype i = 0; i < all.size() && sample.entries.size() < wanted; i += step)
        sample.entries.append(all.at(i));
    for (const DictionaryEntry &entry : all) {
        sample.translationHeadwords.insert(entry.translation.toLower());
        for (const QString &piece : exports::translationPieces(entry.translation, dictionary))
            sample.translationHeadwords.insert(piece.toLower());
    }
    return sample;
}

// What sdcv answered for each word, in order: for each, "dictionary\nword\ndefinition" per hit.
QList<QStringList>
sdcvAnswers(const QString &dataDir, const QString &home, const QStringList &words)
{
    // Non-interactive, the words on the command line after "--" (a word may begin with "-"):
    // reading them from stdin, sdcv 0.5.5 asks which article is meant when a synonym leads to
    // several and then takes the following lines for answers, and at the end of the input asks
    // again for ever. 0.5.2 answers "--" as a word of its own; 0.5.5 takes it for the end of
    // the options.
    const Output output = run(
        "sdcv", QStringList{"-n", "-x", "-j", "-e", "--data-dir", dataDir, "--"} + words, home);
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
    if (answers.size() == words.size() + 1)
        answers.removeFirst(); // the answer to "--"
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
        // Its log of every query goes nowhere: unread, a full pipe would stop the server.
        m_server.setStandardOutputFile(QProcess::nullDevice());
        m_server.setStandardErrorFile(QProcess::nullDevice());
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

// The translations of the entry's phrases that lead to it, being no translation or piece of one
// (`taken`, lower-cased), and that sdcv can be asked for on a line of its own (it takes "/…" and
// "|…" for searches of other kinds, "*" and "?" for patterns).
QStringList phraseTranslationHeadwords(const DictionaryEntry &entry, const QSet<QString> &taken)
{
    QStringList headwords;
    for (const QString &translation : entry.phraseTranslations) {
        const QString headword = translation.trimmed();
        if (!headword.isEmpty() && !taken.contains(headword.toLower()) && !headword.startsWith(u'/')
            && !headword.startsWith(u'|') && !headword.contains(u'*') && !headword.contains(u'?')
            && !headwords.contains(headword))
            headwords.append(headword);
    }
    return headwords;
}

const QString stardictVerify = "/usr/lib/stardict-tools/stardict-verify";

// StarDict's own verifier (Debian's stardict-tools) on each dictionary; says so when it is not
// installed.
void verifyStardict(const QStringList &ifoFiles)
{
    if (!QFile::exists(stardictVerify)) {
        qInfo("stardict-verify is not installed (bash scripts/setup.sh): not verified");
        return;
    }
    for (const QString &ifo : ifoFiles) {
        const Output verified = run(stardictVerify, {ifo});
        QVERIFY2(verified.exitCode == 0 && verified.out.contains("Verification result: OK"),
                 (verified.out + verified.err).constData());
    }
}

// varnell-dict run in `folder` with `arguments`.
Output runTool(const QString &folder, const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(VARNELL_DICT_PROGRAM, arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// The GUIDs of an Anki export, in the order of its notes.
QStringList ankiGuids(const QString &notes)
{
    QFile file(notes);
    QStringList guids;
    if (!file.open(QIODevice::ReadOnly))
        return guids;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.isEmpty() && !line.startsWith('#'))
            guids.append(QString::fromUtf8(line.left(line.indexOf('\t'))));
    }
    return guids;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A copy of the shipped dictionary's five files (without its identity) in `folder`/texts.
bool copyShippedFiles(const QString &folder)
{
    return copyDictionaryFiles(QStringLiteral(VARNELL_SHIPPED_TEXTS_DIR), folder);
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
    void oneFolder_data();
    void oneFolder();
    void suggestions_data();
    void suggestions();
    void longHeadwords_data();
    void longHeadwords();
    void ankiIdentity_data();
    void ankiIdentity();
    void ankiTwoDictionaries();
    void bookNames_data();
    void bookNames();

private:
    QTemporaryDir m_work;
    QHash<QString, Sample> m_samples; // loaded once for both readers
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
    const QList<DictionaryEntry> entries = m_samples.value(source).entries;
    const QSet<QString> &taken = m_samples[source].translationHeadwords;
    QCOMPARE(entries.size(), source == "shipped" ? 92 : 1000);

    const QString folder = m_work.filePath(source + '-' + reader);
    QVERIFY(QDir().mkpath(folder + "/dic"));
    const QString format = reader == "sdcv" ? "stardict" : "dictd";
    const QString file
        = reader == "sdcv" ? folder + "/dic/" + source + ".ifo" : folder + '/' + source + ".index";
    const Output exported
        = run(VARNELL_DICT_PROGRAM,
              {"export", "--texts", texts, "--format", format, "--title", source, file});
    QVERIFY2(exported.exitCode == 0, exported.err.constData());

    // The Chinese headwords: each translation, and each piece of it that finds the entry.
    QStringList words, translations;
    QList<const DictionaryEntry *> translated; // the entry each Chinese headword is asked for
    const ConlangDictionary rules; // the mainly-Chinese rule needs no data
    for (const DictionaryEntry &entry : entries) {
        words.append(entry.word);
        // ... and each translation of its phrases, which leads to the same article.
        for (const QString &headword : QStringList{entry.translation}
                 + exports::translationPieces(entry.translation, rules)
                 + phraseTranslationHeadwords(entry, taken)) {
            translations.append(headword);
            translated.append(&entry);
        }
    }

    if (reader == "sdcv") {
        verifyStardict({file, folder + "/dic/" + source + "-zh.ifo"});
        const QList<QStringList> found
            = sdcvAnswers(folder, folder, words + translations + QStringList{missingWord});
        QCOMPARE(found.size(), words.size() + translations.size() + 1);
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const DictionaryEntry &entry = entries.at(i);
            const QString article = source + u'\n' + entry.word + u'\n';
            const bool wordFound
                = std::any_of(found.at(i).cbegin(), found.at(i).cend(), [&](const QString &hit) {
                      return hit.startsWith(article)
                          && (hit + u'\n').contains("\n翻译：" + entry.translation + u'\n');
                  });
            QVERIFY2(wordFound, qPrintable(entry.word + u'\n' + found.at(i).join("\n\n")));
        }
        for (qsizetype i = 0; i < translations.size(); ++i) {
            const QStringList &hits = found.at(words.size() + i);
            const QString article = source + "（反查）\n" + translated.at(i)->translation + u'\n';
            // sdcv 0.5.2 shows one article of a headword that leads to several (a phrase
            // translation that is also another entry's), 0.5.5 all: one must have it.
            const bool phrase
                = phraseTranslationHeadwords(*translated.at(i), taken).contains(translations.at(i));
            const bool translationFound
                = std::any_of(hits.cbegin(), hits.cend(), [&](const QString &hit) {
                      if (phrase)
                          return hit.startsWith(source + "（反查）\n")
                              && hit.contains(translations.at(i));
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

void TestReaderExports::oneFolder_data()
{
    QTest::addColumn<QStringList>("first"); // after "export --texts SHIPPED"
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expectedErr");
    QTest::addColumn<QStringList>("written");
    const QStringList stardict{"--format", "stardict", "x.ifo"};
    const QStringList dictd{"--format", "dictd", "x.index"};
    const QStringList stardictFiles{
        "x-zh.dict.dz", "x-zh.idx", "x-zh.ifo", "x-zh.syn", "x.dict.dz", "x.idx", "x.ifo", "x.syn"};
    const QStringList dictdFiles{"x-zh.dict.dz", "x-zh.index", "x.dict.dz", "x.index"};
    QTest::newRow("dictd after StarDict of the same name: refused")
        << stardict << dictd << 1 << "x.dict.dz: the stardict export" << stardictFiles;
    QTest::newRow("StarDict after dictd of the same name: refused")
        << dictd << stardict << 1 << "x.dict.dz: the dictd export" << dictdFiles;
    QTest::newRow("forced: the other export's files that read it go")
        << stardict << dictd + QStringList{"--force"} << 0 << "removed" << dictdFiles;
    QTest::newRow("the same format again replaces its own files")
        << stardict << stardict << 0 << "" << stardictFiles;
    QTest::newRow("side by side under names of their own")
        << stardict << QStringList{"--format", "dictd", "y.index"} << 0 << ""
        << QStringList{"x-zh.dict.dz",
                       "x-zh.idx",
                       "x-zh.ifo",
                       "x-zh.syn",
                       "x.dict.dz",
                       "x.idx",
                       "x.ifo",
                       "x.syn",
                       "y-zh.dict.dz",
                       "y-zh.index",
                       "y.dict.dz",
                       "y.index"};
}

void TestReaderExports::oneFolder()
{
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(int, exitCode);
    QFETCH(QString, expectedErr);
    QFETCH(QStringList, written);
    const QTemporaryDir folder;
    const QStringList texts{"export", "--texts", VARNELL_SHIPPED_TEXTS_DIR};
    QCOMPARE(runTool(folder.path(), texts + first).exitCode, 0);
    const Output second_ = runTool(folder.path(), texts + second);
    QCOMPARE(second_.exitCode, exitCode);
    QVERIFY2(QString::fromUtf8(second_.err).contains(expectedErr), second_.err.constData());
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files, QDir::Name), written);
    // What is left reads its own articles.
    QStringList books;
    for (const QString &name : written) {
        if (name.endsWith(".ifo"))
            books.append(folder.filePath(name));
    }
    verifyStardict(books);
}

void TestReaderExports::suggestions_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("reverse"); // the database of the translations
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("suggested");
    QTest::newRow("Chinese: 飞航 suggests 飞行")
        << QStringList{"tavu|飞行|||", "nabu|船|||", "kalo|门|||"} << true << "飞航"
        << "飞行";
    QTest::newRow("Esperanto letters: safo suggests ŝafo")
        << QStringList{"ŝafo|sheep|||", "ĉevalo|horse|||", "domo|house|||"} << false << "safo"
        << "ŝafo";
    QTest::newRow("a capital's word, found lower-cased: cevalo suggests ĉevalo")
        << QStringList{"Ĉevalo|horse|||", "domo|house|||"} << false << "cevalo"
        << "ĉevalo";
}

void TestReaderExports::suggestions()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, reverse);
    QFETCH(QString, query);
    QFETCH(QString, suggested);
    for (const char *program : {"dictd", "dict"}) {
        if (QStandardPaths::findExecutable(program).isEmpty())
            QSKIP("dictd and dict are not installed: bash scripts/setup.sh");
    }
    const QString folder = m_work.filePath(QStringLiteral("suggestions-%1").arg(qHash(query)));
    QVERIFY(QDir().mkpath(folder + "/texts"));
    QVERIFY(!writeDictionaryFiles(folder + "/texts", rowsFromLines(lines)).words.isEmpty());
    QCOMPARE(
        runTool(folder, {"export", "--texts", "texts", "--format", "dictd", "d.index"}).exitCode,
        0);
    const DictdServer server(folder, {"d", "d-zh"});
    QVERIFY2(server.port() != 0, "dictd did not start");
    const Output matches = run("dict",
                               {"-h",
                                "127.0.0.1",
                                "-p",
                                QString::number(server.port()),
                                "-d",
                                reverse ? "d-zh" : "d",
                                "-m",
                                "-s",
                                "lev",
                                "--",
                                query});
    QVERIFY2(QString::fromUtf8(matches.out).split(QRegularExpression("\\s+")).contains(suggested),
             (matches.out + matches.err).constData());
}

void TestReaderExports::longHeadwords_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("shortened");
    QTest::addColumn<QStringList>("reverseHeadwords"); // as pyglossary lists them, sorted
    QTest::newRow("a letter and 86 Chinese characters, 259 bytes: cut before the 85th")
        << QStringList{"lona|x" + QString(86, u'很') + "|||"} << 1
        << QStringList{'x' + QString(84, u'很')};
    QTest::newRow("85 characters, 255 bytes, fit whole")
        << QStringList{"lona|" + QString(85, u'很') + "|||"} << 0
        << QStringList{QString(85, u'很')};
    QTest::newRow("a phrase translation of 90 characters: its synonym cut")
        << QStringList{"lona|很||lona bel|" + QString(90, u'一')} << 1
        << QStringList{QString(85, u'一'), "很"};
}

void TestReaderExports::longHeadwords()
{
    QFETCH(QStringList, lines);
    QFETCH(int, shortened);
    QFETCH(QStringList, reverseHeadwords);
    const QString folder = m_work.filePath(QStringLiteral("long-%1").arg(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(folder + "/texts"));
    QVERIFY(!writeDictionaryFiles(folder + "/texts", rowsFromLines(lines)).words.isEmpty());
    const Output exported
        = runTool(folder, {"export", "--texts", "texts", "--format", "stardict", "l.ifo"});
    QCOMPARE(exported.exitCode, 0);
    QCOMPARE(exported.err.contains("shortened: " + QByteArray::number(shortened) + " headwords"),
             shortened > 0);
    if (!QFile::exists(stardictVerify))
        QSKIP("stardict-verify is not installed (bash scripts/setup.sh)");
    verifyStardict({folder + "/l.ifo", folder + "/l-zh.ifo"});
    if (QStandardPaths::findExecutable("pyglossary").isEmpty())
        QSKIP("pyglossary is not installed (bash scripts/setup.sh)");
    // pyglossary's tab-separated text: "headword|further headword…<TAB>article" a line.
    const Output converted = run("pyglossary",
                                 {folder + "/l-zh.ifo",
                                  folder + "/l-zh.txt",
                                  "--read-format=Stardict",
                                  "--write-format=Tabfile"},
                                 folder);
    QVERIFY2(converted.exitCode == 0, converted.err.constData());
    QStringList found;
    for (const QByteArray &line : fileBytes(folder + "/l-zh.txt").split('\n')) {
        if (!line.isEmpty() && !line.startsWith("##"))
            found += QString::fromUtf8(line.left(line.indexOf('\t'))).split(u'|');
    }
    found.sort();
    QCOMPARE(found, reverseHeadwords);
}

void TestReaderExports::ankiIdentity_data()
{
    QTest::addColumn<QList<QStringList>>("edits"); // varnell-dict commands between two exports
    QTest::addColumn<int>("removedNote"); // the position of a note the edits remove, or -1
    QTest::addColumn<int>("addedNotes");
    QTest::newRow("exported again") << QList<QStringList>{} << -1 << 0;
    QTest::newRow("a spelling correction")
        << QList<QStringList>{{"set", "1", "--word", "tavo"}} << -1 << 0;
    QTest::newRow("a translation fixed")
        << QList<QStringList>{{"set", "2", "--translation", "新的翻译"}} << -1 << 0;
    QTest::newRow("an entry added") << QList<QStringList>{{"add", "mirel", "星光"}} << -1 << 1;
    QTest::newRow("an entry removed") << QList<QStringList>{{"remove", "3"}} << 2 << 0;
    QTest::newRow("a change undone")
        << QList<QStringList>{{"set", "1", "--word", "tavo"}, {"undo"}} << -1 << 0;
}

void TestReaderExports::ankiIdentity()
{
    QFETCH(QList<QStringList>, edits);
    QFETCH(int, removedNote);
    QFETCH(int, addedNotes);
    const QTemporaryDir folder;
    QVERIFY(copyShippedFiles(folder.path()));
    const QStringList anki{"export", "--texts", "texts", "--format", "anki"};
    QCOMPARE(runTool(folder.path(), anki + QStringList{"before.txt"}).exitCode, 0);
    const QString identity = folder.filePath("texts/.varnell-identity");
    const QByteArray kept = fileBytes(identity);
    QVERIFY(kept.contains("\nid="));
    const Output history = runTool(folder.path(), {"history", "--texts", "texts"});
    for (const QStringList &edit : edits)
        QCOMPARE(runTool(folder.path(), edit + QStringList{"--texts", "texts"}).exitCode, 0);
    QCOMPARE(runTool(folder.path(), anki + QStringList{"after.txt"}).exitCode, 0);

    QStringList expected = ankiGuids(folder.filePath("before.txt"));
    if (removedNote >= 0)
        expected.removeAt(removedNote);
    const QStringList after = ankiGuids(folder.filePath("after.txt"));
    QCOMPARE(after.mid(0, after.size() - addedNotes), expected);
    QCOMPARE(QSet<QString>(after.cbegin(), after.cend()).size(), after.size());
    // The identity is the folder's, untouched by the edits, the history and undo, and no finding.
    QCOMPARE(fileBytes(identity), kept);
    if (edits.isEmpty())
        QCOMPARE(runTool(folder.path(), {"history", "--texts", "texts"}).out, history.out);
    const Output check = runTool(folder.path(), {"check", "--texts", "texts"});
    QVERIFY2(check.exitCode == 0 && !check.out.contains("identity"), check.out.constData());
}

void TestReaderExports::ankiTwoDictionaries()
{
    // Two dictionaries, as two copies of one folder are when each becomes its own: no GUID of one
    // is the other's, while --name gives the GUIDs of the name and writes no identity.
    const QTemporaryDir folder;
    QStringList guids[3];
    for (int i = 0; i < 3; ++i) {
        const QString name = QString::number(i);
        QVERIFY(copyShippedFiles(folder.filePath(name)));
        const QStringList named = i == 2 ? QStringList{"--name", "varnell"} : QStringList{};
        QCOMPARE(
            runTool(folder.filePath(name),
                    QStringList{"export", "--texts", "texts", "--format", "anki", "n.txt"} + named)
                .exitCode,
            0);
        guids[i] = ankiGuids(folder.filePath(name + "/n.txt"));
        QCOMPARE(guids[i].size(), 92);
    }
    QCOMPARE(QSet<QString>(guids[0].cbegin(), guids[0].cend())
                 .intersect(QSet<QString>(guids[1].cbegin(), guids[1].cend()))
                 .size(),
             0);
    QVERIFY(!QFile::exists(folder.filePath("2/texts/.varnell-identity")));
    // The shipped dictionary keeps the identity its cards had before it kept one: "varnell".
    const QTemporaryDir shipped;
    QCOMPARE(runTool(shipped.path(),
                     {"export", "--texts", VARNELL_SHIPPED_TEXTS_DIR, "--format", "anki", "s.txt"})
                 .exitCode,
             0);
    QCOMPARE(ankiGuids(shipped.filePath("s.txt")), guids[2]);
}

void TestReaderExports::bookNames_data()
{
    QTest::addColumn<QString>("texts"); // "shipped", or a copy of its files in epo/texts
    QTest::addColumn<QByteArray>("identity"); // the copy's .varnell-identity, if any
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("deck"); // the Anki deck: the title unless --deck names one
    QTest::addColumn<bool>("tags"); // the notes have a tags column
    QTest::newRow("the shipped dictionary: the window's title")
        << "shipped" << QByteArray() << QStringList{} << "禾岚大词典"
        << "禾岚大词典" << true;
    QTest::newRow("another folder: its name") << "epo" << QByteArray() << QStringList{} << "epo"
                                              << "epo" << true;
    QTest::newRow("a title kept in the folder's identity")
        << "epo" << QByteArray("title=世界语词典\n") << QStringList{} << "世界语词典"
        << "世界语词典" << true;
    QTest::newRow("--title") << "epo" << QByteArray("title=世界语词典\n")
                             << QStringList{"--title", "我的词典"} << "我的词典"
                             << "我的词典" << true;
    QTest::newRow("--deck and --no-tags: the deck alone named, no tags column")
        << "epo" << QByteArray("title=世界语词典\n") << QStringList{"--deck", "卡组", "--no-tags"}
        << "世界语词典"
        << "卡组" << false;
}

void TestReaderExports::bookNames()
{
    QFETCH(QString, texts);
    QFETCH(QByteArray, identity);
    QFETCH(QStringList, arguments);
    QFETCH(QString, title);
    QFETCH(QString, deck);
    QFETCH(bool, tags);
    const QTemporaryDir folder;
    if (texts == "shipped") {
        texts = VARNELL_SHIPPED_TEXTS_DIR;
    } else {
        QVERIFY(copyShippedFiles(folder.filePath("epo")));
        texts = "epo/texts";
        if (!identity.isEmpty())
            QVERIFY(writeBytes(folder.filePath("epo/texts/.varnell-identity"), identity));
    }
    // Anki first: its first export writes the folder's identity, which keeps the title written
    // there by hand for the next export.
    for (const QString format : {"anki", "stardict"}) {
        QCOMPARE(runTool(folder.path(),
                         QStringList{"export", "--texts", texts, "--format", format, "x.ifo"}
                             + arguments)
                     .exitCode,
                 0);
        const QString written = QString::fromUtf8(fileBytes(folder.filePath("x.ifo")));
        if (format == "anki") {
            QVERIFY2(written.contains("\n#deck:" + deck + u'\n'), qPrintable(written.left(200)));
            QCOMPARE(written.contains("\n#tags column:"), tags);
            const QString note = written.section(u'\n', -2, -2);
            QCOMPARE(note.count(u'\t'), tags ? 3 : 2);
            continue;
        }
        QVERIFY2(written.contains("\nbookname=" + title + u'\n'), qPrintable(written));
        QVERIFY(fileBytes(folder.filePath("x-zh.ifo"))
                    .contains("\nbookname=" + title.toUtf8() + "（反查）\n"));
    }
}

QTEST_GUILESS_MAIN(TestReaderExports)
#include "tst_reader_exports.moc"

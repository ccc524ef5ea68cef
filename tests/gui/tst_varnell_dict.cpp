// varnell-dict, run as a user runs it: the built program on copies of the shipped dictionary.

#include "DictionaryFiles.h"
#include "DictionaryFormat.h"
#include "LogCapture.h"
#include "WindowTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace windowtest;

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs varnell-dict in `folder` with `arguments`, `input` on stdin, in the C.UTF-8 locale unless
// `language` names another (not plain C: from Qt 6.8 on, Qt warns on stderr about a locale that
// is not UTF-8).
Run runTool(const QString &folder,
            const QStringList &arguments,
            const QByteArray &input = {},
            const QString &language = "C.UTF-8",
            const QString &hashSeed = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "QT_HASH_SEED"})
        environment.remove(QString::fromLatin1(name));
    environment.insert("LANG", language);
    // Qt reads the seed of its hashes once, at start-up: "0" makes it fixed, no value random.
    if (!hashSeed.isEmpty())
        environment.insert("QT_HASH_SEED", hashSeed);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(VARNELL_DICT_PROGRAM), arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(),
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// A copy of the shipped dictionary in `folder`/texts.
bool copyShippedDictionary(const QString &folder)
{
    if (!QDir(folder).mkpath("texts"))
        return false;
    for (const QString &name : dictionaryformat::fileNames()) {
        if (!QFile::copy(QStringLiteral(VARNELL_SHIPPED_TEXTS_DIR "/") + name,
                         folder + "/texts/" + name))
            return false;
    }
    return true;
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<QByteArray> folderBytes(const QString &folder)
{
    QList<QByteArray> contents;
    for (const QString &path : dictionaryformat::filePaths(folder))
        contents.append(readBytes(path));
    return contents;
}

enum class Plant { ReplaceLine, InsertLine, AppendToLine, RemoveFile, MakeDirectory };

// Changes `file` of the dictionary in `texts` as `plant` says, at 1-based `line`.
bool plantMistake(
    const QString &texts, const QString &file, Plant plant, int line, const QByteArray &text)
{
    const QString path = texts + u'/' + file;
    if (plant == Plant::RemoveFile || plant == Plant::MakeDirectory)
        return QFile::remove(path) && (plant == Plant::RemoveFile || QDir(texts).mkdir(file));
    QList<QByteArray> lines = readBytes(path).split('\n');
    if (plant == Plant::ReplaceLine)
        lines[line - 1] = text;
    else if (plant == Plant::InsertLine)
        lines.insert(line - 1, text);
    else
        lines[line - 1] += text;
    return writeBytes(path, lines.join('\n'));
}

// What the window shows for each query, one card per query, on the dictionary in `folder`.
QList<QString> windowCards(const QString &folder, const QStringList &queries)
{
    const LogCapture quiet;
    const std::unique_ptr<Widget> window = openWindowIn(folder);
    QList<QString> cards;
    for (const QString &query : queries) {
        search(input(*window), query);
        cards.append(card(*window)->text());
    }
    return cards;
}

} // namespace

class TestVarnellDict : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void check_data();
    void check();
    void lookup_data();
    void lookup();
    void lookupAnswersTheSameInEveryProcess();
    void add_data();
    void add();
};

void TestVarnellDict::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expectedOut");
    QTest::addColumn<QString>("expectedErr");

    const QString c = "C.UTF-8";
    QTest::newRow("help lists the commands") << QStringList{"--help"} << c << 0 << "\n  lookup  "
                                             << "";
    QTest::newRow("help of a command") << QStringList{"help", "add"} << c << 0
                                       << "Usage: varnell-dict add [options] word translation"
                                       << "";
    QTest::newRow("no command") << QStringList{} << c << 2 << ""
                                << "no command given";
    QTest::newRow("unknown command") << QStringList{"frob"} << c << 2 << ""
                                     << "unknown command 'frob'";
    QTest::newRow("unknown option") << QStringList{"check", "--frob"} << c << 2 << ""
                                    << "help check";
    QTest::newRow("no such folder") << QStringList{"check", "--texts", "nowhere"} << c << 2 << ""
                                    << "nowhere";
    QTest::newRow("Chinese from the locale")
        << QStringList{"check"} << "zh_CN.UTF-8" << 0 << "0 个错误，0 个警告，92 个词条"
        << "";
    QTest::newRow("Chinese usage error") << QStringList{"frob"} << "zh_CN.UTF-8" << 2 << ""
                                         << "未知的命令";
}

void TestVarnellDict::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, language);
    QFETCH(int, exitCode);
    QFETCH(QString, expectedOut);
    QFETCH(QString, expectedErr);
    const QTemporaryDir folder;
    QVERIFY(copyShippedDictionary(folder.path()));

    const Run run = runTool(folder.path(), arguments, {}, language);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.out.contains(expectedOut), qPrintable(run.out));
    QVERIFY2(run.err.contains(expectedErr), qPrintable(run.err));
}

void TestVarnellDict::check_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Plant>("plant");
    QTest::addColumn<int>("line");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("expected"); // a line of the output, up to its message
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("exitCode");

    const QStringList none;
    const auto row = [](const char *name) { return &QTest::newRow(name); };
    *row("shipped dictionary") << "values.txt" << Plant::AppendToLine << 1 << QByteArray() << none
                               << "0 errors, 0 warnings, 92 entries"
                               << "" << 0;
    *row("byte-order mark at the start")
        << "values.txt" << Plant::ReplaceLine << 1 << QByteArray("\xEF\xBB\xBFtavu") << none
        << "0 errors, 0 warnings, 92 entries"
        << "" << 0;
    *row("missing file") << "keys.txt" << Plant::RemoveFile << 0 << QByteArray() << none
                         << "texts/keys.txt: error: "
                         << "missing-file" << 1;
    *row("folder for a file") << "phrases.txt" << Plant::MakeDirectory << 0 << QByteArray() << none
                              << "texts/phrases.txt: error: "
                              << "not-regular-file" << 1;
    *row("one line more") << "wordtype.txt" << Plant::InsertLine << 94 << QByteArray("ko.") << none
                          << "texts/wordtype.txt: error: "
                          << "line-count" << 1;
    *row("inserted phrase translation")
        << "cn_phrases.txt" << Plant::InsertLine << 40 << QByteArray("多余") << none
        << "texts/cn_phrases.txt:41: error: "
        << "misaligned" << 1;
    *row("repeated word") << "values.txt" << Plant::ReplaceLine << 7 << QByteArray("TAVU") << none
                          << "texts/values.txt:7: error: \"TAVU\" repeats the word of line 1"
                          << "duplicate-word" << 1;
    *row("phrase without translation")
        << "phrases.txt" << Plant::AppendToLine << 5 << QByteArray(",mo ber") << none
        << "texts/phrases.txt:5: error: "
        << "phrase-count" << 1;
    *row("invalid UTF-8") << "keys.txt" << Plant::ReplaceLine << 3 << QByteArray("是\xff吗") << none
                          << "texts/keys.txt:3: error: byte 0xFF at column 4"
                          << "invalid-utf8" << 1;
    *row("full-width comma") << "phrases.txt" << Plant::ReplaceLine << 2
                             << QByteArray("tami huhuhu，toro huhuhu") << none
                             << "texts/phrases.txt:2: warning: "
                             << "full-width-separator" << 1;
    *row("full-width semicolon") << "wordtype.txt" << Plant::ReplaceLine << 3
                                 << QByteArray("kei.；ka.") << none
                                 << "texts/wordtype.txt:3: warning: "
                                 << "full-width-separator" << 0;
    *row("unknown tag") << "wordtype.txt" << Plant::ReplaceLine << 1 << QByteArray("kk.") << none
                        << "texts/wordtype.txt:1: warning: "
                        << "unknown-tag" << 0;
    *row("unknown tag, strict") << "wordtype.txt" << Plant::ReplaceLine << 1 << QByteArray("kk.")
                                << QStringList{"--strict"} << "texts/wordtype.txt:1: warning: "
                                << "unknown-tag" << 1;
    *row("tags given") << "wordtype.txt" << Plant::AppendToLine << 1 << QByteArray()
                       << QStringList{"--tags", "n., ko."} << "texts/wordtype.txt:1: warning: "
                       << "unknown-tag" << 0;
    *row("word without translation") << "keys.txt" << Plant::ReplaceLine << 4 << QByteArray()
                                     << none << "texts/values.txt:4: warning: "
                                     << "missing-translation" << 0;
    *row("translation without word") << "values.txt" << Plant::ReplaceLine << 4 << QByteArray()
                                     << none << "texts/keys.txt:4: warning: "
                                     << "missing-word" << 0;
    *row("empty piece") << "cn_phrases.txt" << Plant::AppendToLine << 2 << QByteArray(",") << none
                        << "texts/cn_phrases.txt:2: warning: "
                        << "empty-piece" << 0;
    *row("text on a gap line") << "wordtype.txt" << Plant::ReplaceLine << 64 << QByteArray("ko.")
                               << none << "texts/wordtype.txt:64: warning: "
                               << "gap-text" << 0;
    *row("mixed line ends") << "keys.txt" << Plant::AppendToLine << 9 << QByteArray("\r") << none
                            << "texts/keys.txt:9: warning: "
                            << "mixed-line-ends" << 0;
    *row("byte-order mark inside")
        << "values.txt" << Plant::ReplaceLine << 2 << QByteArray("\xEF\xBB\xBFhuhuhu") << none
        << "texts/values.txt:2: warning: "
        << "byte-order-mark" << 0;
    *row("one word more") << "values.txt" << Plant::InsertLine << 94 << QByteArray("mirel") << none
                          << "texts/values.txt: error: "
                          << "line-count" << 1;
    *row("overlong UTF-8") << "keys.txt" << Plant::ReplaceLine << 3 << QByteArray("是\xC0\xAF吗")
                           << none << "texts/keys.txt:3: error: byte 0xC0 at column 4"
                           << "invalid-utf8" << 1;
    *row("encoded surrogate") << "keys.txt" << Plant::ReplaceLine << 3
                              << QByteArray("是\xED\xA0\x80吗") << none
                              << "texts/keys.txt:3: error: byte 0xED at column 4"
                              << "invalid-utf8" << 1;
    *row("full-width comma between translations")
        << "cn_phrases.txt" << Plant::ReplaceLine << 2 << QByteArray("禾岚语，禾岚城") << none
        << "texts/cn_phrases.txt:2: warning: "
        << "full-width-separator" << 1;
    *row("tag in capitals") << "wordtype.txt" << Plant::ReplaceLine << 1 << QByteArray("KO.")
                            << none << "0 errors, 0 warnings, 92 entries"
                            << "" << 0;
    *row("phrase translation on a gap line")
        << "cn_phrases.txt" << Plant::ReplaceLine << 64 << QByteArray("多余") << none
        << "texts/cn_phrases.txt:64: warning: "
        << "gap-text" << 0;
    *row("carriage return inside a line")
        << "keys.txt" << Plant::ReplaceLine << 3 << QByteArray("是\r吗") << none
        << "texts/keys.txt:3: warning: carriage return at column 4"
        << "carriage-return" << 0;
    *row("mixed line ends, line 1 the odd one")
        << "keys.txt" << Plant::AppendToLine << 1 << QByteArray("\r") << none
        << "texts/keys.txt:2: warning: "
        << "mixed-line-ends" << 0;
}

void TestVarnellDict::check()
{
    QFETCH(QString, file);
    QFETCH(Plant, plant);
    QFETCH(int, line);
    QFETCH(QByteArray, text);
    QFETCH(QStringList, options);
    QFETCH(QString, expected);
    QFETCH(QString, code);
    QFETCH(int, exitCode);
    const QTemporaryDir folder;
    QVERIFY(copyShippedDictionary(folder.path()));
    QVERIFY(plantMistake(folder.filePath("texts"), file, plant, line, text));

    const QStringList arguments = QStringList{"check", "--texts", "texts"} + options;
    const Run run = runTool(folder.path(), arguments);
    QCOMPARE(run.exitCode, exitCode);
    const QList<QString> lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty());
    QVERIFY(QRegularExpression("^\\d+ errors, \\d+ warnings, \\d+ entries$")
                .match(lines.last())
                .hasMatch());
    const auto found = std::find_if(lines.begin(), lines.end(), [&](const QString &output) {
        return output.startsWith(expected);
    });
    QVERIFY2(found != lines.end(), qPrintable(run.out));
    if (code.isEmpty())
        return;

    // The same finding in JSON, with its code.
    const Run json = runTool(folder.path(), arguments + QStringList{"--json"});
    QCOMPARE(json.exitCode, exitCode);
    QList<QString> fromJson;
    for (const QString &jsonLine : json.out.split(u'\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(jsonLine.toUtf8()).object();
        const QString place = object["line"].isNull()
            ? object["file"].toString()
            : object["file"].toString() + u':' + QString::number(object["line"].toInt());
        fromJson.append(place + ": " + object["severity"].toString() + ": "
                        + object["message"].toString() + " [" + object["code"].toString() + "]");
    }
    QVERIFY2(fromJson.contains(*found + " [" + code + "]"), qPrintable(json.out));
    QCOMPARE(fromJson.size(), lines.size() - 1);
}

// Results the ranking cannot tell apart, in processes whose hashes are seeded differently.
void TestVarnellDict::lookupAnswersTheSameInEveryProcess()
{
    const QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkpath("texts"));
    QVERIFY(!writeDictionaryFiles(folder.filePath("texts"), rowsThatTie()).words.isEmpty());
    const QByteArray queries = "mira\n星光\n9eno\nkalu\nmira zeno\n";
    const Run fixed = runTool(folder.path(), {"lookup", "--json"}, queries, "C.UTF-8", "0");
    QCOMPARE(fixed.exitCode, 0);
    QCOMPARE(fixed.out.count(u'\n'), 5);
    for (int run = 0; run < 4; ++run)
        QCOMPARE(runTool(folder.path(), {"lookup", "--json"}, queries).out, fixed.out);
}

void TestVarnellDict::lookup_data()
{
    QTest::addColumn<QStringList>("queries");
    QTest::addColumn<bool>("fromStdin");

    QTest::newRow("word") << QStringList{"tavu"} << false;
    QTest::newRow("other letter case") << QStringList{"TaVu"} << false;
    QTest::newRow("misspelling") << QStringList{"tauv"} << false;
    QTest::newRow("number with blanks") << QStringList{" 12 "} << false;
    QTest::newRow("Chinese") << QStringList{"禾岚"} << false;
    QTest::newRow("phrase") << QStringList{"tavu huhuhu"} << false;
    QTest::newRow("HTML-looking text") << QStringList{"<b>tavu</b>"} << false;
    QTest::newRow("nothing found") << QStringList{"qqqqqqqq"} << false;
    QTest::newRow("several, from stdin") << QStringList{"ber", "qqqqqqqq", "飞行"} << true;
    QTest::newRow("several as arguments, one not found")
        << QStringList{"ber", "qqqqqqqq", "飞行"} << false;
}

void TestVarnellDict::lookup()
{
    QFETCH(QStringList, queries);
    QFETCH(bool, fromStdin);
    const QTemporaryDir folder;
    QVERIFY(copyShippedDictionary(folder.path()));
    const QList<QString> cards = windowCards(folder.path(), queries);
    ConlangDictionary dictionary;
    {
        const LogCapture quiet;
        QVERIFY(dictionaryformat::loadFolder(dictionary, folder.filePath("texts")));
    }

    const QStringList arguments
        = fromStdin ? QStringList{"lookup"} : QStringList{"lookup"} + queries;
    const QByteArray input = fromStdin ? queries.join(u'\n').toUtf8() + '\n' : QByteArray();
    const Run run = runTool(folder.path(), arguments, input);
    QCOMPARE(run.out, cards.join("\n\n") + u'\n');
    QCOMPARE(run.err, QString());

    const Run json = runTool(folder.path(), arguments + QStringList{"--json"}, input);
    const QList<QString> jsonLines = json.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(jsonLines.size(), queries.size());
    bool allFound = true;
    for (qsizetype i = 0; i < queries.size(); ++i) {
        const QList<SearchResult> results = dictionary.smartSearch(
            ConlangDictionary::isInteger(queries[i]) ? queries[i].trimmed() : queries[i], 10);
        allFound = allFound && !results.isEmpty();
        const QJsonObject object = QJsonDocument::fromJson(jsonLines[i].toUtf8()).object();
        QCOMPARE(object["query"].toString(), queries[i]);
        QList<QString> described;
        for (const QJsonValue value : object["results"].toArray()) {
            const QJsonObject result = value.toObject();
            DictionaryEntry entry{result["word"].toString(),
                                  result["translation"].toString(),
                                  result["partOfSpeech"].toString(),
                                  result["phrases"].toVariant().toStringList(),
                                  result["phraseTranslations"].toVariant().toStringList(),
                                  result["number"].toInt()};
            described.append(describeRecord(entry) + u'|'
                             + describeResult({&entry,
                                               result["matchType"].toString(),
                                               result["score"].toDouble(),
                                               result["highlightInfo"].toString()}));
        }
        QList<QString> expected;
        for (const SearchResult &result : results)
            expected.append(describeRecord(*result.entry) + u'|' + describeResult(result));
        // Results of equal rank come in the order of the dictionary's hash tables, which is
        // another in every process.
        described.sort();
        expected.sort();
        QCOMPARE(described, expected);
    }
    QCOMPARE(run.exitCode, allFound ? 0 : 1);
    QCOMPARE(json.exitCode, run.exitCode);
}

void TestVarnellDict::add_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("plantedWords"); // replaces values.txt unless empty
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("newLines"); // the five files' new last lines, on success

    const QByteArray shipped;
    QTest::newRow("entry with phrases")
        << QStringList{"mirel",
                       "星光",
                       "--tags",
                       "ko.;n.",
                       "--phrase",
                       "mirel tavu",
                       "--phrase-translation",
                       "星光飞行",
                       "--phrase",
                       "ber mirel",
                       "--phrase-translation",
                       "是星光吗"}
        << shipped << 0
        << QStringList{"mirel", "星光", "ko.;n.", "mirel tavu,ber mirel", "星光飞行,是星光吗"};
    QTest::newRow("plain entry") << QStringList{"mirel", "星光"} << shipped << 0
                                 << QStringList{"mirel", "星光", "", "", ""};
    QTest::newRow("word in another letter case")
        << QStringList{"TAVU", "x"} << shipped << 1 << QStringList();
    QTest::newRow("forced") << QStringList{"TAVU", "x", "--force"} << shipped << 0
                            << QStringList{"TAVU", "x", "", "", ""};
    QTest::newRow("phrase without translation")
        << QStringList{"mirel", "星光", "--phrase", "mirel tavu"} << shipped << 1 << QStringList();
    QTest::newRow("separator in a phrase")
        << QStringList{"mirel", "星光", "--phrase", "a,b", "--phrase-translation", "c"} << shipped
        << 1 << QStringList();
    QTest::newRow("line break in the word")
        << QStringList{"mi\nrel", "星光"} << shipped << 1 << QStringList();
    QTest::newRow("no translation") << QStringList{"mirel"} << shipped << 2 << QStringList();
    QTest::newRow("files not lined up")
        << QStringList{"mirel", "星光"} << QByteArray("a\nb\n") << 1 << QStringList();
}

void TestVarnellDict::add()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, plantedWords);
    QFETCH(int, exitCode);
    QFETCH(QStringList, newLines);
    const QTemporaryDir folder;
    QVERIFY(copyShippedDictionary(folder.path()));
    const QString texts = folder.filePath("texts");
    if (!plantedWords.isEmpty())
        QVERIFY(writeBytes(dictionaryformat::filePath(texts, dictionaryformat::File::Words),
                           plantedWords));
    const QList<QByteArray> before = folderBytes(texts);

    const Run run = runTool(folder.path(), QStringList{"add", "--texts", "texts"} + arguments);
    QCOMPARE(run.exitCode, exitCode);
    const QList<QByteArray> after = folderBytes(texts);
    if (exitCode != 0) {
        QCOMPARE(after, before);
        QVERIFY(!run.err.isEmpty());
        return;
    }
    for (int i = 0; i < dictionaryformat::fileCount; ++i)
        QCOMPARE(after[i], before[i] + newLines[i].toUtf8() + '\n');
    QCOMPARE(QDir(texts).entryList(QDir::Files | QDir::Hidden).size(), dictionaryformat::fileCount);
    QCOMPARE(runTool(folder.path(), {"check", "--texts", "texts"}).exitCode,
             arguments.contains("--force") ? 1 : 0);
}

QTEST_MAIN(TestVarnellDict)
#include "tst_varnell_dict.moc"

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
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

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
// `settings` are more environment variables, NAME=VALUE. A program killed by a signal gives the
// exit code -1.
Run runTool(const QString &folder,
            const QStringList &arguments,
            const QByteArray &input = {},
            const QString &language = "C.UTF-8",
            const QStringList &settings = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "QT_HASH_SEED"})
        environment.remove(QString::fromLatin1(name));
    environment.insert("LANG", language);
    // Qt reads the seed of its hashes once, at start-up: QT_HASH_SEED=0 makes it fixed, none
    // random.
    for (const QString &setting : settings)
        environment.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
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
    void killedWrite_data();
    void killedWrite();
    void importGuards_data();
    void importGuards();
    void undoRestores_data();
    void undoRestores();
    void leftOverWrites_data();
    void leftOverWrites();
    void checkSummary_data();
    void checkSummary();
    void systemErrors_data();
    void systemErrors();
    void historyKeepsTheLastTen();
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
    QList<QString> jsonLines = json.out.split(u'\n', Qt::SkipEmptyParts);
    // The summary object comes last.
    QVERIFY(QJsonDocument::fromJson(jsonLines.takeLast().toUtf8()).object().contains("summary"));
    for (const QString &jsonLine : jsonLines) {
        const QJsonObject object = QJsonDocument::fromJson(jsonLine.toUtf8()).object();
        const QString place = object["line"].isNull()
            ? object["file"].toString()
            : object["file"].toString() + u':' + QString::number(object["line"].toInt());
        fromJson.append(place + ": " + object["severity"].toString() + ": "
                        + object["message"].toString() + " [" + object["code"].toString() + "]");
    }
    QVERIFY2(fromJson.contains(*found + " [" + code + "]"), qPrintable(json.out));
    const QRegularExpression findingLine(": (error|warning): ");
    QCOMPARE(fromJson.size(), lines.filter(findingLine).size());
}

// Results the ranking cannot tell apart, in processes whose hashes are seeded differently.
void TestVarnellDict::lookupAnswersTheSameInEveryProcess()
{
    const QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkpath("texts"));
    QVERIFY(!writeDictionaryFiles(folder.filePath("texts"), rowsThatTie()).words.isEmpty());
    const QByteArray queries = "mira\n星光\n9eno\nkalu\nmira zeno\n";
    const Run fixed
        = runTool(folder.path(), {"lookup", "--json"}, queries, "C.UTF-8", {"QT_HASH_SEED=0"});
    QCOMPARE(fixed.exitCode, 0);
    QCOMPARE(fixed.out.count(u'\n'), 5);
    for (int run = 0; run < 4; ++run)
        QCOMPARE(runTool(folder.path(), {"lookup", "--json"}, queries).out, fixed.out);
}

void TestVarnellDict::lookup_data()
{
    QTest::addColumn<QStringList>("queries");
    QTest::addColumn<bool>("fromStdin");
    // Per query, the first of the suggestions as "number|word|kind|phrase", or empty for none.
    QTest::addColumn<QStringList>("suggested");

    const QString none;
    QTest::newRow("word") << QStringList{"tavu"} << false << QStringList{none};
    QTest::newRow("other letter case") << QStringList{"TaVu"} << false << QStringList{none};
    QTest::newRow("misspelling") << QStringList{"tauv"} << false << QStringList{"1|tavu|spelling|"};
    QTest::newRow("number with blanks") << QStringList{" 12 "} << false << QStringList{none};
    QTest::newRow("Chinese") << QStringList{"禾岚"} << false << QStringList{none};
    QTest::newRow("phrase") << QStringList{"tavu huhuhu"} << false << QStringList{none};
    QTest::newRow("HTML-looking text") << QStringList{"<b>tavu</b>"} << false << QStringList{none};
    QTest::newRow("nothing found") << QStringList{"qqqqqqqq"} << false << QStringList{none};
    QTest::newRow("several, from stdin")
        << QStringList{"ber", "qqqqqqqq", "飞行"} << true << QStringList{none, none, none};
    QTest::newRow("several as arguments, one not found")
        << QStringList{"ber", "qqqqqqqq", "飞行"} << false << QStringList{none, none, none};
    QTest::newRow("a phrase translation found nowhere else")
        << QStringList{"我爱你"} << false << QStringList{"9|mo|phrase_translation|mo amo ini"};
    QTest::newRow("traditional characters")
        << QStringList{"飛行", "我愛你", "愛"} << true
        << QStringList{
               "1|tavu|translation|", "9|mo|phrase_translation|mo amo ini", "41|amo|translation|"};
    QTest::newRow("misspelt and found, from stdin")
        << QStringList{"tauv", "tavu", "kalu"} << true
        << QStringList{"1|tavu|spelling|", none, "6|kalo|spelling|"};
}

void TestVarnellDict::lookup()
{
    QFETCH(QStringList, queries);
    QFETCH(bool, fromStdin);
    QFETCH(QStringList, suggested);
    const QTemporaryDir folder;
    QVERIFY(copyShippedDictionary(folder.path()));
    // The window's card, and after it the likeliest of the suggestions, if any.
    QList<QString> cards = windowCards(folder.path(), queries);
    for (qsizetype i = 0; i < cards.size(); ++i) {
        if (!suggested[i].isEmpty())
            cards[i] += "\n您要找的是不是：" + suggested[i].section(u'|', 1, 1);
    }
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
        const QJsonArray suggestions = object["suggestions"].toArray();
        QVERIFY(suggestions.size() <= 10);
        const QJsonObject first = suggestions.isEmpty() ? QJsonObject() : suggestions[0].toObject();
        QCOMPARE(first.isEmpty()
                     ? QString()
                     : QString::number(first["number"].toInt()) + u'|' + first["word"].toString()
                         + u'|' + first["kind"].toString() + u'|' + first["phrase"].toString(),
                 suggested[i]);
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
    QTest::newRow("empty word") << QStringList{" ", "星光"} << shipped << 1 << QStringList();
    // Bytes of the command line that are not UTF-8 reach the program as U+FFFD.
    QTest::newRow("word not UTF-8")
        << QStringList{"mi\uFFFDrel", "星光"} << shipped << 1 << QStringList();
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

// Every command that writes, killed (as kill -9 would) after each step of its write: the next
// command finds the folder wholly as before or wholly as after, and leaves no file behind.
void TestVarnellDict::killedWrite_data()
{
    QTest::addColumn<QStringList>("prepare"); // run first, to the end
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("expectNew"); // the write was committed before the kill

    const QStringList none;
    struct Command
    {
        QStringList prepare;
        QStringList arguments;
        int files; // that the command changes
    };
    const QList<Command> commands{
        {none, {"add", "mirel", "星光"}, 5},
        {none, {"import", "--allow-removals", "table.tsv"}, 5},
        {none,
         {"set", "3", "--word", "mirel", "--phrase", "mirel tavu", "--phrase-translation", "星光"},
         3},
        {none, {"remove", "1", "5"}, 5},
        {{"add", "mirel", "星光"}, {"undo"}, 5},
    };
    for (const auto &[prepare, arguments, files] : commands) {
        // The journal, the new files, the kept old files, the commit, the renames, the journal's
        // removal, the end.
        const int committedAt = files + 3;
        const int lastStep = 2 * files + 5;
        for (int step = 1; step <= lastStep; ++step) {
            QTest::addRow("%s, step %d", qPrintable(arguments.constFirst()), step)
                << prepare << arguments << step << (step >= committedAt);
        }
    }
}

void TestVarnellDict::killedWrite()
{
    QFETCH(QStringList, prepare);
    QFETCH(QStringList, arguments);
    QFETCH(int, step);
    QFETCH(bool, expectNew);
    const QTemporaryDir killed;
    const QTemporaryDir finished;
    QList<QList<QByteArray>> before;
    for (const QTemporaryDir *folder : {&killed, &finished}) {
        QVERIFY(copyShippedDictionary(folder->path()));
        QVERIFY(writeBytes(folder->filePath("table.tsv"),
                           "number\tword\ttranslation\tpartOfSpeech\tphrases\tphraseTranslations\n"
                           "1\ttavu\t飞行\tko.\t\t\n2\tmirel\t星光\t\t\t\n"));
        if (!prepare.isEmpty())
            QCOMPARE(runTool(folder->path(), prepare + QStringList{"--texts", "texts"}).exitCode,
                     0);
        before.append(folderBytes(folder->filePath("texts")));
    }
    const QStringList inTexts = arguments + QStringList{"--texts", "texts"};
    QCOMPARE(runTool(finished.path(), inTexts).exitCode, 0);
    const QList<QByteArray> after = folderBytes(finished.filePath("texts"));
    QVERIFY(after != before.constFirst());

    const QString texts = killed.filePath("texts");
    const QString step_ = "VARNELL_DICT_TEST_KILL_AT_STEP=" + QString::number(step);
    QCOMPARE(runTool(killed.path(), inTexts, {}, "C.UTF-8", {step_}).exitCode, -1);
    const Run next = runTool(killed.path(), {"check", "--texts", "texts"});
    QCOMPARE(folderBytes(texts), expectNew ? after : before.constFirst());
    QVERIFY2(next.err.isEmpty() || next.err.contains(expectNew ? "finished" : "rolled back"),
             qPrintable(next.err));
    QCOMPARE(QDir(texts).entryList(QDir::Files | QDir::Hidden).size(), dictionaryformat::fileCount);
    // The history keeps the write exactly when it was done.
    const Run history = runTool(killed.path(), {"history", "--texts", "texts"});
    QCOMPARE(history.out.count(u'\n'), (prepare.isEmpty() ? 0 : 1) + (expectNew ? 1 : 0));
}

// An import that would lose or garble the dictionary is refused with the folder's bytes unchanged;
// one that is allowed says what it did.
void TestVarnellDict::importGuards_data()
{
    QTest::addColumn<QByteArray>("table"); // empty: the exported dictionary
    QTest::addColumn<QByteArray>("appended"); // to the table
    QTest::addColumn<QByteArray>("replaced"); // "FROM|TO", once, in the table
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expected"); // in stdout on success, in stderr otherwise

    const QByteArray header = "number,word,translation,partOfSpeech,phrases,phraseTranslations\r\n";
    const QByteArray exported;
    const QStringList none;
    const auto row = [](const char *name) { return &QTest::newRow(name); };
    *row("header only") << header << QByteArray() << QByteArray() << none << 1
                        << "t.csv:2: error: the table has no entry rows";
    *row("mistyped number") << exported << QByteArray("1100,mirel,星光,,,\r\n") << QByteArray()
                            << none << 1
                            << "t.csv:95: error: row 95, column 1 (number): entry number 1100 "
                               "would add 1006 empty lines";
    *row("gaps allowed") << exported << QByteArray("1100,mirel,星光,,,\r\n") << QByteArray()
                         << QStringList{"--allow-gaps"} << 0
                         << "imported: 1 added, 0 changed, 0 emptied, 92 unchanged";
    *row("most entries emptied") << header + "1,tavu,飞行,ko.,,\r\n"
                                 << QByteArray() << QByteArray() << none << 1
                                 << "t.csv:1: error: the table would empty 91 of the "
                                    "dictionary's 92 entries";
    *row("removals allowed") << header + "1,tavu,飞行,ko.,,\r\n"
                             << QByteArray() << QByteArray() << QStringList{"--allow-removals"} << 0
                             << "91 emptied";
    *row("repeated word") << exported << QByteArray(",TAVU,x,,,\r\n") << QByteArray() << none << 1
                          << "t.csv:95: error: row 95: \"TAVU\" repeats the word of line 1";
    *row("repeated word, forced") << exported << QByteArray(",TAVU,x,,,\r\n") << QByteArray()
                                  << QStringList{"--force"} << 0 << "1 added";
    *row("phrases and translations unequal")
        << exported << QByteArray(",mirel,星光,,\"a b,c d\",甲\r\n") << QByteArray() << none << 1
        << "t.csv:95: error: row 95: phrases and their translations differ";
    *row("UTF-8 read as a Western character set")
        << exported << QByteArray(",mirel,é£žè¡Œ,,,\r\n") << QByteArray() << none << 1
        << "t.csv:95: error: row 95, column 3 (translation): \"é£žè¡Œ\" is UTF-8 read as a "
           "Western single-byte character set (Windows-1252 or ISO 8859-1); it was probably "
           "\"飞行\"";
    *row("not UTF-8") << exported << QByteArray(",mirel,caf\xE9,,,\r\n") << QByteArray() << none
                      << 1
                      << "t.csv:95: error: row 95, column 3 (translation): bytes that are "
                         "not UTF-8";
    *row("dry run") << exported << QByteArray() << QByteArray("1,tavu,|1,tavo,")
                    << QStringList{"--dry-run"} << 0
                    << "entry 1, values.txt: \"tavu\" -> \"tavo\"\nwould import: 0 added, 1 "
                       "changed, 0 emptied, 91 unchanged (nothing written)";
    *row("one change") << exported << QByteArray() << QByteArray("1,tavu,|1,tavo,") << none << 0
                       << "imported: 0 added, 1 changed, 0 emptied, 91 unchanged";
}

void TestVarnellDict::importGuards()
{
    QFETCH(QByteArray, table);
    QFETCH(QByteArray, appended);
    QFETCH(QByteArray, replaced);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, expected);
    const QTemporaryDir folder;
    QVERIFY(copyShippedDictionary(folder.path()));
    const QString texts = folder.filePath("texts");
    const QString tablePath = folder.filePath("t.csv");
    if (table.isEmpty()) {
        QCOMPARE(runTool(folder.path(), {"export", "--texts", "texts", "t.csv"}).exitCode, 0);
        table = readBytes(tablePath);
    }
    if (!replaced.isEmpty()) {
        const QList<QByteArray> fromTo = replaced.split('|');
        QVERIFY(table.contains(fromTo.at(0)));
        table.replace(table.indexOf(fromTo.at(0)), fromTo.at(0).size(), fromTo.at(1));
    }
    QVERIFY(writeBytes(tablePath, table + appended));
    const QList<QByteArray> before = folderBytes(texts);

    const Run run
        = runTool(folder.path(), QStringList{"import", "--texts", "texts", "t.csv"} + options);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2((exitCode == 0 ? run.out : run.err).contains(expected), qPrintable(run.out + run.err));
    const bool written = exitCode == 0 && !options.contains("--dry-run");
    QCOMPARE(folderBytes(texts) == before, !written);
    QCOMPARE(QDir(texts + "/.varnell-history").exists(), written);
}

// undo after every command that writes restores every byte, and a second undo takes it back.
void TestVarnellDict::undoRestores_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("add") << QStringList{"add", "mirel", "星光"};
    QTest::newRow("set") << QStringList{"set", "2", "--translation", "星光", "--tags", "n."};
    QTest::newRow("remove") << QStringList{"remove", "3", "4"};
    QTest::newRow("import") << QStringList{"import", "--allow-removals", "../t.tsv"};
}

void TestVarnellDict::undoRestores()
{
    QFETCH(QStringList, arguments);
    const QTemporaryDir folder;
    QVERIFY(copyShippedDictionary(folder.path()));
    const QString texts = folder.filePath("texts");
    // CR LF lines and a missing last line end, which a write in normal form would change.
    const QString keys = dictionaryformat::filePath(texts, dictionaryformat::File::Translations);
    QByteArray crLf = readBytes(keys).replace("\n", "\r\n");
    crLf.chop(2);
    QVERIFY(writeBytes(keys, crLf));
    QVERIFY(writeBytes(folder.filePath("t.tsv"),
                       "number\tword\ttranslation\tpartOfSpeech\tphrases\tphraseTranslations\n"
                       "1\tmirel\t星光\t\t\t\n"));
    const QList<QByteArray> before = folderBytes(texts);

    QCOMPARE(runTool(texts, arguments + QStringList{"--texts", "."}).exitCode, 0);
    const QList<QByteArray> after = folderBytes(texts);
    QVERIFY(after != before);
    QCOMPARE(runTool(texts, {"undo", "--texts", "."}).exitCode, 0);
    QCOMPARE(folderBytes(texts), before);
    QCOMPARE(runTool(texts, {"undo", "--texts", "."}).exitCode, 0);
    QCOMPARE(folderBytes(texts), after);
    const Run history = runTool(texts, {"history", "--texts", "."});
    QCOMPARE(history.out.count(u'\n'), 3);
    QVERIFY2(history.out.contains("  undo 2  "), qPrintable(history.out));
}

// What a write can leave behind when the machine stops (and what no write leaves): the next
// command mends it and says so, or refuses to write and check names it.
void TestVarnellDict::leftOverWrites_data()
{
    QTest::addColumn<QByteArray>("journal"); // .varnell-journal, unless empty
    QTest::addColumn<bool>("newFileLeft"); // .values.txt.varnell-new holding "new\n"
    QTest::addColumn<bool>("readOnly"); // values.txt without write permission
    QTest::addColumn<int>("addExitCode");
    QTest::addColumn<QString>("expected"); // in add's stderr, then check's output
    QTest::addColumn<bool>("mended"); // the folder is as before and nothing is left

    const QByteArray newFile = "file %2Fvalues.txt.varnell-new %2Fvalues.txt\n";
    QTest::newRow("new file without a journal (power loss before it reached the disk)")
        << QByteArray() << true << false << 0 << "rolled back" << true;
    QTest::newRow("journal not committed")
        << QByteArray("varnell-write 1\n") << true << false << 0 << "rolled back" << true;
    QTest::newRow("journal torn while written")
        << QByteArray("varnell-write 1\nfile %2Fa") << false << false << 0 << "rolled back" << true;
    QTest::newRow("committed journal that cannot be read")
        << QByteArray("varnell-write 1\nrename a b c d\ncommitted\n") << false << false << 2
        << "interrupted-write" << false;
    QTest::newRow("file without write permission")
        << QByteArray() << false << true << 2 << "values.txt: Permission denied" << true;
}

void TestVarnellDict::leftOverWrites()
{
    QFETCH(QByteArray, journal);
    QFETCH(bool, newFileLeft);
    QFETCH(bool, readOnly);
    QFETCH(int, addExitCode);
    QFETCH(QString, expected);
    QFETCH(bool, mended);
    const QTemporaryDir folder;
    QVERIFY(copyShippedDictionary(folder.path()));
    const QString texts = folder.filePath("texts");
    const QList<QByteArray> before = folderBytes(texts);
    // The journal names files by absolute path.
    if (!journal.isEmpty())
        QVERIFY(
            writeBytes(texts + "/.varnell-journal",
                       QByteArray(journal).replace("%2F", QUrl::toPercentEncoding(texts + u'/'))));
    if (newFileLeft)
        QVERIFY(writeBytes(texts + "/.values.txt.varnell-new", "new\n"));
    const QString values = dictionaryformat::filePath(texts, dictionaryformat::File::Words);
    if (readOnly)
        QVERIFY(QFile::setPermissions(values, QFile::ReadOwner | QFile::ReadGroup));

    const Run add = runTool(folder.path(), {"add", "--texts", "texts", "mirel", "星光"});
    QCOMPARE(add.exitCode, addExitCode);
    const Run check = runTool(folder.path(), {"check", "--texts", "texts"});
    QVERIFY2((add.err + check.out).contains(expected), qPrintable(add.err + check.out));
    if (addExitCode != 0)
        QCOMPARE(folderBytes(texts), before);
    QCOMPARE(QDir(texts).entryList(QDir::Files | QDir::Hidden).size()
                 == dictionaryformat::fileCount,
             mended);
}

// check at any size: one finding per unknown tag, the misalignment first with what follows from
// it counted under it, --max and --only, and the summary by code before the last line.
void TestVarnellDict::checkSummary_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("fromLine"); // the lines from here to the end that hold text are ...
    QTest::addColumn<QByteArray>("text"); // ... replaced by this; empty: the line is removed
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("expected"); // the output's lines, with the last one

    const QStringList none;
    QTest::newRow("one finding per unknown tag")
        << "wordtype.txt" << 11 << QByteArray("v.") << none
        << QStringList{"texts/wordtype.txt:11: warning: part-of-speech tag \"v.\" is not one of: "
                       "ko. kiu. koler. koos. ka. kei. n. (on 82 lines, this the first)",
                       "warning unknown-tag: 1, the first at texts/wordtype.txt:11",
                       "0 errors, 1 warnings, 92 entries"};
    QTest::newRow("at most none shown")
        << "wordtype.txt" << 11 << QByteArray("v.") << QStringList{"--max", "0"}
        << QStringList{"... and 1 more findings (--max)",
                       "warning unknown-tag: 1, the first at texts/wordtype.txt:11",
                       "0 errors, 1 warnings, 92 entries"};
    QTest::newRow("only other codes") << "wordtype.txt" << 11 << QByteArray("v.")
                                      << QStringList{"--only", "duplicate-word,phrase-count"}
                                      << QStringList{"0 errors, 0 warnings, 92 entries"};
    QTest::newRow("a removed line: the misalignment first, what follows counted")
        << "cn_phrases.txt" << 40 << QByteArray()
        << QStringList{"--only", "misaligned,phrase-count"}
        << QStringList{"texts/cn_phrases.txt:40: error: the files seem to stop lining up here: "
                       "from this line on, 19 of 28 lines do not match phrases.txt line for "
                       "line (19 findings about the lines after it follow from it and are not "
                       "listed)",
                       "error misaligned: 1, the first at texts/cn_phrases.txt:40",
                       "1 errors, 0 warnings, 91 entries"};
}

void TestVarnellDict::checkSummary()
{
    QFETCH(QString, file);
    QFETCH(int, fromLine);
    QFETCH(QByteArray, text);
    QFETCH(QStringList, options);
    QFETCH(QStringList, expected);
    const QTemporaryDir folder;
    QVERIFY(copyShippedDictionary(folder.path()));
    const QString path = folder.filePath("texts/" + file);
    QList<QByteArray> lines = readBytes(path).split('\n');
    lines.removeLast(); // after the last line end
    if (text.isEmpty())
        lines.removeAt(fromLine - 1);
    for (qsizetype i = fromLine - 1; !text.isEmpty() && i < lines.size(); ++i) {
        if (!lines[i].isEmpty()) // a gap line stays one
            lines[i] = text;
    }
    QVERIFY(writeBytes(path, lines.join('\n') + '\n'));

    const Run run = runTool(folder.path(), QStringList{"check", "--texts", "texts"} + options);
    QCOMPARE(run.out.split(u'\n', Qt::SkipEmptyParts), expected);
    const Run json
        = runTool(folder.path(), QStringList{"check", "--texts", "texts", "--json"} + options);
    const QJsonObject summary
        = QJsonDocument::fromJson(json.out.split(u'\n', Qt::SkipEmptyParts).constLast().toUtf8())
              .object()["summary"]
              .toObject();
    QCOMPARE(summary["codes"].toArray().size(),
             expected.filter(QRegularExpression("^(error|warning) ")).size());
}

// A failed system call is named with the system's words, and a write that fails before its
// commit leaves the folder as it was; one that fails after it is finished by the next command.
// The failures are made by strace's fault injection.
void TestVarnellDict::systemErrors_data()
{
    QTest::addColumn<QString>("injection"); // strace's -e inject=
    QTest::addColumn<QString>("path"); // in the folder: only the calls on it fail
    QTest::addColumn<QString>("expected"); // in stderr
    QTest::addColumn<bool>("committed");

    QTest::newRow("disk full") << "write:error=ENOSPC"
                               << "texts/.values.txt.varnell-new"
                               << ".values.txt.varnell-new: No space left on device" << false;
    QTest::newRow("flush fails") << "fsync:error=EIO"
                                 << "texts/.keys.txt.varnell-new"
                                 << ".keys.txt.varnell-new: Input/output error" << false;
    QTest::newRow("read-only file system at a rename")
        << "rename:error=EROFS"
        << "texts/.keys.txt.varnell-new"
        << "texts/keys.txt: Read-only file system (the write was committed" << true;
    QTest::newRow("new file forbidden") << "openat:error=EACCES"
                                        << "texts/.phrases.txt.varnell-new"
                                        << ".phrases.txt.varnell-new: Permission denied" << false;
    QTest::newRow("file unreadable") << "openat:error=EACCES"
                                     << "texts/keys.txt"
                                     << "texts/keys.txt: Permission denied" << false;
}

void TestVarnellDict::systemErrors()
{
    QFETCH(QString, injection);
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QFETCH(bool, committed);
    const QString strace = QStandardPaths::findExecutable("strace");
    if (strace.isEmpty() || QProcess::execute(strace, {"-o", "/dev/null", "true"}) != 0)
        QSKIP("strace cannot trace here");
    const QTemporaryDir folder;
    QVERIFY(copyShippedDictionary(folder.path()));
    const QString texts = folder.filePath("texts");
    const QList<QByteArray> before = folderBytes(texts);

    QStringList arguments{"-f", "-o", "/dev/null", "-e", "inject=" + injection};
    // The program names the dictionary's files as given, its new files by their absolute paths.
    arguments << "-P" << path << "-P" << folder.filePath(path);
    QProcess process;
    process.setWorkingDirectory(folder.path());
    // The leak checker of a sanitizer build cannot run in a traced process.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=0");
    process.setProcessEnvironment(environment);
    process.start(
        strace,
        arguments
            + QStringList{
                QStringLiteral(VARNELL_DICT_PROGRAM), "add", "--texts", "texts", "mirel", "星光"});
    QVERIFY(process.waitForFinished(60000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), 2);
    QVERIFY2(err.contains(expected), qPrintable(err));
    const Run next = runTool(folder.path(), {"check", "--texts", "texts"});
    QCOMPARE(folderBytes(texts) == before, !committed);
    QCOMPARE(next.err.contains("finished"), committed);
    QCOMPARE(QDir(texts).entryList(QDir::Files | QDir::Hidden).size(), dictionaryformat::fileCount);
}

void TestVarnellDict::historyKeepsTheLastTen()
{
    const QTemporaryDir folder;
    QVERIFY(copyShippedDictionary(folder.path()));
    for (int i = 1; i <= 12; ++i) {
        const QStringList add{"add", "--texts", "texts", "word" + QString::number(i), "词"};
        QCOMPARE(runTool(folder.path(), add).exitCode, 0);
    }
    const QList<QString> writes = runTool(folder.path(), {"history", "--texts", "texts"})
                                      .out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(writes.size(), 10);
    QVERIFY2(writes.constFirst().startsWith("3  ") && writes.constFirst().contains("add word3"),
             qPrintable(writes.constFirst()));
    QCOMPARE(QDir(folder.filePath("texts/.varnell-history"))
                 .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                 .size(),
             10);
}

QTEST_MAIN(TestVarnellDict)
#include "tst_varnell_dict.moc"

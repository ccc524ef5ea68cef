// varnell-dict, run as a user runs it: the built program on copies of the shipped dictionary.

#include "DictionaryFiles.h"
#include "DictionaryFormat.h"
#include "LogCapture.h"
#include "RequiredTools.h"
#include "WindowTestSupport.h"

#include <QDeadlineTimer>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

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
    return copyDictionaryFiles(QStringLiteral(VARNELL_SHIPPED_TEXTS_DIR), folder);
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

// A CSV table of the shipped dictionary's first `lines` lines, every cell quoted.
QByteArray tableOfFirstLines(int lines)
{
    QList<QList<QByteArray>> files;
    for (const QString &name : dictionaryformat::fileNames())
        files.append(readBytes(QStringLiteral(VARNELL_SHIPPED_TEXTS_DIR "/") + name).split('\n'));
    QByteArray table = "number,word,translation,partOfSpeech,phrases,phraseTranslations\r\n";
    for (int line = 1; line <= lines; ++line) {
        table += QByteArray::number(line);
        for (const QList<QByteArray> &file : files)
            table += ",\"" + QByteArray(file.at(line - 1)).replace("\"", "\"\"") + '"';
        table += "\r\n";
    }
    return table;
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

// The lines of `path` without their line ends ("\r" kept), the last one empty unless the file
// lacks a final line end.
QList<QByteArray> linesOf(const QString &path)
{
    return readBytes(path).split('\n');
}

// An editor's save of line `line` (from 1) of `file` in `texts`: written over the file itself (in
// place, the same file) or, as most editors save, into a new file renamed over it. An empty
// `text` with `remove` takes the line out.
bool saveLine(const QString &texts,
              const QString &file,
              int line,
              const QByteArray &text,
              bool inPlace,
              bool remove = false)
{
    const QString path = texts + u'/' + file;
    QList<QByteArray> lines = linesOf(path);
    if (line < 1 || line > lines.size())
        return false;
    if (remove)
        lines.removeAt(line - 1);
    else
        lines[line - 1] = text;
    if (inPlace)
        return writeBytes(path, lines.join('\n'));
    const QString saved = texts + "/.editor-save";
    return writeBytes(saved, lines.join('\n'))
        && std::rename(qPrintable(saved), qPrintable(path)) == 0;
}

// One step of what an author does to a folder: a varnell-dict command (run in the folder's parent
// with --texts texts), or what another program does ("@edit FILE LINE TEXT" in place, "@save FILE
// LINE TEXT" by renaming, "@delete FILE LINE"), or a look at the files ("@line FILE LINE TEXT",
// "@unchanged": as before the first step; "@old-history": the files kept as an earlier version
// kept them, whole, as write 1; "@old-history linked": as hard links with their stamps; "@crlf
// FILE": its lines ended with CR LF, the last without an end).
struct Step
{
    Step(const QStringList &command = {}, int exitCode = 0, const QString &expected = {})
        : command(command)
        , exitCode(exitCode)
        , expected(expected)
    {
    }
    QStringList command;
    int exitCode = 0;
    QString expected; // in the command's stdout or stderr
};
using Steps = QList<Step>;

// A kill of a write, then the folder copied or moved before the next command.
enum class Relocation { None, Copied, Moved };

// Every file of `folder`, hidden ones and the history included, by relative path.
QMap<QString, QByteArray> everyFile(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), readBytes(path));
    }
    return files;
}

bool copyFolder(const QString &from, const QString &to)
{
    return QProcess::execute("cp", {"-a", from, to}) == 0;
}

// A tool the test needs; in CI (where CI is set) its absence fails the test instead of skipping.
QString requiredTool(const QString &name, const QStringList &trial)
{
    const QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty() || QProcess::execute(path, trial) != 0)
        return {};
    return path;
}
} // namespace

Q_DECLARE_METATYPE(Steps)
Q_DECLARE_METATYPE(Relocation)

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
    void setAndRemove_data();
    void setAndRemove();
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
    void authorsTools_data();
    void authorsTools();
    void readsRaceWrites_data();
    void readsRaceWrites();
    void outsideChange_data();
    void outsideChange();
    void spreadsheetGuard_data();
    void spreadsheetGuard();
    void spreadsheetRoundTrip_data();
    void spreadsheetRoundTrip();
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
                                    << "nowhere does not exist";
    QTest::newRow("no such folder to change")
        << QStringList{"set", "1", "--word", "x", "--texts", "nowhere"} << c << 2 << ""
        << "nowhere does not exist";
    QTest::newRow("a code check does not know")
        << QStringList{"check", "--only", "duplicate-wrod"} << c << 2 << ""
        << "--only: 'duplicate-wrod' is no finding's code; the codes are missing-file";
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
        << "texts/cn_phrases.txt:40: error: the files stop lining up between this line and line 41"
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

// set and remove change the lines of the entries they name and no other byte; a number that
// names no entry, or a field add would refuse, is refused with nothing written.
void TestVarnellDict::setAndRemove_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("changes"); // "FILE:LINE:TEXT" on success, in stderr otherwise

    const QStringList fileNames = dictionaryformat::fileNames();
    const auto emptied = [&](int line) {
        QStringList lines;
        for (const QString &name : fileNames)
            lines.append(name + u':' + QString::number(line) + u':');
        return lines;
    };
    const auto row = [](const char *name) { return &QTest::newRow(name); };
    // The shipped dictionary: 93 lines, entry 1 tavu (four phrases), 2 huhuhu, 92 veral (one
    // phrase), 93 lisan (none), a gap at line 64.
    *row("set the first entry's translation, blanks trimmed")
        << QStringList{"set", "1", "--translation", " 星光 "} << 0
        << QStringList{"keys.txt:1:星光"};
    *row("set the last entry's word, its own in capitals")
        << QStringList{"set", "93", "--word", "LISAN"} << 0 << QStringList{"values.txt:93:LISAN"};
    *row("set the word of another entry") << QStringList{"set", "2", "--word", "Tavu"} << 1
                                          << QStringList{"\"Tavu\" is the word of line 1 already"};
    *row("set the word of another entry, forced")
        << QStringList{"set", "2", "--word", "Tavu", "--force"} << 0
        << QStringList{"values.txt:2:Tavu"};
    *row("set tags") << QStringList{"set", "3", "--tags", " n.;ko. "} << 0
                     << QStringList{"wordtype.txt:3:n.;ko."};
    *row("set phrases and their translations")
        << QStringList{"set",
                       "92",
                       "--phrase",
                       "toro veral",
                       "--phrase-translation",
                       "维拉尔城",
                       "--phrase",
                       "veral mel",
                       "--phrase-translation",
                       "你好维拉尔"}
        << 0
        << QStringList{"phrases.txt:92:toro veral,veral mel",
                       "cn_phrases.txt:92:维拉尔城,你好维拉尔"};
    *row("set --no-phrases") << QStringList{"set", "1", "--no-phrases"} << 0
                             << QStringList{"phrases.txt:1:", "cn_phrases.txt:1:"};
    *row("set a phrase without its translation")
        << QStringList{"set", "93", "--phrase", "lisan mel"} << 1
        << QStringList{"phrases and phrase translations differ in number (1 against 0)"};
    *row("set entry 0") << QStringList{"set", "0", "--word", "mirel"} << 1
                        << QStringList{"'0' is not an entry number from 1 to 93"};
    *row("set past the last entry") << QStringList{"set", "94", "--word", "mirel"} << 1
                                    << QStringList{"'94' is not an entry number from 1 to 93"};
    *row("remove the first and the last entry")
        << QStringList{"remove", "1", "93"} << 0 << emptied(1) + emptied(93);
    *row("remove past the last entry") << QStringList{"remove", "3", "94"} << 1
                                       << QStringList{"'94' is not an entry number from 1 to 93"};
}

void TestVarnellDict::setAndRemove()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QStringList, changes);
    const QTemporaryDir folder;
    QVERIFY(copyShippedDictionary(folder.path()));
    const QString texts = folder.filePath("texts");
    const QList<QByteArray> before = folderBytes(texts);

    const Run run = runTool(folder.path(), arguments + QStringList{"--texts", "texts"});
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode != 0) {
        QCOMPARE(folderBytes(texts), before);
        QVERIFY2(run.err.contains(changes.constFirst()), qPrintable(run.err));
        return;
    }
    QList<QList<QByteArray>> expected;
    for (const QByteArray &bytes : before)
        expected.append(bytes.split('\n'));
    for (const QString &change : changes) {
        const int file = int(dictionaryformat::fileNames().indexOf(change.section(u':', 0, 0)));
        expected[file][change.section(u':', 1, 1).toInt() - 1] = change.section(u':', 2).toUtf8();
    }
    const QList<QByteArray> after = folderBytes(texts);
    for (int i = 0; i < dictionaryformat::fileCount; ++i)
        QCOMPARE(after[i], expected[i].join('\n'));
}

// Every command that writes, killed (as kill -9 would) after each step of its write: the next
// command finds the folder wholly as before or wholly as after, and leaves no file behind.
void TestVarnellDict::killedWrite_data()
{
    QTest::addColumn<QStringList>("prepare"); // run first, to the end
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("expectNew"); // the write was committed before the kill
    // After the kill the folder is copied (a backup, a sync tool, a USB stick) or moved, and the
    // next command runs there.
    QTest::addColumn<Relocation>("relocation");

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
                << prepare << arguments << step << (step >= committedAt) << Relocation::None;
        }
    }
    // Before the commit (the new files written), after it (two files renamed).
    for (const int step : {3, 10}) {
        QTest::addRow("add, step %d, then the folder copied", step)
            << none << QStringList{"add", "mirel", "星光"} << step << (step >= 8)
            << Relocation::Copied;
        QTest::addRow("add, step %d, then the folder moved", step)
            << none << QStringList{"add", "mirel", "星光"} << step << (step >= 8)
            << Relocation::Moved;
    }
}

void TestVarnellDict::killedWrite()
{
    QFETCH(QStringList, prepare);
    QFETCH(QStringList, arguments);
    QFETCH(int, step);
    QFETCH(bool, expectNew);
    QFETCH(Relocation, relocation);
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

    QString texts = killed.filePath("texts");
    const QString step_ = "VARNELL_DICT_TEST_KILL_AT_STEP=" + QString::number(step);
    QCOMPARE(runTool(killed.path(), inTexts, {}, "C.UTF-8", {step_}).exitCode, -1);
    const QMap<QString, QByteArray> original = everyFile(texts);
    const QString moved = killed.filePath("moved");
    if (relocation == Relocation::Copied)
        QVERIFY(copyFolder(texts, moved));
    else if (relocation == Relocation::Moved)
        QVERIFY(QDir().rename(texts, moved));
    if (relocation != Relocation::None)
        texts = moved;
    const Run next
        = runTool(killed.path(), {"check", "--texts", QDir(killed.path()).relativeFilePath(texts)});
    // The copy's command touches nothing of the folder it was copied from.
    if (relocation == Relocation::Copied)
        QCOMPARE(everyFile(killed.filePath("texts")), original);
    QCOMPARE(folderBytes(texts), expectNew ? after : before.constFirst());
    QVERIFY2(next.err.isEmpty() || next.err.contains(expectNew ? "finished" : "rolled back"),
             qPrintable(next.err));
    QCOMPARE(QDir(texts).entryList(QDir::Files | QDir::Hidden).size(), dictionaryformat::fileCount);
    // The history keeps the write exactly when it was done.
    const Run history = runTool(killed.path(), {"history", "--texts", texts});
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
    *row("header only, removals allowed")
        << header << QByteArray() << QByteArray() << QStringList{"--allow-removals"} << 1
        << "t.csv:2: error: the table has no entry rows";
    *row("most entries emptied, forced") << header + "1,tavu,飞行,ko.,,\r\n"
                                         << QByteArray() << QByteArray() << QStringList{"--force"}
                                         << 1 << "would empty 91 of the dictionary's 92 entries";
    *row("exactly half emptied") << tableOfFirstLines(46) << QByteArray() << QByteArray() << none
                                 << 0 << "imported: 0 added, 0 changed, 46 emptied, 46 unchanged";
    *row("half and one emptied") << tableOfFirstLines(45) << QByteArray() << QByteArray() << none
                                 << 1
                                 << "t.csv:1: error: the table would empty 47 of the "
                                    "dictionary's 92 entries";
    *row("a number adding 1000 empty lines")
        << exported << QByteArray("1094,mirel,星光,,,\r\n") << QByteArray() << none << 0
        << "imported: 1 added, 0 changed, 0 emptied, 92 unchanged";
    *row("a number adding 1001 empty lines")
        << exported << QByteArray("1095,mirel,星光,,,\r\n") << QByteArray() << none << 1
        << "t.csv:95: error: row 95, column 1 (number): entry number 1095 would add 1001 empty "
           "lines";
    *row("an empty row numbered 1094: 1001 empty lines")
        << exported << QByteArray("1094,,,,,\r\n") << QByteArray() << none << 1
        << "entry number 1094 would add 1001 empty lines";
    *row("a translation emptied: a change, and a warning only")
        << exported << QByteArray() << QByteArray("1,tavu,飞行,|1,tavu,,") << none << 0
        << "imported: 0 added, 1 changed, 0 emptied, 91 unchanged";
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
// command, whichever it is, mends it and says so, or refuses to write and check names it.
void TestVarnellDict::leftOverWrites_data()
{
    QTest::addColumn<QByteArray>("journal"); // .varnell-journal, unless empty
    // .values.txt.varnell-new: values.txt with "zelmira" for the word of line 1
    QTest::addColumn<bool>("newFileLeft");
    QTest::addColumn<bool>("readOnly"); // values.txt without write permission
    QTest::addColumn<QStringList>("command"); // the next command, run with --texts texts
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expected"); // in the command's stderr, then check's output
    // Where the command shows the files it read holding "zelmira": "-" its output, or a file it
    // writes; empty: nowhere.
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("mended"); // nothing is left beside the five files

    const QStringList add{"add", "mirel", "星光"};
    QTest::newRow("new file without a journal (power loss before it reached the disk)")
        << QByteArray() << true << false << add << 0 << "rolled back"
        << "" << true;
    QTest::newRow("journal not committed")
        << QByteArray("varnell-write 2\n") << true << false << add << 0 << "rolled back"
        << "" << true;
    QTest::newRow("journal torn while written")
        << QByteArray("varnell-write 2\nfile %2Fa") << false << false << add << 0 << "rolled back"
        << "" << true;
    QTest::newRow("committed journal that cannot be read")
        << QByteArray("varnell-write 1\nrename a b c d\ncommitted\n") << false << false << add << 2
        << "interrupted-write"
        << "" << false;
    QTest::newRow("file without write permission")
        << QByteArray() << false << true << add << 2 << "values.txt: Permission denied"
        << "" << true;
    // A command that writes would write over what is left, so one that only reads shows whether
    // it was cleared away.
    const QStringList lookup{"lookup", "tavu"};
    QTest::newRow("new file without a journal, then lookup")
        << QByteArray() << true << false << lookup << 0 << "rolled back"
        << "" << true;
    QTest::newRow("journal not committed, then lookup")
        << QByteArray("varnell-write 2\n"
                      "file %2F.values.txt.varnell-new %2Fvalues.txt\n")
        << true << false << lookup << 0 << "rolled back"
        << "" << true;
    QTest::newRow("journal not committed, then an add refused")
        << QByteArray("varnell-write 2\n"
                      "file %2F.values.txt.varnell-new %2Fvalues.txt\n")
        << true << false << QStringList{"add", "tavu", "x"} << 1 << "rolled back"
        << "" << true;
    // A write interrupted after its commit is finished before any command reads the files.
    const QByteArray committed
        = "varnell-write 2\nfile %2F.values.txt.varnell-new %2Fvalues.txt\ncommitted\n";
    const auto finishedBefore
        = [&](const char *name, const QStringList &command, const char *shown) {
              QTest::addRow("committed write, then %s", name)
                  << committed << true << false << command << 0 << "finished" << shown << true;
          };
    finishedBefore("add", add, "texts/values.txt");
    finishedBefore("check", {"check"}, "");
    finishedBefore("lookup", {"lookup", "zelmira"}, "-");
    finishedBefore("export of a table", {"export", "out.csv"}, "out.csv");
    finishedBefore("export for a reader", {"export", "--format", "anki", "out.txt"}, "out.txt");
    finishedBefore("publish", {"publish", "out"}, "out/dictionary-data.js");
    // An earlier version named the files by absolute path ("varnell-write 1"): followed where it
    // names this folder's files, never in another folder (%2F stands for this folder, %3F for
    // the folder it was copied from).
    QTest::newRow("earlier version's journal, committed, in place")
        << QByteArray("varnell-write 1\nfile %2F.values.txt.varnell-new %2Fvalues.txt\ncommitted\n")
        << true << false << add << 0 << "finished a write"
        << "texts/values.txt" << true;
    QTest::newRow("earlier version's journal, committed, copied from elsewhere")
        << QByteArray("varnell-write 1\nfile %3F.values.txt.varnell-new %3Fvalues.txt\ncommitted\n")
        << true << false << add << 2 << "this folder was copied or moved from there"
        << "" << false;
    QTest::newRow("earlier version's journal, not committed, copied from elsewhere")
        << QByteArray("varnell-write 1\nfile %3F.values.txt.varnell-new %3Fvalues.txt\n") << true
        << false << add << 0 << "rolled back"
        << "" << true;
}

void TestVarnellDict::leftOverWrites()
{
    QFETCH(QByteArray, journal);
    QFETCH(bool, newFileLeft);
    QFETCH(bool, readOnly);
    QFETCH(QStringList, command);
    QFETCH(int, exitCode);
    QFETCH(QString, expected);
    QFETCH(QString, shown);
    QFETCH(bool, mended);
    const QTemporaryDir folder;
    QVERIFY(copyShippedDictionary(folder.path()));
    const QString texts = folder.filePath("texts");
    const QList<QByteArray> before = folderBytes(texts);
    const QTemporaryDir elsewhere;
    if (!journal.isEmpty()) {
        QByteArray text = journal;
        if (text.startsWith("varnell-write 2")) // paths relative to the folder
            text.replace("%2F", "");
        text.replace("%2F", QUrl::toPercentEncoding(texts + u'/'));
        text.replace("%3F", QUrl::toPercentEncoding(elsewhere.filePath("texts/")));
        QVERIFY(copyShippedDictionary(elsewhere.path()));
        QVERIFY(writeBytes(texts + "/.varnell-journal", text));
    }
    const QString values = dictionaryformat::filePath(texts, dictionaryformat::File::Words);
    if (newFileLeft) {
        const QByteArray words = readBytes(values);
        QVERIFY(writeBytes(texts + "/.values.txt.varnell-new",
                           "zelmira" + words.mid(words.indexOf('\n'))));
    }
    if (readOnly)
        QVERIFY(QFile::setPermissions(values, QFile::ReadOwner | QFile::ReadGroup));

    const Run run = runTool(folder.path(), command + QStringList{"--texts", "texts"});
    QCOMPARE(run.exitCode, exitCode);
    const Run check = runTool(folder.path(), {"check", "--texts", "texts"});
    QVERIFY2((run.err + check.out).contains(expected), qPrintable(run.err + check.out));
    // What the command mended it mended whole: the check after it finds nothing more to mend.
    if (mended)
        QVERIFY2(!check.err.contains("rolled back") && !check.err.contains("finished"),
                 qPrintable(check.err));
    if (exitCode != 0)
        QCOMPARE(folderBytes(texts), before);
    if (!shown.isEmpty()) {
        const QString output
            = shown == "-" ? run.out : QString::fromUtf8(readBytes(folder.filePath(shown)));
        QVERIFY2(output.contains("zelmira"), qPrintable(output.left(2000)));
    }
    // Nothing left over: the five files (and the identity an Anki export keeps beside them).
    QStringList files = QDir(texts).entryList(QDir::Files | QDir::Hidden);
    files.removeAll(".varnell-identity");
    QCOMPARE(files.size() == dictionaryformat::fileCount, mended);
    // The folder it was copied from is never touched.
    if (!journal.isEmpty())
        QCOMPARE(everyFile(elsewhere.filePath("texts")).size(), dictionaryformat::fileCount);
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
        << QStringList{"texts/cn_phrases.txt:40: error: the files stop lining up here: the lines "
                       "before this one match values.txt, keys.txt, wordtype.txt, phrases.txt "
                       "line for line, this one and those after it match the lines of those "
                       "files one line further on (19 findings about the lines after it follow "
                       "from it and are not listed)",
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
                               << "texts/values.txt: No space left on device (nothing was written)"
                               << false;
    QTest::newRow("flush fails") << "fsync:error=EIO"
                                 << "texts/.keys.txt.varnell-new"
                                 << "texts/keys.txt: Input/output error (nothing was written)"
                                 << false;
    QTest::newRow("read-only file system at a rename")
        << "rename:error=EROFS"
        << "texts/.keys.txt.varnell-new"
        << "texts/keys.txt: Read-only file system (the write was committed" << true;
    QTest::newRow("new file forbidden")
        << "openat:error=EACCES"
        << "texts/.phrases.txt.varnell-new"
        << "texts/phrases.txt: Permission denied (nothing was written)" << false;
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
        VARNELL_SKIP_WITHOUT("strace cannot trace here: bash scripts/setup.sh installs it");
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

// What an author's everyday tools do to a folder, step by step: the commands, an editor's saves
// (in place or by renaming a new file over the old), and what each step says.
void TestVarnellDict::authorsTools_data()
{
    QTest::addColumn<Steps>("steps");

    const QString index = "/usr/share/dictd/freedict-epo-eng.index";
    const QString dict = "/usr/share/dictd/freedict-epo-eng.dict.dz";
    QTest::newRow("add says the new entry's number; undo keeps an edit made in place elsewhere")
        << Steps{{{"add", "mirel", "星光"}, 0, "added entry 94: mirel"},
                 {{"@edit", "keys.txt", "10", "EDIT"}},
                 {{"undo"}, 0, "restored the files as they were before write 1 (add mirel)"},
                 {{"@line", "keys.txt", "10", "EDIT"}},
                 {{"@line", "values.txt", "94", "-"}}};
    QTest::newRow("undo refuses a line changed since and names it; --force puts it back")
        << Steps{{{"add", "mirel", "星光"}, 0, ""},
                 {{"@save", "keys.txt", "94", "改过"}},
                 {{"undo"}, 1, "lines it changed were changed again since: entry 94 (keys.txt)"},
                 {{"@line", "keys.txt", "94", "改过"}},
                 {{"undo", "--force"}, 0, "put back lines that were changed again since"},
                 {{"@unchanged"}}};
    QTest::newRow("an editor's save in place breaks no other write's undo")
        << Steps{{{"set", "5", "--translation", "五"}, 0, ""},
                 {{"add", "mirel", "星光"}, 0, ""},
                 {{"@edit", "keys.txt", "20", "EDIT"}},
                 {{"undo", "1"}, 0, "before write 1 (set 5)"},
                 {{"@line", "keys.txt", "5", "有"}},
                 {{"@line", "keys.txt", "20", "EDIT"}},
                 {{"@line", "values.txt", "94", "mirel"}}};
    QTest::newRow("undo of a write with lines added after it, then in turn")
        << Steps{{{"add", "mirel", "星光"}, 0, ""},
                 {{"add", "solen", "太阳"}, 0, "added entry 95: solen"},
                 {{"undo", "1"},
                  1,
                  "again since: entry 95 (values.txt, keys.txt, wordtype.txt, phrases.txt, "
                  "cn_phrases.txt). Nothing was written"},
                 {{"undo"}, 0, ""},
                 {{"undo", "1"}, 0, ""},
                 {{"@unchanged"}}};
    QTest::newRow("whole files kept by an earlier version are listed and restored") << Steps{
        {{"@old-history"}},
        {{"@edit", "keys.txt", "3", "OLD WRITE"}},
        {{"history"}, 0, "1  2024-05-01T10:00:00Z  add old  entries changed: 1  (whole files"},
        {{"undo"}, 0, "restored the files as they were before write 1 (add old)"},
        {{"@unchanged"}},
        {{"history"}, 0, "2  "}};
    QTest::newRow("an earlier version's kept files, saved in place through their links, stay")
        << Steps{{{"@old-history", "linked"}},
                 // As long as the line it replaces: only the time of the change tells.
                 {{"@edit", "keys.txt", "3", "否；吗"}},
                 {{"undo"}, 1, "were changed since (by a program that writes files in place)"},
                 {{"@line", "keys.txt", "3", "否；吗"}}};
    QTest::newRow("undo ends a line that had no end as the file ends its lines, CR LF")
        << Steps{{{"@crlf", "keys.txt"}},
                 {{"set", "93", "--translation", "新"}, 0, ""},
                 {{"add", "mirel", "星光"}, 0, ""},
                 {{"undo", "1"}, 0, "before write 1 (set 93)"},
                 {{"@line", "keys.txt", "93", "丽珊\r"}},
                 {{"@line", "keys.txt", "94", "星光"}}};
    QTest::newRow("set changes fields of an entry whose word repeats another's")
        << Steps{{{"add", "TAVU", "x", "--force"}, 0, ""},
                 {{"set", "94", "--translation", "新"}, 0, ""},
                 {{"set", "94", "--word", "Tavu"}, 0, ""},
                 {{"set", "5", "--word", "tavu"}, 1, "\"tavu\" is the word of line 1 already"},
                 {{"@line", "keys.txt", "94", "新"}}};
    QTest::newRow("import changes a line beside an error the folder had: not refused for it")
        << Steps{{{"add", "TAVU", "x", "--force"}, 0, ""},
                 {{"export", "t.tsv"}, 0, ""},
                 {{"@edit", "../t.tsv", "3", "2\tmirel\t星光\t\t\t"}},
                 {{"import", "t.tsv"}, 0, "imported: 0 added, 1 changed, 0 emptied, 92 unchanged"},
                 {{"@line", "values.txt", "2", "mirel"}}};
    QTest::newRow("generate and convert-freedict refuse a folder that holds a dictionary") << Steps{
        {{"generate", "10", "1"}, 1, "texts holds a dictionary already; nothing was written"},
        {{"convert-freedict", index, dict}, 1, "holds a dictionary already"},
        {{"@unchanged"}},
        {{"generate", "10", "1", "--force"}, 0, ""},
        {{"@line", "values.txt", "12", "-"}},
        {{"undo"}, 0, "(write)"},
        {{"@unchanged"}}};
    QTest::newRow("export and publish refuse files that do not line up")
        << Steps{{{"@delete", "keys.txt", "30"}},
                 {{"export", "t.csv"}, 1, "the files of texts do not line up"},
                 {{"export", "t.csv"}, 1, "texts/keys.txt: error: line count 92"},
                 {{"export", "--format", "anki", "notes.txt"}, 1, "nothing was written"},
                 {{"publish", "web"}, 1, "do not line up"},
                 {{"export", "t.csv", "--force"}, 0, "written all the same (--force)"},
                 // Line 29 of keys.txt fits line 29 and line 30 of values.txt alike.
                 {{"check"},
                  1,
                  "texts/keys.txt:29: error: the files stop lining up between this "
                  "line and line 30"}};
    QTest::newRow("a row without a number goes after the last line, not into an emptied one")
        << Steps{{{"@write",
                   "t.tsv",
                   "number\tword\ttranslation\tpartOfSpeech\tphrases\tphraseTranslations\n"
                   "1\ttavu\t飞行\tka.\t\t\n\tmirel\t星光\t\t\t\n"}},
                 {{"import", "--allow-removals", "t.tsv"}, 0, "1 added, 1 changed, 91 emptied"},
                 {{"@line", "values.txt", "94", "mirel"}},
                 {{"@line", "values.txt", "2", ""}}};
}

void TestVarnellDict::authorsTools()
{
    QFETCH(Steps, steps);
    const QTemporaryDir folder;
    QVERIFY(copyShippedDictionary(folder.path()));
    const QString texts = folder.filePath("texts");
    const QList<QByteArray> before = folderBytes(texts);
    for (const Step &step : steps) {
        const QStringList &command = step.command;
        const QString what = command.join(u' ');
        if (command.constFirst() == "@edit" || command.constFirst() == "@save") {
            QVERIFY2(saveLine(texts,
                              command.at(1),
                              command.at(2).toInt(),
                              command.at(3).toUtf8(),
                              command.constFirst() == "@edit"),
                     qPrintable(what));
        } else if (command.constFirst() == "@crlf") {
            const QString path = texts + u'/' + command.at(1);
            QByteArray crLf = readBytes(path).replace("\n", "\r\n");
            crLf.chop(2);
            QVERIFY(writeBytes(path, crLf));
        } else if (command.constFirst() == "@delete") {
            QVERIFY(saveLine(texts, command.at(1), command.at(2).toInt(), {}, true, true));
        } else if (command.constFirst() == "@write") {
            QVERIFY(writeBytes(folder.filePath(command.at(1)), command.at(2).toUtf8()));
        } else if (command.constFirst() == "@line") {
            const QList<QByteArray> lines = linesOf(texts + u'/' + command.at(1));
            const int line = command.at(2).toInt();
            // The last piece after the final line end is no line.
            const bool exists = line < lines.size();
            QCOMPARE(exists ? QString::fromUtf8(lines.at(line - 1)) : QString("-"), command.at(3));
        } else if (command.constFirst() == "@unchanged") {
            QCOMPARE(folderBytes(texts), before);
        } else if (command.constFirst() == "@old-history") {
            const QString kept = texts + "/.varnell-history/000001";
            QVERIFY(QDir().mkpath(kept));
            // "linked": hard links, each with its size and time of change, as that version kept
            // them where it could; an editor's save in place then changes the kept file too.
            const bool linked = command.size() > 1;
            QByteArray about = "time 2024-05-01T10:00:00Z\ncommand add%20old\nentries 1\n";
            for (const QString &name : dictionaryformat::fileNames()) {
                const QString from = texts + u'/' + name;
                const QString to = kept + u'/' + name;
                if (!linked) {
                    QVERIFY(QFile::copy(from, to));
                    continue;
                }
                QCOMPARE(::link(qPrintable(from), qPrintable(to)), 0);
                struct stat status;
                QCOMPARE(::stat(qPrintable(to), &status), 0);
                about += "file " + QUrl::toPercentEncoding(name) + ' '
                    + QByteArray::number(qint64(status.st_size)) + ' '
                    + QByteArray::number(qint64(status.st_mtim.tv_sec) * 1000000000
                                         + qint64(status.st_mtim.tv_nsec))
                    + '\n';
            }
            QVERIFY(writeBytes(kept + "/write.txt", about));
        } else {
            const Run run = runTool(folder.path(), command + QStringList{"--texts", "texts"});
            QVERIFY2(run.exitCode == step.exitCode,
                     qPrintable(what + ": exit " + QString::number(run.exitCode) + "\n" + run.out
                                + run.err));
            QVERIFY2((run.out + run.err).contains(step.expected),
                     qPrintable(what + ":\n" + run.out + run.err));
        }
    }
    // Nothing is left beside the files.
    QCOMPARE(QDir(texts).entryList(QDir::Files | QDir::Hidden).size(), dictionaryformat::fileCount);
}

// Commands that read a folder while imports switch it between two versions again and again: each
// read sees one whole version, never a mix and never a write half done; adds at the same time
// all succeed, one after the other.
void TestVarnellDict::readsRaceWrites_data()
{
    QTest::addColumn<QStringList>("reader"); // empty: eight adds at once

    QTest::newRow("export") << QStringList{"export", "x.tsv"};
    QTest::newRow("check") << QStringList{"check", "--max", "3"};
    QTest::newRow("eight adds at once") << QStringList{};
}

void TestVarnellDict::readsRaceWrites()
{
    QFETCH(QStringList, reader);
    const QTemporaryDir folder;
    const QString texts = folder.filePath("texts");
    QCOMPARE(runTool(folder.path(), {"generate", "3000", "7", "texts"}).exitCode, 0);
    if (reader.isEmpty()) {
        QList<QProcess *> adds;
        for (int i = 0; i < 8; ++i) {
            auto *add = new QProcess(this);
            add->setWorkingDirectory(folder.path());
            add->start(VARNELL_DICT_PROGRAM,
                       {"add", "--texts", "texts", "zzadd" + QString::number(i), "词"});
            adds.append(add);
        }
        for (QProcess *add : std::as_const(adds)) {
            QVERIFY(add->waitForFinished(60000));
            QVERIFY2(add->exitCode() == 0, add->readAllStandardError().constData());
        }
        qDeleteAll(adds);
        for (const QString &path : dictionaryformat::filePaths(texts))
            QCOMPARE(linesOf(path).size(), 3000 + 8 + 1);
        QCOMPARE(runTool(folder.path(), {"check", "--texts", "texts"}).exitCode, 0);
        return;
    }
    // Version 0 as exported, version 1 with every cell changed.
    QCOMPARE(runTool(folder.path(), {"export", "--texts", "texts", "v0.tsv"}).exitCode, 0);
    QList<QByteArray> rows = readBytes(folder.filePath("v0.tsv")).split('\n');
    for (qsizetype i = 1; i < rows.size(); ++i) {
        QList<QByteArray> cells = rows[i].split('\t');
        for (qsizetype c = 1; c < cells.size(); ++c) {
            if (!cells[c].isEmpty() && !cells[c].startsWith('"'))
                cells[c] += "q";
        }
        rows[i] = cells.join('\t');
    }
    QVERIFY(writeBytes(folder.filePath("v1.tsv"), rows.join('\n')));
    const auto importing = [&](const QString &table) {
        return QStringList{"import", "--force", "--texts", "texts", table};
    };
    QCOMPARE(runTool(folder.path(), importing("v1.tsv")).exitCode, 0);
    QCOMPARE(runTool(folder.path(), {"export", "--texts", "texts", "e1.tsv"}).exitCode, 0);
    QCOMPARE(runTool(folder.path(), importing("v0.tsv")).exitCode, 0);
    const QByteArray version0 = readBytes(folder.filePath("v0.tsv"));
    const QByteArray version1 = readBytes(folder.filePath("e1.tsv"));

    // strace holds each rename of the imports for a tenth of a second, so that the moment between
    // a write's first file and its last, when a reader without the lock would read a mix, lasts
    // long enough to be met every time.
    const QString strace = requiredTool("strace", {"-o", "/dev/null", "true"});
    if (strace.isEmpty() && qEnvironmentVariableIsSet("CI"))
        QFAIL("strace cannot trace here; CI needs it (scripts/setup.sh installs it)");
    if (strace.isEmpty())
        qInfo("strace is not installed: the writes are not slowed down, so a mix is met seldom");
    const QString slowly = strace.isEmpty()
        ? QString()
        : QString("'%1' -f -o /dev/null -e trace=rename,renameat,renameat2 -e "
                  "inject=rename,renameat,renameat2:delay_exit=100000 ")
              .arg(strace);
    QProcess writer;
    writer.setWorkingDirectory(folder.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=0");
    writer.setProcessEnvironment(environment);
    const QString import = slowly
        + QString("'%1' import --force --texts texts ").arg(QStringLiteral(VARNELL_DICT_PROGRAM));
    writer.start("sh",
                 {"-c",
                  QString("for i in 1 2 3 4; do %1v1.tsv >/dev/null && %1v0.tsv >/dev/null || "
                          "exit 1; done")
                      .arg(import)});
    int rounds = 0;
    bool written = false;
    // waitForFinished(0) takes the writer's news, which no event loop does here.
    while (
        !(written = written || writer.waitForFinished(0) || writer.state() == QProcess::NotRunning)
        || rounds < 3) {
        const Run run = runTool(folder.path(), reader + QStringList{"--texts", "texts"});
        ++rounds;
        QVERIFY2(!run.err.contains("line count") && !run.out.contains("line count")
                     && !run.out.contains("misaligned"),
                 qPrintable(run.out + run.err));
        if (reader.constFirst() == "export") {
            QCOMPARE(run.exitCode, 0);
            const QByteArray exported = readBytes(folder.filePath("x.tsv"));
            QVERIFY2(exported == version0 || exported == version1,
                     qPrintable(QString("round %1: a mix of two versions").arg(rounds)));
        } else {
            QVERIFY2(run.exitCode == 0 || run.out.contains(" 0 errors"), qPrintable(run.out));
        }
    }
    QCOMPARE(writer.exitStatus(), QProcess::NormalExit);
    QCOMPARE(writer.exitCode(), 0);
    qInfo("%d reads while 8 imports ran", rounds);
}

// Another program saves a file while a command writes the folder, after the command read it and
// before its commit: strace holds the write's first flush (its journal's) while the test saves.
// The write is refused and writes nothing; the other program's save is kept.
void TestVarnellDict::outsideChange_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("inPlace");

    QTest::newRow("add; keys.txt saved by renaming")
        << QStringList{"add", "mirel", "星光"} << "keys.txt" << false;
    QTest::newRow("add; keys.txt written in place")
        << QStringList{"add", "mirel", "星光"} << "keys.txt" << true;
    QTest::newRow("set; values.txt saved by renaming")
        << QStringList{"set", "5", "--translation", "五"} << "values.txt" << false;
    QTest::newRow("undo; values.txt written in place")
        << QStringList{"undo"} << "values.txt" << true;
}

void TestVarnellDict::outsideChange()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(bool, inPlace);
    const QString strace = requiredTool("strace", {"-o", "/dev/null", "true"});
    if (strace.isEmpty() && qEnvironmentVariableIsSet("CI"))
        QFAIL("strace cannot trace here; CI needs it (scripts/setup.sh installs it)");
    if (strace.isEmpty())
        QSKIP("strace is not installed or cannot trace here: the row is not run");
    const QTemporaryDir folder;
    QVERIFY(copyShippedDictionary(folder.path()));
    const QString texts = folder.filePath("texts");
    if (arguments.constFirst() == "undo")
        QCOMPARE(
            runTool(folder.path(), {"set", "3", "--word", "bero", "--texts", "texts"}).exitCode, 0);
    const QList<QByteArray> before = folderBytes(texts);
    const qsizetype kept
        = QDir(texts + "/.varnell-history").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();

    QProcess process;
    process.setWorkingDirectory(folder.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=0");
    environment.insert("LANG", "C.UTF-8");
    process.setProcessEnvironment(environment);
    process.start(strace,
                  QStringList{"-f",
                              "-o",
                              "/dev/null",
                              "-e",
                              "trace=fsync",
                              "-e",
                              "inject=fsync:delay_enter=1500000:when=1",
                              QStringLiteral(VARNELL_DICT_PROGRAM)}
                      + arguments + QStringList{"--texts", "texts"});
    QDeadlineTimer deadline(20000);
    while (!QFileInfo::exists(texts + "/.varnell-journal") && !deadline.hasExpired()
           && process.state() != QProcess::NotRunning)
        QTest::qWait(5);
    QVERIFY2(QFileInfo::exists(texts + "/.varnell-journal"), "the write never began");
    QVERIFY(saveLine(texts, file, 2, "另一个程序", inPlace));
    const QList<QByteArray> saved = folderBytes(texts);
    QVERIFY(process.waitForFinished(60000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), 2);
    QVERIFY2(err.contains("texts/" + file + ": changed while writing; nothing written"),
             qPrintable(err));
    QCOMPARE(folderBytes(texts), saved);
    QVERIFY(saved != before);
    QCOMPARE(QDir(texts).entryList(QDir::Files | QDir::Hidden).size(), dictionaryformat::fileCount);
    QCOMPARE(QDir(texts + "/.varnell-history").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(),
             kept);
}

// import refuses a cell changed as a spreadsheet changes text (entry 4's cell was BEFORE, the
// table has AFTER), with the row, the column, both texts and the setting that keeps it; every such
// row in one run, up to --max; an ordinary edit, or --force, is imported.
void TestVarnellDict::spreadsheetGuard_data()
{
    QTest::addColumn<int>("column"); // 2 word, 3 translation
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("moreRows"); // entries 5, 6 ... changed alike
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expected"); // in stderr, or stdout on success

    const QStringList none;
    const auto row = [](const char *name) { return &QTest::newRow(name); };
    *row("leading zeros") << 2 << "0012"
                          << "12" << none << 0 << 1
                          << "t.tsv:5: error: row 5, column 2 (word): \"0012\" became \"12\": its "
                             "leading zeros were dropped, as a spreadsheet does to a number; open "
                             "the table with the column's type set to Text";
    *row("a word of digits") << 2 << "007"
                             << "7" << none << 0 << 1 << "leading zeros were dropped";
    *row("a trailing zero") << 3 << "1.10"
                            << "1.1" << none << 0 << 1
                            << "row 5, column 3 (translation): \"1.10\" became \"1.1\": it was "
                               "written as another number";
    *row("a plus sign") << 3 << "+5"
                        << "5" << none << 0 << 1 << "written as another number";
    *row("E notation") << 3 << "1e5"
                       << "1.00E+05" << none << 0 << 1 << "another number";
    *row("twenty digits") << 2 << "12345678901234567890"
                          << "1.23456789012346E+019" << none << 0 << 1 << "another number";
    *row("thousands separator") << 3 << "1000"
                                << "1,000" << none << 0 << 1 << "another number";
    *row("a fraction made a date")
        << 3 << "3/4"
        << "03/04/26" << none << 0 << 1 << "\"3/4\" became \"03/04/26\": it became a date";
    *row("a month and day made a date") << 3 << "Jan 5"
                                        << "01/05/26" << none << 0 << 1 << "it became a date";
    *row("a formula's result") << 3 << "=SUM(1;2)"
                               << "3" << none << 0 << 1
                               << "took it for a formula and kept its result";
    *row("a truth value") << 2 << "false"
                          << "FALSE" << none << 0 << 1 << "took it for a truth value";
    *row("Chinese saved as Windows-1252") << 3 << "星光"
                                          << "??" << none << 0 << 1
                                          << "its characters became '?': the table was saved in a "
                                             "character set without them; save the table with the "
                                             "character set Unicode (UTF-8)";
    *row("every such row in one run")
        << 2 << "0012"
        << "12" << none << 2 << 1 << "t.tsv:7: error: row 7, column 2 (word)";
    *row("up to --max") << 2 << "0012"
                        << "12" << QStringList{"--max", "2"} << 2 << 1
                        << "3 rows refused, the first 2 listed (--max N lists more)";
    *row("forced") << 2 << "0012"
                   << "12" << QStringList{"--force"} << 0 << 0 << "1 changed";
    *row("an ordinary edit of a number") << 3 << "12"
                                         << "13" << none << 0 << 0 << "1 changed";
    *row("an ordinary edit of a word") << 2 << "ini"
                                       << "ino" << none << 0 << 0 << "1 changed";
}

void TestVarnellDict::spreadsheetGuard()
{
    QFETCH(int, column);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QStringList, options);
    QFETCH(int, moreRows);
    QFETCH(int, exitCode);
    QFETCH(QString, expected);
    const QTemporaryDir folder;
    QVERIFY(copyShippedDictionary(folder.path()));
    const QString texts = folder.filePath("texts");
    const QString field = column == 2 ? "--word" : "--translation";
    for (int entry = 4; entry <= 4 + moreRows; ++entry) {
        const QString text = entry == 4 ? before : before + QString(entry - 4, u'0');
        QCOMPARE(
            runTool(folder.path(), {"set", QString::number(entry), field, text, "--texts", "texts"})
                .exitCode,
            0);
    }
    QCOMPARE(runTool(folder.path(), {"export", "--texts", "texts", "t.tsv"}).exitCode, 0);
    QList<QByteArray> rows = readBytes(folder.filePath("t.tsv")).split('\n');
    // Every cell with a separator a spreadsheet may split at is quoted.
    QVERIFY(rows.at(3).contains("\t\"kei.;ka.\"\t"));
    for (int entry = 4; entry <= 4 + moreRows; ++entry) {
        QList<QByteArray> cells = rows[entry].split('\t');
        cells[column - 1] = (entry == 4 ? after : after + QString(entry - 4, u'0')).toUtf8();
        if (cells[column - 1].contains(',') || cells[column - 1].contains(';'))
            cells[column - 1] = '"' + cells[column - 1] + '"';
        rows[entry] = cells.join('\t');
    }
    QVERIFY(writeBytes(folder.filePath("t.tsv"), rows.join('\n')));
    const QList<QByteArray> bytes = folderBytes(texts);

    const Run run
        = runTool(folder.path(), QStringList{"import", "--texts", "texts", "t.tsv"} + options);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2((exitCode == 0 ? run.out : run.err).contains(expected), qPrintable(run.out + run.err));
    QCOMPARE(folderBytes(texts) == bytes, exitCode != 0);
    if (exitCode != 0)
        QCOMPARE(run.err.count(": error: "),
                 std::min(moreRows + 1, options.contains("--max") ? 2 : 20));
}

// A table opened in LibreOffice and saved again, as an author does, then imported: with
// LibreOffice's defaults every cell it changed is refused in one run; with every column set to
// Text nothing changes. Run where LibreOffice is installed.
void TestVarnellDict::spreadsheetRoundTrip_data()
{
    QTest::addColumn<QString>("columns"); // the column types of LibreOffice's CSV import
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("LibreOffice's defaults")
        << "" << 1
        << QStringList{"t.csv:5: error: row 5, column 2 (word): \"0012\" became \"12\"",
                       "row 6, column 3 (translation): \"3/4\" became",
                       "row 7, column 3 (translation): \"1.10\" became \"1.1\"",
                       "row 8, column 3 (translation): \"=SUM(1+2)\" became \"3\"",
                       "row 9, column 2 (word): \"false\" became \"FALSE\"",
                       "row 10, column 2 (word): \"12345678901234567890\" became",
                       "6 rows refused; nothing was written"};
    QTest::newRow("every column as text")
        << "1/2/2/2/3/2/4/2/5/2/6/2" << 0
        << QStringList{"imported: 0 added, 0 changed, 0 emptied, 92 unchanged"};
}

void TestVarnellDict::spreadsheetRoundTrip()
{
    QFETCH(QString, columns);
    QFETCH(int, exitCode);
    QFETCH(QStringList, expected);
    const QString office = QStandardPaths::findExecutable("soffice");
    if (office.isEmpty())
        VARNELL_SKIP_WITHOUT("LibreOffice is not installed (bash scripts/setup.sh installs "
                             "libreoffice-calc-nogui): the round trip through it is not run");
    const QTemporaryDir folder;
    QVERIFY(copyShippedDictionary(folder.path()));
    const QList<QStringList> cells{{"4", "--word", "0012"},
                                   {"5", "--translation", "3/4"},
                                   {"6", "--translation", "1.10"},
                                   {"7", "--translation", "=SUM(1+2)"},
                                   {"8", "--word", "false"},
                                   {"9", "--word", "12345678901234567890"}};
    for (const QStringList &cell : cells)
        QCOMPARE(runTool(folder.path(), QStringList{"set"} + cell + QStringList{"--texts", "texts"})
                     .exitCode,
                 0);
    QCOMPARE(runTool(folder.path(), {"export", "--texts", "texts", "table.csv"}).exitCode, 0);
    QProcess calc;
    calc.setWorkingDirectory(folder.path());
    // Comma only, UTF-8 (76), from the first line; the column types if given.
    const QString opening = "CSV:44,34,76,1" + (columns.isEmpty() ? QString() : u',' + columns);
    calc.start(
        office,
        {"-env:UserInstallation=" + QUrl::fromLocalFile(folder.filePath("office")).toString(),
         "--headless",
         "--infilter=" + opening,
         "--convert-to",
         "csv:Text - txt - csv (StarCalc):44,34,76,1",
         "--outdir",
         "saved",
         "table.csv"});
    QVERIFY(calc.waitForFinished(180000));
    QVERIFY2(QFile::rename(folder.filePath("saved/table.csv"), folder.filePath("t.csv")),
             calc.readAllStandardError().constData());
    const QList<QByteArray> before = folderBytes(folder.filePath("texts"));

    const Run run = runTool(folder.path(), {"import", "--texts", "texts", "t.csv"});
    QCOMPARE(run.exitCode, exitCode);
    for (const QString &line : expected)
        QVERIFY2((run.out + run.err).contains(line), qPrintable(run.out + run.err));
    QCOMPARE(folderBytes(folder.filePath("texts")), before);
}

QTEST_MAIN(TestVarnellDict)
#include "tst_varnell_dict.moc"

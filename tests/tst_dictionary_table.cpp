#include "DictionaryFiles.h"
#include "DictionaryTable.h"
#include "RequiredTools.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

// `varnell-dict export` and `import`, run as the program a dictionary author runs.
namespace {

const QString realIndex = QStringLiteral("/usr/share/dictd/freedict-epo-eng.index");
const QString realDict = QStringLiteral("/usr/share/dictd/freedict-epo-eng.dict.dz");
const QByteArray header = "number,word,translation,partOfSpeech,phrases,phraseTranslations\n";

struct Run
{
    int exitCode = -1;
    QString errors;
};

Run runTool(const QStringList &arguments, const QString &workingFolder = QString())
{
    QProcess process;
    process.setWorkingDirectory(workingFolder);
    process.start(QStringLiteral(VARNELL_DICT_PROGRAM), arguments);
    if (!process.waitForFinished(120'000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// The five files' bytes, in the loader's order, joined with "|".
QByteArray folderBytes(const QString &folder)
{
    QList<QByteArray> files;
    for (const QString &name : dictionaryFileNames())
        files.append(readBytes(QDir(folder).filePath(name)));
    return files.join('|');
}

bool copyFolder(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return false;
    for (const QString &name : dictionaryFileNames()) {
        if (!QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name)))
            return false;
    }
    return true;
}

// The table's rows after the header in the order of their second cell onward: roughly what a
// spreadsheet sorted by word gives back.
QByteArray sortedByWord(const QByteArray &table, char delimiter)
{
    QList<QByteArray> rows = table.split('\n');
    const QByteArray head = rows.takeFirst();
    rows.removeAll(QByteArray());
    const auto afterNumber
        = [delimiter](const QByteArray &row) { return row.mid(row.indexOf(delimiter) + 1); };
    std::sort(rows.begin(), rows.end(), [&](const QByteArray &a, const QByteArray &b) {
        return afterNumber(a) < afterNumber(b);
    });
    return head + '\n' + rows.join('\n') + '\n';
}

} // namespace

class TestDictionaryTable : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refusesMalformedTables_data();
    void refusesMalformedTables();
    void placesRowsByNumber_data();
    void placesRowsByNumber();
    void roundTripsByteForByte_data();
    void roundTripsByteForByte();

private:
    QTemporaryDir m_sources; // generated and converted dictionaries, made once
};

void TestDictionaryTable::initTestCase()
{
    const QString generated = m_sources.filePath(QStringLiteral("generated"));
    QCOMPARE(runTool({"generate", "3000", "20240611", generated}).exitCode, 0);
    if (QFile::exists(realIndex) && QFile::exists(realDict)) {
        const QString esperanto = m_sources.filePath(QStringLiteral("esperanto"));
        QCOMPARE(runTool({"convert-freedict", realIndex, realDict, esperanto}).exitCode, 0);
    }
}

void TestDictionaryTable::refusesMalformedTables_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("diagnostic"); // how the first error line begins
    QTest::addColumn<int>("faults"); // error lines, every faulty row's in one run

    const auto row
        = [](const char *name, const QByteArray &body, const char *diagnostic, int faults = 1) {
              QTest::newRow(name) << QStringLiteral("t.csv") << header + body << 1
                                  << QString::fromUtf8(diagnostic) << faults;
          };
    row("quote inside a plain cell", "1,a\"b,x,n.,,\n", "t.csv:2: error: row 2, column 2 (word)");
    row("text after a closing quote",
        "1,a,x,n.,,\n2,b,\"y\"z,n.,,\n",
        "t.csv:3: error: row 3, column 3 (translation)");
    row("quote never closed",
        "1,a,x,n.,,\n2,b,y,n.,\"p,\n3,c,z,,,\n",
        "t.csv:3: error: row 3, column 5 (phrases)");
    row("quote never closed in a row's first cell",
        "1,a,x,,,\n\"2,b,y,,,\n",
        "t.csv:3: error: row 3, column 1 (number)");
    row("too few cells", "1,a,x\n", "t.csv:2: error: row 2, column 4 (partOfSpeech)");
    row("too many cells", "1,a,x,n.,,,\n", "t.csv:2: error: row 2, column 7:");
    row("number that is no number", "1,a,x,,,\nx2,b,y,,,\n", "t.csv:3: error: row 3, column 1");
    row("number zero", "0,a,x,,,\n", "t.csv:2: error: row 2, column 1 (number)");
    row("number beyond the limit", "2000001,a,x,,,\n", "t.csv:2: error: row 2, column 1");
    row("repeated number",
        "2,a,x,,,\n1,b,y,,,\n2,c,z,,,\n",
        "t.csv:4: error: row 4, column 1 (number): entry number 2 is already on row 2");
    row("bytes that are not UTF-8", "1,a,\xe6\xb0,,,\n", "t.csv:2: error: row 2, column 3");
    row("line break inside a quoted cell",
        "1,a,x,,\"p\nq\",y\n",
        "t.csv:2: error: row 2, column 5 (phrases): a line break");
    dictionaryformat::Texts carriageReturn{{"a"}, {"一\r二"}, {""}, {""}, {""}};
    QTest::newRow("carriage return inside a cell, as exported")
        << QStringLiteral("t.csv")
        << DictionaryTable::write(carriageReturn, DictionaryTable::Format::Csv) << 1
        << QStringLiteral("t.csv:2: error: row 2, column 3 (translation): a line break") << 1;
    QTest::newRow("header naming another column")
        << QStringLiteral("t.csv")
        << QByteArray("number,word,translation,tags,phrases,phraseTranslations\n") << 1
        << QStringLiteral("t.csv:1: error: row 1, column 4 (partOfSpeech)") << 1;
    QTest::newRow("empty table") << QStringLiteral("t.csv") << QByteArray() << 1
                                 << QStringLiteral("t.csv:1: error: row 1, column 1") << 1;
    QTest::newRow("commas do not separate a TSV")
        << QStringLiteral("t.tsv") << header + "1,a,x,,,\n"
        << 1 << QStringLiteral("t.tsv:1: error: the cells are separated by ',' instead of 'Tab'")
        << 1;
    QTest::newRow("neither CSV nor TSV")
        << QStringLiteral("t.txt") << header << 2 << QStringLiteral("varnell-dict: t.txt:") << 0;
    // What a spreadsheet told to split at ';' too makes of "kei.;ka.": a wider header and row.
    QTest::newRow("a cell split at a semicolon")
        << QStringLiteral("t.csv")
        << QByteArray("number,word,translation,partOfSpeech,phrases,phraseTranslations,\n"
                      "1,a,x,kei.,ka.,,\n2,b,y,n.,,\n")
        << 1
        << QStringLiteral("t.csv:2: error: row 2, column 7: expected 6 cells, found 7; a "
                          "spreadsheet probably split a cell at ';'")
        << 1;
    QTest::newRow("saved with semicolons between the cells")
        << QStringLiteral("t.csv")
        << QByteArray("number;word;translation;partOfSpeech;phrases;phraseTranslations\n1;a;x;;;\n")
        << 1 << QStringLiteral("t.csv:1: error: the cells are separated by ';' instead of ','")
        << 1;
    row("every faulty row in one run",
        "x1,a,x,,,\n2,b,y,,\n3,c,z,,,\n4,\"d,w,,,\n",
        "t.csv:2: error: row 2, column 1 (number)",
        3);
}

void TestDictionaryTable::refusesMalformedTables()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, table);
    QFETCH(int, exitCode);
    QFETCH(QString, diagnostic);
    QFETCH(int, faults);

    QTemporaryDir work;
    const QString texts = work.filePath(QStringLiteral("texts"));
    QVERIFY(copyFolder(QStringLiteral(VARNELL_SHIPPED_TEXTS_DIR), texts));
    QVERIFY(writeBytes(work.filePath(fileName), table));

    const Run run = runTool({"import", "--texts", "texts", fileName}, work.path());
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.errors.startsWith(diagnostic), qPrintable(run.errors));
    QCOMPARE(run.errors.count(QStringLiteral(": error: ")), faults);
    QCOMPARE(folderBytes(texts), folderBytes(QStringLiteral(VARNELL_SHIPPED_TEXTS_DIR)));
}

void TestDictionaryTable::placesRowsByNumber_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QByteArray>("files"); // the five files joined with "|"

    QTest::newRow("rows in any order")
        << header + "3,c,三,,,\n1,a,一,n.,a b,一二\n2,b,二,,,\n"
        << QByteArray("a\nb\nc\n|一\n二\n三\n|n.\n\n\n|a b\n\n\n|一二\n\n\n");
    QTest::newRow("numbers no row has are empty lines")
        << header + "4,d,四,,,\n1,a,一,,,\n"
        << QByteArray("a\n\n\nd\n|一\n\n\n四\n|\n\n\n\n|\n\n\n\n|\n\n\n\n");
    QTest::newRow("rows without a number follow the highest, in table order")
        << header + ",y,乙,,,\n2,b,二,,,\n,x,甲,,,\n"
        << QByteArray("\nb\ny\nx\n|\n二\n乙\n甲\n|\n\n\n\n|\n\n\n\n|\n\n\n\n");
    QTest::newRow("cells trimmed; quotes, separators and tabs kept")
        << header + "1,\"  a \",\"x, \"\"y\"\"\",\t n.;v. ,\"a b,a\tc\",\"一,二\"\n"
        << QByteArray("a\n|x, \"y\"\n|n.;v.\n|a b,a\tc\n|一,二\n");
    QTest::newRow("a spreadsheet's byte-order mark and CR LF")
        << "\xEF\xBB\xBF" + QByteArray(header).replace("\n", "\r\n") + "1,a,一,,,\r\n"
        << QByteArray("a\n|一\n|\n|\n|\n");
    QTest::newRow("header in other letter case") << QByteArray(
        "Number,WORD,translation,partofspeech,Phrases,phraseTranslations\n1,a,一,,,\n")
                                                 << QByteArray("a\n|一\n|\n|\n|\n");
}

void TestDictionaryTable::placesRowsByNumber()
{
    QFETCH(QByteArray, table);
    QFETCH(QByteArray, files);

    QTemporaryDir work;
    QVERIFY(writeBytes(work.filePath(QStringLiteral("t.csv")), table));
    const QString texts = work.filePath(QStringLiteral("texts"));
    const Run run = runTool({"import", "--texts", texts, work.filePath(QStringLiteral("t.csv"))});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    QCOMPARE(folderBytes(texts), files);
}

void TestDictionaryTable::roundTripsByteForByte_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("sortByWord");

    const QString esperanto = m_sources.filePath(QStringLiteral("esperanto"));
    const QList<std::pair<const char *, QString>> sources = {
        {"shipped", QStringLiteral(VARNELL_SHIPPED_TEXTS_DIR)},
        {"generated", m_sources.filePath(QStringLiteral("generated"))},
        {"Esperanto", QDir(esperanto).exists() ? esperanto : QString()},
    };
    for (const auto &[name, folder] : sources) {
        for (const char *fileName : {"t.csv", "t.tsv"}) {
            QTest::addRow("%s, %s", name, fileName) << folder << fileName << false;
            QTest::addRow("%s, %s sorted by word", name, fileName) << folder << fileName << true;
        }
    }
}

void TestDictionaryTable::roundTripsByteForByte()
{
    QFETCH(QString, source);
    QFETCH(QString, fileName);
    QFETCH(bool, sortByWord);
    if (source.isEmpty())
        VARNELL_SKIP_WITHOUT("the Esperanto-English dictionary is not installed: apt-get install "
                             "dict-freedict-epo-eng");

    QTemporaryDir work;
    const QString table = work.filePath(fileName);
    Run run = runTool({"export", "--texts", source, table});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    // A CSV's records end in CR LF (RFC 4180); a TSV is plain text lines.
    const QByteArray exported = readBytes(table);
    QCOMPARE(exported.count("\r\n"), fileName.endsWith(u".csv") ? exported.count('\n') : 0);
    if (sortByWord) {
        const char delimiter = fileName.endsWith(u".csv") ? ',' : '\t';
        QVERIFY(writeBytes(table, sortedByWord(readBytes(table), delimiter)));
    }
    const QString texts = work.filePath(QStringLiteral("texts"));
    run = runTool({"import", "--texts", texts, table});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    QVERIFY(folderBytes(texts) == folderBytes(source));
}

QTEST_GUILESS_MAIN(TestDictionaryTable)
#include "tst_dictionary_table.moc"

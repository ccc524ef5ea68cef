// Dictionary files and queries that a careless editor, a broken copy or a prankster may produce,
// met by the window: huge lines, huge dictionaries, broken UTF-8, NUL bytes, lone surrogates,
// files that are no files, files that vanish, files of wildly different lengths and floods of
// separators. Every case uses real files in temporary folders and the real window; the loader's
// side of the same files is tests/tst_hostile_files.cpp.

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "DictionaryFiles.h"
#include "HostileFiles.h"
#include "LogCapture.h"
#include "ResultCard.h"
#include "WindowTestSupport.h"

using namespace hostilefiles;
using namespace windowtest;

namespace {

// The first four lines of a success card: header, status, correct word, best translation.
QList<QString> foundCard(const QString &query, const QString &correct, const QString &best)
{
    return {"  搜索成功：" + query,
            "  匹配状态：成功",
            "  正确词汇：" + correct,
            "  最佳翻译：" + best};
}

// The window's own lines when a load fails on `path` (a path under ./texts/).
QList<QString> failedStartUp(const QString &path)
{
    return {"词典加载中...", openError(path), "词典初始化失败！"};
}

// Pronounceable and unique: the digits of `number` in base 50, each digit one syllable.
QByteArray generatedWord(int number)
{
    static const char consonants[] = "ktrmsnlvpd";
    static const char vowels[] = "aeiou";
    QByteArray word;
    for (; number > 0; number /= 50) {
        const char syllable[] = {consonants[number % 50 / 5], vowels[number % 5], '\0'};
        word.prepend(syllable);
    }
    return word;
}

// The decimal digits of `number` as Chinese numerals, so that translations are all Chinese.
QByteArray chineseNumber(int number)
{
    static const QList<QByteArray> digits
        = {"零", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
    QByteArray text;
    for (const char digit : QByteArray::number(number))
        text += digits.at(digit - '0');
    return text;
}

} // namespace

class TestHostileFilesWindow : public QObject
{
    Q_OBJECT

private slots:
    void keepsRecordsAroundLongLine_data();
    void keepsRecordsAroundLongLine();
    void opensLargeDictionary();

    void survivesBrokenUtf8_data();
    void survivesBrokenUtf8();
    void searchesOddCharacters_data();
    void searchesOddCharacters();

    void refusesTextsThatAreNoFiles_data();
    void refusesTextsThatAreNoFiles();
    void windowOutlivesItsTexts();
    void readFileLineByLineRefusesNonFiles_data();
    void readFileLineByLineRefusesNonFiles();

    void stopsAtShortFile_data();
    void stopsAtShortFile();

    void searchesSeparatorFloods_data();
    void searchesSeparatorFloods();
};

// ---- very long lines ----

void TestHostileFilesWindow::keepsRecordsAroundLongLine_data()
{
    addLongLineRows();
}

void TestHostileFilesWindow::keepsRecordsAroundLongLine()
{
    QFETCH(RawDictionaryFiles, middle);
    QFETCH(int, longFile);
    QFETCH(QString, query);

    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), around(middle)));
    // The long record as its files hold it (tst_hostile_files checks that it loads so).
    const QString word = QString::fromUtf8(middle.words);
    const QString phrase = QString::fromUtf8(middle.phrases);
    const QString partOfSpeech = QString::fromUtf8(middle.tags);
    const LogCapture log;
    const auto window = openWindowIn(folder.path());
    QCOMPARE(status(*window)->text(), "加载已完成！");
    QCOMPARE(searchCard(*window, "kalo").mid(0, 4), foundCard("kalo", "kalo", "门"));
    QCOMPARE(searchCard(*window, "3").mid(0, 4), foundCard("3", "tavu", "禾岚"));
    // The long record itself is found, and its card shows the start of each long line: a label
    // holding megabytes would freeze the window for seconds. Compared without printing megabytes
    // on a failure.
    const auto shown = [](const QString &line) { return line.left(longestShownLine) + u'…'; };
    const QList<QString> card = searchCard(*window, query);
    QCOMPARE(card.value(1), "  匹配状态：成功");
    const QString wordLine = "  正确词汇：" + word;
    QVERIFY(card.value(2) == (longFile == 0 ? shown(wordLine) : wordLine));
    const QString phraseLine = "  相关词组：" + phrase;
    QVERIFY(card.value(5) == (longFile == 3 ? shown(phraseLine) : phraseLine));
    const QString vocabularyCard = vocabularyCards(*window).value(2);
    const QString cardHead = word + u' ' + partOfSpeech;
    QVERIFY(vocabularyCard.section(u'\n', 0, 0) == (longFile == 0 ? shown(cardHead) : cardHead));
}

// ---- a large dictionary ----

void TestHostileFilesWindow::opensLargeDictionary()
{
    constexpr int lines = 200000;
    RawDictionaryFiles files;
    static const char *const tags[] = {"ko.\n", "ka.\n", "kiu.;ko.\n", "kei.\n"};
    for (int n = 1; n <= lines; ++n) {
        const QByteArray word = generatedWord(n);
        const QByteArray number = chineseNumber(n);
        files.words += word + '\n';
        files.translations += "词" + number + '\n';
        files.tags += tags[n % 4];
        files.phrases += word + " rado," + word + " sumi\n";
        files.phraseTranslations += "门" + number + ",书" + number + '\n';
    }
    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), files));

    LogCapture log;
    const auto window = openWindowIn(folder.path());
    QCOMPARE(status(*window)->text(), "加载已完成！");
    QVERIFY(input(*window)->isEnabled());
    const QList<QString> messages = log.messages();
    QVERIFY(messages.contains("总词条数: 200000"));
    QCOMPARE(messages.filter("已加载").size(), lines / 100);
    QCOMPARE(log.warnings(), QList<QString>{});

    const QString last = QString::fromLatin1(generatedWord(lines));
    QCOMPARE(searchCard(*window, last).mid(0, 4), foundCard(last, last, "词二零零零零零"));
    QCOMPARE(searchCard(*window, " 199999 ").mid(0, 4),
             foundCard("199999", QString::fromLatin1(generatedWord(199999)), "词一九九九九九"));
    // A Chinese query shows the translation as the correct word.
    QCOMPARE(
        searchCard(*window, "词一二三四五七").mid(0, 4),
        foundCard("词一二三四五七", "词一二三四五七", QString::fromLatin1(generatedWord(123457))));
    QCOMPARE(searchCard(*window, last + " rado").value(2), "  正确词汇：" + last);
    // A misspelt word is compared with every word of its first letter, some 85,000 here.
    QCOMPARE(searchCard(*window, "kelamoru").value(1), "  匹配状态：成功");
    QCOMPARE(vocabularyCards(*window).size(), 51);
}

// ---- broken encodings ----

void TestHostileFilesWindow::survivesBrokenUtf8_data()
{
    addBrokenUtf8Rows();
}

void TestHostileFilesWindow::survivesBrokenUtf8()
{
    QFETCH(RawDictionaryFiles, files);
    QFETCH(QList<QString>, records);

    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), files));
    LogCapture log;

    // In the window, each record is found by its number and by its word as loaded.
    const auto window = openWindowIn(folder.path());
    QCOMPARE(status(*window)->text(), "加载已完成！");
    for (const QString &record : std::as_const(records)) {
        const QList<QString> fields = record.split(QLatin1Char('|'));
        QCOMPARE(searchCard(*window, fields[0]).mid(0, 4),
                 foundCard(fields[0], fields[1], fields[2]));
        const QList<QString> card = searchCard(*window, fields[1]);
        QCOMPARE(card.mid(0, 4), foundCard(fields[1], fields[1], fields[2]));
        QCOMPARE(card.last(), "  拼写没有问题");
    }
}

void TestHostileFilesWindow::searchesOddCharacters_data()
{
    QTest::addColumn<QString>("query"); // pasted into the input line as it stands
    QTest::addColumn<QString>("found"); // correct word on the card; empty: nothing found
    QTest::addColumn<QString>("trace"); // the search's success line; empty: nothing found
    QTest::addColumn<bool>("misspelt"); // whether the card's last line warns of the spelling

    const auto nothingFound = [](const char *name, const QString &query, bool misspelt) {
        QTest::newRow(name) << query << QString() << QString() << misspelt;
    };
    const auto found
        = [](const char *name,
             const QString &query,
             const QString &word,
             const QString &trace,
             bool misspelt) { QTest::newRow(name) << query << word << trace << misspelt; };

    const QString high(QChar(0xD800)), low(QChar(0xDC00)), nul(QChar(0));
    nothingFound("high surrogate alone", high, false);
    nothingFound("low surrogate alone", low, false);
    nothingFound("reversed surrogate pair", low + high, false);
    nothingFound("valid surrogate pair", "😀", false);
    // Mainly Chinese and not found: the card warns whatever the spelling.
    nothingFound("Chinese and surrogate", "门" + high, true);
    found("word and high surrogate",
          "kalo" + high,
          "kalo",
          "搜索成功： \"kalo\\uD800\" -> \"门\"",
          true);
    found("low surrogate inside a word",
          "ta" + low + "vu",
          "tavu",
          "搜索成功： \"ta\\uDC00vu\" -> \"禾岚\"",
          true);
    found("surrogate inside a phrase",
          "kalo " + high + "rado",
          "kalo",
          "搜索成功： \"kalo \\uD800rado\" -> \"门\"",
          true);

    const QString nulWord = "mi" + nul + "ra";
    found(
        "word with NUL", nulWord, nulWord, "搜索成功： \"mi\\u0000ra\" -> \"镜\\u0000子\"", false);
    found("phrase with NUL",
          nulWord + " rado",
          nulWord,
          "搜索成功： \"mi\\u0000ra rado\" -> \"镜\\u0000子\"",
          true);
    // Mainly Chinese: the card names the translation as the correct word.
    found("translation with NUL",
          "镜" + nul + "子",
          "镜" + nul + "子",
          "搜索成功： \"镜\\u0000子\" -> \"mi\\u0000ra\"",
          false);
    found("phrase of the entry with NUL",
          "sumi",
          nulWord,
          "搜索成功： \"sumi\" -> \"镜\\u0000子\"",
          true);
    found("NUL alone", nul, nulWord, "搜索成功： \"\\u0000\" -> \"镜\\u0000子\"", true);
    found("word before the NUL", "mi", nulWord, "搜索成功： \"mi\" -> \"镜\\u0000子\"", true);
}

void TestHostileFilesWindow::searchesOddCharacters()
{
    QFETCH(QString, query);
    QFETCH(QString, found);
    QFETCH(QString, trace);
    QFETCH(bool, misspelt);

    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(),
                       around({QByteArray("mi\0ra", 5),
                               QByteArray("镜\0子", 7),
                               "n.",
                               QByteArray("mi\0ra rado,sumi", 15),
                               QByteArray("镜\0门,书", 11)})));
    LogCapture log;
    const auto window = openWindowIn(folder.path());
    QCOMPARE(status(*window)->text(), "加载已完成！");
    log.clear();

    const QList<QString> card = searchCard(*window, query);
    if (found.isEmpty()) {
        QCOMPARE(
            card.mid(0, 3),
            (QList<QString>{"  您还没有输入任何字词呢(⌐■_■)", "  匹配状态：失败", "  正确词汇："}));
    } else {
        QCOMPARE(card.value(0), "  搜索成功：" + query);
        QCOMPARE(card.value(2), "  正确词汇：" + found);
    }
    QCOMPARE(card.last(), misspelt ? "  注意: 拼写有问题！" : "  拼写没有问题");
    QCOMPARE(log.messages().filter(QRegularExpression("^搜索成功：")),
             trace.isEmpty() ? QList<QString>{} : QList<QString>{trace});
    QVERIFY(log.messages(QtWarningMsg).isEmpty());
}

// ---- files that are no files, or vanish ----

void TestHostileFilesWindow::refusesTextsThatAreNoFiles_data()
{
    QTest::addColumn<QList<int>>("files"); // replaced files; -1 stands for texts/ itself
    QTest::addColumn<Replacement>("replacement");
    QTest::addColumn<QString>("refused"); // the path the error names

    QTest::newRow("word file is a FIFO")
        << QList<int>{0} << Replacement::Fifo << "./texts/values.txt";
    QTest::newRow("translation file is a FIFO")
        << QList<int>{1} << Replacement::Fifo << "./texts/keys.txt";
    QTest::newRow("phrase-translation file is a FIFO")
        << QList<int>{4} << Replacement::Fifo << "./texts/cn_phrases.txt";
    QTest::newRow("every file is a FIFO")
        << QList<int>{0, 1, 2, 3, 4} << Replacement::Fifo << "./texts/values.txt";
    QTest::newRow("phrase file links to a FIFO")
        << QList<int>{3} << Replacement::LinkToFifo << "./texts/phrases.txt";
    QTest::newRow("word file is a directory")
        << QList<int>{0} << Replacement::Directory << "./texts/values.txt";
    QTest::newRow("part-of-speech file is a directory")
        << QList<int>{2} << Replacement::Directory << "./texts/wordtype.txt";
    QTest::newRow("translation file links nowhere")
        << QList<int>{1} << Replacement::DanglingLink << "./texts/keys.txt";
    QTest::newRow("texts is a FIFO") << QList<int>{-1} << Replacement::Fifo << "./texts/values.txt";
    QTest::newRow("texts links to a FIFO")
        << QList<int>{-1} << Replacement::LinkToFifo << "./texts/values.txt";
}

void TestHostileFilesWindow::refusesTextsThatAreNoFiles()
{
    QFETCH(QList<int>, files);
    QFETCH(Replacement, replacement);
    QFETCH(QString, refused);

    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), around({"mira", "镜子", "n.", "", ""})));
    QList<QString> fifos;
    for (int file : files) {
        const QString path = file < 0 ? folder.filePath("texts") : textsPath(folder.path(), file);
        QVERIFY(replacePath(path, replacement, fifos));
    }

    const FifoWriterStandIn writer(fifos);
    LogCapture log;
    const auto window = openWindowIn(folder.path());
    QCOMPARE(log.messages(), failedStartUp(refused));
    QCOMPARE(status(*window)->text(), "词典加载失败，功能不可用");
    QCOMPARE(card(*window)->text(), "请确保texts与varnell.exe位于同一目录下!");
    QVERIFY(!input(*window)->isEnabled());
    QVERIFY(vocabularyCards(*window).isEmpty());
}

void TestHostileFilesWindow::windowOutlivesItsTexts()
{
    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), around({"mira", "镜子", "n.", "mira sumi", "镜书"})));
    LogCapture log;
    const auto window = openWindowIn(folder.path());
    QCOMPARE(status(*window)->text(), "加载已完成！");

    // The window read its files once, at start-up; without them it keeps working.
    QVERIFY(QDir(folder.filePath("texts")).removeRecursively());
    const QMap<int, QString> expectedCards
        = {{1, "kalo ka.\n门"}, {2, "mira n.\n镜子"}, {3, "tavu ko.\n禾岚"}};
    QCOMPARE(vocabularyCards(*window), expectedCards);
    QCOMPARE(vocabularyCards(*window), expectedCards);
    QCOMPARE(searchCard(*window, "mira").mid(0, 4), foundCard("mira", "mira", "镜子"));
    QCOMPARE(searchCard(*window, "镜子").mid(0, 4), foundCard("镜子", "镜子", "mira"));
    QCOMPARE(searchCard(*window, "mira sumi").value(2), "  正确词汇：mira");
    QVERIFY(log.messages(QtWarningMsg).isEmpty());
}

void TestHostileFilesWindow::readFileLineByLineRefusesNonFiles_data()
{
    QTest::addColumn<Replacement>("replacement");

    QTest::newRow("vanished file") << Replacement::Missing;
    QTest::newRow("directory") << Replacement::Directory;
    QTest::newRow("dangling link") << Replacement::DanglingLink;
    QTest::newRow("FIFO") << Replacement::Fifo;
}

void TestHostileFilesWindow::readFileLineByLineRefusesNonFiles()
{
    QFETCH(Replacement, replacement);

    QTemporaryDir folder;
    const QString path = folder.filePath("lines.txt");
    QVERIFY(writeBytes(path, " kalo \n\ntavu\n"));
    LogCapture log;
    QCOMPARE(readFileLineByLine(path), (QList<QString>{"kalo", "tavu"}));

    QList<QString> fifos;
    QVERIFY(replacePath(path, replacement, fifos));
    const FifoWriterStandIn writer(fifos);
    const QList<QString> lines = readFileLineByLine(path);
    // A FIFO opens only when a writer comes: without a check of the file's kind the read would
    // block until one does (here the stand-in writer, in a real program possibly never).
    QCOMPARE(log.messages(QtWarningMsg),
             QList<QString>{QStringLiteral("无法打开文件,词典页无法渲染 \"%1\"").arg(path)});
    QCOMPARE(log.messages().size(), 1);
    QVERIFY(lines.isEmpty());
}

// ---- files of different lengths ----

void TestHostileFilesWindow::stopsAtShortFile_data()
{
    addShortFileRows();
}

void TestHostileFilesWindow::stopsAtShortFile()
{
    QFETCH(RawDictionaryFiles, files);
    QFETCH(int, records);
    QFETCH(QList<QString>, warnings);

    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), files));
    const LogCapture log;
    const auto window = openWindowIn(folder.path());
    QCOMPARE(log.warnings(), warnings);
    QCOMPARE(input(*window)->isEnabled(), records > 0);
    QCOMPARE(vocabularyCards(*window).size(), qMin(records, 51));
    if (records > 0)
        QCOMPARE(searchCard(*window, "w" + QString::number(records)).mid(0, 4),
                 foundCard("w" + QString::number(records),
                           "w" + QString::number(records),
                           "译" + QString::number(records)));
}

// ---- separator floods ----

void TestHostileFilesWindow::searchesSeparatorFloods_data()
{
    addSeparatorFloodRows();
}

void TestHostileFilesWindow::searchesSeparatorFloods()
{
    QFETCH(RawDictionaryFiles, middle);
    QFETCH(QList<QString>, warnings);
    QFETCH(QString, phraseQuery);

    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), around(middle)));
    LogCapture log;
    ConlangDictionary dictionary;
    QVERIFY(loadTexts(dictionary, folder.path()));
    const DictionaryEntry &entry = *dictionary.lookupByNumIndex(2);

    log.clear();
    const auto window = openWindowIn(folder.path());
    QCOMPARE(log.warnings(), warnings);
    // A line of 100,000 separators is shown cut, as every over-long card line is.
    const auto shown = [](const QList<QString> &lines) {
        return shortenedForDisplay(lines.join(u'\n')).split(u'\n');
    };
    const QList<QString> card = searchCard(*window, "mira");
    QCOMPARE(card.mid(0, 4), shown(foundCard("mira", "mira", entry.translation)));
    QCOMPARE(card.value(4), shown({"  词性：" + entry.partOfSpeech}).first());
    QCOMPARE(card.value(5), "  相关词组：" + entry.phrases.value(0));
    QCOMPARE(card.value(6), "  该词组翻译：" + entry.phraseTranslations.value(0));
    QCOMPARE(searchCard(*window, "2").mid(0, 4), shown(foundCard("2", "mira", entry.translation)));
    if (!phraseQuery.isEmpty())
        QCOMPARE(searchCard(*window, phraseQuery).value(2), "  正确词汇：mira");
    QCOMPARE(searchCard(*window, "tavu").mid(0, 4), foundCard("tavu", "tavu", "禾岚"));

    const QMap<int, QString> cards = vocabularyCards(*window);
    QCOMPARE(cards.keys(), (QList<int>{1, 2, 3}));
    QCOMPARE(cards.value(2),
             shortenedForDisplay("mira " + entry.partOfSpeech + "\n" + entry.translation));
}

QTEST_MAIN(TestHostileFilesWindow)
#include "tst_hostile_files_window.moc"

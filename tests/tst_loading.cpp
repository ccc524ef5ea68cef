#include "ConlangDictionary.h"
#include "DictionaryFiles.h"
#include "LogCapture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QList<QString> pathsIn(const QTemporaryDir &dir)
{
    QList<QString> paths;
    for (const QString &name : dictionaryFileNames())
        paths.append(dir.filePath(name));
    return paths;
}

QList<QString> writeFiles(const QTemporaryDir &dir, const RawDictionaryFiles &raw)
{
    const QList<QString> paths = pathsIn(dir);
    for (int i = 0; i < paths.size(); ++i)
        QTest::qVerify(writeBytes(paths[i], raw[i]), "writeBytes", "", __FILE__, __LINE__);
    return paths;
}

bool load(ConlangDictionary &dictionary, const QList<QString> &paths)
{
    return dictionary.loadDictionaryFiles(paths[0], paths[1], paths[2], paths[3], paths[4]);
}

QList<QString> recordsByNumber(const ConlangDictionary &dictionary)
{
    QList<QString> records;
    for (int number : sortedEntryNumbers(dictionary))
        records.append(describeRecord(*dictionary.lookupByNumIndex(number)));
    return records;
}

bool isEmpty(const ConlangDictionary &dictionary)
{
    return dictionary.wordIndexData().isEmpty() && dictionary.chineseIndexData().isEmpty()
        && dictionary.posIndexData().isEmpty() && dictionary.letterIndexData().isEmpty()
        && dictionary.numberIndexData().isEmpty() && dictionary.wordSetData().isEmpty();
}

} // namespace

class TestLoading : public QObject
{
    Q_OBJECT

private slots:
    void loadsRecords_data();
    void loadsRecords();
    void fillsIndexes();
    void failsToOpen_data();
    void failsToOpen();
    void reloadKeepsNoStaleRecords();
    void writesLoadReport();
    void reportsProgressAndEmptyDictionary();
    void survivesHostileContent();
    void loadsMillionLines();
    void splitsText_data();
    void splitsText();
    void recognisesIntegers_data();
    void recognisesIntegers();
};

void TestLoading::loadsRecords_data()
{
    QTest::addColumn<RawDictionaryFiles>("files");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QList<QString>>("records");
    QTest::addColumn<QList<QString>>("warnings");

    QTest::newRow("three lines, final line end")
        << RawDictionaryFiles{"a\nb\nc\n", "一\n二\n三\n", "ko.\nka.\nkiu.\n", "\n\n\n", "\n\n\n"}
        << true << QList<QString>{"1|a|一|ko.||", "2|b|二|ka.||", "3|c|三|kiu.||"}
        << QList<QString>{};
    QTest::newRow("last line without line end")
        << RawDictionaryFiles{"a\nb", "一\n二", "ko.\nka.", "p\nq", "甲\n乙"} << true
        << QList<QString>{"1|a|一|ko.|p|甲", "2|b|二|ka.|q|乙"} << QList<QString>{};
    QTest::newRow("translation file one line short")
        << RawDictionaryFiles{"a\nb\nc\nd\ne\n",
                              "一\n二\n三\n四\n",
                              "\n\n\n\n\n",
                              "\n\n\n\n\n",
                              "\n\n\n\n\n"}
        << true << QList<QString>{"1|a|一|||", "2|b|二|||", "3|c|三|||", "4|d|四|||"}
        << QList<QString>{"警告：文件行数不匹配（第 5 行）"};
    QTest::newRow("phrase file one line short")
        << RawDictionaryFiles{"a\nb\n", "一\n二\n", "\n\n", "x\n", "\n\n"} << true
        << QList<QString>{"1|a|一|||"}
        << QList<QString>{"警告：词组与翻译数量不匹配（第 1 行）",
                          "警告：文件行数不匹配（第 2 行）"};
    QTest::newRow("other files longer than the word file")
        << RawDictionaryFiles{"a\n", "一\n二\n", "ko.\nka.\n", "\nx\n", "\ny\n"} << true
        << QList<QString>{"1|a|一|ko.||"} << QList<QString>{};
    QTest::newRow("gap keeps its number")
        << RawDictionaryFiles{"a\n\nc\n", "一\n\n三\n", "ko.\nka.\nkiu.\n", "\np\n\n", "\nq\n\n"}
        << true << QList<QString>{"1|a|一|ko.||", "3|c|三|kiu.||"} << QList<QString>{};
    QTest::newRow("empty word with a translation is a record")
        << RawDictionaryFiles{"a\n\n", "一\n你好\n", "\n\n", "\n\n", "\n\n"} << true
        << QList<QString>{"1|a|一|||", "2||你好|||"} << QList<QString>{};
    QTest::newRow("word without translation is a record")
        << RawDictionaryFiles{"a\n", "\n", "\n", "\n", "\n"} << true << QList<QString>{"1|a||||"}
        << QList<QString>{};
    QTest::newRow("lines are trimmed, phrase pieces are not")
        << RawDictionaryFiles{"  Tavu \t\n", " 天 \n", " ko. \n", " p q , r ,\n", "甲 ,乙\n"}
        << true << QList<QString>{"1|Tavu|天|ko.|p q / r |甲 /乙"} << QList<QString>{};
    QTest::newRow("more phrases than translations")
        << RawDictionaryFiles{"a\n", "一\n", "\n", "p,q,r\n", "甲,乙\n"} << true
        << QList<QString>{"1|a|一||p/q|甲/乙"}
        << QList<QString>{"警告：词组与翻译数量不匹配（第 1 行）"};
    QTest::newRow("phrases without translations")
        << RawDictionaryFiles{"a\n", "一\n", "\n", "p,q\n", "\n"} << true
        << QList<QString>{"1|a|一|||"} << QList<QString>{"警告：词组与翻译数量不匹配（第 1 行）"};
    QTest::newRow("empty pieces dropped")
        << RawDictionaryFiles{"a\n", "一\n", "\n", ",p,,q,\n", "甲,,乙\n"} << true
        << QList<QString>{"1|a|一||p/q|甲/乙"} << QList<QString>{};
    QTest::newRow("full-width comma does not separate")
        << RawDictionaryFiles{"a\n", "一\n", "\n", "p，q\n", "甲，乙\n"} << true
        << QList<QString>{"1|a|一||p，q|甲，乙"} << QList<QString>{};
    QTest::newRow("empty translation file")
        << RawDictionaryFiles{"a\nb\n", "", "\n\n", "\n\n", "\n\n"} << false << QList<QString>{}
        << QList<QString>{"警告：文件行数不匹配（第 1 行）"};
    QTest::newRow("empty word file") << RawDictionaryFiles{"", "一\n", "\n", "\n", "\n"} << false
                                     << QList<QString>{} << QList<QString>{};
    QTest::newRow("only gaps") << RawDictionaryFiles{"\n \n", "\n\t\n", "ko.\n\n", "p\n\n", "q\n\n"}
                               << false << QList<QString>{} << QList<QString>{};
    QTest::newRow("CRLF line ends")
        << RawDictionaryFiles{"a\r\nb\r\n",
                              "一\r\n二\r\n",
                              "ko.\r\n\r\n",
                              "p,q\r\n\r\n",
                              "甲,乙\r\n\r\n"}
        << true << QList<QString>{"1|a|一|ko.|p/q|甲/乙", "2|b|二|||"} << QList<QString>{};
    QTest::newRow("byte-order marks")
        << RawDictionaryFiles{"\xEF\xBB\xBF"
                              "a\n",
                              "\xEF\xBB\xBF一\n",
                              "\xEF\xBB\xBF"
                              "ko.\n",
                              "\xEF\xBB\xBFp\n",
                              "\xEF\xBB\xBF甲\n"}
        << true << QList<QString>{"1|a|一|ko.|p|甲"} << QList<QString>{};
    QTest::newRow("invalid UTF-8 is replaced, the rest loads")
        << RawDictionaryFiles{"a\xFF\xFE"
                              "b\nc\n",
                              "\xC3\n二\n",
                              "\n\n",
                              "\n\n",
                              "\n\n"}
        << true
        << QList<QString>{QString::fromUtf8("1|a\xEF\xBF\xBD\xEF\xBF\xBD"
                                            "b|\xEF\xBF\xBD|||"),
                          "2|c|二|||"}
        << QList<QString>{};
    QTest::newRow("NUL byte inside a line")
        << RawDictionaryFiles{QByteArray("a\0b\nc\n", 6), "一\n二\n", "\n\n", "\n\n", "\n\n"}
        << true
        << QList<QString>{QStringLiteral("1|a") + QChar(0) + QStringLiteral("b|一|||"), "2|c|二|||"}
        << QList<QString>{};
}

void TestLoading::loadsRecords()
{
    QFETCH(RawDictionaryFiles, files);
    QFETCH(bool, loaded);
    QFETCH(QList<QString>, records);
    QFETCH(QList<QString>, warnings);

    QTemporaryDir dir;
    const QList<QString> paths = writeFiles(dir, files);
    LogCapture log;
    ConlangDictionary dictionary;
    QCOMPARE(load(dictionary, paths), loaded);
    QCOMPARE(recordsByNumber(dictionary), records);
    QCOMPARE(log.warnings(), warnings);
}

void TestLoading::fillsIndexes()
{
    QTemporaryDir dir;
    const QList<QString> paths
        = writeFiles(dir,
                     RawDictionaryFiles{"ber\n\nkalo\n\nhuhu\n\nKalo\n",
                                        "是\n\n门\n\n你好\n你好\n大门\n",
                                        "kei.\n\nn.; V. ;;adj.\n\nko.;KO.\n\nko.\n",
                                        "\n\nkalo sumi\n\n\n\n\n",
                                        "\n\n关门\n\n\n\n\n"});
    LogCapture log;
    ConlangDictionary dictionary;
    QVERIFY(load(dictionary, paths));

    // Line 6 has an empty word with a translation: a record under the empty key.
    QCOMPARE(dictionary.numberIndexData().keys().size(), 5);
    const QSet<QString> keys{"ber", "kalo", "huhu", ""};
    QCOMPARE(
        QSet<QString>(dictionary.wordIndexData().keyBegin(), dictionary.wordIndexData().keyEnd()),
        keys);
    QCOMPARE(dictionary.wordSetData(), keys);
    QCOMPARE(dictionary.wordIndexData().value("kalo").number, 7);
    QCOMPARE(dictionary.wordIndexData().value("kalo").word, QStringLiteral("Kalo"));
    QCOMPARE(dictionary.numberIndexData().value(3).word, QStringLiteral("kalo"));

    QCOMPARE(dictionary.letterIndexData().size(), 3);
    QCOMPARE(dictionary.letterIndexData().value('k'), (QList<QString>{"kalo", "kalo"}));
    QCOMPARE(dictionary.letterIndexData().value('h'), QList<QString>{"huhu"});

    QCOMPARE(dictionary.chineseIndexData().value("你好"), (QList<QString>{"huhu", ""}));
    QCOMPARE(dictionary.chineseIndexData().value("门"), QList<QString>{"kalo"});
    QCOMPARE(dictionary.chineseIndexData().size(), 4);

    QCOMPARE(dictionary.posIndexData().value("n."), QList<QString>{"kalo"});
    QCOMPARE(dictionary.posIndexData().value("v."), QList<QString>{"kalo"});
    QCOMPARE(dictionary.posIndexData().value("adj."), QList<QString>{"kalo"});
    QCOMPARE(dictionary.posIndexData().value("ko."), (QList<QString>{"huhu", "huhu", "kalo"}));
    QCOMPARE(dictionary.posIndexData().size(), 5);

    QVERIFY(log.contains(QStringLiteral("警告：存在大小写不敏感的重复单词！")));
}

void TestLoading::failsToOpen_data()
{
    QTest::addColumn<int>("brokenFile");
    QTest::addColumn<QString>("kind");

    for (int i = 0; i < 5; ++i)
        QTest::addRow("missing file %d", i + 1) << i << QStringLiteral("missing");
    QTest::newRow("word file is a directory") << 0 << QStringLiteral("directory");
    QTest::newRow("phrase file is a directory") << 3 << QStringLiteral("directory");
    QTest::newRow("translation file is a FIFO") << 1 << QStringLiteral("fifo");
    QTest::newRow("word file unreadable") << 0 << QStringLiteral("unreadable");
}

void TestLoading::failsToOpen()
{
    QFETCH(int, brokenFile);
    QFETCH(QString, kind);
    if (kind == QLatin1String("unreadable") && geteuid() == 0)
        QSKIP("file permissions do not bind the superuser");

    QTemporaryDir dir;
    const QList<QString> paths
        = writeFiles(dir, RawDictionaryFiles{"a\n", "一\n", "\n", "\n", "\n"});
    const QString broken = paths[brokenFile];
    QFile::remove(broken);
    if (kind == QLatin1String("directory"))
        QVERIFY(QDir().mkdir(broken));
    if (kind == QLatin1String("fifo"))
        QCOMPARE(mkfifo(QFile::encodeName(broken).constData(), 0600), 0);
    if (kind == QLatin1String("unreadable")) {
        QVERIFY(writeBytes(broken, "a\n"));
        QVERIFY(QFile::setPermissions(broken, QFileDevice::WriteOwner));
    }

    LogCapture log;
    ConlangDictionary dictionary;
    QVERIFY(!load(dictionary, paths));
    // Only the first failure is named; the files after it are never tried.
    QCOMPARE(log.messages(),
             QList<QString>{QStringLiteral("错误：无法打开文件 \"%1\"").arg(broken)});
    QVERIFY(isEmpty(dictionary));
}

void TestLoading::reloadKeepsNoStaleRecords()
{
    QTemporaryDir dir;
    const QList<QString> paths
        = writeFiles(dir, RawDictionaryFiles{"a\nb\n", "一\n二\n", "\n\n", "\n\n", "\n\n"});
    LogCapture log;
    ConlangDictionary dictionary;
    QVERIFY(load(dictionary, paths));

    QFile::remove(paths[4]);
    QVERIFY(!load(dictionary, paths));
    QVERIFY(isEmpty(dictionary));
    QCOMPARE(dictionary.lookupByNumIndex(1), nullptr);

    writeFiles(dir, RawDictionaryFiles{"c\n", "三\n", "\n", "\n", "\n"});
    QVERIFY(load(dictionary, paths));
    QCOMPARE(recordsByNumber(dictionary), QList<QString>{"1|c|三|||"});
}

void TestLoading::writesLoadReport()
{
    QTemporaryDir dir;
    const QList<QString> paths = writeFiles(
        dir,
        RawDictionaryFiles{
            "Tavu\n", "天\n", "ko.;ka.\n", "tavu huhuhu,tavu ber\n", "禾岚航空,天是\n"});
    LogCapture log;
    ConlangDictionary dictionary;
    QVERIFY(load(dictionary, paths));
    const QList<QString> expected = {
        "\n=== 词典加载完成 ===",
        "总词条数: 1",
        "单词索引大小: 1",
        "中文翻译索引大小: 1",
        "词性索引大小: 2",
        "首字母索引大小: 1",
        "词典加载成功！",
        "\n示例数据（前3个词条）:",
        "单词: \"Tavu\"",
        "翻译: \"天\"",
        "词性: \"ko.;ka.\"",
        "词组:",
        "   \"tavu huhuhu\"  ->  \"禾岚航空\"",
        "   \"tavu ber\"  ->  \"天是\"",
        "---",
        "总词组数: 2",
        "平均每个词条词组数: 2",
        "\n=== 完整词条列表 ===",
        "找到包含'tavu'的词条:",
        "  单词: \"Tavu\"",
        "  翻译: \"天\"",
        "  词组: QList(\"tavu huhuhu\", \"tavu ber\")",
        "1 . 单词: \"Tavu\"  翻译: \"天\"",
    };
    QCOMPARE(log.messages(), expected);
}

void TestLoading::reportsProgressAndEmptyDictionary()
{
    // 250 lines; line 100 is a gap, so only 200 reports progress.
    RawDictionaryFiles raw;
    for (int n = 1; n <= 250; ++n) {
        const bool gap = n == 100;
        raw.words += gap ? "\n" : QByteArray("w") + QByteArray::number(n % 7) + "\n";
        raw.translations += gap ? "\n" : QByteArray("义") + QByteArray::number(n % 3) + "\n";
        raw.tags += "\n";
        raw.phrases += "p" + QByteArray::number(n) + "\n";
        raw.phraseTranslations += "q" + QByteArray::number(n) + "\n";
    }
    QTemporaryDir dir;
    const QList<QString> paths = writeFiles(dir, raw);
    LogCapture log;
    ConlangDictionary dictionary;
    QVERIFY(load(dictionary, paths));
    const QList<QString> messages = log.messages();
    QCOMPARE(messages.filter(QStringLiteral("已加载")), QList<QString>{"已加载 200 行..."});
    const qsizetype report = messages.indexOf(QStringLiteral("\n=== 词典加载完成 ==="));
    QCOMPARE(messages.mid(report, 8),
             (QList<QString>{"\n=== 词典加载完成 ===",
                             "总词条数: 249",
                             "单词索引大小: 7",
                             "中文翻译索引大小: 3",
                             "词性索引大小: 0",
                             "首字母索引大小: 1",
                             "警告：存在大小写不敏感的重复单词！",
                             "词典加载成功！"}));
    QVERIFY(messages.contains(QStringLiteral("总词组数: 7")));
    QVERIFY(messages.contains(QStringLiteral("平均每个词条词组数: 0.0281124")));
    // Three sample entries of four or five lines each, then the first seven of the list.
    QCOMPARE(messages.count(QStringLiteral("---")), 3);
    QCOMPARE(messages.filter(QStringLiteral(". 单词:")).size(), 7);

    log.clear();
    writeFiles(dir, RawDictionaryFiles{"", "", "", "", ""});
    QVERIFY(!load(dictionary, paths));
    QCOMPARE(log.messages(),
             (QList<QString>{"\n=== 词典加载完成 ===",
                             "总词条数: 0",
                             "单词索引大小: 0",
                             "中文翻译索引大小: 0",
                             "词性索引大小: 0",
                             "首字母索引大小: 0",
                             "\n=== 完整词条列表 ==="}));
}

void TestLoading::survivesHostileContent()
{
    // A line of several megabytes, and a phrase line of 100,000 commas.
    const QByteArray longWord(6 * 1024 * 1024, 'x');
    const QByteArray commas(100000, ',');
    QTemporaryDir dir;
    const QList<QString> paths = writeFiles(
        dir,
        RawDictionaryFiles{longWord + "\nb\n", "一\n二\n", "\n;;;;\n", commas + "\np\n", "\n甲\n"});
    LogCapture log;
    ConlangDictionary dictionary;
    QVERIFY(load(dictionary, paths));
    QCOMPARE(dictionary.lookupByNumIndex(1)->word.size(), longWord.size());
    QVERIFY(dictionary.lookupByNumIndex(1)->phrases.isEmpty());
    QCOMPARE(describeRecord(*dictionary.lookupByNumIndex(2)), QStringLiteral("2|b|二|;;;;|p|甲"));
    QVERIFY(dictionary.posIndexData().isEmpty());
}

void TestLoading::loadsMillionLines()
{
    constexpr int lines = 1000000;
    QByteArray words, translations, empty(lines, '\n');
    words.reserve(lines * 8);
    translations.reserve(lines * 8);
    for (int n = 1; n <= lines; ++n) {
        words += "w" + QByteArray::number(n) + "\n";
        translations += "译\n";
    }
    QTemporaryDir dir;
    const QList<QString> paths
        = writeFiles(dir, RawDictionaryFiles{words, translations, empty, empty, empty});
    LogCapture log;
    ConlangDictionary dictionary;
    QVERIFY(load(dictionary, paths));
    QCOMPARE(dictionary.numberIndexData().size(), lines);
    QCOMPARE(dictionary.wordIndexData().size(), lines);
    QCOMPARE(dictionary.lookupByNumIndex(lines)->word, QStringLiteral("w1000000"));
    QCOMPARE(dictionary.chineseIndexData().value("译").size(), lines);
    QCOMPARE(log.messages().filter(QStringLiteral("已加载")).size(), lines / 100);
}

void TestLoading::splitsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QList<QString>>("pieces");

    QTest::newRow("empty pieces dropped") << "a,,b" << QChar(',') << QList<QString>{"a", "b"};
    QTest::newRow("blanks kept") << " a , b" << QChar(',') << QList<QString>{" a ", " b"};
    QTest::newRow("empty text") << "" << QChar(',') << QList<QString>{};
    QTest::newRow("only separators") << ";;;" << QChar(';') << QList<QString>{};
    QTest::newRow("case-sensitive separator")
        << "aXbxc" << QChar('x') << QList<QString>{"aXb", "c"};
    QTest::newRow("full-width comma is text") << "a，b" << QChar(',') << QList<QString>{"a，b"};
}

void TestLoading::splitsText()
{
    QFETCH(QString, text);
    QFETCH(QChar, separator);
    QFETCH(QList<QString>, pieces);
    QCOMPARE(ConlangDictionary().splitString(text, separator), pieces);
}

void TestLoading::recognisesIntegers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("integer");

    const QList<QString> integers
        = {"42", "-7", "+7", " 42 ", "\t12\n", "0", "2147483647", "-2147483648"};
    for (const QString &text : integers)
        QTest::addRow("integer '%s'", qPrintable(text)) << text << true;
    const QList<QString> others
        = {"", " ", "4.2", "0x10", "1,000", "2147483648", "-2147483649", "12a", "１２", "1 2"};
    for (const QString &text : others)
        QTest::addRow("not '%s'", qPrintable(text)) << text << false;
}

void TestLoading::recognisesIntegers()
{
    QFETCH(QString, text);
    QFETCH(bool, integer);
    QCOMPARE(ConlangDictionary::isInteger(text), integer);
}

QTEST_GUILESS_MAIN(TestLoading)
#include "tst_loading.moc"

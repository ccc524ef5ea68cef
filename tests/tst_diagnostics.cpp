#include "ConlangDictionary.h"
#include "DictionaryFiles.h"
#include "LogCapture.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Rows written as "word|translation|tags|phrases|phrase translations", one row per line.
QList<DictionaryRow> parseRows(const QStringList &rows)
{
    QList<DictionaryRow> parsed;
    for (const QString &row : rows) {
        const QStringList fields = row.split(QLatin1Char('|'));
        parsed.append(
            {fields.value(0), fields.value(1), fields.value(2), fields.value(3), fields.value(4)});
    }
    return parsed;
}

bool writeDictionary(const QString &folder, const QStringList &rows)
{
    return !writeDictionaryFiles(folder, parseRows(rows)).words.isEmpty();
}

// Runs a test body in another working directory and always comes back.
class WorkingDirectory
{
public:
    explicit WorkingDirectory(const QString &path)
        : m_previous(QDir::currentPath())
    {
        m_entered = QDir::setCurrent(path);
    }
    ~WorkingDirectory() { QDir::setCurrent(m_previous); }
    bool entered() const { return m_entered; }

private:
    QString m_previous;
    bool m_entered = false;
};

// Position of `block` as consecutive messages at or after `from`, or -1.
qsizetype indexOfBlock(const QStringList &messages, const QStringList &block, qsizetype from)
{
    for (qsizetype start = from; start + block.size() <= messages.size(); ++start) {
        if (messages.mid(start, block.size()) == block)
            return start;
    }
    return -1;
}

// Checks that each block appears, in order, as a run of consecutive messages and that the last
// block ends the log; other messages may come between blocks. Returns the first block that
// does not fit, or an empty text.
QString blocksInOrder(const QStringList &messages, const QList<QStringList> &blocks)
{
    qsizetype from = 0;
    for (const QStringList &block : blocks) {
        const qsizetype at = indexOfBlock(messages, block, from);
        if (at < 0)
            return block.join(QLatin1Char('|'));
        from = at + block.size();
    }
    return from == messages.size() ? QString() : "messages after the last block";
}

const QString flightWords = "tavu|飞行|ka.|tavu huhuhu,kalo tavu|禾岚航空,登机口";

} // namespace

class TestDiagnostics : public QObject
{
    Q_OBJECT

private slots:
    void printStatistics_data();
    void printStatistics();
    void printStatisticsOfEmptyDictionary();
    void runTests_data();
    void runTests();
    void testSearchFunctionsWithoutFiles();
    void testSearchFunctions_data();
    void testSearchFunctions();
};

void TestDiagnostics::printStatistics_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("words differing in case count once")
        << QStringList{"huhuhu|禾岚|n.||", "Huhuhu|禾岚人|ko.||", "ber|是|kei.;ka.||"}
        << QStringList{"\n=== 词典统计信息 ===",
                       "总词条数: 2",
                       "中文翻译数: 3",
                       "词性索引数: 4",
                       "首字母索引数: 2",
                       "所有单词数: 2",
                       "\n首字母分布:",
                       "   'b' : 1 个单词",
                       "   'h' : 2 个单词"};
    // The debug stream writes a non-ASCII letter as an escape.
    QTest::newRow("letters in code-unit order") << QStringList{"禾|禾苗|ko.||",
                                                               "zum|蜜蜂|ko.||",
                                                               "7up|汽水|n.||",
                                                               "apa|谁|kei.||",
                                                               "ahu|火|ko.||"}
                                                << QStringList{"\n=== 词典统计信息 ===",
                                                               "总词条数: 5",
                                                               "中文翻译数: 5",
                                                               "词性索引数: 3",
                                                               "首字母索引数: 4",
                                                               "所有单词数: 5",
                                                               "\n首字母分布:",
                                                               "   '7' : 1 个单词",
                                                               "   'a' : 2 个单词",
                                                               "   'z' : 1 个单词",
                                                               "   '\\u79be' : 1 个单词"};
    QTest::newRow("shared translation and gap")
        << QStringList{"kalo|门|ko.||", "||||", "dor|门|ko.;ko.||"}
        << QStringList{"\n=== 词典统计信息 ===",
                       "总词条数: 2",
                       "中文翻译数: 1",
                       "词性索引数: 1",
                       "首字母索引数: 2",
                       "所有单词数: 2",
                       "\n首字母分布:",
                       "   'd' : 1 个单词",
                       "   'k' : 1 个单词"};
}

void TestDiagnostics::printStatistics()
{
    QFETCH(QStringList, rows);
    QFETCH(QStringList, expected);

    const TemporaryDictionary loaded(parseRows(rows));
    QVERIFY(loaded.isLoaded());
    const ConlangDictionary &dictionary = loaded.dictionary();
    LogCapture log;

    dictionary.printStatistics();
    QCOMPARE(log.messages(), expected);
}

void TestDiagnostics::printStatisticsOfEmptyDictionary()
{
    const ConlangDictionary dictionary;
    LogCapture log;
    dictionary.printStatistics();
    QCOMPARE(log.messages(),
             QStringList({"\n=== 词典统计信息 ===",
                          "总词条数: 0",
                          "中文翻译数: 0",
                          "词性索引数: 0",
                          "首字母索引数: 0",
                          "所有单词数: 0",
                          "\n首字母分布:"}));
}

void TestDiagnostics::runTests_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("every check passes") << QStringList{flightWords,
                                                       "huhuhu|禾岚|n.|tami huhuhu|禾岚语",
                                                       "kalo|门|ko.||",
                                                       "tami|语言|ko.||",
                                                       "orvan|奥凡| N. ;kiu.||"}
                                        << QStringList{"\n=== 运行词典测试 ===",
                                                       "✓ 单词查询测试通过: \"tavu\" -> \"飞行\"",
                                                       "  包含词组:",
                                                       "     \"tavu huhuhu\" -> \"禾岚航空\"",
                                                       "     \"kalo tavu\" -> \"登机口\"",
                                                       "✓ 模糊查询测试通过，找到 2 个建议",
                                                       "  建议: \"tavu\" ( 75 %)",
                                                       "  建议: \"tami\" ( 50 %)",
                                                       "✓ 词性搜索测试通过，找到 2 个结果",
                                                       "✓ 词组搜索测试通过，找到 1 个结果",
                                                       "  结果: \"tavu\" -> \"飞行\"",
                                                       "✓ 中文词组搜索测试通过，找到 1 个结果",
                                                       "=== 测试完成 ==="};
    QTest::newRow("word in capitals, no phrases")
        << QStringList{"Tavu|飞行|ka.||", "huhuhu|禾岚|n.||"}
        << QStringList{"\n=== 运行词典测试 ===",
                       "✓ 单词查询测试通过: \"Tavu\" -> \"飞行\"",
                       "✓ 模糊查询测试通过，找到 1 个建议",
                       "  建议: \"tavu\" ( 75 %)",
                       "✓ 词性搜索测试通过，找到 1 个结果",
                       "✗ 词组搜索测试失败",
                       "✗ 中文词组搜索测试失败",
                       "=== 测试完成 ==="};
    QTest::newRow("no tavu, later checks still report")
        << QStringList{"huhuhu|禾岚|n.|tavu huhuhu|禾岚航空", "kalo|门|ko.||", "ber|是|kei.||"}
        << QStringList{"\n=== 运行词典测试 ===",
                       "✗ 单词查询测试失败",
                       "✗ 模糊查询测试失败",
                       "✓ 词性搜索测试通过，找到 1 个结果",
                       "✓ 词组搜索测试通过，找到 1 个结果",
                       "  结果: \"huhuhu\" -> \"禾岚\"",
                       "✓ 中文词组搜索测试通过，找到 1 个结果",
                       "=== 测试完成 ==="};
    QTest::newRow("every check fails") << QStringList{"ber|是|kei.;ka.||"}
                                       << QStringList{"\n=== 运行词典测试 ===",
                                                      "✗ 单词查询测试失败",
                                                      "✗ 模糊查询测试失败",
                                                      "✗ 词性搜索测试失败",
                                                      "✗ 词组搜索测试失败",
                                                      "✗ 中文词组搜索测试失败",
                                                      "=== 测试完成 ==="};
}

void TestDiagnostics::runTests()
{
    QFETCH(QStringList, rows);
    QFETCH(QStringList, expected);

    const TemporaryDictionary loaded(parseRows(rows));
    QVERIFY(loaded.isLoaded());
    const ConlangDictionary &dictionary = loaded.dictionary();
    LogCapture log;

    dictionary.runTests();
    QCOMPARE(log.messages(), expected);
}

void TestDiagnostics::testSearchFunctionsWithoutFiles()
{
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkdir("run"));
    WorkingDirectory here(root.filePath("run"));
    QVERIFY(here.entered());

    LogCapture log;
    ConlangDictionary::testSearchFunctions();
    // The loader names the file it could not open; the harness adds one line and stops.
    QCOMPARE(log.messages(), QStringList({"错误：无法打开文件 \"../values.txt\"", "加载词典失败"}));
}

void TestDiagnostics::testSearchFunctions_data()
{
    QTest::addColumn<QStringList>("rows"); // the dictionary in the parent folder
    QTest::addColumn<QList<QStringList>>(
        "blocks"); // runs of messages, in order, the last at the end

    // The searches write their own trace before each count line.
    QTest::newRow("each search reports its results")
        << QStringList{flightWords, "huhuhu|禾岚|n.||", "pelo|鸟|ko.|pelo tavu|鸟在飞"}
        << QList<QStringList>{
               {"\n=== 测试搜索功能 ===", "\n1. 测试搜索 'tavu':"},
               {"   找到  2  个结果:",
                "    1 .  \"tavu\"  [ \"word_exact\" ]  分数:  100",
                "       高亮信息:  \"单词完全匹配\"",
                "    2 .  \"pelo\"  [ \"phrase_contains_word\" ]  分数:  95",
                "       高亮信息:  \"词组包含: pelo tavu\"",
                "\n2. 测试搜索 'tavu huhuhu':"},
               {"   找到  1  个结果",
                "    1 .  \"tavu\"  [ \"phrase_exact_word\" ]",
                "\n3. 测试搜索 '禾岚':"},
               {"   找到  1  个结果"},
           };
    QTest::newRow("nothing found") << QStringList{"ber|是|kei.||"}
                                   << QList<QStringList>{
                                          {"\n=== 测试搜索功能 ===", "\n1. 测试搜索 'tavu':"},
                                          {"   没有找到结果", "\n2. 测试搜索 'tavu huhuhu':"},
                                          {"   没有找到结果", "\n3. 测试搜索 '禾岚':"},
                                          {"   没有找到结果"},
                                      };
}

void TestDiagnostics::testSearchFunctions()
{
    QFETCH(QStringList, rows);
    QFETCH(QList<QStringList>, blocks);

    QTemporaryDir root;
    QVERIFY(writeDictionary(root.path(), rows));
    QVERIFY(QDir(root.path()).mkdir("run"));
    WorkingDirectory here(root.filePath("run"));
    QVERIFY(here.entered());

    LogCapture log;
    ConlangDictionary::testSearchFunctions();
    const QStringList messages = log.messages();
    QVERIFY(!messages.contains("加载词典失败"));
    QCOMPARE(blocksInOrder(messages, blocks), QString());
}

QTEST_GUILESS_MAIN(TestDiagnostics)
#include "tst_diagnostics.moc"

#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "LogCapture.h"
#include "ResultCard.h"
#include "WindowTestSupport.h"

using namespace windowtest;

namespace {

QString lines(const QStringList &cardLines)
{
    return cardLines.join(QLatin1Char('\n'));
}

QString failureCard(const char *spelling)
{
    return lines({"  您还没有输入任何字词呢(⌐■_■)",
                  "  匹配状态：失败",
                  "  正确词汇：",
                  "  最佳翻译：",
                  "  词性：",
                  "  相关词组：",
                  "  该词组翻译：",
                  "  例句：",
                  "  " + QString::fromUtf8(spelling)});
}

const char spellingFine[] = "拼写没有问题";
const char spellingWrong[] = "注意: 拼写有问题！";

// The card for `kalo`, reached by `query`.
QString kaloCard(const QString &query, const char *spelling)
{
    return lines({"  搜索成功：" + query,
                  "  匹配状态：成功",
                  "  正确词汇：kalo",
                  "  最佳翻译：门",
                  "  词性：ka.",
                  "  相关词组：kalo rado",
                  "  该词组翻译：门安全",
                  "  例句：Ber kalo rado?",
                  "  例句中文意义：门安全吗？",
                  "  " + QString::fromUtf8(spelling)});
}

} // namespace

class TestTranslatePage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void showsCardForQuery_data();
    void showsCardForQuery();
    void cardTextIsShownLiterally();
    void writesTraceLines_data();
    void writesTraceLines();
    void leavesInputAndStyleAlone();

    void composesCard_data();
    void composesCard();
    void shortensOnlyOverlongLines_data();
    void shortensOnlyOverlongLines();

private:
    QTemporaryDir m_folder;
};

void TestTranslatePage::initTestCase()
{
    QVERIFY(m_folder.isValid());
    QVERIFY(writeDictionary(m_folder.path(), standardRows()));
}

void TestTranslatePage::showsCardForQuery_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("card");

    QTest::newRow("exact word") << "kalo" << kaloCard("kalo", spellingFine);
    QTest::newRow("other letter case") << "KALO" << kaloCard("KALO", spellingWrong);
    QTest::newRow("misspelt word") << "kalp" << kaloCard("kalp", spellingWrong);
    QTest::newRow("word with blanks is taken as typed")
        << " kalo " << kaloCard(" kalo ", spellingWrong);
    QTest::newRow("entry number with blanks") << " 12 "
                                              << lines({"  搜索成功：12",
                                                        "  匹配状态：成功",
                                                        "  正确词汇：w12",
                                                        "  最佳翻译：词12",
                                                        "  词性：ko.",
                                                        "  相关词组：",
                                                        "  该词组翻译：",
                                                        "  例句：Ber ini na w12?",
                                                        "  例句中文意义：你有词12吗？",
                                                        "  注意: 拼写有问题！"});
    QTest::newRow("number without entry") << "7" << failureCard(spellingFine);
    QTest::newRow("Chinese query") << "门"
                                   << lines({"  搜索成功：门",
                                             "  匹配状态：成功",
                                             "  正确词汇：门",
                                             "  最佳翻译：kalo",
                                             "  词性：ka.",
                                             "  相关词组：kalo rado",
                                             "  该词组翻译：门安全",
                                             "  例句：Ber kalo rado?",
                                             "  例句中文意义：门安全吗？",
                                             "  拼写没有问题"});
    QTest::newRow("Chinese query without result") << "飞机" << failureCard(spellingWrong);
    QTest::newRow("other query without result") << "qqqq" << failureCard(spellingFine);
    QTest::newRow("empty query") << "" << failureCard(spellingFine);
    QTest::newRow("query with %2") << "pa%2"
                                   << lines({"  搜索成功：pa%2",
                                             "  匹配状态：成功",
                                             "  正确词汇：pa%2",
                                             "  最佳翻译：百%1分",
                                             "  词性：ko.",
                                             "  相关词组：",
                                             "  该词组翻译：",
                                             "  例句：Ber ini na pa%2?",
                                             "  例句中文意义：你有百%1分吗？",
                                             "  拼写没有问题"});
    QTest::newRow("ko. example") << "tavu"
                                 << lines({"  搜索成功：tavu",
                                           "  匹配状态：成功",
                                           "  正确词汇：tavu",
                                           "  最佳翻译：禾岚",
                                           "  词性：ko.",
                                           "  相关词组：tavu huhuhu",
                                           "  该词组翻译：禾岚航空",
                                           "  例句：Ber ini na tavu?",
                                           "  例句中文意义：你有禾岚吗？",
                                           "  拼写没有问题"});
    QTest::newRow("kiu. example, entry without phrases")
        << "orvan"
        << lines({"  搜索成功：orvan",
                  "  匹配状态：成功",
                  "  正确词汇：orvan",
                  "  最佳翻译：奥凡",
                  "  词性：kiu.",
                  "  相关词组：",
                  "  该词组翻译：",
                  "  例句：Ber orvan ber orvan?",
                  "  例句中文意义：奥凡是不是奥凡的？",
                  "  拼写没有问题"});
    QTest::newRow("default example") << "mira"
                                     << lines({"  搜索成功：mira",
                                               "  匹配状态：成功",
                                               "  正确词汇：mira",
                                               "  最佳翻译：镜子",
                                               "  词性：n.",
                                               "  相关词组：",
                                               "  该词组翻译：",
                                               "  例句：",
                                               "  例句中文意义：",
                                               "  拼写没有问题"});
    QTest::newRow("several tags give the default example") << "zuno"
                                                           << lines({"  搜索成功：zuno",
                                                                     "  匹配状态：成功",
                                                                     "  正确词汇：zuno",
                                                                     "  最佳翻译：书",
                                                                     "  词性：ka.;ko.",
                                                                     "  相关词组：",
                                                                     "  该词组翻译：",
                                                                     "  例句：",
                                                                     "  例句中文意义：",
                                                                     "  拼写没有问题"});
    QTest::newRow("text that looks like markup") << "<b>x</b>"
                                                 << lines({"  搜索成功：<b>x</b>",
                                                           "  匹配状态：成功",
                                                           "  正确词汇：<b>x</b>",
                                                           "  最佳翻译：<i>斜</i>",
                                                           "  词性：ko.",
                                                           "  相关词组：<u>p</u>",
                                                           "  该词组翻译：<s>q</s>",
                                                           "  例句：Ber ini na <b>x</b>?",
                                                           "  例句中文意义：你有<i>斜</i>吗？",
                                                           "  拼写没有问题"});
}

void TestTranslatePage::showsCardForQuery()
{
    QFETCH(QString, query);
    QFETCH(QString, card);

    const auto window = openWindowIn(m_folder.path());
    QVERIFY(window);
    search(input(*window), query);
    QCOMPARE(windowtest::card(*window)->text(), card);
}

void TestTranslatePage::cardTextIsShownLiterally()
{
    const auto window = openWindowIn(m_folder.path());
    auto *card = windowtest::card(*window);
    search(input(*window), "<b>x</b>");
    QVERIFY(card->text().contains("<b>x</b>"));

    // Laid out as plain text, the markup takes room of its own: a label that
    // renders it as rich text would be narrower.
    QCOMPARE(card->textFormat(), Qt::PlainText);
    QLabel plain(card->text());
    plain.setFont(card->font());
    plain.setTextFormat(Qt::PlainText);
    QLabel rich(card->text());
    rich.setFont(card->font());
    rich.setTextFormat(Qt::RichText);
    QCOMPARE(card->sizeHint(), plain.sizeHint());
    QVERIFY(card->sizeHint() != rich.sizeHint());
}

void TestTranslatePage::writesTraceLines_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QList<QString>>("lastMessages");

    QTest::newRow("word") << "kalo" << QList<QString>{"2", "搜索成功： \"kalo\" -> \"门\""};
    QTest::newRow("Chinese") << "门" << QList<QString>{"2", "搜索成功： \"门\" -> \"kalo\""};
    QTest::newRow("number") << " 12 " << QList<QString>{"0", "搜索成功： \"12\" -> \"词12\""};
    const QString card = failureCard(spellingFine);
    QTest::newRow("no result") << "qqqq"
                               << QList<QString>{u'"' + QString(card).replace(u'\n', "\\n") + u'"'};
}

void TestTranslatePage::writesTraceLines()
{
    QFETCH(QString, query);
    QFETCH(QList<QString>, lastMessages);

    const auto window = openWindowIn(m_folder.path());
    auto *input = windowtest::input(*window);
    input->clear();
    typeText(input, query);

    LogCapture log;
    QTest::keyClick(input, Qt::Key_Return);
    const QList<QString> messages = log.messages(QtDebugMsg);
    // The search's own trace comes first, then the page's lines.
    QVERIFY(messages.size() > lastMessages.size());
    QCOMPARE(messages.mid(messages.size() - lastMessages.size()), lastMessages);
    QVERIFY(messages.first().startsWith("\n=== smartSearch: 开始搜索 "));
}

void TestTranslatePage::leavesInputAndStyleAlone()
{
    const auto window = openWindowIn(m_folder.path());
    auto *input = windowtest::input(*window);
    auto *card = windowtest::card(*window);
    const QString style = card->styleSheet();

    for (const char *query : {"kalo", "qqqq"}) {
        search(input, QLatin1String(query));
        QCOMPARE(input->text(), QLatin1String(query));
        QVERIFY(input->isEnabled());
        QCOMPARE(card->styleSheet(), style);
    }
}

void TestTranslatePage::composesCard_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("results"); // how many copies of the entry were found
    QTest::addColumn<QStringList>("entry"); // word, translation, part of speech
    QTest::addColumn<QStringList>("phrases");
    QTest::addColumn<QStringList>("phraseTranslations");
    QTest::addColumn<QString>("card");

    const QStringList none;
    QTest::newRow("nothing found")
        << "kalo" << 0 << none << none << none << failureCard(spellingFine);
    QTest::newRow("nothing found, mainly Chinese")
        << "门门a" << 0 << none << none << none << failureCard(spellingWrong);
    QTest::newRow("nothing found, little Chinese")
        << "门ab" << 0 << none << none << none << failureCard(spellingFine);
    QTest::newRow("first of several results, first phrase only")
        << "kalo" << 3 << QStringList{"kalo", "门", "ka."} << QStringList{"kalo rado", "sumi kalo"}
        << QStringList{"门安全", "小门"} << kaloCard("kalo", spellingFine);
    QTest::newRow("mainly Chinese query swaps word and translation")
        << "门门a" << 1 << QStringList{"kalo", "门", "x"} << none << none
        << lines({"  搜索成功：门门a",
                  "  匹配状态：成功",
                  "  正确词汇：门",
                  "  最佳翻译：kalo",
                  "  词性：x",
                  "  相关词组：",
                  "  该词组翻译：",
                  "  例句：",
                  "  例句中文意义：",
                  "  拼写没有问题"});
    QTest::newRow("place markers in every field stay literal")
        << "%9%1" << 1 << QStringList{"%9%1", "%2%3", "%4"} << QStringList{"%5"}
        << QStringList{"%6"}
        << lines({"  搜索成功：%9%1",
                  "  匹配状态：成功",
                  "  正确词汇：%9%1",
                  "  最佳翻译：%2%3",
                  "  词性：%4",
                  "  相关词组：%5",
                  "  该词组翻译：%6",
                  "  例句：",
                  "  例句中文意义：",
                  "  拼写没有问题"});
    QTest::newRow("phrase without translation")
        << "kalo" << 1 << QStringList{"kalo", "门", "ko."} << QStringList{"kalo rado"} << none
        << lines({"  搜索成功：kalo",
                  "  匹配状态：成功",
                  "  正确词汇：kalo",
                  "  最佳翻译：门",
                  "  词性：ko.",
                  "  相关词组：kalo rado",
                  "  该词组翻译：",
                  "  例句：Ber ini na kalo?",
                  "  例句中文意义：你有门吗？",
                  "  拼写没有问题"});
}

void TestTranslatePage::composesCard()
{
    QFETCH(QString, query);
    QFETCH(int, results);
    QFETCH(QStringList, entry);
    QFETCH(QStringList, phrases);
    QFETCH(QStringList, phraseTranslations);
    QFETCH(QString, card);

    DictionaryEntry best;
    best.word = entry.value(0);
    best.translation = entry.value(1);
    best.partOfSpeech = entry.value(2);
    best.phrases = phrases;
    best.phraseTranslations = phraseTranslations;
    DictionaryEntry other;
    other.word = "other";

    QList<SearchResult> found;
    for (int i = 0; i < results; ++i)
        found.append({i == 0 ? &best : &other, "word_exact", 100.0, QString()});

    LogCapture log;
    const ConlangDictionary dictionary;
    QCOMPARE(composeResultCard(query, found, dictionary), card);
}

void TestTranslatePage::shortensOnlyOverlongLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    const QString longest(longestShownLine, u'x');
    const QString cut = longest + u'…';
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("card") << "  搜索成功：kalo\n  匹配状态：成功"
                          << "  搜索成功：kalo\n  匹配状态：成功";
    QTest::newRow("line at the limit") << longest << longest;
    QTest::newRow("line one past it") << longest + u'y' << cut;
    QTest::newRow("line at the limit among others") << "a\n" + longest + "\nb"
                                                    << "a\n" + longest + "\nb";
    QTest::newRow("only the long line") << "a\n" + longest + "yy\n\nb"
                                        << "a\n" + cut + "\n\nb";
    QTest::newRow("Chinese") << QString(longestShownLine + 5, u'禾')
                             << QString(longestShownLine, u'禾') + u'…';
}

void TestTranslatePage::shortensOnlyOverlongLines()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(shortenedForDisplay(text), shown);
}

QTEST_MAIN(TestTranslatePage)
#include "tst_translate_page.moc"

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
    return lines({QStringLiteral("  您还没有输入任何字词呢(⌐■_■)"),
                  QStringLiteral("  匹配状态：失败"),
                  QStringLiteral("  正确词汇："),
                  QStringLiteral("  最佳翻译："),
                  QStringLiteral("  词性："),
                  QStringLiteral("  相关词组："),
                  QStringLiteral("  该词组翻译："),
                  QStringLiteral("  例句："),
                  QStringLiteral("  ") + QString::fromUtf8(spelling)});
}

const char spellingFine[] = "拼写没有问题";
const char spellingWrong[] = "注意: 拼写有问题！";

// The card for `kalo`, reached by `query`.
QString kaloCard(const QString &query, const char *spelling)
{
    return lines({QStringLiteral("  搜索成功：") + query,
                  QStringLiteral("  匹配状态：成功"),
                  QStringLiteral("  正确词汇：kalo"),
                  QStringLiteral("  最佳翻译：门"),
                  QStringLiteral("  词性：ka."),
                  QStringLiteral("  相关词组：kalo rado"),
                  QStringLiteral("  该词组翻译：门安全"),
                  QStringLiteral("  例句：Ber kalo rado?"),
                  QStringLiteral("  例句中文意义：门安全吗？"),
                  QStringLiteral("  ") + QString::fromUtf8(spelling)});
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

    QTest::newRow("exact word") << "kalo" << kaloCard(QStringLiteral("kalo"), spellingFine);
    QTest::newRow("other letter case") << "KALO" << kaloCard(QStringLiteral("KALO"), spellingWrong);
    QTest::newRow("misspelt word") << "kalp" << kaloCard(QStringLiteral("kalp"), spellingWrong);
    QTest::newRow("word with blanks is taken as typed")
        << " kalo " << kaloCard(QStringLiteral(" kalo "), spellingWrong);
    QTest::newRow("entry number with blanks")
        << " 12 "
        << lines({QStringLiteral("  搜索成功：12"),
                  QStringLiteral("  匹配状态：成功"),
                  QStringLiteral("  正确词汇：w12"),
                  QStringLiteral("  最佳翻译：词12"),
                  QStringLiteral("  词性：ko."),
                  QStringLiteral("  相关词组："),
                  QStringLiteral("  该词组翻译："),
                  QStringLiteral("  例句：Ber ini na w12?"),
                  QStringLiteral("  例句中文意义：你有词12吗？"),
                  QStringLiteral("  注意: 拼写有问题！")});
    QTest::newRow("number without entry") << "7" << failureCard(spellingFine);
    QTest::newRow("Chinese query") << "门"
                                   << lines({QStringLiteral("  搜索成功：门"),
                                             QStringLiteral("  匹配状态：成功"),
                                             QStringLiteral("  正确词汇：门"),
                                             QStringLiteral("  最佳翻译：kalo"),
                                             QStringLiteral("  词性：ka."),
                                             QStringLiteral("  相关词组：kalo rado"),
                                             QStringLiteral("  该词组翻译：门安全"),
                                             QStringLiteral("  例句：Ber kalo rado?"),
                                             QStringLiteral("  例句中文意义：门安全吗？"),
                                             QStringLiteral("  拼写没有问题")});
    QTest::newRow("Chinese query without result") << "飞机" << failureCard(spellingWrong);
    QTest::newRow("other query without result") << "qqqq" << failureCard(spellingFine);
    QTest::newRow("empty query") << "" << failureCard(spellingFine);
    QTest::newRow("query with %2") << "pa%2"
                                   << lines({QStringLiteral("  搜索成功：pa%2"),
                                             QStringLiteral("  匹配状态：成功"),
                                             QStringLiteral("  正确词汇：pa%2"),
                                             QStringLiteral("  最佳翻译：百%1分"),
                                             QStringLiteral("  词性：ko."),
                                             QStringLiteral("  相关词组："),
                                             QStringLiteral("  该词组翻译："),
                                             QStringLiteral("  例句：Ber ini na pa%2?"),
                                             QStringLiteral("  例句中文意义：你有百%1分吗？"),
                                             QStringLiteral("  拼写没有问题")});
    QTest::newRow("ko. example") << "tavu"
                                 << lines({QStringLiteral("  搜索成功：tavu"),
                                           QStringLiteral("  匹配状态：成功"),
                                           QStringLiteral("  正确词汇：tavu"),
                                           QStringLiteral("  最佳翻译：禾岚"),
                                           QStringLiteral("  词性：ko."),
                                           QStringLiteral("  相关词组：tavu huhuhu"),
                                           QStringLiteral("  该词组翻译：禾岚航空"),
                                           QStringLiteral("  例句：Ber ini na tavu?"),
                                           QStringLiteral("  例句中文意义：你有禾岚吗？"),
                                           QStringLiteral("  拼写没有问题")});
    QTest::newRow("kiu. example, entry without phrases")
        << "orvan"
        << lines({QStringLiteral("  搜索成功：orvan"),
                  QStringLiteral("  匹配状态：成功"),
                  QStringLiteral("  正确词汇：orvan"),
                  QStringLiteral("  最佳翻译：奥凡"),
                  QStringLiteral("  词性：kiu."),
                  QStringLiteral("  相关词组："),
                  QStringLiteral("  该词组翻译："),
                  QStringLiteral("  例句：Ber orvan ber orvan?"),
                  QStringLiteral("  例句中文意义：奥凡是不是奥凡的？"),
                  QStringLiteral("  拼写没有问题")});
    QTest::newRow("default example") << "mira"
                                     << lines({QStringLiteral("  搜索成功：mira"),
                                               QStringLiteral("  匹配状态：成功"),
                                               QStringLiteral("  正确词汇：mira"),
                                               QStringLiteral("  最佳翻译：镜子"),
                                               QStringLiteral("  词性：n."),
                                               QStringLiteral("  相关词组："),
                                               QStringLiteral("  该词组翻译："),
                                               QStringLiteral("  例句："),
                                               QStringLiteral("  例句中文意义："),
                                               QStringLiteral("  拼写没有问题")});
    QTest::newRow("several tags give the default example")
        << "zuno"
        << lines({QStringLiteral("  搜索成功：zuno"),
                  QStringLiteral("  匹配状态：成功"),
                  QStringLiteral("  正确词汇：zuno"),
                  QStringLiteral("  最佳翻译：书"),
                  QStringLiteral("  词性：ka.;ko."),
                  QStringLiteral("  相关词组："),
                  QStringLiteral("  该词组翻译："),
                  QStringLiteral("  例句："),
                  QStringLiteral("  例句中文意义："),
                  QStringLiteral("  拼写没有问题")});
    QTest::newRow("text that looks like markup")
        << "<b>x</b>"
        << lines({QStringLiteral("  搜索成功：<b>x</b>"),
                  QStringLiteral("  匹配状态：成功"),
                  QStringLiteral("  正确词汇：<b>x</b>"),
                  QStringLiteral("  最佳翻译：<i>斜</i>"),
                  QStringLiteral("  词性：ko."),
                  QStringLiteral("  相关词组：<u>p</u>"),
                  QStringLiteral("  该词组翻译：<s>q</s>"),
                  QStringLiteral("  例句：Ber ini na <b>x</b>?"),
                  QStringLiteral("  例句中文意义：你有<i>斜</i>吗？"),
                  QStringLiteral("  拼写没有问题")});
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
    search(input(*window), QStringLiteral("<b>x</b>"));
    QVERIFY(card->text().contains(QStringLiteral("<b>x</b>")));

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

    QTest::newRow("word") << "kalo"
                          << QList<QString>{QStringLiteral("2"),
                                            QStringLiteral("搜索成功： \"kalo\" -> \"门\"")};
    QTest::newRow("Chinese") << "门"
                             << QList<QString>{QStringLiteral("2"),
                                               QStringLiteral("搜索成功： \"门\" -> \"kalo\"")};
    QTest::newRow("number") << " 12 "
                            << QList<QString>{QStringLiteral("0"),
                                              QStringLiteral("搜索成功： \"12\" -> \"词12\"")};
    const QString card = failureCard(spellingFine);
    QTest::newRow("no result")
        << "qqqq"
        << QList<QString>{u'"' + QString(card).replace(u'\n', QStringLiteral("\\n")) + u'"'};
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
    QVERIFY(messages.first().startsWith(QStringLiteral("\n=== smartSearch: 开始搜索 ")));
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
        << "kalo" << 3
        << QStringList{QStringLiteral("kalo"), QStringLiteral("门"), QStringLiteral("ka.")}
        << QStringList{QStringLiteral("kalo rado"), QStringLiteral("sumi kalo")}
        << QStringList{QStringLiteral("门安全"), QStringLiteral("小门")}
        << kaloCard(QStringLiteral("kalo"), spellingFine);
    QTest::newRow("mainly Chinese query swaps word and translation")
        << "门门a" << 1
        << QStringList{QStringLiteral("kalo"), QStringLiteral("门"), QStringLiteral("x")} << none
        << none
        << lines({QStringLiteral("  搜索成功：门门a"),
                  QStringLiteral("  匹配状态：成功"),
                  QStringLiteral("  正确词汇：门"),
                  QStringLiteral("  最佳翻译：kalo"),
                  QStringLiteral("  词性：x"),
                  QStringLiteral("  相关词组："),
                  QStringLiteral("  该词组翻译："),
                  QStringLiteral("  例句："),
                  QStringLiteral("  例句中文意义："),
                  QStringLiteral("  拼写没有问题")});
    QTest::newRow("place markers in every field stay literal")
        << "%9%1" << 1
        << QStringList{QStringLiteral("%9%1"), QStringLiteral("%2%3"), QStringLiteral("%4")}
        << QStringList{QStringLiteral("%5")} << QStringList{QStringLiteral("%6")}
        << lines({QStringLiteral("  搜索成功：%9%1"),
                  QStringLiteral("  匹配状态：成功"),
                  QStringLiteral("  正确词汇：%9%1"),
                  QStringLiteral("  最佳翻译：%2%3"),
                  QStringLiteral("  词性：%4"),
                  QStringLiteral("  相关词组：%5"),
                  QStringLiteral("  该词组翻译：%6"),
                  QStringLiteral("  例句："),
                  QStringLiteral("  例句中文意义："),
                  QStringLiteral("  拼写没有问题")});
    QTest::newRow("phrase without translation")
        << "kalo" << 1
        << QStringList{QStringLiteral("kalo"), QStringLiteral("门"), QStringLiteral("ko.")}
        << QStringList{QStringLiteral("kalo rado")} << none
        << lines({QStringLiteral("  搜索成功：kalo"),
                  QStringLiteral("  匹配状态：成功"),
                  QStringLiteral("  正确词汇：kalo"),
                  QStringLiteral("  最佳翻译：门"),
                  QStringLiteral("  词性：ko."),
                  QStringLiteral("  相关词组：kalo rado"),
                  QStringLiteral("  该词组翻译："),
                  QStringLiteral("  例句：Ber ini na kalo?"),
                  QStringLiteral("  例句中文意义：你有门吗？"),
                  QStringLiteral("  拼写没有问题")});
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
    other.word = QStringLiteral("other");

    QList<SearchResult> found;
    for (int i = 0; i < results; ++i)
        found.append({i == 0 ? &best : &other, QStringLiteral("word_exact"), 100.0, QString()});

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
    QTest::newRow("card") << QStringLiteral("  搜索成功：kalo\n  匹配状态：成功")
                          << QStringLiteral("  搜索成功：kalo\n  匹配状态：成功");
    QTest::newRow("line at the limit") << longest << longest;
    QTest::newRow("line one past it") << longest + u'y' << cut;
    QTest::newRow("only the long line") << QStringLiteral("a\n") + longest
            + QStringLiteral("yy\n\nb") << QStringLiteral("a\n") + cut + QStringLiteral("\n\nb");
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

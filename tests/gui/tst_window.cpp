#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include "LogCapture.h"
#include "WindowLook.h"
#include "WindowTestSupport.h"

using namespace windowtest;

namespace {

const QString postLoadCard = QStringLiteral(
    "  您还没有输入任何字词呢(⌐■_■)\n  匹配状态：???\n  您的输入：\n  最佳翻译：\n  词性：\n"
    "  相关词组：\n  该词组翻译：\n  例句：\n  例句翻译：\n  拼写没有问题！");

const QString buttonStyle = QStringLiteral(
    "QPushButton {\n    background-color: #1F6AA5;\n    color: white;\n\tborder-radius: 4px;\n}\n"
    "QPushButton:hover{\n\tbackground-color: #144870\n}");

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void startsLoaded();
    void startsFailedWithoutTexts();
    void failedWindowRefusesToSearch();

    void formLayout_data();
    void formLayout();
    void formTexts();
    void namedLooks_data();
    void namedLooks();
    void formStylesAndCursors();

    void navigationButtons();

    void readsFileLineByLine();
    void warnsWhenFileIsMissing();

private:
    QTemporaryDir m_loadedFolder;
    QTemporaryDir m_emptyFolder;
};

void TestWindow::initTestCase()
{
    QVERIFY(m_loadedFolder.isValid());
    QVERIFY(m_emptyFolder.isValid());
    QVERIFY(writeDictionary(m_loadedFolder.path(), standardRows()));
}

void TestWindow::startsLoaded()
{
    LogCapture log;
    const auto window = openWindowIn(m_loadedFolder.path());
    QVERIFY(window);

    auto *status = windowtest::status(*window);
    QCOMPARE(status->text(), "加载已完成！");
    QCOMPARE(status->styleSheet(), windowlook::loadedStatusStyle());
    QCOMPARE(card(*window)->text(), postLoadCard);
    QVERIFY(input(*window)->isEnabled());
    QCOMPARE(pages(*window)->currentIndex(), windowlook::translatePage);

    // Own lines around the loader's report; the self-tests follow the success line.
    const QList<QString> messages = log.messages(QtDebugMsg);
    QVERIFY(!messages.isEmpty());
    QCOMPARE(messages.first(), "词典加载中...");
    const int loaded = messages.indexOf("字典加载完成！下一步：自检");
    QVERIFY(loaded > messages.indexOf("\n=== 词典加载完成 ==="));
    QVERIFY(loaded > 0);
    QCOMPARE(messages.value(loaded + 1), "\n=== 运行词典测试 ===");
    QCOMPARE(messages.last(), "=== 测试完成 ===");
    QVERIFY(!messages.contains("词典初始化失败！"));
}

void TestWindow::startsFailedWithoutTexts()
{
    LogCapture log;
    const auto window = openWindowIn(m_emptyFolder.path());
    QVERIFY(window);

    auto *card = windowtest::card(*window);
    QCOMPARE(card->text(), "请确保texts与varnell.exe位于同一目录下!");
    QCOMPARE(card->styleSheet(), windowlook::failureStyle());
    auto *status = windowtest::status(*window);
    QCOMPARE(status->text(), "词典加载失败，功能不可用");
    QCOMPARE(status->styleSheet(), windowlook::failureStyle());
    QVERIFY(!input(*window)->isEnabled());
    QCOMPARE(pages(*window)->currentIndex(), windowlook::translatePage);

    const QList<QString> expected
        = {"词典加载中...", "错误：无法打开文件 \"./texts/values.txt\"", "词典初始化失败！"};
    QCOMPARE(log.messages(QtDebugMsg), expected);
}

void TestWindow::failedWindowRefusesToSearch()
{
    const auto window = openWindowIn(m_emptyFolder.path());
    auto *input = windowtest::input(*window);
    input->setText("kalo");

    LogCapture log;
    window->on_lineEdit_translate_returnPressed();
    QCOMPARE(card(*window)->text(), "        词典未加载，请检查文件");
    QCOMPARE(log.messages(), QList<QString>{"词典未加载,无法搜索"});
    QCOMPARE(input->text(), "kalo");
    QVERIFY(!input->isEnabled());
}

void TestWindow::formLayout_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("ownPointSize"); // 0: inherits its font

    auto row = [](const char *name, const char *cls, const char *parent, QRect rect, int size) {
        QTest::newRow(name) << QString::fromLatin1(cls) << QString::fromLatin1(parent) << rect
                            << size;
    };
    row("btn2trans", "QPushButton", "Widget", {40, 200, 211, 41}, 12);
    row("btn2vocab", "QPushButton", "Widget", {40, 250, 211, 41}, 11);
    row("btn2settings", "QPushButton", "Widget", {40, 590, 211, 41}, 11);
    row("title", "QLabel", "Widget", {50, 80, 191, 61}, 28);
    row("subtitle", "QLabel", "Widget", {90, 150, 101, 31}, 18);
    row("stackedWidget", "QStackedWidget", "Widget", {291, 0, 631, 681}, 0);
    row("vocabScrollArea", "QScrollArea", "vocabulary", {0, 90, 631, 591}, 10);
    row("label_4", "QLabel", "vocabulary", {170, 30, 281, 51}, 25);
    row("label", "QLabel", "translatePage", {200, 50, 261, 51}, 0);
    row("label_result", "QLabel", "translatePage", {80, 200, 471, 351}, 19);
    row("lineEdit_translate", "QLineEdit", "translatePage", {80, 130, 471, 35}, 12);
    row("label_3", "QLabel", "translatePage", {80, 560, 471, 101}, 14);
    row("label_2", "QLabel", "translatePage", {80, 170, 471, 21}, 15);
}

void TestWindow::formLayout()
{
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    QFETCH(QRect, geometry);
    QFETCH(int, ownPointSize);

    const auto window = openWindowIn(m_loadedFolder.path());
    QCOMPARE(window->size(), QSize(921, 680));
    QCOMPARE(window->font().pointSize(), 25);

    auto *widget = window->findChild<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QCOMPARE(widget->parentWidget()->objectName(), parentName);
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->testAttribute(Qt::WA_SetFont), ownPointSize != 0);
    QCOMPARE(widget->font().pointSize(), ownPointSize != 0 ? ownPointSize : 25);
}

void TestWindow::formTexts()
{
    const auto window = openWindowIn(m_emptyFolder.path());
    QCOMPARE(window->windowTitle(), "Widget");
    auto text = [&](const char *name) {
        return window->findChild<QLabel *>(QLatin1String(name))->text();
    };
    auto buttonText = [&](const char *name) {
        return window->findChild<QPushButton *>(QLatin1String(name))->text();
    };
    QCOMPARE(buttonText("btn2trans"), "翻译🔍");
    QCOMPARE(buttonText("btn2vocab"), "📕所有词汇📚");
    QCOMPARE(buttonText("btn2settings"), "⚙设置(开发中)");
    QCOMPARE(text("title"), "禾岚大词典");
    QCOMPARE(text("subtitle"), "-v3.1.0-1");
    QCOMPARE(text("label_4"), "这里是所有的词汇！");
    QCOMPARE(text("label"), "翻译你想翻译的…");
    QCOMPARE(text("label_3"),
             QStringLiteral("注:ko=名词,kiu=形容词和副词,koler=代词,koos=介词\nka=动词,"
                            "kei=助词和疑问词\n结果使用了模糊匹配算法,尽量保证精确(^^ゞ!\n"
                            "可以通过索引搜索！但是好像没什么用……"));
    auto *input = windowtest::input(*window);
    QCOMPARE(input->toolTip(), "<html><head/><body><p>快输入\\(￣︶￣*\\))</p></body></html>");
    QCOMPARE(input->placeholderText(), "请输入文本……滚木滚木滚木滚木滚木滚木滚木滚木滚木滚木滚木");

    // Two pages (namedLooks checks their order), and the card shows its text as plain text.
    QCOMPARE(pages(*window)->count(), 2);
    QCOMPARE(card(*window)->textFormat(), Qt::PlainText);
}

// The names of windowlook against the literal pages and styles the window must show: every other
// test uses the names, so a changed colour or a reordered page fails here.
void TestWindow::namedLooks_data()
{
    QTest::addColumn<QString>("named");
    QTest::addColumn<QString>("shown");

    const auto window = openWindowIn(m_emptyFolder.path());
    const auto pageName = [&](int page) { return pages(*window)->widget(page)->objectName(); };
    QTest::newRow("vocabulary page") << pageName(windowlook::vocabularyPage) << "vocabulary";
    QTest::newRow("translate page") << pageName(windowlook::translatePage) << "translatePage";
    QTest::newRow("light card")
        << windowlook::lightCardStyle()
        << "QLabel{background-color: #F8F8F8; border-radius: 9px; color: #1A1A1A}";
    QTest::newRow("dark card")
        << windowlook::darkCardStyle()
        << "QLabel{background-color: #282828; border-radius: 9px; color: #f3f3f3}";
    QTest::newRow("loaded status") << windowlook::loadedStatusStyle() << "color: #27FF97";
    QTest::newRow("load failure") << windowlook::failureStyle() << "color: #FF0D0D";
}

void TestWindow::namedLooks()
{
    QFETCH(QString, named);
    QFETCH(QString, shown);
    QCOMPARE(named, shown);
}

void TestWindow::formStylesAndCursors()
{
    const auto window = openWindowIn(m_loadedFolder.path());
    for (const char *name : {"btn2trans", "btn2vocab", "btn2settings"}) {
        auto *button = window->findChild<QPushButton *>(QLatin1String(name));
        QCOMPARE(button->styleSheet(), buttonStyle);
        QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
    }
    auto *legend = window->findChild<QLabel *>("label_3");
    QCOMPARE(legend->styleSheet(), "QLabel{\n\tcolor: #27FF97;\n}");
    QCOMPARE(legend->contextMenuPolicy(), Qt::NoContextMenu);
    QCOMPARE(card(*window)->cursor().shape(), Qt::IBeamCursor);
    QVERIFY(vocabularyArea(*window)->widgetResizable());
    QVERIFY(window->styleSheet().isEmpty());
}

void TestWindow::navigationButtons()
{
    const auto window = openWindowIn(m_loadedFolder.path());
    auto *pages = windowtest::pages(*window);
    auto *card = windowtest::card(*window);
    const QString cardText = card->text();

    settingsButton(*window)->click();
    QCOMPARE(pages->currentIndex(), windowlook::translatePage);
    translateButton(*window)->click();
    QCOMPARE(pages->currentIndex(), windowlook::translatePage);

    vocabularyButton(*window)->click();
    QCOMPARE(pages->currentIndex(), windowlook::vocabularyPage);
    settingsButton(*window)->click();
    QCOMPARE(pages->currentIndex(), windowlook::vocabularyPage);
    translateButton(*window)->click();
    QCOMPARE(pages->currentIndex(), windowlook::translatePage);
    QCOMPARE(card->text(), cardText);
}

void TestWindow::readsFileLineByLine()
{
    QTemporaryDir folder;
    QFile file(folder.filePath("lines.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF  kalo \r\n\n   \ntavu\t\n禾岚");
    file.close();

    LogCapture log;
    const QList<QString> expected = {"kalo", "tavu", "禾岚"};
    QCOMPARE(readFileLineByLine(file.fileName()), expected);
    QVERIFY(log.messages().isEmpty());
}

void TestWindow::warnsWhenFileIsMissing()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("missing.txt");
    LogCapture log;
    QVERIFY(readFileLineByLine(path).isEmpty());
    QCOMPARE(log.messages(QtWarningMsg),
             QList<QString>{QStringLiteral("无法打开文件,词典页无法渲染 \"%1\"").arg(path)});
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"

#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include "WindowLook.h"
#include "WindowTestSupport.h"

using namespace windowtest;

namespace {

QList<QLabel *> cardsOf(QWidget *page)
{
    return page->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace

class TestVocabularyPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void placesCards_data();
    void placesCards();
    void looksUpOnlyFiftyOneNumbers();
    void cardsAreFramedPlainText();
    void secondClickReplacesThePage();
    void emptyGridWhenLoadFailed();
    void translateButtonKeepsTheGrid();

private:
    QTemporaryDir m_folder;
};

void TestVocabularyPage::initTestCase()
{
    QVERIFY(m_folder.isValid());
    QVERIFY(writeDictionary(m_folder.path(), standardRows()));
}

void TestVocabularyPage::placesCards_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text"); // empty: the cell holds no card

    QTest::newRow("1") << 0 << 0 << "kalo ka.\n门";
    QTest::newRow("5") << 0 << 4 << "<b>x</b> ko.\n<i>斜</i>";
    QTest::newRow("6") << 1 << 0 << "pa%2 ko.\n百%1分";
    QTest::newRow("7 has no entry") << 1 << 1 << "";
    QTest::newRow("8 keeps its place") << 1 << 2 << "zuno ka.;ko.\n书";
    QTest::newRow("9 without part of speech") << 1 << 3 << "w9 \n词9";
    QTest::newRow("50") << 9 << 4 << "w50 ko.\n词50";
    QTest::newRow("51") << 10 << 0 << "w51 ko.\n词51";
    QTest::newRow("after 51") << 10 << 1 << "";
}

void TestVocabularyPage::placesCards()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);

    const auto window = openWindowIn(m_folder.path());
    vocabularyButton(*window)->click();
    QCOMPARE(pages(*window)->currentIndex(), windowlook::vocabularyPage);

    auto *grid = qobject_cast<QGridLayout *>(vocabularyArea(*window)->widget()->layout());
    QVERIFY(grid);
    QLayoutItem *item = grid->itemAtPosition(row, column);
    if (text.isEmpty()) {
        QVERIFY(!item);
        return;
    }
    QVERIFY(item);
    auto *card = qobject_cast<QLabel *>(item->widget());
    QVERIFY(card);
    QCOMPARE(card->text(), text);
    QCOMPARE(item->alignment(), Qt::Alignment());
}

void TestVocabularyPage::looksUpOnlyFiftyOneNumbers()
{
    const auto window = openWindowIn(m_folder.path());
    vocabularyButton(*window)->click();
    QWidget *page = vocabularyArea(*window)->widget();
    auto *grid = qobject_cast<QGridLayout *>(page->layout());

    // 51 numbers, one of them a gap; 52 and 53 exist but are never shown.
    const QList<QLabel *> cards = cardsOf(page);
    QCOMPARE(cards.size(), 50);
    QCOMPARE(grid->count(), 50);
    QCOMPARE(grid->rowCount(), 11);
    QCOMPARE(grid->columnCount(), 5);
    for (const QLabel *card : cards)
        QVERIFY2(!card->text().startsWith("w52") && !card->text().startsWith("w53"),
                 qPrintable(card->text()));
}

void TestVocabularyPage::cardsAreFramedPlainText()
{
    const auto window = openWindowIn(m_folder.path());
    vocabularyButton(*window)->click();
    QWidget *page = vocabularyArea(*window)->widget();
    QVERIFY(page->parentWidget() == vocabularyArea(*window)->viewport());

    for (const QLabel *card : cardsOf(page)) {
        QCOMPARE(card->frameStyle(), int(QFrame::Box));
        QCOMPARE(card->alignment(), Qt::AlignCenter);
        QCOMPARE(card->textFormat(), Qt::PlainText);
        QVERIFY(!card->testAttribute(Qt::WA_SetFont));
        QCOMPARE(card->font().pointSize(), 10);
    }
}

void TestVocabularyPage::secondClickReplacesThePage()
{
    const auto window = openWindowIn(m_folder.path());
    QScrollArea *area = vocabularyArea(*window);
    QPointer<QWidget> placeholder = area->widget();
    QCOMPARE(placeholder->objectName(), "scrollAreaWidgetContents");
    QPointer<QWidget> placeholderGrid = window->findChild<QWidget *>("gridLayoutWidget");

    vocabularyButton(*window)->click();
    QPointer<QWidget> firstPage = area->widget();
    QPointer<QLabel> firstCard = cardsOf(firstPage).value(0);
    QVERIFY(firstCard);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!placeholder);
    QVERIFY(!placeholderGrid);

    vocabularyButton(*window)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!firstPage);
    QVERIFY(!firstCard);
    QWidget *secondPage = area->widget();
    QVERIFY(secondPage);
    QCOMPARE(cardsOf(secondPage).size(), 50);
    QCOMPARE(window->findChildren<QGridLayout *>().size(), 1);
}

void TestVocabularyPage::emptyGridWhenLoadFailed()
{
    QTemporaryDir empty;
    const auto window = openWindowIn(empty.path());
    vocabularyButton(*window)->click();
    QWidget *page = vocabularyArea(*window)->widget();
    QVERIFY(page);
    QVERIFY(qobject_cast<QGridLayout *>(page->layout()));
    QVERIFY(cardsOf(page).isEmpty());
}

void TestVocabularyPage::translateButtonKeepsTheGrid()
{
    const auto window = openWindowIn(m_folder.path());
    vocabularyButton(*window)->click();
    QPointer<QWidget> page = vocabularyArea(*window)->widget();
    translateButton(*window)->click();
    QCOMPARE(pages(*window)->currentIndex(), windowlook::translatePage);
    QCOMPARE(vocabularyArea(*window)->widget(), page.data());
    QCOMPARE(cardsOf(page).size(), 50);
}

QTEST_MAIN(TestVocabularyPage)
#include "tst_vocabulary_page.moc"

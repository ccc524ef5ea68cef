// Every text of the window stays whole with a given desktop font at a given
// scale factor: each visible text is drawn again with the font its widget
// really has, without clipping, into an image larger than the widget, and no
// ink may fall outside the widget's rectangle.
//
// CTest runs this program once for each desktop font and scale factor
// (VARNELL_TEST_DESKTOP_FONT, QT_SCALE_FACTOR). The font is made the
// desktop's choice the way a desktop does it: a fontconfig file
// (FONTCONFIG_FILE) prefers it for sans-serif, which is also what Qt falls
// back to for characters the font lacks.

#include <QApplication>
#include <QBitmap>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegion>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include "WholeText.h"
#include "WindowTestSupport.h"

using namespace windowtest;

namespace {

// Room around the widget for ink that runs out of it, in logical pixels.
constexpr int inkMargin = 40;

bool isWhole(const QMargins &overflow)
{
    return overflow.left() <= 0 && overflow.top() <= 0 && overflow.right() <= 0
        && overflow.bottom() <= 0;
}

// A text as its widget draws it: where (in the widget's coordinates), how
// aligned, with which font.
struct DrawnText
{
    QWidget *widget = nullptr;
    QString text;
    QRect rect;
    int flags = 0;
};

// How far the ink of a text runs outside its widget, in logical pixels
// (rounded up), per side.
QMargins inkOutsideWidget(const DrawnText &drawn, const QFont &font)
{
    const qreal ratio = drawn.widget->devicePixelRatioF();
    const QSize logical = drawn.widget->size() + QSize(2 * inkMargin, 2 * inkMargin);
    QImage image(logical * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.translate(inkMargin, inkMargin);
        painter.drawText(drawn.rect, drawn.flags | Qt::TextDontClip, drawn.text);
    }
    // Ink is what the mask keeps: at least half covered, as a reader sees it.
    QBitmap mask = QBitmap::fromImage(image.createAlphaMask());
    mask.setDevicePixelRatio(1);
    const QRect ink = QRegion(mask).boundingRect();
    if (ink.isEmpty())
        return {};
    const int left = ink.left(), top = ink.top(), right = ink.right(), bottom = ink.bottom();
    // Device pixels of ink against the widget's rectangle, then logical pixels.
    const qreal inside0 = inkMargin * ratio;
    const qreal insideRight = (inkMargin + drawn.widget->width()) * ratio;
    const qreal insideBottom = (inkMargin + drawn.widget->height()) * ratio;
    auto logicalPixels = [ratio](qreal devicePixels) { return qCeil(devicePixels / ratio); };
    return QMargins(logicalPixels(inside0 - left),
                    logicalPixels(inside0 - top),
                    logicalPixels(right + 1 - insideRight),
                    logicalPixels(bottom + 1 - insideBottom));
}

DrawnText labelText(QLabel *label)
{
    // A label lays its text out in its contents rectangle (the window's
    // labels have neither margin nor indent).
    return {label, label->text(), label->contentsRect(), int(label->alignment())};
}

DrawnText buttonText(QPushButton *button)
{
    return {button, button->text(), button->rect(), Qt::AlignCenter | Qt::TextShowMnemonic};
}

DrawnText placeholderText(QLineEdit *edit)
{
    // The placeholder sits in the frame's contents, cut with an ellipsis at its width.
    const QRect contents = edit->rect().adjusted(4, 2, -4, -2);
    const QString shown
        = edit->fontMetrics().elidedText(edit->placeholderText(), Qt::ElideRight, contents.width());
    return {edit, shown, contents, Qt::AlignLeft | Qt::AlignVCenter};
}

QList<DrawnText> textsOf(QWidget *widget)
{
    if (auto *label = qobject_cast<QLabel *>(widget))
        return {labelText(label)};
    if (auto *button = qobject_cast<QPushButton *>(widget))
        return {buttonText(button)};
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return {placeholderText(edit)};
    // A scroll area: every card of the vocabulary grid.
    QList<DrawnText> texts;
    const auto *area = qobject_cast<QScrollArea *>(widget);
    for (QLabel *card : area->widget()->findChildren<QLabel *>())
        texts.append(labelText(card));
    return texts;
}

} // namespace

class TestFonts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void textsAreWhole_data();
    void textsAreWhole();
    void followsTheDesktopFont();

private:
    // The shipped dictionary lies in texts/ beside the sources.
    std::unique_ptr<Widget> openShipped()
    {
        return openWindowIn(QStringLiteral(VARNELL_SHIPPED_TEXTS_DIR "/.."));
    }

    QTemporaryDir m_emptyFolder;
};

void TestFonts::initTestCase()
{
    const QString wanted = qEnvironmentVariable("VARNELL_TEST_DESKTOP_FONT");
    QVERIFY2(QFontDatabase::hasFamily(wanted), qPrintable(wanted + " is not installed"));
    QCOMPARE(QFontInfo(QApplication::font()).family(), wanted);
    QVERIFY(m_emptyFolder.isValid());
}

void TestFonts::textsAreWhole_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QString>("query"); // typed and searched first; empty: none
    QTest::addColumn<bool>("vocabulary"); // the vocabulary page shown first
    QTest::addColumn<int>("formPointSize"); // of a label the window may refit; 0: none
    // An edge of the label moved to its ink as the form's font draws it, then the label refitted:
    // `into` pixels into the ink (cut), or 0: the last step before it (whole: nothing changes).
    QTest::addColumn<int>("edge"); // Qt::Edge; 0: none
    QTest::addColumn<int>("into");

    auto row = [](const char *tag,
                  const char *name,
                  bool loaded,
                  const char *query,
                  bool vocab,
                  int size,
                  int edge = 0,
                  int into = 0) {
        QTest::newRow(tag) << QString::fromLatin1(name) << loaded << QString::fromUtf8(query)
                           << vocab << size << edge << into;
    };
    row("title", "title", true, "", false, 28);
    row("subtitle", "subtitle", true, "", false, 18);
    row("translate button", "btn2trans", true, "", false, 0);
    row("vocabulary button", "btn2vocab", true, "", false, 0);
    row("settings button", "btn2settings", true, "", false, 0);
    row("page heading", "label", true, "", false, 25);
    row("load status", "label_2", true, "", false, 15);
    row("load failure status", "label_2", false, "", false, 15);
    row("input placeholder", "lineEdit_translate", true, "", false, 0);
    row("card before a search", "label_result", true, "", false, 19);
    row("card after tavu", "label_result", true, "tavu", false, 19);
    row("card after a Chinese query", "label_result", true, "禾岚", false, 19);
    row("card after a failed search", "label_result", true, "qqqqzzzz", false, 19);
    row("card without dictionary", "label_result", false, "", false, 19);
    row("legend", "label_3", true, "", false, 14);
    row("vocabulary heading", "label_4", true, "", true, 25);
    row("vocabulary cards", "vocabScrollArea", true, "", true, 0);
    row("title cut by its last column of ink", "title", true, "", false, 28, Qt::RightEdge, 1);
    row("title cut by its last row of ink", "title", true, "", false, 28, Qt::BottomEdge, 1);
    row("title cut by its first column of ink", "title", true, "", false, 28, Qt::LeftEdge, 1);
    row("title cut by its first row of ink", "title", true, "", false, 28, Qt::TopEdge, 1);
    row("title cut by 8 pixels", "title", true, "", false, 28, Qt::RightEdge, 8);
    row("title up to its last column of ink", "title", true, "", false, 28, Qt::RightEdge, 0);
    row("title up to its last row of ink", "title", true, "", false, 28, Qt::BottomEdge, 0);
    row("title up to its first column of ink", "title", true, "", false, 28, Qt::LeftEdge, 0);
}

void TestFonts::textsAreWhole()
{
    QFETCH(QString, objectName);
    QFETCH(bool, loaded);
    QFETCH(QString, query);
    QFETCH(bool, vocabulary);
    QFETCH(int, formPointSize);
    QFETCH(int, edge);
    QFETCH(int, into);

    const auto window = loaded ? openShipped() : openWindowIn(m_emptyFolder.path());
    QVERIFY(window);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto *widget = window->findChild<QWidget *>(objectName);
    QVERIFY(widget);
    const QList<DrawnText> shownBefore = textsOf(widget);
    if (!query.isEmpty())
        search(input(*window), query);
    if (vocabulary)
        vocabularyButton(*window)->click();
    if (edge != 0) {
        auto *label = qobject_cast<QLabel *>(widget);
        // Aligned to the opposite edges, so that only the moving edge comes near the ink.
        label->setAlignment((edge == Qt::LeftEdge ? Qt::AlignRight : Qt::AlignLeft)
                            | (edge == Qt::TopEdge ? Qt::AlignBottom : Qt::AlignTop));
        QFont formFont = QApplication::font();
        formFont.setPointSize(formPointSize);
        const auto cutByForm
            = [&] { return !isWhole(inkOutsideWidget(labelText(label), formFont)); };
        const auto shrink = [&](int pixels) {
            if (edge == Qt::TopEdge || edge == Qt::BottomEdge)
                label->resize(label->width(), label->height() - pixels);
            else
                label->resize(label->width() - pixels, label->height());
        };
        while (cutByForm())
            shrink(-1);
        while (!cutByForm())
            shrink(1);
        shrink(into - 1);
        // As when the desktop's font changes.
        QEvent fontChange(QEvent::FontChange);
        QApplication::sendEvent(window.get(), &fontChange);
        QCoreApplication::processEvents();
    }

    QVERIFY(widget->isVisible());
    QStringList cut;
    const QList<DrawnText> texts = textsOf(widget);
    for (const DrawnText &drawn : texts) {
        const QMargins out = inkOutsideWidget(drawn, widget->font());
        if (!isWhole(out))
            cut.append(QStringLiteral("%1: left %2 top %3 right %4 bottom %5")
                           .arg(drawn.text.left(24).replace(u'\n', u'/'))
                           .arg(out.left())
                           .arg(out.top())
                           .arg(out.right())
                           .arg(out.bottom()));
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));
    // Letters come closer by at most 5 % of the font's size.
    QVERIFY(-widget->font().letterSpacing() <= 0.05 * QFontInfo(widget->font()).pixelSize());

    // Where every text the widget has shown is whole with the desktop's font
    // at the form's size, the window changes nothing.
    if (formPointSize == 0)
        return;
    QFont formFont = QApplication::font();
    formFont.setPointSize(formPointSize);
    for (const DrawnText &drawn : shownBefore + texts) {
        if (!isWhole(inkOutsideWidget(drawn, formFont)))
            return;
    }
    QCOMPARE(QFontInfo(widget->font()).family(), QFontInfo(formFont).family());
    QCOMPARE(widget->font().pointSize(), formPointSize);
    QCOMPARE(widget->font().letterSpacing(), 0.0);
}

void TestFonts::followsTheDesktopFont()
{
    // The user picks another desktop font while the window is open: the card
    // is refitted to a tall one and returns to the form's font with a compact one.
    const QFont desktopFont = QApplication::font();
    const auto window = openShipped();
    auto *card = windowtest::card(*window);
    search(input(*window), "tavu");

    QApplication::setFont(QFont("Noto Sans CJK SC"));
    QTRY_VERIFY(isWhole(inkOutsideWidget(labelText(card), card->font())));
    QApplication::setFont(QFont(compactChineseFamily()));
    QTRY_COMPARE(card->font().pointSize(), 19);
    QCOMPARE(card->font().letterSpacing(), 0.0);
    QApplication::setFont(desktopFont);
}

QTEST_MAIN(TestFonts)
#include "tst_fonts.moc"

#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "WindowLook.h"
#include "WindowTestSupport.h"

using namespace windowtest;

namespace {

const QString formCardStyle = "QLabel{\n\tbackground-color: #3b3b3b;\n\tborder-radius: 9px\n}";

QString styleFor(ColorScheme scheme)
{
    switch (scheme) {
    case ColorScheme::Light:
        return windowlook::lightCardStyle();
    case ColorScheme::Dark:
        return windowlook::darkCardStyle();
    default:
        return formCardStyle;
    }
}

} // namespace

class TestColorScheme : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void startsInTheCurrentScheme_data();
    void startsInTheCurrentScheme();
    void followsSchemeChanges();
    void unknownSchemeKeepsTheStyle();
    void failedStartKeepsHintAcrossChanges();
    void windowsFollowIndependently();

#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
    void derivesSchemeFromPalette_data();
    void derivesSchemeFromPalette();
    void notifiesOnlyRealChanges();
    void notifierGoesWithItsParent();
#endif

private:
    QTemporaryDir m_folder;
};

void TestColorScheme::initTestCase()
{
    QVERIFY(m_folder.isValid());
    QVERIFY(writeDictionary(m_folder.path(), standardRows()));
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // Without the tests' theme plugin nothing below would change the scheme.
    PaletteGuard restore;
    switchColorScheme(ColorScheme::Dark);
    QVERIFY2(currentColorScheme() == ColorScheme::Dark,
             "the platform theme varnell-scheme-test is not loaded (QT_QPA_PLATFORMTHEME)");
#endif
}

void TestColorScheme::startsInTheCurrentScheme_data()
{
    QTest::addColumn<ColorScheme>("scheme");
    QTest::newRow("as the desktop starts") << currentColorScheme();
    QTest::newRow("dark") << ColorScheme::Dark;
    QTest::newRow("light") << ColorScheme::Light;
}

void TestColorScheme::startsInTheCurrentScheme()
{
    QFETCH(ColorScheme, scheme);
    PaletteGuard restore;
    if (scheme != currentColorScheme())
        switchColorScheme(scheme);
    if (scheme != currentColorScheme())
        QSKIP("this Qt can neither derive the scheme from the palette nor ask the theme for one");
    const auto window = openWindowIn(m_folder.path());
    QCOMPARE(card(*window)->styleSheet(), styleFor(scheme));
}

void TestColorScheme::followsSchemeChanges()
{
    PaletteGuard restore;
    const auto window = openWindowIn(m_folder.path());
    QLabel *card = windowtest::card(*window);
    const QString text = card->text();

    switchColorScheme(ColorScheme::Dark);
    QCOMPARE(card->styleSheet(), windowlook::darkCardStyle());
    switchColorScheme(ColorScheme::Light);
    QCOMPARE(card->styleSheet(), windowlook::lightCardStyle());
    switchColorScheme(ColorScheme::Dark);
    QCOMPARE(card->styleSheet(), windowlook::darkCardStyle());
    QCOMPARE(card->text(), text);
}

void TestColorScheme::unknownSchemeKeepsTheStyle()
{
    const auto window = openWindowIn(m_folder.path());
    QLabel *card = windowtest::card(*window);
    card->setStyleSheet(formCardStyle);
    window->updateColors(ColorScheme::Unknown);
    QCOMPARE(card->styleSheet(), formCardStyle);
    window->onColorSchemeChanged(ColorScheme::Dark);
    QCOMPARE(card->styleSheet(), windowlook::darkCardStyle());
    window->onColorSchemeChanged(ColorScheme::Unknown);
    QCOMPARE(card->styleSheet(), windowlook::darkCardStyle());
}

void TestColorScheme::failedStartKeepsHintAcrossChanges()
{
    PaletteGuard restore;
    switchColorScheme(ColorScheme::Dark);
    QTemporaryDir empty;
    const auto window = openWindowIn(empty.path());
    QLabel *card = windowtest::card(*window);
    const QString hint = "请确保texts与varnell.exe位于同一目录下!";

    // The failure style comes after the scheme's, so it wins at start-up.
    QCOMPARE(card->styleSheet(), windowlook::failureStyle());
    QCOMPARE(card->text(), hint);

    switchColorScheme(ColorScheme::Light);
    QCOMPARE(card->styleSheet(), windowlook::lightCardStyle());
    QCOMPARE(card->text(), hint);
}

void TestColorScheme::windowsFollowIndependently()
{
    PaletteGuard restore;
    auto first = openWindowIn(m_folder.path());
    const auto second = openWindowIn(m_folder.path());
    first.reset(); // its connection must go with it
    switchColorScheme(ColorScheme::Dark);
    QCOMPARE(card(*second)->styleSheet(), windowlook::darkCardStyle());
}

#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)

void TestColorScheme::derivesSchemeFromPalette_data()
{
    QTest::addColumn<QColor>("window");
    QTest::addColumn<QColor>("text");
    QTest::addColumn<ColorScheme>("scheme");

    QTest::newRow("light") << QColor(Qt::white) << QColor(Qt::black) << ColorScheme::Light;
    QTest::newRow("dark") << QColor(0x28, 0x28, 0x28) << QColor(0xf3, 0xf3, 0xf3)
                          << ColorScheme::Dark;
    QTest::newRow("equal lightness") << QColor(Qt::gray) << QColor(Qt::gray) << ColorScheme::Light;
    QTest::newRow("dark blue on yellow")
        << QColor(Qt::darkBlue) << QColor(Qt::yellow) << ColorScheme::Dark;
}

void TestColorScheme::derivesSchemeFromPalette()
{
    QFETCH(QColor, window);
    QFETCH(QColor, text);
    QFETCH(ColorScheme, scheme);

    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    QCOMPARE(colorSchemeOf(palette), scheme);

    PaletteGuard restore;
    QApplication::setPalette(palette);
    QCOMPARE(currentColorScheme(), scheme);
}

void TestColorScheme::notifiesOnlyRealChanges()
{
    PaletteGuard restore;
    QApplication::setPalette(paletteFor(ColorScheme::Light));
    QObject owner;
    auto *notifier = new ColorSchemeNotifier(&owner);
    QSignalSpy spy(notifier, &ColorSchemeNotifier::colorSchemeChanged);

    QApplication::setPalette(paletteFor(ColorScheme::Dark));
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).value<ColorScheme>(), ColorScheme::Dark);

    // Another dark palette, then a theme change: the scheme stays dark.
    QPalette otherDark = paletteFor(ColorScheme::Dark);
    otherDark.setColor(QPalette::Button, Qt::darkRed);
    QApplication::setPalette(otherDark);
    QEvent themeChange(QEvent::ThemeChange);
    QCoreApplication::sendEvent(qApp, &themeChange);
    QCOMPARE(spy.size(), 1);

    QApplication::setPalette(paletteFor(ColorScheme::Light));
    QCOMPARE(spy.size(), 2);
    QCOMPARE(spy.at(1).at(0).value<ColorScheme>(), ColorScheme::Light);
}

void TestColorScheme::notifierGoesWithItsParent()
{
    PaletteGuard restore;
    QPointer<ColorSchemeNotifier> notifier;
    {
        QObject owner;
        notifier = new ColorSchemeNotifier(&owner);
    }
    QVERIFY(!notifier);
    QApplication::setPalette(paletteFor(ColorScheme::Dark)); // must not reach a dead filter
    QApplication::setPalette(paletteFor(ColorScheme::Light));
}

#endif

QTEST_MAIN(TestColorScheme)
#include "tst_color_scheme.moc"

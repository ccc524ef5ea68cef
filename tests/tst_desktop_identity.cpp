// The names the desktop uses to match the running window to its installed
// desktop entry, icon and metainfo agree with what the application says
// about itself, and the window icon is legible at task-bar size.

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include "DesktopIdentity.h"
#include "WindowTestSupport.h"

namespace {

// The keys of a desktop entry's main group, without localised variants.
QHash<QString, QString> desktopEntryKeys(const QString &path)
{
    QHash<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0 && !line.left(equals).contains(u'['))
            keys.insert(line.left(equals), line.mid(equals + 1));
    }
    return keys;
}

// The text of the first element `name` in an XML file.
QString xmlElementText(const QString &path, const QString &name)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == name)
            return xml.readElementText();
    }
    return {};
}

} // namespace

class TestDesktopIdentity : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void namesAgree_data();
    void namesAgree();
    void windowIconIsLegibleAtSixteenPixels();
};

void TestDesktopIdentity::initTestCase()
{
    identifyToDesktop();
}

void TestDesktopIdentity::namesAgree_data()
{
    QTest::addColumn<QString>("installed");
    QTest::addColumn<QString>("running");

    const QString entryPath = QStringLiteral(VARNELL_DESKTOP_ENTRY);
    const QHash<QString, QString> entry = desktopEntryKeys(entryPath);
    const QString metainfo = QStringLiteral(VARNELL_METAINFO);
    const QString id = QGuiApplication::desktopFileName();
    const QString name = QCoreApplication::applicationName();
    QTest::newRow("desktop file") << QFileInfo(entryPath).fileName() << id + ".desktop";
    QTest::newRow("entry's icon") << entry.value("Icon") << id;
    QTest::newRow("entry's window class") << entry.value("StartupWMClass") << name;
    QTest::newRow("metainfo file") << QFileInfo(metainfo).fileName() << id + ".metainfo.xml";
    QTest::newRow("metainfo id") << xmlElementText(metainfo, "id") << id;
    QTest::newRow("metainfo launchable")
        << xmlElementText(metainfo, "launchable") << id + ".desktop";
    // The program is named like the application.
    QTest::newRow("metainfo binary") << xmlElementText(metainfo, "binary") << name;
    QTest::newRow("entry's program")
        << QFileInfo(entry.value("Exec").remove(u'"')).fileName() << name;
    QTest::newRow("icon file") << QFileInfo(QStringLiteral(VARNELL_ICON)).fileName() << id + ".svg";
}

void TestDesktopIdentity::namesAgree()
{
    QFETCH(QString, installed);
    QFETCH(QString, running);
    QCOMPARE(installed, running);
}

void TestDesktopIdentity::windowIconIsLegibleAtSixteenPixels()
{
    QTemporaryDir folder;
    const auto window = WindowTest::openWindowIn(folder.path());
    const QImage icon = window->windowIcon().pixmap(16, 16).toImage();
    QCOMPARE(icon.size(), QSize(16, 16));
    // The glyph stands out from the square: both light and dark pixels.
    int light = 0;
    int dark = 0;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const QColor pixel = icon.pixelColor(x, y);
            if (pixel.alpha() < 200)
                continue;
            (pixel.lightness() > 200 ? light : dark) += 1;
        }
    }
    QVERIFY2(light >= 16 && dark >= 64,
             qPrintable(QStringLiteral("%1 light, %2 dark").arg(light).arg(dark)));
}

QTEST_MAIN(TestDesktopIdentity)
#include "tst_desktop_identity.moc"

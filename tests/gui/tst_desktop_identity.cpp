// The names the desktop uses to match the running window to its installed
// desktop entry, icon and metainfo agree with what the application says
// about itself, and the window icon is legible at task-bar size.

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include "DesktopIdentity.h"
#include "WindowTestSupport.h"

namespace {

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
    QSettings entry(entryPath, QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    const QString metainfo = QStringLiteral(VARNELL_METAINFO);
    const QString id = QGuiApplication::desktopFileName();
    const QString name = QCoreApplication::applicationName();
    QTest::newRow("desktop file") << QFileInfo(entryPath).fileName() << id + ".desktop";
    QTest::newRow("entry's icon") << entry.value("Icon").toString() << id;
    QTest::newRow("entry's window class") << entry.value("StartupWMClass").toString() << name;
    QTest::newRow("metainfo file") << QFileInfo(metainfo).fileName() << id + ".metainfo.xml";
    QTest::newRow("metainfo id") << xmlElementText(metainfo, "id") << id;
    QTest::newRow("metainfo launchable")
        << xmlElementText(metainfo, "launchable") << id + ".desktop";
    // The program is named like the application.
    QTest::newRow("metainfo binary") << xmlElementText(metainfo, "binary") << name;
    QTest::newRow("entry's program")
        << QFileInfo(entry.value("Exec").toString()).fileName() << name;
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
    // The icon is an SVG drawn by Qt's plugin, at the size task bars ask for.
    QTemporaryDir folder;
    const auto window = windowtest::openWindowIn(folder.path());
    const QImage icon = window->windowIcon().pixmap(16, 16).toImage();
    QCOMPARE(icon.size(), QSize(16, 16));
    QCOMPARE(icon.pixelColor(8, 1), QColor(0x1F, 0x6A, 0xA5)); // the square
    QCOMPARE(icon.pixelColor(8, 6).lightness(), 255); // the stroke of 禾
}

QTEST_MAIN(TestDesktopIdentity)
#include "tst_desktop_identity.moc"

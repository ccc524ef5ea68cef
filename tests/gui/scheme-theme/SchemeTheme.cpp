#include <QtGui/qpa/qplatformtheme.h>
#include <QtGui/qpa/qplatformthemeplugin.h>
#include <QtGui/qpa/qwindowsysteminterface.h>

#include <QStringList>
#include <QVariant>

// A platform theme for the window tests that reports the colour scheme the application last asked
// for, as a desktop's theme reports the user's choice. The offscreen platform's own theme cannot
// change its scheme, so without this the tests could only fake Qt's colour-scheme signal; with it
// they go through Qt's whole path: QStyleHints::setColorScheme, the theme, Qt's theme-change
// handling, QStyleHints::colorScheme and its colorSchemeChanged signal.
class SchemeTheme : public QPlatformTheme
{
public:
    Qt::ColorScheme colorScheme() const override { return m_scheme; }

    void requestColorScheme(Qt::ColorScheme scheme) override
    {
        m_scheme = scheme;
        // Delivered at once, so a test sees the new scheme when setColorScheme returns.
        QWindowSystemInterface::handleThemeChange<QWindowSystemInterface::SynchronousDelivery>();
    }

    QVariant themeHint(ThemeHint hint) const override
    {
        // The style the offscreen platform's theme names, so the window looks as in other tests.
        if (hint == StyleNames)
            return QStringList{QStringLiteral("Fusion")};
        return QPlatformTheme::themeHint(hint);
    }

private:
    Qt::ColorScheme m_scheme = Qt::ColorScheme::Unknown;
};

class SchemeThemePlugin : public QPlatformThemePlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QPlatformThemeFactoryInterface_iid FILE "SchemeTheme.json")

public:
    QPlatformTheme *create(const QString &key, const QStringList &) override
    {
        return key == QLatin1String("varnell-scheme-test") ? new SchemeTheme : nullptr;
    }
};

#include "SchemeTheme.moc"

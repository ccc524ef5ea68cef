#include "ColorScheme.h"

#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)

#include <QEvent>
#include <QPalette>

ColorScheme colorSchemeOf(const QPalette &palette)
{
    const int background = palette.color(QPalette::Window).lightness();
    const int text = palette.color(QPalette::WindowText).lightness();
    return background < text ? ColorScheme::Dark : ColorScheme::Light;
}

ColorScheme currentColorScheme()
{
    return colorSchemeOf(QGuiApplication::palette());
}

ColorSchemeNotifier::ColorSchemeNotifier(QObject *parent)
    : QObject(parent)
    , m_scheme(currentColorScheme())
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool ColorSchemeNotifier::eventFilter(QObject *watched, QEvent *event)
{
    // A filter on the application sees these events once for the application
    // and again for every widget; only a real change is reported.
    const QEvent::Type type = event->type();
    if (type == QEvent::ApplicationPaletteChange || type == QEvent::ThemeChange) {
        const ColorScheme now = currentColorScheme();
        if (now != m_scheme) {
            m_scheme = now;
            emit colorSchemeChanged(now);
        }
    }
    return QObject::eventFilter(watched, event);
}

#endif

#ifndef COLORSCHEME_H
#define COLORSCHEME_H

#include <QGuiApplication>
#include <QObject>
#include <QStyleHints>
#include <QtGlobal>

// The desktop's light or dark colour scheme. From Qt 6.5 on this is Qt's own
// API; older Qt has no notion of it, so it is derived from the application
// palette there.

#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)

using ColorScheme = Qt::ColorScheme;

inline ColorScheme currentColorScheme()
{
    return QGuiApplication::styleHints()->colorScheme();
}

// Calls `slot` on `receiver` whenever the desktop's colour scheme changes.
template<typename Receiver>
QMetaObject::Connection connectColorSchemeChanged(Receiver *receiver,
                                                  void (Receiver::*slot)(ColorScheme))
{
    return QObject::connect(
        QGuiApplication::styleHints(), &QStyleHints::colorSchemeChanged, receiver, slot);
}

#else

enum class ColorScheme { Unknown, Light, Dark };

// Dark when the palette's window background is darker than its text.
ColorScheme colorSchemeOf(const QPalette &palette);
ColorScheme currentColorScheme();

// Watches the application for palette and theme changes and reports when the
// scheme derived from the palette changes. The filter goes away with the
// object.
class ColorSchemeNotifier : public QObject
{
    Q_OBJECT

public:
    explicit ColorSchemeNotifier(QObject *parent);

signals:
    void colorSchemeChanged(ColorScheme scheme);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ColorScheme m_scheme;
};

// Calls `slot` on `receiver` whenever the desktop's colour scheme changes.
// The notifier lives as a child of the receiver.
template<typename Receiver>
QMetaObject::Connection connectColorSchemeChanged(Receiver *receiver,
                                                  void (Receiver::*slot)(ColorScheme))
{
    auto *notifier = new ColorSchemeNotifier(receiver);
    return QObject::connect(notifier, &ColorSchemeNotifier::colorSchemeChanged, receiver, slot);
}

#endif

#endif // COLORSCHEME_H

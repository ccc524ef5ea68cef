#ifndef WINDOWTESTSUPPORT_H
#define WINDOWTESTSUPPORT_H

// Helpers for the desktop-interface tests: a small dictionary on disk, opening
// the real window from a given working directory, typing into it and
// switching the desktop's colour scheme.

#include <QApplication>
#include <QDir>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QList>
#include <QPalette>
#include <QString>
#include <QStringList>
#include <QTest>

#include <memory>

#include "ColorScheme.h"
#include "DictionaryFiles.h"
#include "widget.h"

namespace WindowTest {

// Writes the five dictionary files into `folder`/texts, one line per row.
inline bool writeDictionary(const QString &folder, const QList<DictionaryRow> &rows)
{
    return QDir(folder).mkpath(QStringLiteral("texts"))
        && !writeDictionaryFiles(folder + QStringLiteral("/texts"), rows).words.isEmpty();
}

// The dictionary most window tests use: special entries on lines 1 to 9
// (line 7 is a gap) and plain fillers w10 ... w53 (translation 词<n>, ko.).
inline QList<DictionaryRow> standardRows()
{
    QList<DictionaryRow> rows = {
        {QStringLiteral("kalo"),
         QStringLiteral("门"),
         QStringLiteral("ka."),
         QStringLiteral("kalo rado,sumi kalo"),
         QStringLiteral("门安全,小门")},
        {QStringLiteral("tavu"),
         QStringLiteral("禾岚"),
         QStringLiteral("ko."),
         QStringLiteral("tavu huhuhu"),
         QStringLiteral("禾岚航空")},
        {QStringLiteral("orvan"),
         QStringLiteral("奥凡"),
         QStringLiteral("kiu."),
         QStringLiteral(""),
         QStringLiteral("")},
        {QStringLiteral("mira"),
         QStringLiteral("镜子"),
         QStringLiteral("n."),
         QStringLiteral(""),
         QStringLiteral("")},
        {QStringLiteral("<b>x</b>"),
         QStringLiteral("<i>斜</i>"),
         QStringLiteral("ko."),
         QStringLiteral("<u>p</u>"),
         QStringLiteral("<s>q</s>")},
        {QStringLiteral("pa%2"),
         QStringLiteral("百%1分"),
         QStringLiteral("ko."),
         QStringLiteral(""),
         QStringLiteral("")},
        {QStringLiteral(""),
         QStringLiteral(""),
         QStringLiteral(""),
         QStringLiteral(""),
         QStringLiteral("")},
        {QStringLiteral("zuno"),
         QStringLiteral("书"),
         QStringLiteral("ka.;ko."),
         QStringLiteral(""),
         QStringLiteral("")},
        {QStringLiteral("w9"),
         QStringLiteral("词9"),
         QStringLiteral(""),
         QStringLiteral(""),
         QStringLiteral("")},
    };
    for (int number = 10; number <= 53; ++number) {
        rows.append({QStringLiteral("w%1").arg(number),
                     QStringLiteral("词%1").arg(number),
                     QStringLiteral("ko."),
                     QString(),
                     QString()});
    }
    return rows;
}

// Constructs the window with `folder` as working directory, as if the
// program had been started there; the previous directory is restored.
inline std::unique_ptr<Widget> openWindowIn(const QString &folder)
{
    const QString previous = QDir::currentPath();
    if (!QDir::setCurrent(folder))
        return nullptr;
    auto window = std::make_unique<Widget>();
    QDir::setCurrent(previous);
    return window;
}

// Types `text` into the line edit as a user would: Latin text key by key,
// anything else committed by the input method, as Chinese text arrives.
inline void typeText(QLineEdit *lineEdit, const QString &text)
{
    bool latin = true;
    for (const QChar c : text)
        latin = latin && c.unicode() < 0x80;
    if (latin) {
        QTest::keyClicks(lineEdit, text);
        return;
    }
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(lineEdit, &commit);
}

// Replaces the input with `query` and presses Return.
inline void search(QLineEdit *lineEdit, const QString &query)
{
    lineEdit->clear();
    typeText(lineEdit, query);
    QTest::keyClick(lineEdit, Qt::Key_Return);
}

inline QString lightCardStyle()
{
    return QStringLiteral("QLabel{background-color: #F8F8F8; border-radius: 9px; color: #1A1A1A}");
}

inline QString darkCardStyle()
{
    return QStringLiteral("QLabel{background-color: #282828; border-radius: 9px; color: #f3f3f3}");
}

// A palette whose window is darker (or lighter) than its text.
inline QPalette paletteFor(ColorScheme scheme)
{
    QPalette palette = QApplication::palette();
    const bool dark = scheme == ColorScheme::Dark;
    palette.setColor(QPalette::Window, dark ? QColor(0x20, 0x20, 0x20) : QColor(0xf0, 0xf0, 0xf0));
    palette.setColor(QPalette::WindowText,
                     dark ? QColor(0xf0, 0xf0, 0xf0) : QColor(0x10, 0x10, 0x10));
    return palette;
}

// Makes the desktop report `scheme`: through the palette where the scheme is
// derived from it; from Qt 6.8 on through Qt's own request to the platform
// theme (the tests' theme plugin answers it as a desktop would); on Qt 6.5 to
// 6.7, which cannot ask the theme, through the style hints' own signal.
inline void switchColorScheme(ColorScheme scheme)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QGuiApplication::styleHints()->setColorScheme(scheme);
#elif QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    emit QGuiApplication::styleHints()->colorSchemeChanged(scheme);
#else
    QApplication::setPalette(paletteFor(scheme));
#endif
}

// Restores the application palette when a test that changed it ends.
class PaletteGuard
{
public:
    PaletteGuard()
        : saved(QApplication::palette())
    {
    }
    ~PaletteGuard()
    {
        QApplication::setPalette(saved);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        QGuiApplication::styleHints()->unsetColorScheme();
#endif
    }
    PaletteGuard(const PaletteGuard &) = delete;
    PaletteGuard &operator=(const PaletteGuard &) = delete;

private:
    QPalette saved;
};

} // namespace WindowTest

#endif // WINDOWTESTSUPPORT_H

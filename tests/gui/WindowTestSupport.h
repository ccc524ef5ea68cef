#ifndef WINDOWTESTSUPPORT_H
#define WINDOWTESTSUPPORT_H

// Helpers for the window's tests: a small dictionary on disk, opening the real window from a
// given working directory, its widgets by what they are to a user, typing into it and switching
// the desktop's colour scheme.

#include <QList>
#include <QMap>
#include <QPalette>
#include <QString>

#include <memory>

#include "ColorScheme.h"
#include "DictionaryFiles.h"
#include "widget.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QStackedWidget;

namespace windowtest {

// Writes the five dictionary files into `folder`/texts, one line per row.
bool writeDictionary(const QString &folder, const QList<DictionaryRow> &rows);

// The dictionary most window tests use: special entries on lines 1 to 9
// (line 7 is a gap) and plain fillers w10 ... w53 (translation 词<n>, ko.).
QList<DictionaryRow> standardRows();

// Constructs the window with `folder` as working directory, as if the
// program had been started there; the previous directory is restored.
std::unique_ptr<Widget> openWindowIn(const QString &folder);

// The window's widgets, by the objectNames widget.ui gives them.
QLineEdit *input(const Widget &window); // the translate page's input line
QLabel *card(const Widget &window); // the translate page's result card
QLabel *status(const Widget &window); // the load status under the input line
QStackedWidget *pages(const Widget &window); // the vocabulary and translate pages
QScrollArea *vocabularyArea(const Widget &window); // holds the vocabulary grid
QPushButton *translateButton(const Widget &window);
QPushButton *vocabularyButton(const Widget &window);
QPushButton *settingsButton(const Widget &window);

// Types `text` into the line edit as a user would: Latin text key by key,
// anything else committed by the input method, as Chinese text arrives.
void typeText(QLineEdit *lineEdit, const QString &text);

// Replaces the input with `query` and presses Return.
void search(QLineEdit *lineEdit, const QString &query);

// Puts `query` into the input line as pasted text, whatever it holds, and presses Return.
// Returns the card's lines.
QList<QString> searchCard(const Widget &window, const QString &query);

// Clicks the vocabulary button; returns the text of each card by its entry number (1 to 51).
QMap<int, QString> vocabularyCards(const Widget &window);

// A palette whose window is darker (or lighter) than its text.
QPalette paletteFor(ColorScheme scheme);

// Makes the desktop report `scheme`: through the palette where the scheme is
// derived from it; from Qt 6.8 on through Qt's own request to the platform
// theme (the tests' theme plugin answers it as a desktop would); on Qt 6.5 to
// 6.7, which cannot ask the theme, through the style hints' own signal.
void switchColorScheme(ColorScheme scheme);

// Restores the application palette when a test that changed it ends.
class PaletteGuard
{
public:
    PaletteGuard();
    ~PaletteGuard();
    PaletteGuard(const PaletteGuard &) = delete;
    PaletteGuard &operator=(const PaletteGuard &) = delete;

private:
    QPalette m_saved;
};

} // namespace windowtest

#endif // WINDOWTESTSUPPORT_H

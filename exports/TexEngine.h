#ifndef TEXENGINE_H
#define TEXENGINE_H

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// The typesetting engine of the printed book (XeLaTeX from Debian's texlive-xetex), run as a child
// process on a source the book wrote.
namespace pdfbook {

// What the engine made of a source.
struct Typeset
{
    QByteArray pdf; // empty when it failed
    bool engineMissing = false;
    QString error; // when it failed: the engine's first error, or why it did not run
    int missingCharacters = 0; // characters no font has: left out of the pages
    QList<char32_t> charactersNoFontHas; // each once, in the order the engine met them
    int pages = 0;
};

// The engine's program, looked for in PATH.
QString engineProgram();

// Typesets `source` in a temporary folder, with the shell escape off and reading restricted to
// that folder and the engine's own files. `date` is written into the PDF as its date, so that the
// same files give the same PDF.
Typeset typeset(const QByteArray &source, const QDateTime &date);

} // namespace pdfbook

#endif // TEXENGINE_H

#ifndef TEXTEXT_H
#define TEXTEXT_H

#include <QString>

// Text for the typesetting engine of the printed book (XeLaTeX): what comes from the dictionary's
// files made literal, and a source the engine can read whatever its lines hold.
namespace pdfbook {

// A text from the dictionary as the engine shows it literally: its special characters as
// symbols, blanks and control characters as one blank, runs of Chinese in the Chinese font.
// Nothing in it can run a command.
QString escapedText(const QString &text);

// `source` with every line longer than the engine's line buffer continued on the next line,
// joined by the engine as if it had not been broken.
QString withShortLines(const QString &source);

} // namespace pdfbook

#endif // TEXTEXT_H

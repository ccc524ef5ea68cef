#ifndef ANKIEXPORT_H
#define ANKIEXPORT_H

#include "ExportArticles.h"

#include <QByteArray>
#include <QString>

// The dictionary as flashcards: a text file in the flashcard program's import format. Header
// lines fix the settings of the import (tab-separated, HTML fields, the note type "Basic", the
// deck, the GUID and tags columns); then one note per entry with the columns GUID, front (the
// word), back (translation, part of speech, phrases with their translations, the example
// sentence) and tags (the part-of-speech tags). Every field is HTML-escaped.
//
// A note's GUID depends only on the dictionary's name and the entry number, so a second import
// after an author fixed a translation updates the learner's cards instead of adding new ones.
namespace anki {

struct Deck
{
    QString dictionaryName; // the GUIDs' source
    QString deckName;
};

QByteArray writeNotes(const exports::ExportedEntries &exported,
                      const ConlangDictionary &dictionary,
                      const Deck &deck);

QString noteGuid(const QString &dictionaryName, int entryNumber);

// Text as HTML shows it literally; tabs and line breaks too, as they would split the file.
QString escapedField(const QString &text);

} // namespace anki

#endif // ANKIEXPORT_H

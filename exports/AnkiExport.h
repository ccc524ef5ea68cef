#ifndef ANKIEXPORT_H
#define ANKIEXPORT_H

#include "ExportArticles.h"

#include <QByteArray>
#include <QString>

// The dictionary as flashcards: a text file in the flashcard program's import format. Header
// lines fix the settings of the import (tab-separated, HTML fields, the note type "Basic", the
// deck, "update current" for notes already there, the GUID and tags columns); then one note per
// entry with the columns GUID, front (the word), back (translation, part of speech, phrases with
// their translations, the example sentence) and tags (the part-of-speech tags). Every field is
// HTML-escaped. No header line names the columns: the importer then gives the note type's fields
// the columns in their order, skipping the GUID and tags columns, whatever the fields are called
// (正面 and 背面 in a Chinese collection).
//
// A note's GUID depends only on the dictionary's identity and the entry number, so a second
// import after an author fixed a translation or a spelling updates the learner's cards instead of
// adding new ones, and no other dictionary's import touches them.
namespace anki {

inline constexpr int guidColumn = 1;
inline constexpr int tagsColumn = 4;

struct Deck
{
    QString dictionaryName; // the dictionary's identity: the GUIDs' source
    QString deckName;
    // The part-of-speech tags as a column. An import replaces a note's tags by the column's, so
    // without it the learner's own tags ("marked", "leech") survive a new import.
    bool tags = true;
};

QByteArray writeNotes(const exports::ExportedEntries &exported,
                      const ConlangDictionary &dictionary,
                      const Deck &deck);

QString noteGuid(const QString &dictionaryName, int entryNumber);

// Text as HTML shows it literally; tabs and line breaks too, as they would split the file.
QString escapedField(const QString &text);

} // namespace anki

#endif // ANKIEXPORT_H

#ifndef ENTRYCHANGES_H
#define ENTRYCHANGES_H

#include "DictionaryFormat.h"

#include <QList>
#include <QSet>
#include <QString>

#include <functional>

// What a write would do to a dictionary's entries, told as a user counts them: an entry is a line
// with a word or a translation; a line without either is a gap.
namespace entrychanges {

struct FieldChange
{
    int number = 0; // the entry's number
    dictionaryformat::File file = dictionaryformat::File::Words;
    QString before;
    QString after;
};

struct Summary
{
    qsizetype added = 0; // a gap or a line beyond the end before, an entry after
    qsizetype changed = 0; // an entry before and after, some field changed
    qsizetype emptied = 0; // an entry before, a gap or gone after
    qsizetype unchanged = 0;
    qsizetype entriesBefore = 0;
    qsizetype gapsAdded = 0; // gap lines after the old last line
    QSet<int> changedLines; // 1-based, every line that differs
    QList<FieldChange> firstChanges; // at most `keep`, in line order

    qsizetype touched() const { return added + changed + emptied; }
};

Summary
compare(const dictionaryformat::Texts &before, const dictionaryformat::Texts &after, int keep = 10);
// The same against the files of `folder` as they are (missing files hold no lines), read line
// by line.
Summary
compareWithFolder(const QString &folder, const dictionaryformat::Texts &after, int keep = 10);
// The same, with `visit` called for every field that differs, in line order.
using FieldVisitor = std::function<void(const FieldChange &change)>;
Summary compareWithFolder(const QString &folder,
                          const dictionaryformat::Texts &after,
                          int keep,
                          const FieldVisitor &visit);

// The files in texts hold the same number of lines.
bool linedUp(const dictionaryformat::Texts &texts);

// One entry as add and set are given it.
struct NewEntry
{
    QString word;
    QString translation;
    QString partsOfSpeech;
    QList<QString> phrases;
    QList<QString> phraseTranslations;

    // The entry's line in `file`.
    QString lineOf(dictionaryformat::File file) const;
    // The entry of line `number` (1-based) of `texts`.
    static NewEntry fromLine(const dictionaryformat::Texts &texts, int number);
};

// Why the entry cannot be written as given (a separator or line break inside a field, phrases
// and translations of unequal number, text that was not UTF-8), or an empty text.
QString flawOf(const NewEntry &entry);

// The line (1-based) whose word is `word`, letter case ignored as the dictionary keys words,
// other than line `except`; 0 if there is none.
int lineOfWord(const dictionaryformat::Texts &texts, const QString &word, int except = 0);

} // namespace entrychanges

#endif // ENTRYCHANGES_H

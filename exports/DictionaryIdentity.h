#ifndef DICTIONARYIDENTITY_H
#define DICTIONARYIDENTITY_H

#include <QString>
#include <QStringView>

// What names a dictionary to other programs, kept with its five files so that it follows the
// folder when it is copied or moved, and so that no two dictionaries share it:
//  - its identity, from which the exported flashcards take their GUIDs: a flashcard program
//    updates a learner's cards by them on every import, across every dictionary the learner
//    studies, so two dictionaries must never share one and a dictionary must keep its own;
//  - its title, the name of its exports in the readers' lists and of the web edition.
// Both live in the small text file ".varnell-identity" beside the five files: "id=…" and,
// optionally, "title=…" lines; lines starting with "#" explain the file to whoever opens it.
// The first export that needs an identity writes the file (through the safe write); nothing else
// writes it, and the window, check, the edits, undo and the history never read or touch it.
namespace exports {

inline constexpr QStringView identityFileName = u".varnell-identity";

struct DictionaryIdentity
{
    QString id; // empty when the folder keeps none
    QString title; // empty when the file names none
};

// The identity file of `folder`.
QString identityPath(const QString &folder);

// The folder's identity file as it is now; an empty identity when there is none. False, with
// *error "FILE:LINE: error: …" or "FILE: …", when the file cannot be read or names no identity.
bool readIdentity(const QString &folder, DictionaryIdentity *identity, QString *error);

// The folder's identity, written on first use: a new one, made of 128 random bits, when the
// folder keeps none yet. False, with *error, when the file cannot be read or written.
bool keepIdentity(const QString &folder, DictionaryIdentity *identity, QString *error);

// The title of the dictionary of `folder` when the user gives none: the one its identity file
// names (the shipped dictionary's is the window's title, 禾岚大词典), else the folder's name as
// the web edition names it (webdata::dictionaryName: "epo" for epo/texts).
QString defaultTitle(const QString &folder);

} // namespace exports

#endif // DICTIONARYIDENTITY_H

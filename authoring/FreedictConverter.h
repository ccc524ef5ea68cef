#ifndef FREEDICTCONVERTER_H
#define FREEDICTCONVERTER_H

#include "DictionaryFormat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// Turns a dictionary of the FreeDict project in dictd format (an .index file and its .dict file)
// into varnell's five dictionary files. How the source becomes entries:
//
// - Index lines are "key<TAB>offset<TAB>length", the numbers in dictd's base-64 digits
//   (A-Z a-z 0-9 + /). Keys beginning with "00database" describe the file and are skipped. The
//   keys are folded (lower case, punctuation dropped), so headwords come from the articles.
// - An article is "headword /pronunciation/ <tags>" on its first line, then the gloss lines.
//   The headword, letter case kept, is the word (the index key when the line is empty); the
//   tags are the part of speech ("<v>" gives "v.", "<n, pl>" gives "n.;pl."); the
//   pronunciation is dropped.
// - Gloss lines lose blank lines and their numbering ("1. "); a line indented by two or more
//   blanks continues the line before it. The lines, joined with "; ", are the translation.
// - Identical articles are kept once: FreeDict's Esperanto–English .dict holds all of its
//   articles three times over, and its index points at every copy. The articles of one headword
//   make one entry, its translation listing their senses in source order.
// - The dictionary finds one entry per word lower-cased, so headwords that differ only in
//   letter case ("Marko" Marcus, "marko" mark) share one entry: its word is the lower-case
//   spelling when there is one, and each other spelling, with its gloss, is a phrase of it,
//   listed before the other phrases.
// - A headword of several words whose first word, ignoring letter case, is a one-word headword
//   becomes a phrase of that word's entry, its gloss the phrase's translation. Other headwords
//   of several words are entries of their own.
// - Entries keep the order of their first article in the .dict. Every field is one line with
//   its blanks collapsed and no control characters; "," in phrases and phrase translations
//   becomes ";", so phrase counts stay exact. Articles without headword or gloss are skipped.
namespace freedict {

struct ConvertedEntry
{
    QString word;
    QString translation;
    QString partOfSpeech;
    QList<QString> phrases;
    QList<QString> phraseTranslations; // element i translates phrases[i]
};

struct ConversionReport
{
    int indexLines = 0; // non-blank lines of the index
    int metadataLines = 0; // "00database..." keys
    int unreadableLines = 0; // not key, offset and length, or pointing outside the .dict
    int repeatedArticles = 0; // nothing that an earlier article of the headword did not say
    int mergedArticles = 0; // further senses of a headword, added to its entry
    int incompleteArticles = 0; // no headword or no gloss: skipped
    int entries = 0; // lines of the dictionary files
    int phrases = 0; // headwords filed as phrases of an entry
    int caseVariants = 0; // of those, spellings of an entry's word in other letter case
};

struct Conversion
{
    QList<ConvertedEntry> entries;
    ConversionReport report;
};

// One dictd number; *ok is false for an empty text, a digit outside the alphabet or a value
// above 2^48.
qint64 decodeDictdNumber(QByteArrayView digits, bool *ok);

// `dict` is the uncompressed .dict file.
Conversion convertFreedict(const QByteArray &index, const QByteArray &dict);

// The lines of the five files, line n holding entry n.
dictionaryformat::Texts formatDictionaryFiles(const QList<ConvertedEntry> &entries);

// Reads a .dict file; a gzip or dictzip file (.dict.dz) is uncompressed with `gzip -dc`.
bool readDictFile(const QString &path, QByteArray *contents, QString *error = nullptr);

// Reads both source files, converts them and writes the five files into `folder` (created when
// needed) through the dictionary's one writer.
bool convertFreedictFiles(const QString &indexPath,
                          const QString &dictPath,
                          const QString &folder,
                          ConversionReport *report,
                          QString *error = nullptr);

// The report as two lines of text, for people.
QString describeReport(const ConversionReport &report);

} // namespace freedict

#endif // FREEDICTCONVERTER_H

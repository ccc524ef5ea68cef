#ifndef DICTIONARYFORMAT_H
#define DICTIONARYFORMAT_H

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>

#include "SafeWrite.h"

class ConlangDictionary;

// The dictionary's files: their names and order, the separators inside their lines, and reading
// and writing a whole folder of them. Everything that names a dictionary file goes through here.
namespace dictionaryformat {

// The five files in their order; line n of each describes entry number n.
enum class File { Words, Translations, PartsOfSpeech, Phrases, PhraseTranslations };
inline constexpr int fileCount = 5;

QString fileName(File file);
QList<QString> fileNames(); // in order
// `folder` joined with the file's name, the folder spelt as given ("./texts" stays "./texts").
QString filePath(const QString &folder, File file);
QList<QString> filePaths(const QString &folder); // in order
inline File fileAt(int index)
{
    return static_cast<File>(index);
}

inline constexpr QChar phraseSeparator = u','; // in phrases.txt and cn_phrases.txt
inline constexpr QChar tagSeparator = u';'; // in wordtype.txt

// The part-of-speech tags of the dictionary's legend: ko. kiu. koler. koos. ka. kei. n.
QList<QString> legendTags();
// What a tag of the legend means, as the window's legend explains it (n. marks names); empty for
// any other tag.
QString legendMeaning(const QString &tag);

// The tags of a line of wordtype.txt: its pieces between tagSeparator, trimmed, empty ones left
// out, letter case kept ("n.; ko.;" gives "n.", "ko."). The dictionary keys them lower-cased.
QList<QString> partOfSpeechTags(const QString &partOfSpeech);

// The folder the window reads, relative to its working directory.
QString defaultFolder();

// Loads the five files of `folder` into `dictionary`, as the window does.
bool loadFolder(ConlangDictionary &dictionary, const QString &folder);

// The five files' lines without their line ends: index i is line i + 1, entry number i + 1.
struct Texts
{
    QList<QString> words, translations, partsOfSpeech, phrases, phraseTranslations;

    QList<QString> &operator[](File file);
    const QList<QString> &operator[](File file) const;
};

// The normal form of one file: UTF-8 without byte-order mark, every line (as given) ended by LF.
QByteArray normalForm(const QList<QString> &lines);

// The five files' normal forms, in order.
QList<QByteArray> normalForms(const Texts &texts);

// Replaces each file of `paths` by the bytes at the same index of `contents`, through the one
// safe write (SafeWrite.h): after a kill at any moment the files are all old or all new.
// Returns false and sets *error (path and the system's reason) on failure.
bool replaceFiles(const QList<QString> &paths, const QList<QByteArray> &contents, QString *error);

// Writes the five files of `folder` (which must exist) in normal form through the safe write,
// keeping the previous files in the folder's history as `change` ("write" when not given).
bool writeFolder(const QString &folder, const Texts &texts, QString *error);
bool writeFolder(const QString &folder,
                 const Texts &texts,
                 const safewrite::Change &change,
                 QString *error);

// Reads the five files' lines through the loader's own line reader (so with its decoding).
bool readFolder(const QString &folder, Texts *texts, QString *error);
// Reads one file's lines likewise.
bool readLines(const QString &path, QList<QString> *lines, QString *error);

} // namespace dictionaryformat

// The namespace's earlier name, for projects that still spell it so.
namespace DictionaryFormat = dictionaryformat;

#endif // DICTIONARYFORMAT_H

#ifndef DICTIONARYFORMAT_H
#define DICTIONARYFORMAT_H

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>

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

// Replaces each file of `paths` by the bytes at the same index of `contents`. Every new file is
// written in full beside its old one first and only then renamed over it, so no file is ever
// half-written, and when any write fails nothing is replaced. The renames follow the order given.
// Returns false and sets *error (path and reason) on failure.
bool replaceFiles(const QList<QString> &paths, const QList<QByteArray> &contents, QString *error);

// Writes the five files of `folder` (which must exist) in normal form, through replaceFiles.
bool writeFolder(const QString &folder, const Texts &texts, QString *error);

// Reads the five files' lines through the loader's own line reader (so with its decoding).
bool readFolder(const QString &folder, Texts *texts, QString *error);
// Reads one file's lines likewise.
bool readLines(const QString &path, QList<QString> *lines, QString *error);

} // namespace dictionaryformat

// The namespace's earlier name, for projects that still spell it so.
namespace DictionaryFormat = dictionaryformat;

#endif // DICTIONARYFORMAT_H

#ifndef DICTIONARYFILES_H
#define DICTIONARYFILES_H

#include "ConlangDictionary.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QTemporaryDir>

// One line of each of the five dictionary files, written exactly as given (nothing is trimmed or
// joined): `phrases` and `phraseTranslations` are whole lines, pieces separated by ",".
struct DictionaryRow
{
    QString word;
    QString translation;
    QString partOfSpeech;
    QString phrases;
    QString phraseTranslations;
};

struct DictionaryFilePaths
{
    QString words; // values.txt
    QString translations; // keys.txt
    QString partsOfSpeech; // wordtype.txt
    QString phrases; // phrases.txt
    QString phraseTranslations; // cn_phrases.txt
};

// The five file names the program reads, in the loader's parameter order.
const QList<QString> &dictionaryFileNames();

// The five files of one dictionary as raw bytes, in the loader's parameter order.
struct RawDictionaryFiles
{
    QByteArray words, translations, tags, phrases, phraseTranslations;

    QByteArray &operator[](int file) { return this->*fields[file]; }
    const QByteArray &operator[](int file) const { return this->*fields[file]; }

    static QByteArray RawDictionaryFiles::*const fields[];
};
Q_DECLARE_METATYPE(RawDictionaryFiles)

// Writes `bytes` as the whole file at `path`; false if that failed.
bool writeBytes(const QString &path, const QByteArray &bytes);

// The five files of the dictionary in `from` copied into `folder`/texts (made when needed); only
// those five, not a folder's identity or history.
bool copyDictionaryFiles(const QString &from, const QString &folder);

// The five file paths in `folder`, under the names the program reads.
DictionaryFilePaths dictionaryFilePaths(const QString &folder);

// Writes the five files into `folder`, line n holding the fields of rows[n - 1], every line ended
// by "\n". Returns their paths; all paths are empty when a file could not be written.
DictionaryFilePaths writeDictionaryFiles(const QString &folder, const QList<DictionaryRow> &rows);

// Loads the five files, in the loader's parameter order.
bool loadDictionaryFiles(ConlangDictionary &dictionary, const DictionaryFilePaths &paths);

// "word|matchType|score|highlightInfo": one search result as a line that a test can compare.
QString describeResult(const SearchResult &result);
// One stored record as "number|word|translation|tags|phrase/phrase|translation/translation".
QString describeRecord(const DictionaryEntry &entry);
// The keys of numberIndex, in ascending order.
QList<int> sortedEntryNumbers(const ConlangDictionary &dictionary);
// Every result described, in list order.
QList<QString> describeResults(const QList<SearchResult> &results);
// Every result described, sorted: for searches whose order is not defined (hash order, ties).
QList<QString> describeResultsSorted(const QList<SearchResult> &results);

// Rows written one a line as "word|translation|part of speech|phrase line|phrase-translation
// line" (missing fields empty), so that a test's table reads as the files do.
QList<DictionaryRow> rowsFromLines(const QStringList &lines);

// Entries that searches cannot tell apart: 21 phrases beginning with "mira" and 21 translations
// beginning with 星光 (more than the ten kept, and enough to be shuffled by a sort that ignores
// lines), three words that score alike against "9eno" (in reverse letter order by line, and no
// word starts with 9), and "kalo" repeated (lines 22 and 24, "kale" between them).
QList<DictionaryRow> rowsThatTie();

// A dictionary loaded from rows written into a temporary folder that lives as long as it does.
// The load report is kept out of the log (and out of any LogCapture) unless `quiet` is false.
class TemporaryDictionary
{
public:
    explicit TemporaryDictionary(const QList<DictionaryRow> &rows, bool quiet = true);

    bool isLoaded() const { return m_loaded; }
    const ConlangDictionary &dictionary() const { return m_dictionary; }
    const DictionaryFilePaths &paths() const { return m_paths; }

private:
    QTemporaryDir m_folder;
    DictionaryFilePaths m_paths;
    ConlangDictionary m_dictionary;
    bool m_loaded = false;
};

#endif // DICTIONARYFILES_H

#ifndef DICTIONARYTABLE_H
#define DICTIONARYTABLE_H

#include "DictionaryFormat.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>

#include <optional>

// The dictionary as one table for spreadsheets: a header row, then one row per line number with
// the cells number, word, translation, partOfSpeech, phrases and phraseTranslations (the phrase
// cells hold the whole line, pieces joined with the file's separator). Written as CSV (RFC 4180)
// or as TSV with the same quoting rules, both UTF-8.
//
// Reading places each row by its number, so the rows may come in any order (a spreadsheet sorted
// by word imports back to the same files); numbers no row has become empty lines, and rows without
// a number become new entries after the highest number (and after the lines the dictionary has,
// when told), in table order. Any fault in the table is reported with its row and column, and
// then nothing is returned.
//
// Every cell that holds a separator a spreadsheet may be told to split at (',' ';' tab) is
// quoted, so a spreadsheet that splits at all of them keeps each cell whole.
class DictionaryTable
{
    Q_DECLARE_TR_FUNCTIONS(DictionaryTable)

public:
    enum class Format { Csv, Tsv };

    // Where a table is at fault and why. Rows and columns count from 1 as a spreadsheet shows
    // them (row 1 is the header); `line` is the table's text line where the fault is, which
    // differs from `row` once a cell spans lines; a column of 0 means the whole row.
    struct Error
    {
        int line = 0;
        int row = 0;
        int column = 0;
        QString message;
    };

    // The largest entry number a row may carry: twice the largest dictionaries we measure, so
    // that a typing slip of a few more digits does not write files of many millions of empty
    // lines.
    static constexpr int largestNumber = 2'000'000;

    // The format named by the file's extension (.csv or .tsv, any letter case).
    static std::optional<Format> formatOf(const QString &path);
    static QList<QString> columnNames();

    static QByteArray write(const dictionaryformat::Texts &texts, Format format);
    static std::optional<dictionaryformat::Texts>
    read(const QByteArray &table, Format format, Error *error);
    // The same; *rows (when given) takes for each line of the result the table row it came from
    // (0 for a line no row has).
    static std::optional<dictionaryformat::Texts>
    read(const QByteArray &table, Format format, Error *error, QList<int> *rows);

    struct Reading
    {
        int maxErrors = 1; // faults kept
        int firstNewNumber = 1; // rows without a number are numbered from here on at least
        // When given, takes how many rows are at fault, those beyond maxErrors included (rows
        // after a fault of the table's syntax cannot be counted).
        qsizetype *faultCount = nullptr;
    };
    // The same with every fault up to `reading.maxErrors` in *errors (a row at fault is left out
    // and the next one read to its end; a fault of the table's syntax ends the reading).
    static std::optional<dictionaryformat::Texts> read(const QByteArray &table,
                                                       Format format,
                                                       const Reading &reading,
                                                       QList<Error> *errors,
                                                       QList<int> *rows);
    // The text UTF-8 `text` was before a program read its bytes as Windows-1252 or ISO 8859-1
    // ("é£žè¡Œ" was "飞行"), or nothing when it does not read so.
    static std::optional<QString> misreadUtf8(const QString &text);
    // "row R, column C (name): message", for people.
    static QString describe(const Error &error);
};

#endif // DICTIONARYTABLE_H

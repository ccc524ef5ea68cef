#ifndef EXPORTCOMMAND_H
#define EXPORTCOMMAND_H

#include "DictionaryTable.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

// varnell-dict export: the table of the spreadsheet (csv, tsv), or the dictionary for readers
// and learners (stardict, dictd, anki), chosen with --format NAME or, for the tables, by FILE's
// extension.

// Writes the dictionary of the parser's --texts folder as a table to `path`.
using TableExport = int (*)(const QCommandLineParser &parser,
                            const QString &path,
                            DictionaryTable::Format format);

// `description` and `tableHelp` are the command's help texts, already translated.
int runExportCommand(const QStringList &arguments,
                     const QString &description,
                     const QString &tableHelp,
                     TableExport exportTable);

#endif // EXPORTCOMMAND_H

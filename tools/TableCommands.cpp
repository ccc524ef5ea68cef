// varnell-dict export and import: the dictionary as one table for a spreadsheet, and back.

#include "Subcommands.h"

#include "DictionaryFormat.h"
#include "DictionaryTable.h"
#include "ExportCommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include <optional>

namespace {

const char *const tableHelp
    = QT_TRANSLATE_NOOP("VarnellDict",
                        "The table has a header row and one row per line number, with the "
                        "columns number, word, translation, partOfSpeech, phrases and "
                        "phraseTranslations (the phrases of a line in one cell, joined with ','). "
                        "FILE ending in .csv is CSV (RFC 4180), in .tsv tab-separated; both "
                        "UTF-8.");

// A regular file's bytes; a FIFO or device would block or never end.
bool readTable(const QString &path, QByteArray *bytes, QString *error)
{
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile()) {
        *error = info.exists() ? VarnellDict::tr("%1: not a regular file").arg(path)
                               : VarnellDict::tr("%1: no such file").arg(path);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    *bytes = file.readAll();
    return true;
}

// The part of export and import after their arguments: the table FILE and its format.
using TableCommand = int (*)(const QCommandLineParser &parser,
                             const QString &path,
                             DictionaryTable::Format format);

// Runs a command on one table FILE, whose extension names the table's format.
int runTableCommand(const QString &name,
                    const QString &description,
                    const QStringList &arguments,
                    TableCommand run)
{
    QCommandLineParser parser;
    startParser(parser, description + QStringLiteral("\n\n") + VarnellDict::tr(tableHelp));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 VarnellDict::tr("The table (.csv or .tsv)."));
    if (const std::optional<int> done = parseArguments(parser, name, arguments))
        return *done;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return usageError(name, VarnellDict::tr("%1 needs one FILE").arg(name));
    const QString path = positional.constFirst();
    const std::optional<DictionaryTable::Format> format = DictionaryTable::formatOf(path);
    if (!format) {
        printError(VarnellDict::tr("%1: the file name must end in .csv or .tsv").arg(path));
        return UsageOrFileError;
    }
    return run(parser, path, *format);
}

int exportTable(const QCommandLineParser &parser,
                const QString &path,
                DictionaryTable::Format format)
{
    dictionaryformat::Texts texts;
    QString error;
    if (!dictionaryformat::readFolder(textsFolder(parser), &texts, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    QSaveFile file(path);
    const QByteArray table = DictionaryTable::write(texts, format);
    if (!file.open(QIODevice::WriteOnly) || file.write(table) != table.size() || !file.commit()) {
        printError(path + QStringLiteral(": ") + file.errorString());
        return UsageOrFileError;
    }
    return Success;
}

int importTable(const QCommandLineParser &parser,
                const QString &path,
                DictionaryTable::Format format)
{
    QByteArray bytes;
    QString error;
    if (!readTable(path, &bytes, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    DictionaryTable::Error fault;
    const std::optional<dictionaryformat::Texts> texts
        = DictionaryTable::read(bytes, format, &fault);
    if (!texts) {
        // GNU style without the program's name, so that editors jump to the row.
        QTextStream(stderr) << path << ':' << fault.line
                            << ": error: " << DictionaryTable::describe(fault) << '\n';
        return ProblemsFound;
    }
    const QString folder = textsFolder(parser);
    if (!QDir().mkpath(folder)) {
        printError(VarnellDict::tr("%1: cannot create the folder").arg(folder));
        return UsageOrFileError;
    }
    if (!dictionaryformat::writeFolder(folder, *texts, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    return Success;
}

} // namespace

int runExport(const QStringList &arguments)
{
    return runExportCommand(
        arguments,
        VarnellDict::tr("Writes the dictionary as one table, to edit in a spreadsheet and bring "
                        "back with import."),
        VarnellDict::tr(tableHelp),
        exportTable);
}

int runImport(const QStringList &arguments)
{
    return runTableCommand(
        QStringLiteral("import"),
        VarnellDict::tr("Replaces the five dictionary files by the rows of a table. Each row goes "
                        "to the line of its number, whatever the rows' order; numbers that no "
                        "row has become empty lines; rows without a number become new entries "
                        "after the highest number, in table order. A fault in the table is "
                        "reported as FILE:LINE: error: row R, column C: MESSAGE, and then nothing "
                        "is written."),
        arguments,
        importTable);
}

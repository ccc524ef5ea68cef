// varnell-dict import: a table edited in a spreadsheet back into the five files.

#include "Subcommands.h"

#include "DictionaryCheck.h"
#include "DictionaryFormat.h"
#include "DictionaryTable.h"
#include "EntryChanges.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include <optional>

namespace {

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
                    TableCommand run,
                    const QList<QCommandLineOption> &options = {})
{
    QCommandLineParser parser;
    startParser(parser, description + QStringLiteral("\n\n") + tableHelp());
    parser.addOptions(options);
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

const QString dryRunOption = QStringLiteral("dry-run");
const QString allowRemovalsOption = QStringLiteral("allow-removals");
const QString allowGapsOption = QStringLiteral("allow-gaps");
const QString forceOption = QStringLiteral("force");

QList<QCommandLineOption> importOptions()
{
    return {
        {dryRunOption,
         VarnellDict::tr("Write nothing: say what the import would do and list its first "
                         "changes.")},
        {allowRemovalsOption,
         VarnellDict::tr("Import even when more than half of the entries would be emptied.")},
        {allowGapsOption,
         VarnellDict::tr("Import even when a number would add more than 1000 empty lines.")},
        {forceOption,
         VarnellDict::tr("Import rows that check would call errors (a repeated word, phrases and "
                         "translations of unequal number).")},
    };
}

// How many empty lines one mistyped number may add before the import asks for --allow-gaps.
constexpr qsizetype largestGap = 1000;

// "FILE:LINE: error: MESSAGE", without the program's name, so that editors jump to the row.
int refuse(const QString &path, int line, const QString &message)
{
    QTextStream(stderr) << path << ':' << line << ": error: " << message << ' '
                        << VarnellDict::tr("(nothing was written)") << '\n';
    return ProblemsFound;
}

int refuseRow(const QString &path, int row, int column, const QString &message)
{
    return refuse(path, row, DictionaryTable::describe({row, row, column, message}));
}

// The table line of entry `number` (its row; the table's rows are its lines unless a cell spans
// lines).
int rowOf(const QList<int> &rows, int number)
{
    return rows.value(number - 1);
}

// What the import refuses without the option that allows it; 0 when nothing.
int refusal(const QCommandLineParser &parser,
            const QString &path,
            const dictionaryformat::Texts &table,
            const QList<int> &rows,
            const entrychanges::Summary &summary)
{
    if (table.words.isEmpty())
        return refuse(path, 2, VarnellDict::tr("the table has no entry rows, only its header"));
    if (summary.gapsAdded > largestGap && !parser.isSet(allowGapsOption)) {
        const int last = int(table.words.size());
        return refuseRow(path,
                         rowOf(rows, last),
                         1,
                         VarnellDict::tr("entry number %1 would add %2 empty lines after the last "
                                         "entry; is it mistyped? --allow-gaps imports it")
                             .arg(last)
                             .arg(summary.gapsAdded));
    }
    if (2 * summary.emptied > summary.entriesBefore && !parser.isSet(allowRemovalsOption))
        return refuse(path,
                      1,
                      VarnellDict::tr("the table would empty %1 of the dictionary's %2 entries "
                                      "(it lacks their rows or their words); "
                                      "--allow-removals imports it")
                          .arg(summary.emptied)
                          .arg(summary.entriesBefore));
    if (parser.isSet(forceOption))
        return 0;
    const dictionarycheck::Report report
        = dictionarycheck::checkTexts(table, dictionarycheck::legendTags(), summary.changedLines);
    for (const dictionarycheck::Finding &finding : report.findings) {
        if (finding.severity == dictionarycheck::Severity::Error
            && summary.changedLines.contains(finding.line))
            return refuseRow(path,
                             rowOf(rows, finding.line),
                             0,
                             VarnellDict::tr("row %1: %2 [%3]; --force imports it")
                                 .arg(rowOf(rows, finding.line))
                                 .arg(finding.message, finding.code));
    }
    return 0;
}

void printSummary(const entrychanges::Summary &summary, bool dryRun)
{
    QTextStream out(stdout);
    if (dryRun) {
        for (const entrychanges::FieldChange &change : summary.firstChanges) {
            out << VarnellDict::tr("entry %1, %2: \"%3\" -> \"%4\"")
                       .arg(change.number)
                       .arg(dictionaryformat::fileName(change.file), change.before, change.after)
                << '\n';
        }
    }
    const QString counts = VarnellDict::tr("%1 added, %2 changed, %3 emptied, %4 unchanged")
                               .arg(summary.added)
                               .arg(summary.changed)
                               .arg(summary.emptied)
                               .arg(summary.unchanged);
    out << (dryRun ? VarnellDict::tr("would import: %1 (nothing written)").arg(counts)
                   : VarnellDict::tr("imported: %1").arg(counts))
        << '\n';
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
    QList<int> rows;
    const std::optional<dictionaryformat::Texts> texts
        = DictionaryTable::read(bytes, format, &fault, &rows);
    if (!texts) {
        // GNU style without the program's name, so that editors jump to the row.
        QTextStream(stderr) << path << ':' << fault.line
                            << ": error: " << DictionaryTable::describe(fault) << '\n';
        return ProblemsFound;
    }
    const QString folder = textsFolder(parser);
    const bool dryRun = parser.isSet(dryRunOption);
    if (!dryRun && !QDir().mkpath(folder)) {
        printError(VarnellDict::tr("%1: cannot create the folder").arg(folder));
        return UsageOrFileError;
    }
    if (!mendInterruptedWrite(folder))
        return UsageOrFileError;
    const QByteArray readState = safewrite::stateOf(dictionaryformat::filePaths(folder));
    // A folder without its files is a new dictionary: everything is added.
    const entrychanges::Summary summary = entrychanges::compareWithFolder(folder, *texts);
    if (const int refused = refusal(parser, path, *texts, rows, summary))
        return refused;
    if (!dryRun
        && !dictionaryformat::writeFolder(
            folder,
            *texts,
            {QStringLiteral("import ") + path, summary.touched(), readState},
            &error)) {
        printError(error);
        return UsageOrFileError;
    }
    printSummary(summary, dryRun);
    return Success;
}

} // namespace

int runImport(const QStringList &arguments)
{
    return runTableCommand(
        QStringLiteral("import"),
        VarnellDict::tr("Replaces the five dictionary files by the rows of a table. Each row goes "
                        "to the line of its number, whatever the rows' order; numbers that no "
                        "row has become empty lines; rows without a number become new entries "
                        "after the highest number, in table order. A fault in the table is "
                        "reported as FILE:LINE: error: row R, column C: MESSAGE, and then nothing "
                        "is written.\n\n"
                        "The import refuses, writing nothing, a table without entry rows, one "
                        "that would empty more than half of the entries, a number that would add "
                        "more than 1000 empty lines, rows that check would call errors, and text "
                        "that is not UTF-8 or is UTF-8 read as a Western single-byte character "
                        "set. It prints how many entries it added, changed and emptied."),
        arguments,
        importTable,
        importOptions());
}

// varnell-dict import: a table edited in a spreadsheet back into the five files.

#include "Subcommands.h"

#include "DictionaryCheck.h"
#include "DictionaryFormat.h"
#include "DictionaryTable.h"
#include "EntryChanges.h"
#include "SpreadsheetGuard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>
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
const QString maxOption = QStringLiteral("max");
constexpr int defaultMaxFaults = 20;

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
                         "translations of unequal number), and cells changed as a spreadsheet "
                         "changes text it takes for a number, a date, a formula or a truth "
                         "value.")},
        {maxOption,
         VarnellDict::tr("List at most N faults of the table in one run (default: %1).")
             .arg(defaultMaxFaults),
         VarnellDict::tr("N"),
         QString::number(defaultMaxFaults)},
    };
}

// How many empty lines one mistyped number may add before the import asks for --allow-gaps.
constexpr qsizetype largestGap = 1000;

// "FILE:LINE: error: MESSAGE", without the program's name, so that editors jump to the row.
void printFault(const QString &path, int line, const QString &message)
{
    QTextStream(stderr) << path << ':' << line << ": error: " << message << '\n';
}

int refuse(const QString &path, int line, const QString &message)
{
    printFault(path, line, message + u' ' + VarnellDict::tr("(nothing was written)"));
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

// A row the import refuses, and why.
struct Fault
{
    int line = 0; // the table's
    QString message;
};

// Prints the first `max` faults by row and what was not listed; returns ProblemsFound.
int refuseAll(const QString &path, QList<Fault> faults, qsizetype count, int max)
{
    std::stable_sort(faults.begin(), faults.end(), [](const Fault &a, const Fault &b) {
        return a.line < b.line;
    });
    for (qsizetype i = 0; i < std::min<qsizetype>(faults.size(), max); ++i)
        printFault(path, faults.at(i).line, faults.at(i).message);
    printError(count > max ? VarnellDict::tr("%1 rows refused, the first %2 listed (--max N lists "
                                             "more); nothing was written")
                                 .arg(count)
                                 .arg(max)
                           : VarnellDict::tr("%1 rows refused; nothing was written").arg(count));
    return ProblemsFound;
}

// The import's refusals of the whole table (its size, what it would empty or add); 0 when none.
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
    return 0;
}

// The rows check would call errors, among those the import changes.
QList<Fault> checkFaults(const dictionaryformat::Texts &table,
                         const QList<int> &rows,
                         const entrychanges::Summary &summary)
{
    QList<Fault> faults;
    const dictionarycheck::Report report
        = dictionarycheck::checkTexts(table, dictionarycheck::legendTags(), summary.changedLines);
    for (const dictionarycheck::Finding &finding : report.findings) {
        if (finding.severity != dictionarycheck::Severity::Error
            || !summary.changedLines.contains(finding.line))
            continue;
        const int row = rowOf(rows, finding.line);
        faults.append({row,
                       VarnellDict::tr("row %1: %2 [%3]; --force imports it")
                           .arg(row)
                           .arg(finding.message, finding.code)});
    }
    return faults;
}

// A cell changed as a spreadsheet changes text, described with the setting that keeps it.
Fault spreadsheetFault(const entrychanges::FieldChange &change,
                       spreadsheetguard::Change kind,
                       const QList<int> &rows)
{
    const int row = rowOf(rows, change.number);
    const int column = int(change.file) + 2; // after the number
    return {row,
            DictionaryTable::describe(
                {row,
                 row,
                 column,
                 VarnellDict::tr("\"%1\" became \"%2\": %3; %4, or --force imports it")
                     .arg(change.before.trimmed(),
                          change.after.trimmed(),
                          spreadsheetguard::described(kind),
                          spreadsheetguard::setting(kind))})};
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
    bool maxIsNumber = false;
    const int maxFaults = parser.value(maxOption).toInt(&maxIsNumber);
    if (!maxIsNumber || maxFaults < 1)
        return usageError(QStringLiteral("import"),
                          VarnellDict::tr("--max needs a whole number of at least 1, not '%1'")
                              .arg(parser.value(maxOption)));
    QByteArray bytes;
    QString error;
    if (!readTable(path, &bytes, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    const QString folder = textsFolder(parser);
    const bool dryRun = parser.isSet(dryRunOption);
    if (!dryRun && !QDir().mkpath(folder)) {
        printError(VarnellDict::tr("%1: cannot create the folder").arg(folder));
        return UsageOrFileError;
    }
    // Held from the reading of its files to the write, so that no other command's write comes
    // between (a dry run into a folder not made yet has nothing to hold).
    std::optional<HeldFolder> held;
    if (!dryRun || QFileInfo::exists(folder)) {
        held = holdFolder(folder, Purpose::Change);
        if (!held)
            return UsageOrFileError;
    }
    const QList<qsizetype> lineCounts = lineCountsOf(folder);
    const qsizetype lines = *std::max_element(lineCounts.begin(), lineCounts.end());

    QList<DictionaryTable::Error> tableFaults;
    qsizetype faultCount = 0;
    QList<int> rows;
    const std::optional<dictionaryformat::Texts> texts = DictionaryTable::read(
        bytes, format, {maxFaults, int(lines + 1), &faultCount}, &tableFaults, &rows);
    if (!texts) {
        QList<Fault> faults;
        for (const DictionaryTable::Error &fault : std::as_const(tableFaults))
            faults.append({fault.line, DictionaryTable::describe(fault)});
        return refuseAll(path, faults, faultCount, maxFaults);
    }
    const QByteArray readState = safewrite::stateOf(dictionaryformat::filePaths(folder));
    // A folder without its files is a new dictionary: everything is added.
    QList<Fault> faults;
    qsizetype spreadsheetChanges = 0;
    const bool forced = parser.isSet(forceOption);
    const entrychanges::Summary summary = entrychanges::compareWithFolder(
        folder, *texts, 10, [&](const entrychanges::FieldChange &change) {
            const spreadsheetguard::Change kind = forced
                ? spreadsheetguard::Change::None
                : spreadsheetguard::changeOf(change.before, change.after);
            if (kind == spreadsheetguard::Change::None)
                return;
            if (++spreadsheetChanges <= maxFaults)
                faults.append(spreadsheetFault(change, kind, rows));
        });
    if (const int refused = refusal(parser, path, *texts, rows, summary))
        return refused;
    if (!forced) {
        const QList<Fault> checked = checkFaults(*texts, rows, summary);
        faults += checked;
        if (!faults.isEmpty())
            return refuseAll(path, faults, spreadsheetChanges + checked.size(), maxFaults);
    }
    if (!dryRun
        && !dictionaryformat::writeFolder(
            folder,
            *texts,
            {QStringLiteral("import ") + path, summary.touched(), readState, true},
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
                        "after the highest number and after the dictionary's last line, in table "
                        "order. Every fault in the table (up to --max) is reported as "
                        "FILE:LINE: error: row R, column C: MESSAGE, and then nothing is "
                        "written.\n\n"
                        "The import refuses, writing nothing, a table without entry rows, one "
                        "that would empty more than half of the entries, a number that would add "
                        "more than 1000 empty lines, rows that check would call errors, and text "
                        "that is not UTF-8 or is UTF-8 read as a Western single-byte character "
                        "set, and cells changed as a spreadsheet changes text it takes for a "
                        "number, a date, a formula or a truth value (0012 that became 12, 3/4 "
                        "that became a date) or saves in a character set without its characters; "
                        "every such row is listed (up to --max), with the setting that keeps the "
                        "column as text. It prints how many entries it added, changed and "
                        "emptied."),
        arguments,
        importTable,
        importOptions());
}

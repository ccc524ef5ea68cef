#ifndef SUBCOMMANDS_H
#define SUBCOMMANDS_H

#include "DictionaryFormat.h"
#include "PdfExport.h"
#include "VarnellDictText.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>

class ConlangDictionary;

// varnell-dict: one program, one subcommand per task of a dictionary author.
//
// Adding a subcommand:
//   1. write `int runName(const QStringList &arguments)` in a file of its own (NameCommand.cpp),
//   2. declare it below and add one row to subcommands() in Subcommands.cpp,
//   3. add the file to varnell_dict in varnell-dict/CMakeLists.txt.
// The help lists the row, the man page
// takes the command's own --help from there, and `cmake --build build --target
// update_translations` adds its messages to the .ts file for translating.
// `arguments` is the program's name followed by everything after the subcommand's name, so it
// goes straight into QCommandLineParser: `varnell-dict check --json` runs
// runCheck({"varnell-dict", "--json"}). `varnell-dict help check` runs
// runCheck({"varnell-dict", "--help"}), so every subcommand answers --help itself (startParser
// and parseArguments below do that, and add --texts).
// The function returns the program's exit status (ExitStatus).

enum ExitStatus {
    Success = 0,
    ProblemsFound = 1, // the command ran and found problems, found nothing or refused
    UsageOrFileError = 2, // bad usage, or a file that cannot be read or written
};

struct Subcommand
{
    const char *name;
    const char *summary; // marked with QT_TRANSLATE_NOOP("VarnellDict", ...)
    int (*run)(const QStringList &arguments);
};

int runCheck(const QStringList &arguments);
int runLookup(const QStringList &arguments);
int runAdd(const QStringList &arguments);
int runExport(const QStringList &arguments);
int runImport(const QStringList &arguments);
int runSet(const QStringList &arguments);
int runRemove(const QStringList &arguments);
int runUndo(const QStringList &arguments);
int runHistory(const QStringList &arguments);
int runConvertFreedict(const QStringList &arguments);
int runGenerate(const QStringList &arguments);
int runPublish(const QStringList &arguments);

// Every subcommand, in the order the help lists them.
const QList<Subcommand> &subcommands();
const Subcommand *findSubcommand(const QString &name);

// A parser for a subcommand: its description, -h/--help and --texts DIR. The subcommand adds its
// own options and positional arguments (their syntax appears in the usage line).
void startParser(QCommandLineParser &parser, const QString &description);
// The parser's help, its usage line starting "varnell-dict COMMAND" (or "varnell-dict" alone).
QString helpText(const QCommandLineParser &parser, const QString &command);
// Parses `arguments`. Returns an exit status when the command is done already: after printing
// the help (Success) or a usage error (UsageOrFileError); nothing when the command should run.
std::optional<int>
parseArguments(QCommandLineParser &parser, const QString &name, const QStringList &arguments);
// The dictionary folder: --texts DIR, or the window's own folder.
QString textsFolder(const QCommandLineParser &parser);

// The dictionary folder of a command that reads or changes it, once a write to it that was
// interrupted (a kill, a crash, a power loss) has been finished or rolled back, which is said on
// stderr. Nothing, after printing why, when such a write can be neither.
std::optional<QString> openFolder(const QCommandLineParser &parser);
// The same for `folder`; *problem (when given) takes the reason instead of stderr.
bool mendInterruptedWrite(const QString &folder, QString *problem = nullptr);

// A dictionary folder held while a command reads it (other commands may read it too, a write
// waits) or reads and changes it (every other command waits): see safewrite::FolderAccess.
struct HeldFolder
{
    QString path;
    std::unique_ptr<safewrite::FolderAccess> access;
};
using Purpose = safewrite::FolderAccess::Purpose;
// Holds `folder` once an interrupted write there has been finished or rolled back (said on
// stderr). Nothing, after printing why, when another program holds it longer than the wait
// allows, or when an interrupted write can be neither finished nor rolled back; with `unmended`
// given, the folder is held all the same then and *unmended takes the reason.
std::optional<HeldFolder>
holdFolder(const QString &folder, Purpose purpose, QString *unmended = nullptr);

// A folder read to be changed, held until the write: its lines, and the state of its files when
// they were read (a write refuses files another program changed since).
struct LinedUpFolder
{
    QString folder;
    QByteArray readState;
    dictionaryformat::Texts texts;
    std::unique_ptr<safewrite::FolderAccess> access;
};
// The folder's lines (openFolder), if its five files hold as many lines each; nothing, after
// saying why, otherwise: `misaligned` says so, with %1 the folder and %2 the program's name.
// *status takes the exit status then.
std::optional<LinedUpFolder>
openLinedUp(const QCommandLineParser &parser, const QString &misaligned, int *status);

// What set and remove share: they name entries by number, which is one entry only while the five
// files line up.
// The folder's lines, as openLinedUp reads them, for a command that names entries by number.
std::optional<LinedUpFolder> openNumberedEntries(const QCommandLineParser &parser, int *status);
// An entry number of `texts` given on the command line; 0 (after saying why) when it is none.
int entryNumber(const QString &given, const dictionaryformat::Texts &texts);
// Writes `after` over the folder as it was read (`read`), kept in the history as `command`.
int writeEntryChanges(const LinedUpFolder &read,
                      const dictionaryformat::Texts &after,
                      const QString &command);

// How export and import describe the table they write and read, translated.
QString tableHelp();

// What a command that makes a whole dictionary is given: its inputs and the folder to write.
struct MakerArguments
{
    QString command; // the subcommand's name, for usageError
    QStringList inputs;
    QString folder;
};
// A positional argument: its name in the usage line and its description.
using PositionalArgument = std::pair<QString, QString>;
// The work of a command that makes a whole dictionary, once its arguments are read.
using MakerCommand = int (*)(const QCommandLineParser &parser, const MakerArguments &given);
// Runs a command that makes a whole dictionary (its parser started, its own options added): it
// adds the positional arguments `inputs`, then [DIR], parses `arguments` and calls `make` with
// the inputs and the folder DIR or --texts DIR, but never ./texts unasked; without either, with
// both or with a wrong number of arguments it is a usage error.
int runMakerCommand(QCommandLineParser &parser,
                    const QString &name,
                    const QStringList &arguments,
                    const QList<PositionalArgument> &inputs,
                    MakerCommand make);

// Keeps the window's debug log (load report, search traces) out of the output from now on.
void silenceDebugLog();
// Loads the dictionary of `folder` as the window does. When it does not load, says so (and that
// check tells why) and returns false.
bool loadDictionary(ConlangDictionary &dictionary, const QString &folder);
// The dictionary of --texts (or ./texts), after an interrupted write there has been finished or
// rolled back (openFolder), read while no write is under way; false when it cannot be opened or
// does not load, which was said. The window's debug log is no command's output: it is silenced
// first unless `quiet` is false.
// *lineCounts (when given) takes the files' line counts as they were loaded.
bool openDictionary(const QCommandLineParser &parser,
                    ConlangDictionary &dictionary,
                    bool quiet = true,
                    QList<qsizetype> *lineCounts = nullptr);

// What a command that writes the dictionary for others (export, publish) does with a folder whose
// files do not hold as many lines each, with `lineCounts` their counts: a line number would not
// be one entry, so the words would go out with other lines' translations. It prints check's
// finding and refuses (false), or with `force` says that it writes all the same (true).
bool mayWriteFor(const QString &folder, const QList<qsizetype> &lineCounts, bool force);
// The dictionary of --texts opened for a command that writes it out for others (export, publish):
// Success, or the status to exit with when it cannot be opened (UsageOrFileError) or its files do
// not line up and --force was not given (ProblemsFound); both were said.
int openDictionaryToWriteOut(const QCommandLineParser &parser, ConlangDictionary &dictionary);
// The line counts of the five files of `folder` as they are.
QList<qsizetype> lineCountsOf(const QString &folder);
QList<qsizetype> lineCountsOf(const dictionaryformat::Texts &texts);

// The dictionary of `folder` typeset as a printed book (export --format pdf, publish --pdf), dated
// by its newest file; nothing when the typesetting engine is missing or failed, which was said.
// Says how many characters the book's fonts lack, when any.
std::optional<QByteArray> typesetBook(const ConlangDictionary &dictionary,
                                      const exports::ExportedEntries &exported,
                                      const QString &folder,
                                      const pdfbook::BookOptions &options);

// Writes "varnell-dict: MESSAGE" to stderr.
void printError(const QString &message);
// A usage error of subcommand `name`: the message and where to read more. Returns UsageOrFileError.
int usageError(const QString &name, const QString &message);

#endif // SUBCOMMANDS_H

#include "Subcommands.h"

#include "ConlangDictionary.h"
#include "DictionaryCheck.h"
#include "DictionaryFormat.h"
#include "EntryChanges.h"
#include "LineReader.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>

namespace {

const QString helpOptionName = QStringLiteral("help");
const QString textsOptionName = QStringLiteral("texts");

// QCommandLineParser's own words, translated in our .ts file with the rest: Qt's translations are
// a package of their own, and without them a Chinese help would still say "Options:".
[[maybe_unused]] constexpr const char *parserWords[] = {
    QT_TRANSLATE_NOOP("QCommandLineParser", "Usage: %1"),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Options:"),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Arguments:"),
    QT_TRANSLATE_NOOP("QCommandLineParser", "[options]"),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unknown option '%1'."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unknown options: %1."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Missing value after '%1'."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unexpected value after '%1'."),
};

void discardMessage(QtMsgType, const QMessageLogContext &, const QString &) { }

} // namespace

const QList<Subcommand> &subcommands()
{
    static const QList<Subcommand> table = {
        {"check",
         QT_TRANSLATE_NOOP("VarnellDict", "Report every problem of the dictionary files"),
         runCheck},
        {"lookup",
         QT_TRANSLATE_NOOP("VarnellDict", "Search the dictionary as the window does"),
         runLookup},
        {"add", QT_TRANSLATE_NOOP("VarnellDict", "Append one entry to all five files"), runAdd},
        {"set", QT_TRANSLATE_NOOP("VarnellDict", "Change fields of one entry in place"), runSet},
        {"remove",
         QT_TRANSLATE_NOOP("VarnellDict", "Empty the lines of entries, keeping every number"),
         runRemove},
        {"undo",
         QT_TRANSLATE_NOOP("VarnellDict", "Restore the files as they were before the last write"),
         runUndo},
        {"history", QT_TRANSLATE_NOOP("VarnellDict", "List the kept writes"), runHistory},
        {"export",
         QT_TRANSLATE_NOOP("VarnellDict",
                           "Write the dictionary as a CSV or TSV table, or for dictionary "
                           "readers and flashcards"),
         runExport},
        {"import",
         QT_TRANSLATE_NOOP("VarnellDict", "Replace the five files by a CSV or TSV table"),
         runImport},
        {"convert-freedict",
         QT_TRANSLATE_NOOP("VarnellDict", "Convert a FreeDict dictionary (dictd format)"),
         runConvertFreedict},
        {"generate",
         QT_TRANSLATE_NOOP("VarnellDict", "Write a made-up dictionary of any size"),
         runGenerate},
        {"publish",
         QT_TRANSLATE_NOOP("VarnellDict", "Write the dictionary as a web edition"),
         runPublish},
    };
    return table;
}

const Subcommand *findSubcommand(const QString &name)
{
    for (const Subcommand &subcommand : subcommands()) {
        if (name == QLatin1String(subcommand.name))
            return &subcommand;
    }
    return nullptr;
}

void startParser(QCommandLineParser &parser, const QString &description)
{
    parser.setApplicationDescription(description);
    parser.addOption(QCommandLineOption({QStringLiteral("h"), helpOptionName},
                                        VarnellDict::tr("Show this help and exit.")));
    parser.addOption(
        QCommandLineOption(textsOptionName,
                           VarnellDict::tr("Read the dictionary files in DIR (default: %1).")
                               .arg(dictionaryformat::defaultFolder()),
                           VarnellDict::tr("DIR")));
}

QString helpText(const QCommandLineParser &parser, const QString &command)
{
    // QCommandLineParser names the program by the path it was started with; the usage line
    // should read as the user types the command.
    QString help = parser.helpText();
    const QString started = QCoreApplication::arguments().constFirst();
    const qsizetype at = help.indexOf(started);
    const QString typed = command.isEmpty() ? QCoreApplication::applicationName()
                                            : QCoreApplication::applicationName() + u' ' + command;
    if (at >= 0 && at < help.indexOf(u'\n'))
        help.replace(at, started.size(), typed);
    return help;
}

std::optional<int>
parseArguments(QCommandLineParser &parser, const QString &name, const QStringList &arguments)
{
    if (!parser.parse(arguments))
        return usageError(name, parser.errorText());
    if (parser.isSet(helpOptionName)) {
        QTextStream(stdout) << helpText(parser, name);
        return Success;
    }
    return std::nullopt;
}

QString textsFolder(const QCommandLineParser &parser)
{
    return parser.isSet(textsOptionName) ? parser.value(textsOptionName)
                                         : dictionaryformat::defaultFolder();
}

namespace {

// Says what was done to an interrupted write; false when it could be neither finished nor rolled
// back.
bool reportRecovery(const QString &folder, safewrite::Recovery recovery)
{
    switch (recovery) {
    case safewrite::Recovery::Nothing:
        return true;
    case safewrite::Recovery::Finished:
        printError(VarnellDict::tr("%1: finished a write that was interrupted; the files are the "
                                   "new ones ('%2 undo' takes it back)")
                       .arg(folder, QCoreApplication::applicationName()));
        return true;
    case safewrite::Recovery::RolledBack:
        printError(VarnellDict::tr("%1: rolled back a write that was interrupted; the files are "
                                   "as they were before it")
                       .arg(folder));
        return true;
    case safewrite::Recovery::CannotMend:
        break;
    }
    return false;
}

} // namespace

bool mendInterruptedWrite(const QString &folder, QString *problem)
{
    QString message;
    if (reportRecovery(folder, safewrite::recover(folder, &message)))
        return true;
    if (problem)
        *problem = message;
    else
        printError(message);
    return false;
}

std::optional<HeldFolder> holdFolder(const QString &folder, Purpose purpose, QString *unmended)
{
    const QFileInfo info(folder);
    if (!info.isDir()) {
        printError((info.exists() ? VarnellDict::tr("%1 is not a folder")
                                  : VarnellDict::tr("%1 does not exist"))
                       .arg(folder));
        return std::nullopt;
    }
    auto access = std::make_unique<safewrite::FolderAccess>(folder, purpose);
    if (!access->isHeld()) {
        printError(access->message());
        return std::nullopt;
    }
    if (!reportRecovery(folder, access->recovery())) {
        if (!unmended) {
            printError(access->message());
            return std::nullopt;
        }
        *unmended = access->message();
    }
    return HeldFolder{folder, std::move(access)};
}

std::optional<QString> openFolder(const QCommandLineParser &parser)
{
    const QString folder = textsFolder(parser);
    if (!mendInterruptedWrite(folder))
        return std::nullopt;
    return folder;
}

std::optional<LinedUpFolder>
openLinedUp(const QCommandLineParser &parser, const QString &misaligned, int *status)
{
    std::optional<HeldFolder> held = holdFolder(textsFolder(parser), Purpose::Change);
    *status = UsageOrFileError;
    if (!held)
        return std::nullopt;
    LinedUpFolder read{held->path,
                       safewrite::stateOf(dictionaryformat::filePaths(held->path)),
                       {},
                       std::move(held->access)};
    QString error;
    if (!dictionaryformat::readFolder(read.folder, &read.texts, &error)) {
        printError(error);
        return std::nullopt;
    }
    if (!entrychanges::linedUp(read.texts)) {
        printError(misaligned.arg(read.folder, QCoreApplication::applicationName()));
        *status = ProblemsFound;
        return std::nullopt;
    }
    return read;
}

std::optional<LinedUpFolder> openNumberedEntries(const QCommandLineParser &parser, int *status)
{
    return openLinedUp(parser,
                       VarnellDict::tr("the files of %1 have different line counts, so a line "
                                       "number is not one entry; '%2 check' shows why"),
                       status);
}

int entryNumber(const QString &given, const dictionaryformat::Texts &texts)
{
    bool isNumber = false;
    const int number = given.trimmed().toInt(&isNumber);
    if (isNumber && number >= 1 && number <= texts.words.size())
        return number;
    printError(VarnellDict::tr("'%1' is not an entry number from 1 to %2")
                   .arg(given)
                   .arg(texts.words.size()));
    return 0;
}

int writeEntryChanges(const LinedUpFolder &read,
                      const dictionaryformat::Texts &after,
                      const QString &command)
{
    const entrychanges::Summary summary = entrychanges::compare(read.texts, after);
    QString error;
    if (!dictionaryformat::writeFolder(
            read.folder, after, {command, summary.touched(), read.readState, true}, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    return Success;
}

QString tableHelp()
{
    return VarnellDict::tr(
        "The table has a header row and one row per line number, with the columns number, word, "
        "translation, partOfSpeech, phrases and phraseTranslations (the phrases of a line in one "
        "cell, joined with ','). FILE ending in .csv is CSV (RFC 4180), in .tsv tab-separated; "
        "both UTF-8.");
}

int runMakerCommand(QCommandLineParser &parser,
                    const QString &name,
                    const QStringList &arguments,
                    const QList<PositionalArgument> &inputs,
                    MakerCommand make)
{
    const QCommandLineOption forceOption(
        QStringLiteral("force"),
        VarnellDict::tr("Replace the dictionary DIR holds already ('undo' takes it back); "
                        "without it that is refused."));
    parser.addOption(forceOption);
    for (const auto &[input, description] : inputs)
        parser.addPositionalArgument(input, description);
    parser.addPositionalArgument(
        QStringLiteral("DIR"), VarnellDict::tr("The folder to write."), QStringLiteral("[DIR]"));
    if (const std::optional<int> done = parseArguments(parser, name, arguments))
        return *done;
    const QStringList positional = parser.positionalArguments();
    const bool textsGiven = parser.isSet(textsOptionName);
    const QStringList given = positional.first(std::min(positional.size(), inputs.size()));
    std::optional<MakerArguments> maker;
    if (positional.size() == inputs.size() + 1 && !textsGiven)
        maker = MakerArguments{name, given, positional.constLast()};
    else if (positional.size() == inputs.size() && textsGiven)
        maker = MakerArguments{name, given, parser.value(textsOptionName)};
    if (!maker)
        return usageError(
            name,
            positional.size() == inputs.size() + 1
                ? VarnellDict::tr("give the folder as DIR or as --texts DIR, not both")
                : VarnellDict::tr("%1 takes %2 arguments, then the folder DIR")
                      .arg(name)
                      .arg(inputs.size()));
    const QList<QString> paths = dictionaryformat::filePaths(maker->folder);
    if (!parser.isSet(forceOption)
        && std::any_of(paths.begin(), paths.end(), [](const QString &path) {
               return QFileInfo::exists(path);
           })) {
        printError(VarnellDict::tr("%1 holds a dictionary already; nothing was written. --force "
                                   "replaces it ('%2 undo' takes that back)")
                       .arg(maker->folder, QCoreApplication::applicationName()));
        return ProblemsFound;
    }
    return make(parser, *maker);
}

void silenceDebugLog()
{
    qInstallMessageHandler(&discardMessage);
}

bool loadDictionary(ConlangDictionary &dictionary, const QString &folder)
{
    if (dictionaryformat::loadFolder(dictionary, folder))
        return true;
    printError(VarnellDict::tr("the dictionary in %1 does not load; '%2 check --texts %1' "
                               "says why")
                   .arg(folder, QCoreApplication::applicationName()));
    return false;
}

bool openDictionary(const QCommandLineParser &parser,
                    ConlangDictionary &dictionary,
                    bool quiet,
                    QList<qsizetype> *lineCounts)
{
    if (quiet)
        silenceDebugLog();
    const std::optional<HeldFolder> folder = holdFolder(textsFolder(parser), Purpose::Read);
    if (!folder || !loadDictionary(dictionary, folder->path))
        return false;
    if (lineCounts)
        *lineCounts = lineCountsOf(folder->path);
    return true;
}

QList<qsizetype> lineCountsOf(const QString &folder)
{
    QList<qsizetype> counts;
    for (const QString &path : dictionaryformat::filePaths(folder))
        counts.append(LineReader::countLines(path));
    return counts;
}

QList<qsizetype> lineCountsOf(const dictionaryformat::Texts &texts)
{
    QList<qsizetype> counts;
    for (int i = 0; i < dictionaryformat::fileCount; ++i)
        counts.append(texts[dictionaryformat::fileAt(i)].size());
    return counts;
}

int openDictionaryToWriteOut(const QCommandLineParser &parser, ConlangDictionary &dictionary)
{
    QList<qsizetype> lineCounts;
    if (!openDictionary(parser, dictionary, true, &lineCounts))
        return UsageOrFileError;
    if (!mayWriteFor(textsFolder(parser), lineCounts, parser.isSet(QStringLiteral("force"))))
        return ProblemsFound;
    return Success;
}

bool mayWriteFor(const QString &folder, const QList<qsizetype> &lineCounts, bool force)
{
    if (std::all_of(lineCounts.begin(), lineCounts.end(), [&](qsizetype count) {
            return count == lineCounts.constFirst();
        }))
        return true;
    // Only now is the check worth its time: it says where the files part.
    const dictionarycheck::Report report
        = dictionarycheck::checkFolder(folder, dictionarycheck::legendTags());
    QTextStream err(stderr);
    for (const dictionarycheck::Finding &finding : report.findings) {
        if (finding.code != QLatin1String("misaligned")
            && finding.code != QLatin1String("line-count"))
            continue;
        const QString path = QDir::cleanPath(dictionaryformat::filePath(folder, finding.file));
        err << (finding.line > 0 ? path + u':' + QString::number(finding.line) : path)
            << ": error: " << finding.message << '\n';
    }
    err.flush();
    if (force) {
        printError(VarnellDict::tr("the files of %1 do not line up; written all the same "
                                   "(--force): some words may carry other lines' fields")
                       .arg(folder));
        return true;
    }
    printError(VarnellDict::tr("the files of %1 do not line up, so words would go out with other "
                               "lines' translations; nothing was written. '%2 check' shows why; "
                               "--force writes it all the same")
                   .arg(folder, QCoreApplication::applicationName()));
    return false;
}

std::optional<QByteArray> typesetBook(const ConlangDictionary &dictionary,
                                      const exports::ExportedEntries &exported,
                                      const QString &folder,
                                      const pdfbook::BookOptions &options)
{
    pdfbook::BookOptions dated = options;
    for (const QString &path : dictionaryformat::filePaths(folder)) {
        const QDateTime modified = QFileInfo(path).lastModified();
        if (!dated.filesDate.isValid() || modified > dated.filesDate)
            dated.filesDate = modified;
    }
    const pdfbook::Typeset book
        = pdfbook::typeset(pdfbook::bookSource(exported, dictionary, dated), dated.filesDate);
    if (book.engineMissing) {
        printError(VarnellDict::tr("cannot typeset the book: %1 is not installed (Debian's "
                                   "texlive-xetex; scripts/setup.sh installs it)")
                       .arg(pdfbook::engineProgram()));
        return std::nullopt;
    }
    if (book.pdf.isEmpty()) {
        printError(VarnellDict::tr("the typesetting engine failed: %1").arg(book.error));
        return std::nullopt;
    }
    if (book.missingCharacters > 0) {
        // The first few, by their codes: the characters themselves would not show either.
        QStringList codes;
        for (const char32_t character : book.charactersNoFontHas.mid(0, 20))
            codes.append(
                QStringLiteral("U+%1").arg(uint(character), 4, 16, QLatin1Char('0')).toUpper());
        if (book.charactersNoFontHas.size() > 20)
            codes.append(QStringLiteral("…"));
        QTextStream(stderr) << VarnellDict::tr("%1 characters are in none of the book's fonts "
                                               "and were left out: %2")
                                   .arg(book.missingCharacters)
                                   .arg(codes.join(u' '))
                            << '\n';
    }
    return book.pdf;
}

void printError(const QString &message)
{
    QTextStream(stderr) << QCoreApplication::applicationName() << ": " << message << '\n';
}

int usageError(const QString &name, const QString &message)
{
    printError(message);
    // `name` is empty for a mistake before any command.
    const QString help = name.isEmpty() ? QStringLiteral("--help") : QStringLiteral("help ") + name;
    QTextStream(stderr) << VarnellDict::tr("Try '%1 %2' for more information.")
                               .arg(QCoreApplication::applicationName(), help)
                        << '\n';
    return UsageOrFileError;
}

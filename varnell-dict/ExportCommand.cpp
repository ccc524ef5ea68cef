// varnell-dict export: the table of the spreadsheet (csv, tsv), the dictionary in the files of
// dictionary readers and flashcard programs (stardict, dictd, anki), or as a printed book (pdf),
// chosen with --format NAME or, for the tables and the book, by FILE's extension.

#include "Subcommands.h"

#include "AnkiExport.h"
#include "DictdExport.h"
#include "DictionaryFormat.h"
#include "DictionaryTable.h"
#include "ExportArticles.h"
#include "PdfExport.h"
#include "StardictExport.h"

#include <QSaveFile>
#include <QTextStream>

#include <optional>

namespace {

const QString formatOptionName = QStringLiteral("format");
const QString nameOptionName = QStringLiteral("name");
const QString deckOptionName = QStringLiteral("deck");
const QString forceOptionName = QStringLiteral("force");
const QString titleOptionName = QStringLiteral("title");
const QString paperOptionName = QStringLiteral("paper");
const QString columnsOptionName = QStringLiteral("columns");
const QString defaultName = QStringLiteral("varnell");

enum class Format { Csv, Tsv, Stardict, Dictd, Anki, Pdf };

std::optional<Format> formatNamed(const QString &name)
{
    const QString lower = name.toLower();
    if (lower == QLatin1String("csv"))
        return Format::Csv;
    if (lower == QLatin1String("tsv"))
        return Format::Tsv;
    if (lower == QLatin1String("stardict"))
        return Format::Stardict;
    if (lower == QLatin1String("dictd"))
        return Format::Dictd;
    if (lower == QLatin1String("anki"))
        return Format::Anki;
    if (lower == QLatin1String("pdf"))
        return Format::Pdf;
    return std::nullopt;
}

// The format FILE's extension names, when --format does not: a table or the book.
std::optional<Format> formatOfFile(const QString &path)
{
    if (path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return Format::Pdf;
    const std::optional<DictionaryTable::Format> table = DictionaryTable::formatOf(path);
    if (!table)
        return std::nullopt;
    return *table == DictionaryTable::Format::Csv ? Format::Csv : Format::Tsv;
}

// FILE without the extension its format gives it: the other files are named after it.
QString baseOf(const QString &path, const QString &extension)
{
    return path.endsWith(extension, Qt::CaseInsensitive) ? path.chopped(extension.size()) : path;
}

// The second dictionary, with Chinese headwords, beside the first.
QString chineseBase(const QString &base)
{
    return base + QStringLiteral("-zh");
}

struct Names
{
    QString dictionary;
    QString deck;
};

QString wordBookname(const QString &name)
{
    return name + QStringLiteral(" 禾岚→中文");
}

QString chineseBookname(const QString &name)
{
    return name + QStringLiteral(" 中文→禾岚");
}

void addStardict(const QString &base,
                 const QString &bookname,
                 const QList<exports::Article> &articles,
                 QList<QString> *paths,
                 QList<QByteArray> *contents)
{
    const stardict::Book book = stardict::writeBook(bookname, articles);
    *paths << base + QStringLiteral(".ifo") << base + QStringLiteral(".idx")
           << base + QStringLiteral(".dict.dz");
    *contents << book.ifo << book.idx << book.dictDz;
    if (book.synonymCount > 0) {
        paths->append(base + QStringLiteral(".syn"));
        contents->append(book.syn);
    }
}

void addDictd(const QString &base,
              const dictd::Database &database,
              QList<QString> *paths,
              QList<QByteArray> *contents)
{
    *paths << base + QStringLiteral(".index") << base + QStringLiteral(".dict.dz");
    *contents << database.index << database.dictDz;
}

QString dictdInfo(const QString &bookname, int entries)
{
    return VarnellDict::tr("%1, written by varnell-dict export: %2 entries.")
        .arg(bookname)
        .arg(entries);
}

void leftOutSaid(const exports::ExportedEntries &exported)
{
    if (exported.emptyLines > 0 || exported.withoutTranslation > 0) {
        QTextStream(stderr) << VarnellDict::tr("left out: %1 empty lines, %2 entries without a "
                                               "word or a translation")
                                   .arg(exported.emptyLines)
                                   .arg(exported.withoutTranslation)
                            << '\n';
    }
}

int exportTable(const QCommandLineParser &parser,
                const QString &path,
                DictionaryTable::Format format)
{
    dictionaryformat::Texts texts;
    QString error;
    {
        const std::optional<HeldFolder> folder = holdFolder(textsFolder(parser), Purpose::Read);
        if (!folder)
            return UsageOrFileError;
        if (!dictionaryformat::readFolder(folder->path, &texts, &error)) {
            printError(error);
            return UsageOrFileError;
        }
    }
    if (!mayWriteFor(textsFolder(parser), lineCountsOf(texts), parser.isSet(forceOptionName)))
        return ProblemsFound;
    QSaveFile file(path);
    const QByteArray table = DictionaryTable::write(texts, format);
    if (!file.open(QIODevice::WriteOnly) || file.write(table) != table.size() || !file.commit()) {
        printError(path + QStringLiteral(": ") + file.errorString());
        return UsageOrFileError;
    }
    return Success;
}

int exportForReaders(const QCommandLineParser &parser, const QString &path, Format format)
{
    ConlangDictionary dictionary;
    QList<qsizetype> lineCounts;
    if (!openDictionary(parser, dictionary, true, &lineCounts))
        return UsageOrFileError;
    if (!mayWriteFor(textsFolder(parser), lineCounts, parser.isSet(forceOptionName)))
        return ProblemsFound;
    const exports::ExportedEntries exported = exports::exportedEntries(dictionary);
    const Names names{parser.isSet(nameOptionName) ? parser.value(nameOptionName) : defaultName,
                      parser.value(deckOptionName)};
    QList<QString> paths;
    QList<QByteArray> contents;
    if (format == Format::Stardict) {
        const QString base = baseOf(path, QStringLiteral(".ifo"));
        addStardict(base,
                    wordBookname(names.dictionary),
                    exports::wordArticles(exported, dictionary),
                    &paths,
                    &contents);
        addStardict(chineseBase(base),
                    chineseBookname(names.dictionary),
                    exports::translationArticles(exported, dictionary),
                    &paths,
                    &contents);
    } else if (format == Format::Dictd) {
        const QString base = baseOf(path, QStringLiteral(".index"));
        const int count = int(exported.entries.size());
        const QString words = wordBookname(names.dictionary);
        const QString chinese = chineseBookname(names.dictionary);
        addDictd(
            base,
            dictd::writeDatabase(words, dictdInfo(words, count), dictd::wordArticles(exported)),
            &paths,
            &contents);
        addDictd(chineseBase(base),
                 dictd::writeDatabase(
                     chinese,
                     dictdInfo(chinese, count),
                     dictd::withHeadLines(exports::translationArticles(exported, dictionary))),
                 &paths,
                 &contents);
    } else {
        paths << path;
        contents << anki::writeNotes(
            exported,
            dictionary,
            {names.dictionary, names.deck.isEmpty() ? names.dictionary : names.deck});
    }
    QString error;
    if (!dictionaryformat::replaceFiles(paths, contents, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    leftOutSaid(exported);
    return Success;
}

// The book's options from the command line; nothing after a usage error, whose exit status
// *status takes.
std::optional<pdfbook::BookOptions>
bookOptions(const QCommandLineParser &parser, const QString &name, int *status)
{
    pdfbook::BookOptions options;
    options.title
        = parser.isSet(titleOptionName) ? parser.value(titleOptionName) : defaultBookTitle();
    const std::optional<pdfbook::Paper> paper = pdfbook::paperNamed(parser.value(paperOptionName));
    if (!paper) {
        *status = usageError(name,
                             VarnellDict::tr("unknown paper '%1': a4, a5 or letter")
                                 .arg(parser.value(paperOptionName)));
        return std::nullopt;
    }
    options.paper = *paper;
    const QString columns = parser.value(columnsOptionName);
    if (columns != QLatin1String("1") && columns != QLatin1String("2")) {
        *status
            = usageError(name, VarnellDict::tr("--columns takes 1 or 2, not '%1'").arg(columns));
        return std::nullopt;
    }
    options.columns = columns.toInt();
    return options;
}

int exportBook(const QCommandLineParser &parser,
               const QString &path,
               const pdfbook::BookOptions &options)
{
    ConlangDictionary dictionary;
    QList<qsizetype> lineCounts;
    if (!openDictionary(parser, dictionary, true, &lineCounts))
        return UsageOrFileError;
    if (!mayWriteFor(textsFolder(parser), lineCounts, parser.isSet(forceOptionName)))
        return ProblemsFound;
    const exports::ExportedEntries exported = exports::exportedEntries(dictionary);
    const std::optional<QByteArray> book
        = typesetBook(dictionary, exported, textsFolder(parser), options);
    if (!book)
        return UsageOrFileError;
    QString error;
    if (!dictionaryformat::replaceFiles({path}, {*book}, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    leftOutSaid(exported);
    return Success;
}

} // namespace

int runExport(const QStringList &arguments)
{
    QCommandLineParser parser;
    startParser(
        parser,
        VarnellDict::tr("Writes the dictionary as one table, to edit in a spreadsheet and bring "
                        "back with import.")
            + QStringLiteral("\n\n") + tableHelp() + QStringLiteral("\n\n")
            + VarnellDict::tr(
                "--format stardict writes two StarDict dictionaries: FILE, an .ifo (words "
                "to Chinese), and beside it the same name ending in -zh.ifo (Chinese to "
                "words), each with its .idx, .dict.dz and .syn. --format dictd writes two "
                "dictd databases likewise: FILE, an .index, and its -zh.index, each with its "
                ".dict.dz. --format anki writes one file of notes to import into Anki. Empty "
                "lines and entries without a word or translation are left out, and counted "
                "on stderr.")
            + QStringLiteral("\n\n")
            + VarnellDict::tr(
                "--format pdf (or a FILE ending in .pdf) typesets the dictionary as a book "
                "with XeLaTeX: a title page, the part-of-speech legend, the words with their "
                "translations and phrases (禾岚 → 中文), then every translation and every "
                "Chinese piece of one in pinyin order with its words (中文 → 禾岚). The head "
                "of each page shows the first and the last headword on it."));
    parser.addOption(QCommandLineOption(
        formatOptionName,
        VarnellDict::tr("The format: csv, tsv, stardict, dictd, anki or pdf (default: FILE's "
                        "extension, .csv, .tsv or .pdf)."),
        VarnellDict::tr("NAME")));
    parser.addOption(QCommandLineOption(
        nameOptionName,
        VarnellDict::tr("The dictionary's name in the readers' lists and in the cards' "
                        "identities (default: %1). Keep it, so that a new export updates the "
                        "cards.")
            .arg(defaultName),
        VarnellDict::tr("NAME")));
    parser.addOption(
        QCommandLineOption(deckOptionName,
                           VarnellDict::tr("The Anki deck (default: the dictionary's name)."),
                           VarnellDict::tr("NAME")));
    parser.addOption(QCommandLineOption(
        forceOptionName,
        VarnellDict::tr("Write even when the files do not hold as many lines each (then some "
                        "words go out with other lines' fields); without it that is refused.")));
    parser.addOption(
        QCommandLineOption(titleOptionName,
                           VarnellDict::tr("The book's title, on its first page (default: %1).")
                               .arg(defaultBookTitle()),
                           VarnellDict::tr("TEXT")));
    parser.addOption(
        QCommandLineOption(paperOptionName,
                           VarnellDict::tr("The book's paper: a4, a5 or letter (default: a4)."),
                           VarnellDict::tr("NAME"),
                           QStringLiteral("a4")));
    parser.addOption(
        QCommandLineOption(columnsOptionName,
                           VarnellDict::tr("The book's columns on a page: 1 or 2 (default: 2)."),
                           VarnellDict::tr("N"),
                           QStringLiteral("2")));
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        VarnellDict::tr("The file to write: the table (.csv or .tsv), the .ifo, the .index, "
                        "the notes (.txt) or the book (.pdf)."));
    const QString name = QStringLiteral("export");
    if (const std::optional<int> done = parseArguments(parser, name, arguments))
        return *done;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return usageError(name, VarnellDict::tr("%1 needs one FILE").arg(name));
    const QString path = positional.constFirst();

    const std::optional<Format> format = parser.isSet(formatOptionName)
        ? formatNamed(parser.value(formatOptionName))
        : formatOfFile(path);
    if (!format && !parser.isSet(formatOptionName)) {
        printError(VarnellDict::tr(
                       "%1: the file name must end in .csv or .tsv (a table) or .pdf (the book)")
                       .arg(path));
        return UsageOrFileError;
    }
    if (!format) {
        return usageError(
            name, VarnellDict::tr("unknown format '%1'").arg(parser.value(formatOptionName)));
    }
    if (*format == Format::Pdf) {
        int status = Success;
        const std::optional<pdfbook::BookOptions> options = bookOptions(parser, name, &status);
        return options ? exportBook(parser, path, *options) : status;
    }
    if (*format == Format::Csv)
        return exportTable(parser, path, DictionaryTable::Format::Csv);
    if (*format == Format::Tsv)
        return exportTable(parser, path, DictionaryTable::Format::Tsv);
    return exportForReaders(parser, path, *format);
}

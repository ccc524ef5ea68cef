// varnell-dict export: the table of the spreadsheet (csv, tsv), the dictionary in the files of
// dictionary readers and flashcard programs (stardict, dictd, anki), or as a printed book (pdf),
// chosen with --format NAME or, for the tables and the book, by FILE's extension.

#include "Subcommands.h"

#include "AnkiExport.h"
#include "DictdExport.h"
#include "DictionaryFormat.h"
#include "DictionaryIdentity.h"
#include "DictionaryTable.h"
#include "ExportArticles.h"
#include "PdfExport.h"
#include "StardictExport.h"

#include <QFile>
#include <QFileInfo>
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
const QString noTagsOptionName = QStringLiteral("no-tags");

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

// The two books' names: the dictionary's title for its words, and the same marked as the reverse
// lookup for its translations (a fixed "禾岚→中文" would misname every other dictionary).
QString wordBookname(const QString &title)
{
    return title;
}

QString chineseBookname(const QString &title)
{
    return title + QStringLiteral("（反查）");
}

void addStardict(const QString &base,
                 const stardict::Book &book,
                 QList<QString> *paths,
                 QList<QByteArray> *contents)
{
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

// StarDict and dictd both keep their articles in NAME.dict.dz: a file of one format beside the
// other's index of the same NAME is read by that other export, and replacing it would make the
// other show this one's bytes as its articles.
struct ForeignReader
{
    QString dictDz; // the file both would use
    QList<QString> readers; // the other export's files that read it, those that exist
    QString format; // the other export's format, as --format names it
};

QList<ForeignReader> foreignReaders(const QList<QString> &bases, Format format)
{
    const QList<QString> otherSuffixes = format == Format::Stardict
        ? QList<QString>{QStringLiteral(".index")}
        : QList<QString>{QStringLiteral(".ifo"), QStringLiteral(".idx"), QStringLiteral(".syn")};
    QList<ForeignReader> found;
    for (const QString &base : bases) {
        if (!QFileInfo::exists(base + otherSuffixes.constFirst()))
            continue;
        ForeignReader reader{base + QStringLiteral(".dict.dz"),
                             {},
                             format == Format::Stardict ? QStringLiteral("dictd")
                                                        : QStringLiteral("stardict")};
        for (const QString &suffix : otherSuffixes) {
            if (QFileInfo::exists(base + suffix))
                reader.readers.append(base + suffix);
        }
        found.append(reader);
    }
    return found;
}

// Whether the export may go on: not while another export reads a file it would replace, unless
// forced; says why.
bool mayReplace(const QList<ForeignReader> &found, bool force)
{
    if (force)
        return true;
    for (const ForeignReader &reader : found) {
        printError(VarnellDict::tr("%1: the %2 export %3 reads this file; export under another "
                                   "name, or replace it with --force, which removes %4")
                       .arg(reader.dictDz,
                            reader.format,
                            reader.readers.constFirst(),
                            reader.readers.join(QStringLiteral(", "))));
    }
    return found.isEmpty();
}

// After a forced export: the other export's files that read a replaced file would show this
// export's bytes as their articles, so they go.
void removeForeignReaders(const QList<ForeignReader> &found)
{
    for (const ForeignReader &reader : found) {
        for (const QString &path : reader.readers) {
            if (!QFile::remove(path))
                printError(VarnellDict::tr("%1: cannot remove it").arg(path));
        }
        printError(
            VarnellDict::tr("%1: replaced; removed %2 of the %3 export, which read it")
                .arg(reader.dictDz, reader.readers.join(QStringLiteral(", ")), reader.format));
    }
}

// The cards' identity: --name, or the one the folder keeps (written on the first export).
std::optional<QString> cardIdentity(const QCommandLineParser &parser)
{
    if (parser.isSet(nameOptionName))
        return parser.value(nameOptionName);
    exports::DictionaryIdentity identity;
    QString error;
    if (!exports::keepIdentity(textsFolder(parser), &identity, &error)) {
        printError(error);
        printError(VarnellDict::tr("the cards need the dictionary's identity: give one with --name "
                                   "NAME, the same at every export and no other dictionary's"));
        return std::nullopt;
    }
    return identity.id;
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

// The dictionary's title: --title, or the folder's own.
QString titleOf(const QCommandLineParser &parser)
{
    const QString given = parser.value(titleOptionName).trimmed();
    return given.isEmpty() ? exports::defaultTitle(textsFolder(parser)) : given;
}

int exportForReaders(const QCommandLineParser &parser, const QString &path, Format format)
{
    ConlangDictionary dictionary;
    if (const int opened = openDictionaryToWriteOut(parser, dictionary); opened != Success)
        return opened;
    const exports::ExportedEntries exported = exports::exportedEntries(dictionary);
    const QString title = titleOf(parser);
    QList<QString> paths;
    QList<QByteArray> contents;
    QList<ForeignReader> foreign;
    int shortened = 0;
    if (format == Format::Stardict) {
        const QString base = baseOf(path, QStringLiteral(".ifo"));
        foreign = foreignReaders({base, chineseBase(base)}, format);
        const stardict::Book words
            = stardict::writeBook(wordBookname(title), exports::wordArticles(exported, dictionary));
        const stardict::Book chinese = stardict::writeBook(
            chineseBookname(title), exports::translationArticles(exported, dictionary));
        addStardict(base, words, &paths, &contents);
        addStardict(chineseBase(base), chinese, &paths, &contents);
        shortened = words.shortenedHeadwords + chinese.shortenedHeadwords;
    } else if (format == Format::Dictd) {
        const QString base = baseOf(path, QStringLiteral(".index"));
        foreign = foreignReaders({base, chineseBase(base)}, format);
        const int count = int(exported.entries.size());
        const QString words = wordBookname(title);
        const QString chinese = chineseBookname(title);
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
        const std::optional<QString> identity = cardIdentity(parser);
        if (!identity)
            return UsageOrFileError;
        const QString deck = parser.value(deckOptionName);
        paths << path;
        contents << anki::writeNotes(
            exported,
            dictionary,
            {*identity, deck.isEmpty() ? title : deck, !parser.isSet(noTagsOptionName)});
    }
    if (!mayReplace(foreign, parser.isSet(forceOptionName)))
        return ProblemsFound;
    QString error;
    if (!dictionaryformat::replaceFiles(paths, contents, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    removeForeignReaders(foreign);
    leftOutSaid(exported);
    if (shortened > 0) {
        QTextStream(stderr) << VarnellDict::tr("shortened: %1 headwords longer than %2 bytes, "
                                               "StarDict's limit, to their beginning")
                                   .arg(shortened)
                                   .arg(stardict::maxHeadwordBytes)
                            << '\n';
    }
    return Success;
}

// The book's options from the command line; nothing after a usage error, whose exit status
// *status takes.
std::optional<pdfbook::BookOptions>
bookOptions(const QCommandLineParser &parser, const QString &name, int *status)
{
    pdfbook::BookOptions options;
    options.title = titleOf(parser);
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
    if (const int opened = openDictionaryToWriteOut(parser, dictionary); opened != Success)
        return opened;
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
                "of each page shows the first and the last headword on it.")
            + QStringLiteral("\n\n")
            + VarnellDict::tr(
                  "The readers' lists name the two dictionaries by the title and the title "
                  "followed by %1. StarDict and dictd both keep their articles in a file "
                  "NAME.dict.dz: an export refuses (exit status 1) to replace one that the other "
                  "format's export of the same NAME reads, unless --force, which also removes that "
                  "export's other files. StarDict headwords longer than 255 bytes are shortened "
                  "and counted on stderr.")
                  .arg(chineseBookname(QString()))
            + QStringLiteral("\n\n")
            + VarnellDict::tr(
                "Anki knows each card by its GUID, made of the dictionary's identity and the "
                "entry's number, so that a new import updates the learner's cards (after an "
                "author fixed a spelling or a translation too) and no other dictionary's import "
                "touches them. The identity is kept in the file .varnell-identity beside the "
                "dictionary's five files, written by the first Anki export: keep it with them."));
    parser.addOption(QCommandLineOption(
        formatOptionName,
        VarnellDict::tr("The format: csv, tsv, stardict, dictd, anki or pdf (default: FILE's "
                        "extension, .csv, .tsv or .pdf)."),
        VarnellDict::tr("NAME")));
    parser.addOption(QCommandLineOption(
        titleOptionName,
        VarnellDict::tr("The dictionary's title: its name in the readers' lists, the Anki deck's "
                        "and the book's title page (default: the title in the folder's "
                        ".varnell-identity, %1 for the shipped dictionary, else the folder's name "
                        "as publish takes it).")
            .arg(QStringLiteral("禾岚大词典")),
        VarnellDict::tr("TEXT")));
    parser.addOption(QCommandLineOption(
        nameOptionName,
        VarnellDict::tr("The identity of the Anki cards instead of the one the folder keeps: the "
                        "same at every export of this dictionary, and no other dictionary's "
                        "(the cards of earlier exports without it were known by 'varnell')."),
        VarnellDict::tr("NAME")));
    parser.addOption(QCommandLineOption(deckOptionName,
                                        VarnellDict::tr("The Anki deck (default: the title)."),
                                        VarnellDict::tr("NAME")));
    parser.addOption(QCommandLineOption(
        noTagsOptionName,
        VarnellDict::tr("Anki: no tags column. The part-of-speech tags are then not the notes' "
                        "tags, and a new import keeps the learner's own tags (Anki replaces a "
                        "note's tags with the tags column's).")));
    parser.addOption(QCommandLineOption(
        forceOptionName,
        VarnellDict::tr("Write anyway: when the files do not hold as many lines each (then some "
                        "words go out with other lines' fields), and over a .dict.dz that the "
                        "other reader format's export reads.")));
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

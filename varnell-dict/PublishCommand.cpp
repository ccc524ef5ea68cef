// varnell-dict publish: the dictionary as a static web edition that searches as the window does.

#include "Subcommands.h"

#include "ConlangDictionary.h"
#include "DictionaryFormat.h"
#include "DictionaryIdentity.h"
#include "ExportArticles.h"
#include "WebData.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {

const QString webResourcePrefix = QStringLiteral(":/web");
const QString pdfOptionName = QStringLiteral("pdf");

// The page's own files, as built into the program, by their path inside the web edition.
bool readPageFiles(QList<QString> *paths, QList<QByteArray> *contents, QString *error)
{
    QDirIterator it(webResourcePrefix, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString resource = it.next();
        QFile file(resource);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = VarnellDict::tr("%1: cannot read the page's file").arg(resource);
            return false;
        }
        paths->append(resource.mid(webResourcePrefix.size() + 1));
        contents->append(file.readAll());
    }
    return true;
}

// The page's files made this dictionary's: its title, and each file index.html names with the
// version of its content.
void makePageFiles(const QList<QString> &files, QList<QByteArray> *contents, const QString &title)
{
    const qsizetype index = files.indexOf(QStringLiteral("index.html"));
    const qsizetype manifest = files.indexOf(QStringLiteral("manifest.webmanifest"));
    if (manifest >= 0)
        (*contents)[manifest] = webdata::manifest(contents->at(manifest), title);
    if (index >= 0)
        (*contents)[index] = webdata::indexPage(contents->at(index), title, files, *contents);
}

int publish(const ConlangDictionary &dictionary,
            webdata::PageInfo page,
            const QString &folder,
            const QString &outputFolder,
            bool withBook)
{
    QList<QString> files{webdata::dataFileName.toString()};
    QList<QByteArray> contents;
    if (withBook) {
        const exports::ExportedEntries exported = exports::exportedEntries(dictionary);
        pdfbook::BookOptions options;
        options.title = page.title;
        const std::optional<QByteArray> book = typesetBook(dictionary, exported, folder, options);
        if (!book)
            return UsageOrFileError;
        page.book = webdata::bookFileName.toString();
        files.append(page.book);
        contents << webdata::dataScript(dictionary, page) << *book;
    } else {
        contents << webdata::dataScript(dictionary, page);
    }
    QString error;
    if (!readPageFiles(&files, &contents, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    makePageFiles(files, &contents, page.title);
    const QDir output(outputFolder);
    QList<QString> paths;
    for (const QString &file : std::as_const(files)) {
        paths.append(output.filePath(file));
        if (!QDir().mkpath(QFileInfo(paths.constLast()).path())) {
            printError(VarnellDict::tr("%1: cannot create the folder")
                           .arg(QFileInfo(paths.constLast()).path()));
            return UsageOrFileError;
        }
    }
    if (!dictionaryformat::replaceFiles(paths, contents, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    return Success;
}

} // namespace

int runPublish(const QStringList &arguments)
{
    const QString name = QStringLiteral("publish");
    QCommandLineParser parser;
    startParser(parser,
                VarnellDict::tr("Writes the dictionary as a web edition into OUTDIR, created when "
                                "needed: a page that searches as the window does, in any browser, "
                                "served from any web server or opened from disk, and offline."));
    const QCommandLineOption forceOption(
        QStringLiteral("force"),
        VarnellDict::tr("Write even when the files do not hold as many lines each (then some "
                        "words go out with other lines' fields); without it that is refused."));
    parser.addOption(forceOption);
    parser.addOption(QCommandLineOption(
        pdfOptionName,
        VarnellDict::tr("Also typeset the dictionary as a printed book, %1 beside the page, which "
                        "its whole dictionary (整本词典) links to (as export --format pdf does).")
            .arg(webdata::bookFileName)));
    parser.addPositionalArgument(QStringLiteral("OUTDIR"),
                                 VarnellDict::tr("The folder to write the web edition into."));
    const QCommandLineOption titleOption(
        QStringLiteral("title"),
        VarnellDict::tr("The page's title, TEXT, and the book's with --pdf (default: the title in "
                        "the folder's .varnell-identity, %1 for the shipped dictionary, else the "
                        "folder's name).")
            .arg(webdata::windowTitle),
        QStringLiteral("TEXT"));
    parser.addOption(titleOption);
    if (const std::optional<int> done = parseArguments(parser, name, arguments))
        return *done;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return usageError(name, VarnellDict::tr("publish takes one folder, OUTDIR"));
    if (parser.isSet(titleOption) && parser.value(titleOption).trimmed().isEmpty())
        return usageError(name, VarnellDict::tr("--title takes a text that is not empty"));
    ConlangDictionary dictionary;
    if (const int opened = openDictionaryToWriteOut(parser, dictionary); opened != Success)
        return opened;
    const QString folder = textsFolder(parser);
    const webdata::PageInfo page{webdata::dictionaryName(folder),
                                 parser.isSet(titleOption) ? parser.value(titleOption).trimmed()
                                                           : exports::defaultTitle(folder),
                                 webdata::usesLegendTags(dictionary),
                                 QString()};
    return publish(dictionary, page, folder, positional.constFirst(), parser.isSet(pdfOptionName));
}

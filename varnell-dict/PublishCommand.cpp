// varnell-dict publish: the dictionary as a static web edition that searches as the window does.

#include "Subcommands.h"

#include "ConlangDictionary.h"
#include "DictionaryFormat.h"
#include "WebData.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {

const QString webResourcePrefix = QStringLiteral(":/web");

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
            const webdata::PageInfo &page,
            const QString &outputFolder)
{
    QList<QString> files{webdata::dataFileName.toString()};
    QList<QByteArray> contents{webdata::dataScript(dictionary, page)};
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
    parser.addPositionalArgument(QStringLiteral("OUTDIR"),
                                 VarnellDict::tr("The folder to write the web edition into."));
    const QCommandLineOption titleOption(
        QStringLiteral("title"),
        VarnellDict::tr("The page's title, TEXT (by default the window's, %1, for a dictionary in "
                        "禾岚's parts of speech as the shipped one; the dictionary's folder's name "
                        "for any other).")
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
    if (!openDictionary(parser, dictionary))
        return UsageOrFileError;
    const QString folder = textsFolder(parser);
    const webdata::PageInfo page{webdata::dictionaryName(folder),
                                 parser.isSet(titleOption)
                                     ? parser.value(titleOption).trimmed()
                                     : webdata::defaultTitle(dictionary, folder),
                                 webdata::usesLegendTags(dictionary)};
    return publish(dictionary, page, positional.constFirst());
}

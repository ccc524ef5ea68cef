// varnell-dict generate: a made-up dictionary of any size, the same for the same seed, for
// benchmarks and tests.

#include "Subcommands.h"

#include "DictionaryGenerator.h"

#include <QDir>

int runGenerate(const QStringList &arguments)
{
    const QString name = QStringLiteral("generate");
    QCommandLineParser parser;
    startParser(parser,
                VarnellDict::tr("Writes a made-up dictionary of ENTRIES lines into DIR (or the "
                                "--texts folder), created when needed: words of syllables, "
                                "Chinese translations, up to four phrases each. The same ENTRIES "
                                "and SEED always give the same files."));
    parser.addPositionalArgument(QStringLiteral("ENTRIES"), VarnellDict::tr("How many entries."));
    parser.addPositionalArgument(QStringLiteral("SEED"),
                                 VarnellDict::tr("A non-negative integer that picks the words."));
    QString folder;
    if (const std::optional<int> done
        = parseArgumentsWithFolder(parser, name, arguments, 2, &folder))
        return *done;

    const QStringList positional = parser.positionalArguments();
    bool entriesOk = false;
    bool seedOk = false;
    dictionarygenerator::GeneratorOptions options;
    options.entries = positional.at(0).toInt(&entriesOk);
    options.seed = positional.at(1).toULongLong(&seedOk);
    if (!entriesOk || options.entries < 0 || !seedOk)
        return usageError(name,
                          VarnellDict::tr("ENTRIES must be a count and SEED a non-negative "
                                          "integer"));
    if (!QDir().mkpath(folder)) {
        printError(VarnellDict::tr("%1: cannot create the folder").arg(folder));
        return UsageOrFileError;
    }
    QString error;
    if (!dictionarygenerator::writeDictionaryFiles(
            folder, dictionarygenerator::generateDictionary(options), &error)) {
        printError(error);
        return UsageOrFileError;
    }
    return Success;
}

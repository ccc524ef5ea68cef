// varnell-dict generate: a made-up dictionary of any size, the same for the same seed, for
// benchmarks and tests.

#include "Subcommands.h"

#include "DictionaryGenerator.h"

#include <QDir>

namespace {

int generate(const QCommandLineParser &, const MakerArguments &given)
{
    bool entriesOk = false;
    bool seedOk = false;
    dictionarygenerator::GeneratorOptions options;
    options.entries = given.inputs.at(0).toInt(&entriesOk);
    options.seed = given.inputs.at(1).toULongLong(&seedOk);
    if (!entriesOk || options.entries < 0 || !seedOk)
        return usageError(given.command,
                          VarnellDict::tr("ENTRIES must be a count and SEED a non-negative "
                                          "integer"));
    if (!QDir().mkpath(given.folder)) {
        printError(VarnellDict::tr("%1: cannot create the folder").arg(given.folder));
        return UsageOrFileError;
    }
    QString error;
    if (!dictionarygenerator::writeDictionaryFiles(
            given.folder, dictionarygenerator::generateDictionary(options), &error)) {
        printError(error);
        return UsageOrFileError;
    }
    return Success;
}

} // namespace

int runGenerate(const QStringList &arguments)
{
    QCommandLineParser parser;
    startParser(parser,
                VarnellDict::tr("Writes a made-up dictionary of ENTRIES lines into DIR (or the "
                                "--texts folder), created when needed: words of syllables, "
                                "Chinese translations, up to four phrases each. The same ENTRIES "
                                "and SEED always give the same files."));
    return runMakerCommand(
        parser,
        QStringLiteral("generate"),
        arguments,
        {{QStringLiteral("ENTRIES"), VarnellDict::tr("How many entries.")},
         {QStringLiteral("SEED"), VarnellDict::tr("A non-negative integer that picks the words.")}},
        generate);
}

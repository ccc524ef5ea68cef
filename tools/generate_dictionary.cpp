// generate_dictionary <entries> <seed> <outdir>
// Writes a deterministic dictionary of <entries> lines in the five-file format into <outdir>.

#include "DictionaryGenerator.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        err << "usage: generate_dictionary <entries> <seed> <outdir>\n";
        return 2;
    }

    bool entriesOk = false;
    bool seedOk = false;
    dictionarygenerator::GeneratorOptions options;
    options.entries = args.at(1).toInt(&entriesOk);
    options.seed = args.at(2).toULongLong(&seedOk);
    if (!entriesOk || options.entries < 0 || !seedOk) {
        err << "generate_dictionary: <entries> must be a count and <seed> a non-negative integer\n";
        return 2;
    }

    const QString folder = args.at(3);
    if (!QDir().mkpath(folder)) {
        err << "generate_dictionary: cannot create " << folder << '\n';
        return 1;
    }
    QString error;
    const auto entries = dictionarygenerator::generateDictionary(options);
    if (!dictionarygenerator::writeDictionaryFiles(folder, entries, &error)) {
        err << "generate_dictionary: " << error << '\n';
        return 1;
    }
    QTextStream(stdout) << "wrote " << entries.size() << " entries to "
                        << QDir(folder).absolutePath() << '\n';
    return 0;
}

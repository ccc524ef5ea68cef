// varnell-dict remove: empties the lines of entries, so that every later entry keeps its number.

#include "Subcommands.h"

#include "DictionaryFormat.h"

int runRemove(const QStringList &arguments)
{
    const QString name = QStringLiteral("remove");
    QCommandLineParser parser;
    startParser(parser,
                VarnellDict::tr("Empties the lines of the entries NUMBER in all five files, so "
                                "that every later entry keeps its number."));
    parser.addPositionalArgument(QStringLiteral("NUMBER"),
                                 VarnellDict::tr("An entry's number."),
                                 QStringLiteral("NUMBER..."));
    if (const std::optional<int> done = parseArguments(parser, name, arguments))
        return *done;
    if (parser.positionalArguments().isEmpty())
        return usageError(name, VarnellDict::tr("remove needs one entry NUMBER or more"));

    int status = Success;
    const std::optional<LinedUpFolder> read = openNumberedEntries(parser, &status);
    if (!read)
        return status;
    const dictionaryformat::Texts &before = read->texts;
    dictionaryformat::Texts after = before;
    for (const QString &given : parser.positionalArguments()) {
        const int number = entryNumber(given, before);
        if (number == 0)
            return ProblemsFound;
        for (int i = 0; i < dictionaryformat::fileCount; ++i)
            after[dictionaryformat::fileAt(i)][number - 1].clear();
    }
    return writeEntryChanges(*read, after, name + u' ' + parser.positionalArguments().join(u' '));
}

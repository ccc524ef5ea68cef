#include "Subcommands.h"

int runAdd(const QStringList &arguments)
{
    QCommandLineParser parser;
    startParser(parser, VarnellDict::tr("Not written yet."));
    if (const std::optional<int> done = parseArguments(parser, QStringLiteral("add"), arguments))
        return *done;
    printError(VarnellDict::tr("'add' is not written yet"));
    return UsageOrFileError;
}

#include "Subcommands.h"

int runCheck(const QStringList &arguments)
{
    QCommandLineParser parser;
    startParser(parser, VarnellDict::tr("Not written yet."));
    if (const std::optional<int> done = parseArguments(parser, QStringLiteral("check"), arguments))
        return *done;
    printError(VarnellDict::tr("'check' is not written yet"));
    return UsageOrFileError;
}

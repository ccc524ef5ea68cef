// varnell-dict convert-freedict: a FreeDict dictionary in dictd format as the five files.

#include "Subcommands.h"

#include "FreedictConverter.h"

#include <QTextStream>

namespace {

const QString reportOptionName = QStringLiteral("report");

int convertFreedict(const QCommandLineParser &parser, const MakerArguments &given)
{
    freedict::ConversionReport report;
    QString error;
    if (!freedict::convertFreedictFiles(
            given.inputs.at(0), given.inputs.at(1), given.folder, &report, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    if (parser.isSet(reportOptionName))
        QTextStream(stdout) << freedict::describeReport(report) << '\n';
    return Success;
}

} // namespace

int runConvertFreedict(const QStringList &arguments)
{
    QCommandLineParser parser;
    startParser(parser,
                VarnellDict::tr("Converts a FreeDict dictionary in dictd format (an .index file "
                                "and its .dict or .dict.dz file) into the five dictionary files "
                                "in DIR (or the --texts folder), created when needed."));
    parser.addOption(QCommandLineOption(
        reportOptionName, VarnellDict::tr("Print what became of the source's articles.")));
    return runMakerCommand(
        parser,
        QStringLiteral("convert-freedict"),
        arguments,
        {{QStringLiteral("INDEX"), VarnellDict::tr("The .index file.")},
         {QStringLiteral("DICT"), VarnellDict::tr("The .dict file, or the compressed .dict.dz.")}},
        convertFreedict);
}

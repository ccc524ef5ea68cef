// varnell-dict convert-freedict: a FreeDict dictionary in dictd format as the five files.

#include "Subcommands.h"

#include "FreedictConverter.h"

#include <QTextStream>

int runConvertFreedict(const QStringList &arguments)
{
    const QString name = QStringLiteral("convert-freedict");
    QCommandLineParser parser;
    startParser(parser,
                VarnellDict::tr("Converts a FreeDict dictionary in dictd format (an .index file "
                                "and its .dict or .dict.dz file) into the five dictionary files "
                                "in DIR (or the --texts folder), created when needed."));
    const QCommandLineOption reportOption(
        QStringLiteral("report"), VarnellDict::tr("Print what became of the source's articles."));
    parser.addOption(reportOption);
    parser.addPositionalArgument(QStringLiteral("INDEX"), VarnellDict::tr("The .index file."));
    parser.addPositionalArgument(QStringLiteral("DICT"),
                                 VarnellDict::tr("The .dict file, or the compressed .dict.dz."));
    QString folder;
    if (const std::optional<int> done
        = parseArgumentsWithFolder(parser, name, arguments, 2, &folder))
        return *done;

    const QStringList positional = parser.positionalArguments();
    freedict::ConversionReport report;
    QString error;
    if (!freedict::convertFreedictFiles(
            positional.at(0), positional.at(1), folder, &report, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    if (parser.isSet(reportOption))
        QTextStream(stdout) << freedict::describeReport(report) << '\n';
    return Success;
}

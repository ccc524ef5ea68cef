// varnell-dict: checks, searches and edits the dictionary files from the command line.
// Subcommands.h says how a subcommand is added.

#include "Subcommands.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

namespace {

QString mainHelp(const QCommandLineParser &parser)
{
    const QString help = helpText(parser, QString());
    QString commands = u'\n' + VarnellDict::tr("Commands:") + u'\n';
    qsizetype width = 0;
    for (const Subcommand &subcommand : subcommands())
        width = qMax(width, qsizetype(qstrlen(subcommand.name)));
    for (const Subcommand &subcommand : subcommands()) {
        commands += QStringLiteral("  ") + QString::fromLatin1(subcommand.name).leftJustified(width)
            + QStringLiteral("  ") + VarnellDict::tr(subcommand.summary) + u'\n';
    }
    return help + commands + u'\n'
        + VarnellDict::tr("Every command reads the dictionary folder given by --texts DIR "
                          "(default: ./texts, as the window).\n"
                          "Run '%1 help COMMAND' for the options of a command.\n\n"
                          "Exit status: 0 success; 1 the command ran and found problems, found "
                          "nothing or refused; 2 bad usage, or a file that cannot be read or "
                          "written.\n")
              .arg(QCoreApplication::applicationName());
}

// `varnell-dict help [COMMAND]`
int runHelp(const QCommandLineParser &parser, const QStringList &commandArguments)
{
    if (commandArguments.isEmpty()) {
        QTextStream(stdout) << mainHelp(parser);
        return Success;
    }
    const Subcommand *subcommand = findSubcommand(commandArguments.first());
    if (!subcommand) {
        printError(VarnellDict::tr("unknown command '%1'").arg(commandArguments.first()));
        return UsageOrFileError;
    }
    return subcommand->run({QCoreApplication::arguments().constFirst(), QStringLiteral("--help")});
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnell-dict"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARNELL_VERSION));

    // Chosen from the locale: LANG=zh_CN.UTF-8 gives the Chinese messages.
    QTranslator translator;
    if (translator.load(QLocale(),
                        QStringLiteral("varnell-dict"),
                        QStringLiteral("_"),
                        QStringLiteral(":/i18n")))
        QCoreApplication::installTranslator(&translator);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        VarnellDict::tr("Checks, searches and edits the five text files of a varnell dictionary."));
    // Whatever follows the command's name belongs to the command.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        VarnellDict::tr("Show this help and exit."));
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                           VarnellDict::tr("Show the program's version and exit."));
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    parser.addPositionalArgument(QStringLiteral("command"),
                                 VarnellDict::tr("The command to run (see below)."),
                                 VarnellDict::tr("COMMAND [ARGUMENTS...]"));
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(QString(), parser.errorText());
    if (parser.isSet(helpOption)) {
        QTextStream(stdout) << mainHelp(parser);
        return Success;
    }
    if (parser.isSet(versionOption)) {
        QTextStream(stdout) << QCoreApplication::applicationName() << ' '
                            << QCoreApplication::applicationVersion() << '\n';
        return Success;
    }

    QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty())
        return usageError(QString(), VarnellDict::tr("no command given"));
    const QString command = arguments.takeFirst();
    if (command == QLatin1String("help"))
        return runHelp(parser, arguments);
    const Subcommand *subcommand = findSubcommand(command);
    if (!subcommand)
        return usageError(QString(), VarnellDict::tr("unknown command '%1'").arg(command));
    arguments.prepend(QCoreApplication::arguments().constFirst());
    return subcommand->run(arguments);
}

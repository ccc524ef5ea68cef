// varnell-dict history: lists the kept writes that undo can take back.

#include "Subcommands.h"

#include "DictionaryFormat.h"

#include <QTextStream>

int runHistory(const QStringList &arguments)
{
    const QString name = QStringLiteral("history");
    QCommandLineParser parser;
    startParser(parser,
                VarnellDict::tr("Lists the kept writes, oldest first: number, time (UTC), "
                                "command, entries changed. 'undo NUMBER' restores the files as "
                                "they were before one."));
    if (const std::optional<int> done = parseArguments(parser, name, arguments))
        return *done;
    const std::optional<HeldFolder> folder = holdFolder(textsFolder(parser), Purpose::Read);
    if (!folder)
        return UsageOrFileError;
    QTextStream out(stdout);
    for (const safewrite::Snapshot &snapshot : safewrite::history(folder->path)) {
        out << snapshot.number << "  " << snapshot.time.toString(Qt::ISODate) << "  "
            << snapshot.change.command << "  "
            << VarnellDict::tr("entries changed: %1").arg(snapshot.change.entriesChanged)
            << (snapshot.intact ? QString()
                                : QStringLiteral("  ") + VarnellDict::tr("(changed since)"))
            << (snapshot.wholeFiles ? QStringLiteral("  ")
                        + VarnellDict::tr("(whole files, kept by an earlier version)")
                                    : QString())
            << '\n';
    }
    return Success;
}

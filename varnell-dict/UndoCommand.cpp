// varnell-dict undo: takes a kept write back, itself a write kept in the history.

#include "Subcommands.h"

#include "DictionaryFormat.h"
#include "EntryChanges.h"

#include <QFile>
#include <QTextStream>

#include <algorithm>

int runUndo(const QStringList &arguments)
{
    const QString name = QStringLiteral("undo");
    QCommandLineParser parser;
    startParser(parser,
                VarnellDict::tr("Restores the five files, byte for byte, as they were before the "
                                "last write (or before write NUMBER of 'history'). The undo is a "
                                "write itself and kept in the history, so a second undo takes it "
                                "back."));
    parser.addPositionalArgument(QStringLiteral("NUMBER"),
                                 VarnellDict::tr("The write to take back (default: the last)."),
                                 QStringLiteral("[NUMBER]"));
    if (const std::optional<int> done = parseArguments(parser, name, arguments))
        return *done;
    if (parser.positionalArguments().size() > 1)
        return usageError(name, VarnellDict::tr("undo takes at most one NUMBER"));
    const std::optional<QString> folder = openFolder(parser);
    if (!folder)
        return UsageOrFileError;

    const QByteArray readState = safewrite::stateOf(dictionaryformat::filePaths(*folder));
    const QList<safewrite::Snapshot> history = safewrite::history(*folder);
    if (history.isEmpty()) {
        printError(VarnellDict::tr("%1 keeps no earlier write to restore").arg(*folder));
        return ProblemsFound;
    }
    safewrite::Snapshot snapshot = history.constLast();
    if (!parser.positionalArguments().isEmpty()) {
        const int wanted = parser.positionalArguments().constFirst().toInt();
        const auto found = std::find_if(history.begin(), history.end(), [&](const auto &kept) {
            return kept.number == wanted;
        });
        if (found == history.end()) {
            printError(VarnellDict::tr("no write %1 is kept; '%2 history' lists them")
                           .arg(parser.positionalArguments().constFirst(),
                                QCoreApplication::applicationName()));
            return ProblemsFound;
        }
        snapshot = *found;
    }
    if (!snapshot.intact) {
        printError(VarnellDict::tr("the files kept from before write %1 were changed since (by a "
                                   "program that writes files in place), so they are not restored")
                       .arg(snapshot.number));
        return ProblemsFound;
    }

    QList<QByteArray> contents;
    for (const QString &path : dictionaryformat::filePaths(snapshot.folder)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            printError(path + QStringLiteral(": ") + file.errorString());
            return UsageOrFileError;
        }
        contents.append(file.readAll());
    }
    dictionaryformat::Texts then;
    QString error;
    const qsizetype changed = dictionaryformat::readFolder(snapshot.folder, &then, &error)
        ? entrychanges::compareWithFolder(*folder, then).touched()
        : 0;
    const safewrite::Change change{
        name + u' ' + QString::number(snapshot.number), changed, readState};
    if (!safewrite::replaceFolderFiles(
            *folder, dictionaryformat::filePaths(*folder), contents, change, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    QTextStream(stdout) << VarnellDict::tr("restored the files as they were before write %1 (%2)")
                               .arg(snapshot.number)
                               .arg(snapshot.change.command)
                        << '\n';
    return Success;
}

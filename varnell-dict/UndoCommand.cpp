// varnell-dict undo: takes a kept write back, itself a write kept in the history.

#include "Subcommands.h"

#include "DictionaryFormat.h"

#include <QFileInfo>
#include <QHash>
#include <QTextStream>

#include <algorithm>

namespace {

// How many entries a refusal names before it counts the rest.
constexpr int namedEntries = 10;

// "entry 93 (keys.txt), entries 95, 96 (values.txt, keys.txt)" and how many more: the lines a
// write changed that were changed again since, by entry, with the files they are in.
QString describeChangedSince(const QList<safewrite::ChangedSince> &changed)
{
    QList<qsizetype> lines;
    for (const safewrite::ChangedSince &file : changed)
        lines += file.lines;
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    QList<QString> named;
    for (qsizetype i = 0; i < std::min<qsizetype>(lines.size(), namedEntries); ++i) {
        QList<QString> files;
        for (const safewrite::ChangedSince &file : changed) {
            if (file.lines.contains(lines.at(i)))
                files.append(file.file);
        }
        named.append(VarnellDict::tr("entry %1 (%2)")
                         .arg(lines.at(i))
                         .arg(files.join(QStringLiteral(", "))));
    }
    QString text = named.join(QStringLiteral("; "));
    if (lines.size() > namedEntries)
        text += u' ' + VarnellDict::tr("and %1 more").arg(lines.size() - namedEntries);
    return text;
}

} // namespace

int runUndo(const QStringList &arguments)
{
    const QString name = QStringLiteral("undo");
    QCommandLineParser parser;
    startParser(parser,
                VarnellDict::tr("Takes back the last write (or write NUMBER of 'history'): the "
                                "lines it changed are put back as they were before it, byte for "
                                "byte, and every other line stays as it is now, so edits made "
                                "since in an editor or a spreadsheet are kept. Where a line it "
                                "changed was changed again since, nothing is written and the "
                                "entries are named; --force puts them back anyway. The undo is a "
                                "write itself and kept in the history, so a second undo takes it "
                                "back."));
    const QCommandLineOption forceOption(
        QStringLiteral("force"),
        VarnellDict::tr("Put back the lines the write changed even where they were changed "
                        "again since."));
    parser.addOption(forceOption);
    parser.addPositionalArgument(QStringLiteral("NUMBER"),
                                 VarnellDict::tr("The write to take back (default: the last)."),
                                 QStringLiteral("[NUMBER]"));
    if (const std::optional<int> done = parseArguments(parser, name, arguments))
        return *done;
    if (parser.positionalArguments().size() > 1)
        return usageError(name, VarnellDict::tr("undo takes at most one NUMBER"));
    const std::optional<HeldFolder> held = holdFolder(textsFolder(parser), Purpose::Change);
    if (!held)
        return UsageOrFileError;
    const QString &folder = held->path;

    const QList<safewrite::Snapshot> history = safewrite::history(folder);
    if (history.isEmpty()) {
        printError(VarnellDict::tr("%1 keeps no earlier write to restore").arg(folder));
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

    // The files' state before they are read, for the write to refuse what another program changes
    // meanwhile.
    QHash<QString, QByteArray> stateWhenRead;
    for (const QString &path : dictionaryformat::filePaths(folder))
        stateWhenRead.insert(QFileInfo(path).fileName(), safewrite::stateOf({path}));
    safewrite::Undoing undoing;
    QString error;
    if (!safewrite::undoing(folder, snapshot, parser.isSet(forceOption), &undoing, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    if (!undoing.changedSince.isEmpty() && !parser.isSet(forceOption)) {
        printError(VarnellDict::tr("write %1 (%2) is not taken back: lines it changed were changed "
                                   "again since: %3. Nothing was written; --force puts them back "
                                   "as they were before write %1 anyway")
                       .arg(snapshot.number)
                       .arg(snapshot.change.command, describeChangedSince(undoing.changedSince)));
        return ProblemsFound;
    }
    QByteArray readState;
    for (const QString &path : std::as_const(undoing.paths))
        readState += stateWhenRead.value(QFileInfo(path).fileName(), safewrite::stateOf({path}));
    const safewrite::Change change{
        name + u' ' + QString::number(snapshot.number), undoing.linesRestored, readState, true};
    if (!safewrite::replaceFolderFiles(folder, undoing.paths, undoing.contents, change, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    if (!undoing.changedSince.isEmpty())
        printError(VarnellDict::tr("put back lines that were changed again since write %1: %2")
                       .arg(snapshot.number)
                       .arg(describeChangedSince(undoing.changedSince)));
    QTextStream(stdout) << VarnellDict::tr("restored the files as they were before write %1 (%2)")
                               .arg(snapshot.number)
                               .arg(snapshot.change.command)
                        << '\n';
    return Success;
}

// The journal of the safe write (".varnell-journal" in the folder): the record of a write under
// way, and the recovery that finishes or rolls back a write a kill, crash or power loss
// interrupted.

#include "FolderLock.h"
#include "SafeWrite_p.h"

#include "DictionaryFormat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace safewrite {

namespace {

const QByteArray journalHeader = "varnell-write 2\n";
// An earlier version's journal, its paths absolute.
const QByteArray absoluteJournalHeader = "varnell-write 1\n";
const QByteArray committedLine = "committed\n";

QByteArray
journalLine(const char *kind, const std::pair<QString, QString> &move, const QDir &folder)
{
    return QByteArray(kind) + ' ' + QUrl::toPercentEncoding(folder.relativeFilePath(move.first))
        + ' ' + QUrl::toPercentEncoding(folder.relativeFilePath(move.second)) + '\n';
}

// The path as the journal names it, in the folder as it is now: relative paths are the folder's
// own wherever it lies now.
QString pathIn(const QDir &folder, const QByteArray &named, bool absolute)
{
    const QString path = QUrl::fromPercentEncoding(named);
    if (absolute)
        return QDir::cleanPath(path);
    return QDir::isAbsolutePath(path) ? QString() : QDir::cleanPath(folder.absoluteFilePath(path));
}

// Whether `path` of an earlier version's journal is one of `folder`'s own: inside it, or the file
// of the same name in it where that is a link to `path`.
bool inFolder(const QString &path, const QDir &folder)
{
    const QString root = folder.absolutePath() + u'/';
    const QString canonicalRoot = folder.canonicalPath() + u'/';
    if (path.startsWith(root) || (canonicalRoot.size() > 1 && path.startsWith(canonicalRoot)))
        return true;
    const QString sameName = folder.absoluteFilePath(QFileInfo(path).fileName());
    return QFileInfo(sameName).isSymLink() && QFileInfo(sameName).canonicalFilePath() == path;
}

// An earlier version's journal names the folder where it was written: when that is not this one
// (the folder was copied or moved since), following it would change another folder.
QString foreignFolder(const Journal &journal, const QDir &folder)
{
    QList<QString> paths;
    for (const auto &move : journal.files)
        paths << move.first << move.second;
    if (!journal.snapshot.first.isEmpty())
        paths << journal.snapshot.first << journal.snapshot.second;
    for (const QString &path : std::as_const(paths)) {
        const QString parent = QFileInfo(path).absolutePath();
        if (!inFolder(path, folder))
            return parent.endsWith(u'/' + historyName) ? QFileInfo(parent).absolutePath() : parent;
    }
    return {};
}

Journal readJournal(const QString &path, const QDir &folder)
{
    Journal journal;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        journal.readable = false;
        return journal;
    }
    const QByteArray text = file.readAll();
    const bool absolute = text.startsWith(absoluteJournalHeader);
    const bool known = absolute || text.startsWith(journalHeader);
    journal.committed = known && text.endsWith("\n" + committedLine);
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> parts = lines.at(i).split(' ');
        if (parts.size() != 3) {
            // Only the last, torn line of a journal never committed may be incomplete.
            journal.readable = journal.readable
                && (lines.at(i).isEmpty() || lines.at(i) == committedLine.trimmed());
            continue;
        }
        const std::pair<QString, QString> move{pathIn(folder, parts.at(1), absolute),
                                               pathIn(folder, parts.at(2), absolute)};
        if (move.first.isEmpty() || move.second.isEmpty())
            journal.readable = false;
        else if (parts.at(0) == "file")
            journal.files.append(move);
        else if (parts.at(0) == "snapshot")
            journal.snapshot = move;
        else
            journal.readable = false;
    }
    if (absolute)
        journal.elsewhere = foreignFolder(journal, folder);
    return journal;
}

// What a user can do about a journal that cannot be followed.
QString cannotMend(const QString &journalPath, const Journal &journal, const QString &error)
{
    const QString program = QCoreApplication::applicationName();
    if (!journal.elsewhere.isEmpty())
        return journalPath + QStringLiteral(": ")
            + QCoreApplication::translate(
                  "DictionaryFormat",
                  "an earlier version recorded here a write interrupted in %1, and this folder "
                  "was copied or moved from there since: that write is neither finished nor "
                  "rolled back here, so as not to change %1. If %1 is still there, run '%2 check "
                  "--texts %1' in it and copy the folder again; otherwise remove %3 and run '%2 "
                  "check' to see whether the files line up")
                  .arg(journal.elsewhere, program, journalPath);
    return journalPath + QStringLiteral(": ")
        + QCoreApplication::translate(
               "DictionaryFormat", "a write was interrupted and cannot be finished or rolled back")
        + (error.isEmpty() ? QString() : QStringLiteral(" (") + error + u')') + QStringLiteral("; ")
        + QCoreApplication::translate("DictionaryFormat",
                                      "nothing was changed. Run '%1 check' to see whether the "
                                      "files line up, then remove %2 to go on with them as they "
                                      "are, or '%1 undo' to take back the last whole write")
              .arg(program, journalPath);
}

// Removes what a write leaves before its journal is on disk (its new files, a pending or half
// dropped snapshot); true when there was something.
bool removeLeftOvers(const QString &folder)
{
    bool leftOver = false;
    for (const QString &path : dictionaryformat::filePaths(folder)) {
        const QString newFile = newFileFor(QFileInfo(path).absoluteFilePath());
        leftOver = ::unlink(encoded(newFile).constData()) == 0 || leftOver;
    }
    QList<QString> halfDone;
    snapshotNumbers(QDir(folder).filePath(historyName), &halfDone);
    for (const QString &snapshot : halfDone) {
        leftOver = leftOver || snapshot.endsWith(pendingSuffix);
        QDir(snapshot).removeRecursively();
    }
    return leftOver;
}

} // namespace

QByteArray journalText(const Journal &journal, const QString &folder)
{
    const QDir dir(folder);
    QByteArray text = journalHeader;
    for (const auto &move : journal.files)
        text += journalLine("file", move, dir);
    if (!journal.snapshot.first.isEmpty())
        text += journalLine("snapshot", journal.snapshot, dir);
    return text;
}

bool appendCommit(const QString &path, QString *error)
{
    const int handle = ::open(encoded(path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (handle < 0) {
        *error = failure(path, errno);
        return false;
    }
    bool done = ::write(handle, committedLine.constData(), size_t(committedLine.size()))
        == committedLine.size();
    done = done && ::fsync(handle) == 0;
    const int reason = errno;
    done = ::close(handle) == 0 && done;
    if (!done)
        *error = failure(path, reason);
    return done;
}

QList<QString> foldersOf(const Journal &journal, const QString &folder)
{
    QList<QString> folders{folder};
    for (const auto &move : journal.files) {
        const QString parent = QFileInfo(move.second).absolutePath();
        if (!folders.contains(parent))
            folders.append(parent);
    }
    return folders;
}

// Steps 4 and 5, also for a committed write found interrupted: every new file still beside its
// target is renamed over it (a new file already gone was renamed before the interruption).
bool finish(const QString &folder, const Journal &journal, QString *error, KillPoints *kill)
{
    for (const auto &[from, to] : journal.files) {
        if (exists(from)) {
            if (!renamed(from, to, error))
                return false;
        } else if (!exists(to)) {
            *error = to + QStringLiteral(": ")
                + QCoreApplication::translate("DictionaryFormat",
                                              "neither the new file nor the old one is there");
            return false;
        }
        if (kill)
            kill->reached();
    }
    if (!journal.snapshot.first.isEmpty() && exists(journal.snapshot.first)
        && !renamed(journal.snapshot.first, journal.snapshot.second, error))
        return false;
    const QString history = QDir(folder).filePath(historyName);
    for (const QString &changed : foldersOf(journal, folder) + QList<QString>{history}) {
        if (QFileInfo::exists(changed) && !syncFolder(changed, error))
            return false;
    }
    if (kill)
        kill->reached();
    const QString journalPath = QDir(folder).filePath(journalName);
    if (::unlink(encoded(journalPath).constData()) != 0) {
        *error = failure(journalPath, errno);
        return false;
    }
    return syncFolder(folder, error);
}

// Only files and folders named as this program names its new ones are removed, whatever a
// damaged journal says.
void removeNewFiles(const Journal &journal)
{
    for (const auto &move : journal.files) {
        if (move.first.endsWith(newSuffix))
            ::unlink(encoded(move.first).constData());
    }
    if (journal.snapshot.first.endsWith(pendingSuffix))
        QDir(journal.snapshot.first).removeRecursively();
}

QString newFileFor(const QString &target)
{
    const QFileInfo info(target);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + newSuffix;
}

Recovery recover(const QString &folder, QString *message)
{
    const FolderLock lock(folder);
    if (lock.timedOut()) {
        *message = lock.timeoutMessage();
        return Recovery::CannotMend;
    }
    return recoverLocked(folder, message);
}

bool needsRecovery(const QString &folder)
{
    if (exists(QDir(folder).filePath(journalName)))
        return true;
    for (const QString &path : dictionaryformat::filePaths(folder)) {
        if (exists(newFileFor(QFileInfo(path).absoluteFilePath())))
            return true;
    }
    QList<QString> halfDone;
    snapshotNumbers(QDir(folder).filePath(historyName), &halfDone);
    return !halfDone.isEmpty();
}

Recovery recoverLocked(const QString &folder, QString *message)
{
    const QString journalPath = QDir(folder).filePath(journalName);
    const QString history = QDir(folder).filePath(historyName);
    QString error;
    if (exists(journalPath)) {
        const QString absolute = QFileInfo(folder).absoluteFilePath();
        const Journal journal = readJournal(journalPath, QDir(absolute));
        if (!journal.elsewhere.isEmpty() && journal.committed) {
            // An earlier version's record of another folder: not a step is taken.
        } else if (!journal.elsewhere.isEmpty()) {
            // Never committed: this folder's files are the old ones; what the write left here
            // is removed below, as after a power loss before the journal reached the disk.
            if (::unlink(encoded(journalPath).constData()) == 0 && syncFolder(folder, &error)) {
                removeLeftOvers(folder);
                return Recovery::RolledBack;
            }
            if (error.isEmpty())
                error = failure(journalPath, errno);
        } else if (journal.committed && journal.readable) {
            if (finish(absolute, journal, &error, nullptr)) {
                dropOldWrites(history);
                return Recovery::Finished;
            }
        } else if (!journal.committed) {
            removeNewFiles(journal);
            if (::unlink(encoded(journalPath).constData()) == 0 && syncFolder(folder, &error))
                return Recovery::RolledBack;
            if (error.isEmpty())
                error = failure(journalPath, errno);
        }
        *message = cannotMend(journalPath, journal, error);
        return Recovery::CannotMend;
    }
    // Without a journal only a power loss before the journal reached the disk leaves new files:
    // they were never committed.
    return removeLeftOvers(folder) ? Recovery::RolledBack : Recovery::Nothing;
}

} // namespace safewrite

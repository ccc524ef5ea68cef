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

const QByteArray journalHeader = "varnell-write 1\n";
const QByteArray committedLine = "committed\n";

QByteArray journalLine(const char *kind, const std::pair<QString, QString> &move)
{
    return QByteArray(kind) + ' ' + QUrl::toPercentEncoding(move.first) + ' '
        + QUrl::toPercentEncoding(move.second) + '\n';
}

Journal readJournal(const QString &path)
{
    Journal journal;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        journal.readable = false;
        return journal;
    }
    const QByteArray text = file.readAll();
    journal.committed = text.startsWith(journalHeader) && text.endsWith("\n" + committedLine);
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> parts = lines.at(i).split(' ');
        if (parts.size() != 3) {
            // Only the last, torn line of a journal never committed may be incomplete.
            journal.readable = journal.readable
                && (lines.at(i).isEmpty() || lines.at(i) == committedLine.trimmed());
            continue;
        }
        const std::pair<QString, QString> move{QUrl::fromPercentEncoding(parts.at(1)),
                                               QUrl::fromPercentEncoding(parts.at(2))};
        if (parts.at(0) == "file")
            journal.files.append(move);
        else if (parts.at(0) == "snapshot")
            journal.snapshot = move;
        else
            journal.readable = false;
    }
    return journal;
}

} // namespace

QByteArray journalText(const Journal &journal)
{
    QByteArray text = journalHeader;
    for (const auto &move : journal.files)
        text += journalLine("file", move);
    if (!journal.snapshot.first.isEmpty())
        text += journalLine("snapshot", journal.snapshot);
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
    return recoverLocked(folder, message);
}

Recovery recoverLocked(const QString &folder, QString *message)
{
    const QString journalPath = QDir(folder).filePath(journalName);
    const QString history = QDir(folder).filePath(historyName);
    QString error;
    if (exists(journalPath)) {
        const Journal journal = readJournal(journalPath);
        if (journal.committed && journal.readable) {
            if (finish(QFileInfo(folder).absoluteFilePath(), journal, &error, nullptr)) {
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
        *message = journalPath + QStringLiteral(": ")
            + QCoreApplication::translate(
                       "DictionaryFormat",
                       "a write was interrupted and cannot be finished or rolled back")
            + (error.isEmpty() ? QString() : QStringLiteral(" (") + error + u')');
        return Recovery::CannotMend;
    }
    // Without a journal only a power loss before the journal reached the disk leaves new files:
    // they were never committed.
    bool leftOver = false;
    for (const QString &path : dictionaryformat::filePaths(folder)) {
        const QString newFile = newFileFor(QFileInfo(path).absoluteFilePath());
        leftOver = ::unlink(encoded(newFile).constData()) == 0 || leftOver;
    }
    QList<QString> halfDone;
    snapshotNumbers(history, &halfDone);
    for (const QString &snapshot : halfDone) {
        leftOver = leftOver || snapshot.endsWith(pendingSuffix);
        QDir(snapshot).removeRecursively();
    }
    return leftOver ? Recovery::RolledBack : Recovery::Nothing;
}

} // namespace safewrite

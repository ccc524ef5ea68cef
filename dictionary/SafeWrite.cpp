// The safe write itself, in its steps (SafeWrite.h), and what it may replace.

#include "FolderLock.h"
#include "SafeWrite_p.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace safewrite {

namespace {

// A symbolic link is replaced where it points, so the link itself survives the rename.
QString renameTarget(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        return info.canonicalFilePath();
    return info.absoluteFilePath();
}

// Why `target` may not be replaced, or an empty text: a folder or FIFO in a file's place would
// fail only after the files before it were replaced, and a file its owner made read-only is
// refused as an editor refuses it.
QString obstacleOf(const QString &target)
{
    const QFileInfo info(target);
    if (!info.exists())
        return {};
    if (!info.isFile())
        return target + QStringLiteral(": ")
            + QCoreApplication::translate("DictionaryFormat", "not a regular file");
    if (::access(encoded(target).constData(), W_OK) != 0)
        return failure(target, errno);
    // The superuser may write any file; a file nobody may write was still meant to stay.
    if ((info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)) == 0)
        return failure(target, EACCES);
    return {};
}

// An old file's bytes, mapped rather than read where the system allows: a write compares every
// file it replaces with its new bytes, and at a million entries they are tens of megabytes.
class OldFile
{
public:
    explicit OldFile(const QString &path)
        : m_file(path)
    {
        if (!m_file.open(QIODevice::ReadOnly))
            return;
        m_open = true;
        if (m_file.size() == 0)
            return;
        if (const uchar *mapped = m_file.map(0, m_file.size())) {
            m_bytes = QByteArrayView(mapped, m_file.size());
            return;
        }
        m_copy = m_file.readAll();
        m_bytes = m_copy;
    }
    bool isOpen() const { return m_open; }
    QByteArrayView bytes() const { return m_bytes; }

private:
    QFile m_file;
    bool m_open = false;
    QByteArray m_copy;
    QByteArrayView m_bytes;
};

QString changedSinceRead(const QString &folder)
{
    return folder + QStringLiteral(": ")
        + QCoreApplication::translate("DictionaryFormat",
                                      "another program changed the files since they were "
                                      "read; nothing was written, run the command again");
}

// The first of `paths` whose state is not the one in `state` (as stateOf wrote it), or nothing.
QString changedFile(const QList<QString> &paths, const QByteArray &state)
{
    const QList<QByteArray> was = state.split('\n');
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (stateOf({paths.at(i)}) != was.value(i) + '\n')
            return paths.at(i);
    }
    return {};
}

QString changedWhileWriting(const QString &path)
{
    return path + QStringLiteral(": ")
        + QCoreApplication::translate("DictionaryFormat",
                                      "changed while writing; nothing written. Another program "
                                      "saved it after varnell-dict had read it, and its change "
                                      "is kept; run the command again");
}

// The whole write; `history`, when not empty, is where the lines it changes are kept as `change`.
bool replace(const QString &folder,
             const QList<QString> &paths,
             const QList<QByteArray> &contents,
             const QString &history,
             const Change &change,
             QString *error)
{
    Q_ASSERT(paths.size() == contents.size());
    QString ignored;
    error = error ? error : &ignored;
    std::optional<FolderLock> lock;
    if (!change.folderHeld) {
        lock.emplace(folder);
        if (lock->timedOut()) {
            *error = lock->timeoutMessage();
            return false;
        }
        QString message;
        if (recoverLocked(folder, &message) == Recovery::CannotMend) {
            *error = message;
            return false;
        }
    }
    // What the files were when the command read them, or else when this write began: a file that
    // differs from it just before the commit was saved by another program in the meantime.
    const QByteArray expected = change.readState.isEmpty() ? stateOf(paths) : change.readState;
    if (!change.readState.isEmpty() && stateOf(paths) != change.readState) {
        *error = changedSinceRead(folder);
        return false;
    }
    QList<QString> targets;
    bool allOld = true;
    for (const QString &path : paths) {
        const QString target = renameTarget(path);
        if (const QString obstacle = obstacleOf(target); !obstacle.isEmpty()) {
            *error = obstacle;
            return false;
        }
        allOld = allOld && QFileInfo::exists(target);
        targets.append(target);
    }
    const bool keep = !history.isEmpty() && allOld;
    Journal journal;
    QList<QByteArray> changed;
    QList<QString> named; // the changed files as the caller named them
    QList<FileChanges> kept;
    for (qsizetype i = 0; i < targets.size(); ++i) {
        const OldFile old(targets.at(i));
        // A file that holds its new bytes already is left as it is.
        if (old.isOpen() && old.bytes() == QByteArrayView(contents.at(i)))
            continue;
        if (keep)
            kept.append(
                {QFileInfo(paths.at(i)).fileName(), changedLines(old.bytes(), contents.at(i))});
        journal.files.append({newFileFor(targets.at(i)), targets.at(i)});
        changed.append(contents.at(i));
        named.append(paths.at(i));
    }
    if (journal.files.isEmpty())
        return true; // nothing to change, nothing to keep
    if (keep) {
        const QList<int> numbers = snapshotNumbers(history);
        const QString final
            = QDir(history).filePath(snapshotName(numbers.isEmpty() ? 1 : numbers.last() + 1));
        journal.snapshot = {final + pendingSuffix, final};
    }

    KillPoints kill;
    const QString journalPath = QDir(folder).filePath(journalName);
    // Before its commit a failed write takes back all it wrote, its journal included: the folder
    // is left as it was, and the next command has nothing to roll back.
    const auto abandon = [&] {
        removeNewFiles(journal);
        ::unlink(encoded(journalPath).constData());
        *error += u' ' + QCoreApplication::translate("DictionaryFormat", "(nothing was written)");
        return false;
    };
    if (!writeDurably(journalPath, journalText(journal, folder), std::nullopt, error)
        || !syncFolder(folder, error))
        return abandon();
    kill.reached();
    for (qsizetype i = 0; i < journal.files.size(); ++i) {
        if (!writeDurably(journal.files.at(i).first,
                          changed.at(i),
                          modeFor(journal.files.at(i).second),
                          error)) {
            // The new file is the program's own; the user knows the file it replaces.
            error->replace(journal.files.at(i).first, named.at(i));
            return abandon();
        }
        kill.reached();
    }
    if (keep) {
        if (!makeSnapshot(journal.snapshot.first, kept, change, error))
            return abandon();
        kill.reached();
    }
    for (const QString &changed : foldersOf(journal, folder)) {
        if (!syncFolder(changed, error))
            return abandon();
    }
    // The last moment at which a file another program saved meanwhile can still be kept.
    if (stateOf(paths) != expected) {
        const QString path = changedFile(paths, expected);
        removeNewFiles(journal);
        ::unlink(encoded(journalPath).constData());
        *error = path.isEmpty() ? changedSinceRead(folder) : changedWhileWriting(path);
        return false;
    }
    if (!appendCommit(journalPath, error))
        return abandon();
    kill.reached();
    if (!finish(folder, journal, error, &kill)) {
        // The new files are all on disk and the journal names them: the write cannot be lost,
        // and the old files are not all there any more to go back to.
        *error += u' '
            + QCoreApplication::translate("DictionaryFormat",
                                          "(the write was committed: the next command that opens "
                                          "the folder finishes it)");
        return false;
    }
    kill.reached();
    if (!history.isEmpty())
        dropOldWrites(history);
    return true;
}

} // namespace

QByteArray stateOf(const QList<QString> &paths)
{
    QByteArray state;
    for (const QString &path : paths) {
        struct stat status;
        if (::stat(encoded(path).constData(), &status) != 0) {
            state += "-\n";
            continue;
        }
        state += QByteArray::number(quint64(status.st_dev)) + ' '
            + QByteArray::number(quint64(status.st_ino)) + ' '
            + QByteArray::number(qint64(status.st_size)) + ' '
            + QByteArray::number(qint64(status.st_mtim.tv_sec)) + '.'
            + QByteArray::number(qint64(status.st_mtim.tv_nsec))
            + ' '
            // An editor that writes in place within the same clock tick may keep the size and
            // the modification time; the change time moves on every write all the same.
            + QByteArray::number(qint64(status.st_ctim.tv_sec)) + '.'
            + QByteArray::number(qint64(status.st_ctim.tv_nsec)) + '\n';
    }
    return state;
}

bool replaceFiles(const QList<QString> &paths, const QList<QByteArray> &contents, QString *error)
{
    if (paths.isEmpty())
        return true;
    return replace(QFileInfo(paths.constFirst()).absolutePath(), paths, contents, {}, {}, error);
}

bool replaceFolderFiles(const QString &folder,
                        const QList<QString> &paths,
                        const QList<QByteArray> &contents,
                        const Change &change,
                        QString *error)
{
    const QString absolute = QFileInfo(folder).absoluteFilePath();
    return replace(absolute, paths, contents, QDir(absolute).filePath(historyName), change, error);
}

} // namespace safewrite

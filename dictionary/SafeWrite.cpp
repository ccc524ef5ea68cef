// The safe write itself, in its steps (SafeWrite.h), and what it may replace.

#include "FolderLock.h"
#include "SafeWrite_p.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

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

// A file that holds `content` already is left as it is: its kept copy in the history is then the
// file itself, and a write that changes one file of five costs the history one file.
bool holds(const QString &target, const QByteArray &content)
{
    if (QFileInfo(target).size() != content.size())
        return false;
    QFile file(target);
    return file.open(QIODevice::ReadOnly) && file.readAll() == content;
}

// The whole write; `history`, when not empty, is where the old files are kept as `change`.
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
    QString message;
    const FolderLock lock(folder);
    if (recoverLocked(folder, &message) == Recovery::CannotMend) {
        *error = message;
        return false;
    }
    if (!change.readState.isEmpty() && stateOf(paths) != change.readState) {
        *error = folder + QStringLiteral(": ")
            + QCoreApplication::translate("DictionaryFormat",
                                          "another program changed the files since they were "
                                          "read; nothing was written, run the command again");
        return false;
    }
    Journal journal;
    QList<QString> targets;
    QList<QByteArray> changed;
    bool allOld = true;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString target = renameTarget(paths.at(i));
        if (const QString obstacle = obstacleOf(target); !obstacle.isEmpty()) {
            *error = obstacle;
            return false;
        }
        allOld = allOld && QFileInfo::exists(target);
        targets.append(target);
        if (holds(target, contents.at(i)))
            continue;
        journal.files.append({newFileFor(target), target});
        changed.append(contents.at(i));
    }
    if (journal.files.isEmpty())
        return true; // nothing to change, nothing to keep
    if (!history.isEmpty() && allOld) {
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
        return false;
    };
    if (!writeDurably(journalPath, journalText(journal), std::nullopt, error))
        return false;
    if (!syncFolder(folder, error))
        return abandon();
    kill.reached();
    for (qsizetype i = 0; i < journal.files.size(); ++i) {
        if (!writeDurably(journal.files.at(i).first,
                          changed.at(i),
                          modeFor(journal.files.at(i).second),
                          error))
            return abandon();
        kill.reached();
    }
    if (!journal.snapshot.first.isEmpty()) {
        if (!makeSnapshot(journal.snapshot.first, targets, change, error))
            return abandon();
        kill.reached();
    }
    for (const QString &changed : foldersOf(journal, folder)) {
        if (!syncFolder(changed, error))
            return abandon();
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
            + QByteArray::number(qint64(status.st_mtim.tv_nsec)) + '\n';
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

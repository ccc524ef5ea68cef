#include "SafeWrite.h"

#include "DictionaryFormat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace safewrite {

namespace {

const QString journalName = QStringLiteral(".varnell-journal");
const QString historyName = QStringLiteral(".varnell-history");
const QString newSuffix = QStringLiteral(".varnell-new");
const QString pendingSuffix = QStringLiteral(".pending");
const QString droppedSuffix = QStringLiteral(".dropped");
const QString aboutName = QStringLiteral("write.txt");
const QByteArray journalHeader = "varnell-write 1\n";
const QByteArray committedLine = "committed\n";

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString failure(const QString &path, int error)
{
    return path + QStringLiteral(": ") + systemReason(error);
}

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

// Tests stop the program here with SIGKILL, as `kill -9` would, to prove that every moment of a
// write is survived; the variable is read by nothing else.
class KillPoints
{
public:
    KillPoints()
        : m_killAt(qEnvironmentVariableIntValue("VARNELL_DICT_TEST_KILL_AT_STEP"))
    {
    }
    void reached()
    {
        if (++m_reached == m_killAt)
            std::raise(SIGKILL);
    }

private:
    int m_killAt = 0;
    int m_reached = 0;
};

// One write or recovery of a folder at a time, across processes: a second varnell-dict waits
// until the first has finished, instead of rolling back or finishing a write still under way.
// The lock is the folder's own (flock on the directory), so no lock file is left behind; where
// the folder cannot be opened the write itself fails and says why.
class FolderLock
{
public:
    explicit FolderLock(const QString &folder)
        : m_handle(
            ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_handle >= 0) {
            while (::flock(m_handle, LOCK_EX) != 0 && errno == EINTR) { }
        }
    }
    ~FolderLock()
    {
        if (m_handle >= 0)
            ::close(m_handle); // releases the lock
    }
    Q_DISABLE_COPY_MOVE(FolderLock)

private:
    int m_handle = -1;
};

Recovery recoverLocked(const QString &folder, QString *message);

// Flushes a folder's entries (new names, renames, removals) to disk. Some file systems cannot
// flush a folder and say so with EINVAL; their renames are as durable as they get.
bool syncFolder(const QString &folder, QString *error)
{
    const int handle = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) {
        *error = failure(folder, errno);
        return false;
    }
    const bool synced = ::fsync(handle) == 0 || errno == EINVAL;
    const int reason = errno;
    ::close(handle);
    if (!synced)
        *error = failure(folder, reason);
    return synced;
}

// Writes `content` as the whole of `path` and flushes it to disk, with the permission bits
// `mode`. Every failure names the system's reason (a full disk is found by write or fsync).
// `mode`, when given, are the permission bits (an old file's); otherwise the umask's.
bool writeDurably(const QString &path,
                  const QByteArray &content,
                  std::optional<mode_t> mode,
                  QString *error)
{
    const int handle = ::open(encoded(path).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW,
                              mode.value_or(0666));
    if (handle < 0) {
        *error = failure(path, errno);
        return false;
    }
    int reason = 0;
    if (mode && ::fchmod(handle, *mode) != 0)
        reason = errno;
    for (qsizetype done = 0; reason == 0 && done < content.size();) {
        const ssize_t wrote
            = ::write(handle, content.constData() + done, size_t(content.size() - done));
        if (wrote < 0 && errno != EINTR)
            reason = errno;
        done += std::max<ssize_t>(wrote, 0);
    }
    if (reason == 0 && ::fsync(handle) != 0)
        reason = errno;
    if (::close(handle) != 0 && reason == 0)
        reason = errno;
    if (reason != 0) {
        *error = failure(path, reason);
        ::unlink(encoded(path).constData());
    }
    return reason == 0;
}

bool renamed(const QString &from, const QString &to, QString *error)
{
    if (std::rename(encoded(from).constData(), encoded(to).constData()) == 0)
        return true;
    *error = failure(to, errno);
    return false;
}

bool exists(const QString &path)
{
    struct stat status;
    return ::lstat(encoded(path).constData(), &status) == 0;
}

// A symbolic link is replaced where it points, so the link itself survives the rename.
QString renameTarget(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        return info.canonicalFilePath();
    return info.absoluteFilePath();
}

QString newFileFor(const QString &target)
{
    const QFileInfo info(target);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + newSuffix;
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

std::optional<mode_t> modeFor(const QString &target)
{
    struct stat status;
    if (::stat(encoded(target).constData(), &status) == 0)
        return status.st_mode & 07777;
    return std::nullopt;
}

// The journal: one line per new file ("file FROM TO"), the snapshot's pending and final folder
// ("snapshot FROM TO"), paths percent-encoded; "committed" once every new file is on disk.
struct Journal
{
    QList<std::pair<QString, QString>> files;
    std::pair<QString, QString> snapshot;
    bool committed = false;
    bool readable = true;
};

QByteArray journalLine(const char *kind, const std::pair<QString, QString> &move)
{
    return QByteArray(kind) + ' ' + QUrl::toPercentEncoding(move.first) + ' '
        + QUrl::toPercentEncoding(move.second) + '\n';
}

QByteArray journalText(const Journal &journal)
{
    QByteArray text = journalHeader;
    for (const auto &move : journal.files)
        text += journalLine("file", move);
    if (!journal.snapshot.first.isEmpty())
        text += journalLine("snapshot", journal.snapshot);
    return text;
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

// The numbered folders of the history, and those a write left behind half made or half removed.
QList<int> snapshotNumbers(const QString &history, QList<QString> *leftOver = nullptr)
{
    QList<int> numbers;
    const QList<QString> names = QDir(history).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        bool isNumber = false;
        const int number = name.toInt(&isNumber);
        if (isNumber && number > 0)
            numbers.append(number);
        else if (leftOver && (name.endsWith(pendingSuffix) || name.endsWith(droppedSuffix)))
            leftOver->append(QDir(history).filePath(name));
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

QString snapshotName(int number)
{
    return QStringLiteral("%1").arg(number, 6, 10, QLatin1Char('0'));
}

// Drops the oldest writes beyond keptWrites: renamed first, so that a kill while a folder is being
// removed leaves no half snapshot among the kept ones.
void dropOldWrites(const QString &history)
{
    const QList<int> numbers = snapshotNumbers(history);
    for (qsizetype i = 0; i + keptWrites < numbers.size(); ++i) {
        const QString kept = QDir(history).filePath(snapshotName(numbers.at(i)));
        const QString dropped = kept + droppedSuffix;
        if (std::rename(encoded(kept).constData(), encoded(dropped).constData()) == 0)
            QDir(dropped).removeRecursively();
    }
}

struct FileStamp
{
    qint64 size = -1;
    qint64 modified = -1; // nanoseconds
};

FileStamp stampOf(const QString &path)
{
    struct stat status;
    if (::stat(encoded(path).constData(), &status) != 0)
        return {};
    return {qint64(status.st_size),
            qint64(status.st_mtim.tv_sec) * 1000000000 + qint64(status.st_mtim.tv_nsec)};
}

// The old file kept as `kept`: a hard link costs no space and no time; where the file system has
// none (or the file lies on another), a copy.
bool keep(const QString &old, const QString &kept, QString *error)
{
    if (::link(encoded(old).constData(), encoded(kept).constData()) == 0)
        return true;
    QFile file(old);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = old + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return writeDurably(kept, file.readAll(), modeFor(old), error);
}

// The pending snapshot of the files `targets` in `history`: every old file kept and the write
// described; false when there are no old files to keep.
bool makeSnapshot(const QString &pending,
                  const QList<QString> &targets,
                  const Change &change,
                  QString *error)
{
    if (!QDir().mkpath(pending)) {
        *error = failure(pending, errno);
        return false;
    }
    QByteArray about = "time " + QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8()
        + "\ncommand " + QUrl::toPercentEncoding(change.command) + "\nentries "
        + QByteArray::number(change.entriesChanged) + '\n';
    for (const QString &target : targets) {
        const QString name = QFileInfo(target).fileName();
        const QString kept = QDir(pending).filePath(name);
        if (!keep(target, kept, error))
            return false;
        const FileStamp stamp = stampOf(kept);
        about += "file " + QUrl::toPercentEncoding(name) + ' ' + QByteArray::number(stamp.size)
            + ' ' + QByteArray::number(stamp.modified) + '\n';
    }
    return writeDurably(QDir(pending).filePath(aboutName), about, std::nullopt, error)
        && syncFolder(pending, error) && syncFolder(QFileInfo(pending).absolutePath(), error);
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
    if (!writeDurably(journalPath, journalText(journal), std::nullopt, error)
        || !syncFolder(folder, error))
        return false;
    kill.reached();
    const auto abandon = [&] {
        removeNewFiles(journal);
        ::unlink(encoded(journalPath).constData());
        return false;
    };
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

Recovery recover(const QString &folder, QString *message)
{
    const FolderLock lock(folder);
    return recoverLocked(folder, message);
}

namespace {

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

} // namespace

QList<Snapshot> history(const QString &folder)
{
    const QString history = QDir(folder).filePath(historyName);
    QList<Snapshot> snapshots;
    for (int number : snapshotNumbers(history)) {
        Snapshot snapshot;
        snapshot.number = number;
        snapshot.folder = QDir(history).filePath(snapshotName(number));
        QFile about(QDir(snapshot.folder).filePath(aboutName));
        if (!about.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = about.readAll().split('\n');
        for (const QByteArray &line : lines) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 2 && parts.at(0) == "time")
                snapshot.time = QDateTime::fromString(QString::fromUtf8(parts.at(1)), Qt::ISODate);
            else if (parts.size() == 2 && parts.at(0) == "command")
                snapshot.change.command = QUrl::fromPercentEncoding(parts.at(1));
            else if (parts.size() == 2 && parts.at(0) == "entries")
                snapshot.change.entriesChanged = parts.at(1).toLongLong();
            else if (parts.size() == 4 && parts.at(0) == "file") {
                const FileStamp now = stampOf(
                    QDir(snapshot.folder).filePath(QUrl::fromPercentEncoding(parts.at(1))));
                snapshot.intact = snapshot.intact && now.size == parts.at(2).toLongLong()
                    && now.modified == parts.at(3).toLongLong();
            }
        }
        snapshots.append(snapshot);
    }
    return snapshots;
}

} // namespace safewrite

#ifndef SAFEWRITE_P_H
#define SAFEWRITE_P_H

#include "SafeWrite.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <csignal>
#include <optional>
#include <utility>

#include <sys/types.h>

// What the parts of the safe write share; no caller includes it. The parts, each a file:
//   SafeWrite.cpp     the write itself, in its steps, and what a write may replace
//   WriteJournal.cpp  the record of a write under way, and the recovery of an interrupted one
//   WriteHistory.cpp  the files kept from before each write, for undo and history
//   FolderLock.cpp    one write or recovery of a folder at a time, across processes
//   DurableFiles.cpp  files and folders written and flushed so that they survive a power loss
namespace safewrite {

inline const QString journalName = QStringLiteral(".varnell-journal");
inline const QString historyName = QStringLiteral(".varnell-history");
inline const QString newSuffix = QStringLiteral(".varnell-new");

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

// DurableFiles.cpp
// "PATH: the system's reason".
QString failure(const QString &path, int error);
QByteArray encoded(const QString &path);
// Flushes a folder's entries (new names, renames, removals) to disk.
bool syncFolder(const QString &folder, QString *error);
// Writes `content` as the whole of `path` and flushes it to disk; `mode`, when given, are the
// permission bits (an old file's), otherwise the umask's. A failure names the system's reason and
// leaves no file.
bool writeDurably(const QString &path,
                  const QByteArray &content,
                  std::optional<mode_t> mode,
                  QString *error);
bool renamed(const QString &from, const QString &to, QString *error);
// A file, folder or link of that name is there (a link is not followed).
bool exists(const QString &path);
// The permission bits of `target`, if it is there.
std::optional<mode_t> modeFor(const QString &target);

// WriteJournal.cpp
// The journal: one line per new file ("file FROM TO"), the snapshot's pending and final folder
// ("snapshot FROM TO"), paths percent-encoded and relative to the journal's folder; "committed"
// once every new file is on disk. In memory the paths are absolute, in the folder as it is now.
// An earlier version wrote absolute paths (its header says "varnell-write 1"): such a journal is
// followed only where every path lies in the folder that holds it.
struct Journal
{
    QList<std::pair<QString, QString>> files;
    std::pair<QString, QString> snapshot;
    bool committed = false;
    bool readable = true;
    // An earlier version's journal whose paths lie in another folder (this one was copied or
    // moved since): that folder, and nothing is followed.
    QString elsewhere;
};
QByteArray journalText(const Journal &journal, const QString &folder);
// Step 3: the journal marked committed and flushed.
bool appendCommit(const QString &path, QString *error);
// The folders whose entries a write changes.
QList<QString> foldersOf(const Journal &journal, const QString &folder);
// Steps 4 and 5, also for a committed write found interrupted.
bool finish(const QString &folder, const Journal &journal, QString *error, KillPoints *kill);
// What an abandoned write leaves: its new files and its pending snapshot.
void removeNewFiles(const Journal &journal);
// Something of an interrupted write is there to finish or roll back (read without the lock).
bool needsRecovery(const QString &folder);
// recover() for the holder of the folder's lock.
Recovery recoverLocked(const QString &folder, QString *message);
// Where the new file of `target` is written before it is renamed over it.
QString newFileFor(const QString &target);

// WriteHistory.cpp
// Lines a write replaces in one file, counted from 0: `oldLines` lines from `line` on (their bytes
// `oldBytes`, line ends included) become `newLines` lines (`newBytes`).
struct LineChange
{
    qsizetype line = 0;
    qsizetype oldLines = 0;
    qsizetype newLines = 0;
    QByteArray oldBytes;
    QByteArray newBytes;
};
// The changes of one file, by its name in the folder.
struct FileChanges
{
    QString name;
    QList<LineChange> changes;
};
// The lines of `now` that differ from those of `before` at the same position (line n of one
// against line n of the other: the dictionary's lines are its entries), runs of them together.
QList<LineChange> changedLines(QByteArrayView before, QByteArrayView now);
// The numbered folders of the history; `leftOver` takes those a write left behind half made or
// half removed.
QList<int> snapshotNumbers(const QString &history, QList<QString> *leftOver = nullptr);
QString snapshotName(int number);
inline const QString pendingSuffix = QStringLiteral(".pending");
// Drops the oldest writes beyond keptWrites.
void dropOldWrites(const QString &history);
// The pending snapshot in `history`: the lines the write changes in each file, and the write
// described.
bool makeSnapshot(const QString &pending,
                  const QList<FileChanges> &files,
                  const Change &change,
                  QString *error);

} // namespace safewrite

#endif // SAFEWRITE_P_H

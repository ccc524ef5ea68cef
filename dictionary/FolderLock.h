#ifndef FOLDERLOCK_H
#define FOLDERLOCK_H

#include <QString>
#include <QtGlobal>

namespace safewrite {

// One write or recovery of a folder at a time, and no read while one is under way, across
// processes: a second varnell-dict waits until the first has finished, instead of rolling back or
// finishing a write still under way, or reading files half of which are new. Readers share the
// folder with each other (a shared lock), a write or recovery holds it alone (an exclusive one).
// The lock is the folder's own (flock on the directory), so no lock file is left behind; where the
// folder cannot be opened the write itself fails and says why.
//
// The wait is bounded (VARNELL_DICT_LOCK_TIMEOUT seconds, 60 when not set): a command that stops
// in the middle of a write cannot hold another one forever, and the one waiting says so.
class FolderLock
{
public:
    enum class Kind { Shared, Exclusive };

    // Exclusive, as every write takes it.
    explicit FolderLock(const QString &folder);
    FolderLock(const QString &folder, Kind kind);
    ~FolderLock();
    Q_DISABLE_COPY_MOVE(FolderLock)

    // The wait ran out while another program held the folder.
    bool timedOut() const { return m_timedOut; }
    // "FOLDER: another varnell-dict has been writing the folder for N seconds; ...", for a lock
    // that timed out.
    QString timeoutMessage() const;
    // Gives the lock up before the object ends.
    void release();

    static int waitSeconds();

private:
    QString m_folder;
    int m_handle = -1;
    bool m_timedOut = false;
};

} // namespace safewrite

#endif // FOLDERLOCK_H

#ifndef FOLDERLOCK_H
#define FOLDERLOCK_H

#include <QString>
#include <QtGlobal>

namespace safewrite {

// One write or recovery of a folder at a time, across processes: a second varnell-dict waits
// until the first has finished, instead of rolling back or finishing a write still under way.
// The lock is the folder's own (flock on the directory), so no lock file is left behind; where
// the folder cannot be opened the write itself fails and says why.
class FolderLock
{
public:
    explicit FolderLock(const QString &folder);
    ~FolderLock();
    Q_DISABLE_COPY_MOVE(FolderLock)

private:
    int m_handle = -1;
};

} // namespace safewrite

#endif // FOLDERLOCK_H

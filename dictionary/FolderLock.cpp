// The folder lock of the safe write: flock on the folder itself, held for the whole of a write or
// a recovery.

#include "FolderLock.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace safewrite {

FolderLock::FolderLock(const QString &folder)
    : m_handle(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    if (m_handle >= 0) {
        while (::flock(m_handle, LOCK_EX) != 0 && errno == EINTR) { }
    }
}

FolderLock::~FolderLock()
{
    if (m_handle >= 0)
        ::close(m_handle); // releases the lock
}

} // namespace safewrite

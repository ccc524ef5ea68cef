// The folder lock of the safe write: flock on the folder itself, exclusive for the whole of a write
// or a recovery, shared while a command reads the files.

#include "FolderLock.h"

#include "SafeWrite_p.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace safewrite {

namespace {

constexpr int defaultWaitSeconds = 60;

} // namespace

int FolderLock::waitSeconds()
{
    bool given = false;
    const int seconds = qEnvironmentVariableIntValue("VARNELL_DICT_LOCK_TIMEOUT", &given);
    return given && seconds >= 0 ? seconds : defaultWaitSeconds;
}

FolderLock::FolderLock(const QString &folder)
    : FolderLock(folder, Kind::Exclusive)
{
}

FolderLock::FolderLock(const QString &folder, Kind kind)
    : m_folder(folder)
    , m_handle(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    if (m_handle < 0)
        return;
    const int operation = (kind == Kind::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    // Polled rather than blocking, so that the wait can end: a write takes milliseconds to
    // seconds, so a short pause between tries costs nothing noticeable.
    const QDeadlineTimer deadline(qint64(waitSeconds()) * 1000);
    int pause = 1;
    while (::flock(m_handle, operation) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return; // a file system without locks: as before, the write goes on unlocked
        if (deadline.hasExpired()) {
            m_timedOut = true;
            release();
            return;
        }
        QThread::msleep(pause);
        pause = std::min(pause * 2, 50);
    }
}

FolderLock::~FolderLock()
{
    release();
}

void FolderLock::release()
{
    if (m_handle >= 0)
        ::close(m_handle); // releases the lock
    m_handle = -1;
}

QString FolderLock::timeoutMessage() const
{
    return m_folder + QStringLiteral(": ")
        + QCoreApplication::translate(
              "DictionaryFormat",
              "another program has been writing the folder for %1 seconds; nothing was read or "
              "written. Run the command again when it has finished (VARNELL_DICT_LOCK_TIMEOUT "
              "sets how many seconds to wait)")
              .arg(waitSeconds());
}

} // namespace safewrite

// FolderAccess (SafeWrite.h): the lock of a command that reads or changes a folder, taken once an
// interrupted write there has been mended.
namespace safewrite {

class FolderAccess::Lock
{
public:
    Lock(const QString &folder, FolderLock::Kind kind)
        : lock(folder, kind)
    {
    }
    FolderLock lock;
};

FolderAccess::FolderAccess(const QString &folder, Purpose purpose)
{
    if (purpose == Purpose::Change) {
        m_lock = std::make_unique<Lock>(folder, FolderLock::Kind::Exclusive);
        if (m_lock->lock.timedOut()) {
            m_message = m_lock->lock.timeoutMessage();
            m_lock.reset();
            return;
        }
        m_recovery = recoverLocked(folder, &m_message);
        return;
    }
    // A reader mends what a write left only when there is something to mend, which needs the
    // folder alone; then it reads beside other readers. A write killed in between leaves its
    // journal again, so the reader looks once more.
    for (int round = 0; round < 3; ++round) {
        m_lock = std::make_unique<Lock>(folder, FolderLock::Kind::Shared);
        if (m_lock->lock.timedOut()) {
            m_message = m_lock->lock.timeoutMessage();
            m_lock.reset();
            return;
        }
        if (m_recovery == Recovery::CannotMend || round == 2 || !needsRecovery(folder))
            return;
        m_lock.reset();
        const FolderLock alone(folder);
        if (alone.timedOut()) {
            m_message = alone.timeoutMessage();
            return;
        }
        const Recovery done = recoverLocked(folder, &m_message);
        // What the first round did is what the command reports.
        if (m_recovery == Recovery::Nothing || done == Recovery::CannotMend)
            m_recovery = done;
    }
}

FolderAccess::~FolderAccess() = default;

bool FolderAccess::isHeld() const
{
    return m_lock != nullptr;
}

void FolderAccess::release()
{
    m_lock.reset();
}

} // namespace safewrite

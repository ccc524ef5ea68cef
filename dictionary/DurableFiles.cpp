// Files and folders written so that a power loss cannot leave them half written: every write is
// flushed before the next step of a safe write relies on it, and every failure names the system's
// reason.

#include "SafeWrite_p.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace safewrite {

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

QString failure(const QString &path, int error)
{
    return path + QStringLiteral(": ") + systemReason(error);
}

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

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

std::optional<mode_t> modeFor(const QString &target)
{
    struct stat status;
    if (::stat(encoded(target).constData(), &status) == 0)
        return status.st_mode & 07777;
    return std::nullopt;
}

} // namespace safewrite

// The history of the safe write (".varnell-history" in the folder): the files as they were before
// each of the last keptWrites writes, one numbered folder per write, for undo and history.

#include "SafeWrite_p.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

namespace safewrite {

namespace {

const QString droppedSuffix = QStringLiteral(".dropped");
const QString aboutName = QStringLiteral("write.txt");

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

} // namespace

// The numbered folders of the history, and those a write left behind half made or half removed.
QList<int> snapshotNumbers(const QString &history, QList<QString> *leftOver)
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

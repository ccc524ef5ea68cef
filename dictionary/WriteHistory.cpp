// The history of the safe write (".varnell-history" in the folder): the lines each of the last
// keptWrites writes changed, one numbered folder per write, for undo and history; and the undoing
// of one of them.
//
// A write's folder holds "write.txt" (when, which command, how many entries, "kind lines") and
// "lines": per changed file its name, then each run of changed lines as one header line
// "change LINE OLD-LINES OLD-BYTES NEW-LINES NEW-BYTES" followed by the old and the new bytes.
// Folders of an earlier version hold the five files whole instead (hard links or copies) and no
// "kind" line.

#include "SafeWrite_p.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QUrl>
#include <QtAlgorithms>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace safewrite {

namespace {

const QString droppedSuffix = QStringLiteral(".dropped");
const QString aboutName = QStringLiteral("write.txt");
const QString linesName = QStringLiteral("lines");
const QByteArray linesHeader = "varnell-lines 1\n";

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

// Where the line that begins at `at` ends: after its line feed, or at the end of the file.
qsizetype lineEnd(QByteArrayView bytes, qsizetype at)
{
    const qsizetype feed = bytes.indexOf('\n', at);
    return feed < 0 ? bytes.size() : feed + 1;
}

// Where the line that holds the byte at `at` begins. (Qt 6.8's QByteArrayView::lastIndexOf finds a
// line feed at 0 in an empty view of non-empty bytes, so a write whose first byte differed was
// recorded a line late.)
qsizetype lineStart(QByteArrayView bytes, qsizetype at)
{
    while (at > 0 && bytes[at - 1] != '\n')
        --at;
    return at;
}

// The line feeds in `bytes`, eight bytes at a time: an add leaves tens of megabytes alike before
// its new line, and counting them byte by byte (or with QByteArrayView::count) cost more than the
// rest of the history.
qsizetype lineFeeds(QByteArrayView bytes)
{
    constexpr quint64 lows = 0x7F7F7F7F7F7F7F7FULL;
    constexpr quint64 feeds = 0x0A0A0A0A0A0A0A0AULL;
    qsizetype count = 0;
    qsizetype at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        quint64 word;
        std::memcpy(&word, bytes.data() + at, sizeof word);
        const quint64 x = word ^ feeds; // a zero byte where the byte was a line feed
        // 1 in each byte that was a line feed, summed into the top byte by the multiplication.
        const quint64 ones = (~(((x & lows) + lows) | x | lows)) >> 7;
        count += qsizetype((ones * 0x0101010101010101ULL) >> 56);
    }
    for (; at < bytes.size(); ++at)
        count += bytes[at] == '\n' ? 1 : 0;
    return count;
}

// The bytes at which `bytes` first differs from `other`; both sizes when one begins the other.
qsizetype firstDifference(QByteArrayView bytes, QByteArrayView other)
{
    const qsizetype common = std::min(bytes.size(), other.size());
    constexpr qsizetype block = 1 << 16;
    qsizetype at = 0;
    while (at + block <= common && std::memcmp(bytes.data() + at, other.data() + at, block) == 0)
        at += block;
    while (at < common && bytes[at] == other[at])
        ++at;
    return at;
}

bool sameRest(QByteArrayView before, qsizetype a, QByteArrayView now, qsizetype b)
{
    return before.size() - a == now.size() - b
        && firstDifference(before.sliced(a), now.sliced(b)) == before.size() - a;
}

QByteArray recordOf(const QList<FileChanges> &files)
{
    QByteArray record = linesHeader;
    for (const FileChanges &file : files) {
        record += "file " + QUrl::toPercentEncoding(file.name) + '\n';
        for (const LineChange &change : file.changes) {
            record += "change " + QByteArray::number(change.line) + ' '
                + QByteArray::number(change.oldLines) + ' '
                + QByteArray::number(change.oldBytes.size()) + ' '
                + QByteArray::number(change.newLines) + ' '
                + QByteArray::number(change.newBytes.size()) + '\n' + change.oldBytes
                + change.newBytes;
        }
    }
    return record;
}

// The record "lines" read back; false when it is not whole.
bool readRecord(const QByteArray &record, QList<FileChanges> *files)
{
    if (!record.startsWith(linesHeader))
        return false;
    qsizetype at = linesHeader.size();
    while (at < record.size()) {
        const qsizetype end = record.indexOf('\n', at);
        if (end < 0)
            return false;
        const QList<QByteArray> parts = record.sliced(at, end - at).split(' ');
        at = end + 1;
        if (parts.size() == 2 && parts.at(0) == "file") {
            files->append({QUrl::fromPercentEncoding(parts.at(1)), {}});
            continue;
        }
        if (parts.size() != 6 || parts.at(0) != "change" || files->isEmpty())
            return false;
        bool ok = true;
        qsizetype numbers[5];
        for (int i = 0; i < 5; ++i) {
            bool isNumber = false;
            numbers[i] = parts.at(i + 1).toLongLong(&isNumber);
            ok = ok && isNumber && numbers[i] >= 0;
        }
        if (!ok || numbers[2] + numbers[4] > record.size() - at)
            return false;
        LineChange change{numbers[0], numbers[1], numbers[3], record.sliced(at, numbers[2]), {}};
        change.newBytes = record.sliced(at + numbers[2], numbers[4]);
        at += numbers[2] + numbers[4];
        files->last().changes.append(change);
    }
    return true;
}

// The line end `bytes` uses, for a line that must be ended where the write's last line had none.
QByteArray lineEndOf(QByteArrayView bytes)
{
    const qsizetype feed = bytes.indexOf('\n');
    return feed > 0 && bytes[feed - 1] == '\r' ? QByteArray("\r\n") : QByteArray("\n");
}

// The lines (counted from 1) at which the `lines` lines of `now` from `at` on differ from
// `expected`, which holds as many lines.
QList<qsizetype>
differingLines(QByteArrayView now, qsizetype at, QByteArrayView expected, qsizetype line)
{
    QList<qsizetype> differing;
    qsizetype e = 0;
    while (e < expected.size()) {
        const qsizetype expectedEnd = lineEnd(expected, e);
        const qsizetype nowEnd = at < now.size() ? lineEnd(now, at) : at;
        if (at >= now.size() || now.sliced(at, nowEnd - at) != expected.sliced(e, expectedEnd - e))
            differing.append(line + 1);
        e = expectedEnd;
        at = nowEnd;
        ++line;
    }
    return differing;
}

// One file undone: its changed lines put back where `now` still holds what the write left; the
// lines that hold something else now go to *changedSince (and are put back too when forced).
QByteArray undoneFile(QByteArrayView now,
                      const QList<LineChange> &changes,
                      bool force,
                      QList<qsizetype> *changedSince)
{
    QByteArray undone;
    qsizetype copied = 0; // bytes of `now` taken over so far
    qsizetype at = 0; // where line `line` of `now` begins
    qsizetype line = 0;
    for (const LineChange &change : changes) {
        while (line < change.line && at < now.size()) {
            at = lineEnd(now, at);
            ++line;
        }
        qsizetype end = at;
        for (qsizetype i = 0; i < change.newLines && end < now.size(); ++i)
            end = lineEnd(now, end);
        QList<qsizetype> differing;
        if (line < change.line || now.sliced(at, end - at) != QByteArrayView(change.newBytes))
            differing = differingLines(now, at, change.newBytes, change.line);
        if (line < change.line && differing.isEmpty())
            differing.append(change.line + 1);
        // Lines the write added or removed at the end: lines after them now would move.
        if (change.oldLines != change.newLines && end < now.size()) {
            for (qsizetype after = end, number = change.line + change.newLines; after < now.size();
                 after = lineEnd(now, after))
                differing.append(++number);
        }
        changedSince->append(differing);
        if (differing.isEmpty() || force) {
            undone += now.sliced(copied, at - copied);
            if (!undone.isEmpty() && !undone.endsWith('\n') && !change.oldBytes.isEmpty())
                undone += lineEndOf(now);
            undone += change.oldBytes;
            if (!change.oldBytes.isEmpty() && !change.oldBytes.endsWith('\n') && end < now.size())
                undone += lineEndOf(change.oldBytes.contains('\n') ? QByteArrayView(change.oldBytes)
                                                                   : now);
            copied = end;
        }
        at = end;
        line = change.line + change.newLines;
    }
    undone += now.sliced(copied);
    return undone;
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
QList<LineChange> changedLines(QByteArrayView before, QByteArrayView now)
{
    QList<LineChange> changes;
    // The common beginning in one sweep, back to the start of the line where they part.
    const qsizetype common = firstDifference(before, now);
    qsizetype a
        = common == before.size() && common == now.size() ? common : lineStart(before, common);
    qsizetype b = a;
    qsizetype line = lineFeeds(before.first(a));
    while ((a < before.size() || b < now.size()) && !sameRest(before, a, now, b)) {
        const qsizetype aEnd = a < before.size() ? lineEnd(before, a) : a;
        const qsizetype bEnd = b < now.size() ? lineEnd(now, b) : b;
        if (a < before.size() && b < now.size()
            && before.sliced(a, aEnd - a) == now.sliced(b, bEnd - b)) {
            a = aEnd;
            b = bEnd;
            ++line;
            continue;
        }
        // A run of lines that differ, each against the line at its own position.
        LineChange change{line, 0, 0, {}, {}};
        const qsizetype aStart = a;
        const qsizetype bStart = b;
        while (a < before.size() || b < now.size()) {
            const qsizetype lineAEnd = a < before.size() ? lineEnd(before, a) : a;
            const qsizetype lineBEnd = b < now.size() ? lineEnd(now, b) : b;
            if (a < before.size() && b < now.size()
                && before.sliced(a, lineAEnd - a) == now.sliced(b, lineBEnd - b))
                break;
            change.oldLines += a < before.size() ? 1 : 0;
            change.newLines += b < now.size() ? 1 : 0;
            a = lineAEnd;
            b = lineBEnd;
            ++line;
        }
        change.oldBytes = before.sliced(aStart, a - aStart).toByteArray();
        change.newBytes = now.sliced(bStart, b - bStart).toByteArray();
        changes.append(change);
    }
    return changes;
}

bool makeSnapshot(const QString &pending,
                  const QList<FileChanges> &files,
                  const Change &change,
                  QString *error)
{
    if (!QDir().mkpath(pending)) {
        *error = failure(pending, errno);
        return false;
    }
    const QByteArray about = "time "
        + QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8() + "\ncommand "
        + QUrl::toPercentEncoding(change.command) + "\nentries "
        + QByteArray::number(change.entriesChanged) + "\nkind lines\n";
    return writeDurably(QDir(pending).filePath(linesName), recordOf(files), std::nullopt, error)
        && writeDurably(QDir(pending).filePath(aboutName), about, std::nullopt, error)
        && syncFolder(pending, error) && syncFolder(QFileInfo(pending).absolutePath(), error);
}

QList<Snapshot> history(const QString &folder)
{
    const QString history = QDir(folder).filePath(historyName);
    QList<Snapshot> snapshots;
    for (int number : snapshotNumbers(history)) {
        Snapshot snapshot;
        snapshot.number = number;
        snapshot.wholeFiles = true; // unless it says it holds lines
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
            else if (parts.size() == 2 && parts.at(0) == "kind")
                snapshot.wholeFiles = false;
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

bool undoing(
    const QString &folder, const Snapshot &snapshot, bool force, Undoing *undoing, QString *error)
{
    *undoing = {};
    const auto fail = [&](const QString &path, const QString &reason) {
        *error = path + QStringLiteral(": ") + reason;
        return false;
    };
    if (snapshot.wholeFiles) {
        // An earlier version's snapshot: the five files as they were.
        for (const QString &kept : QDir(snapshot.folder).entryList(QDir::Files)) {
            if (kept == aboutName)
                continue;
            QFile file(QDir(snapshot.folder).filePath(kept));
            if (!file.open(QIODevice::ReadOnly))
                return fail(file.fileName(), file.errorString());
            undoing->paths.append(QDir(folder).filePath(kept));
            undoing->contents.append(file.readAll());
        }
        return true;
    }
    QFile recordFile(QDir(snapshot.folder).filePath(linesName));
    if (!recordFile.open(QIODevice::ReadOnly))
        return fail(recordFile.fileName(), recordFile.errorString());
    QList<FileChanges> files;
    if (!readRecord(recordFile.readAll(), &files))
        return fail(recordFile.fileName(),
                    QCoreApplication::translate("DictionaryFormat", "the record is damaged"));
    QSet<qsizetype> restored;
    QList<QByteArray> contents;
    for (const FileChanges &changes : std::as_const(files)) {
        const QString path = QDir(folder).filePath(changes.name);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return fail(path, file.errorString());
        const QByteArray now = file.readAll();
        QList<qsizetype> changedSince;
        contents.append(undoneFile(now, changes.changes, force, &changedSince));
        if (!changedSince.isEmpty())
            undoing->changedSince.append({changes.name, changedSince});
        for (const LineChange &change : changes.changes) {
            for (qsizetype i = 0; i < std::max(change.oldLines, change.newLines); ++i)
                restored.insert(change.line + i);
        }
    }
    undoing->linesRestored = restored.size();
    if (!undoing->changedSince.isEmpty() && !force)
        return true;
    for (qsizetype i = 0; i < files.size(); ++i)
        undoing->paths.append(QDir(folder).filePath(files.at(i).name));
    undoing->contents = contents;
    return true;
}

} // namespace safewrite

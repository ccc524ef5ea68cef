#ifndef SAFEWRITE_H
#define SAFEWRITE_H

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// The one way the dictionary's files are replaced, so that no kill, crash or power loss at any
// moment leaves a folder that mixes old and new files:
//   1. a record of the write (the journal, ".varnell-journal" in the folder) names every new
//      file and the file it replaces, and is flushed to disk;
//   2. every new file is written in full beside the one it replaces and flushed to disk;
//   3. the journal is marked committed and flushed: from here on the write is finished, not
//      undone, by whoever finds it interrupted;
//   4. the new files are renamed over the old ones and the folders flushed;
//   5. the journal is removed.
// recover() finishes a committed write or rolls back one that was not committed; every program
// that changes a folder calls it before it reads the folder.
//
// A write of a whole dictionary folder also keeps the folder's previous files (hard links where
// the file system allows, copies otherwise) in the hidden folder ".varnell-history" beside them,
// one numbered folder per write, the newest `keptWrites` writes; the window never reads it.
namespace safewrite {

inline constexpr int keptWrites = 10;

// What a write was, for the history.
struct Change
{
    QString command; // as the user would name it: "import table.csv", "add tavu"
    qsizetype entriesChanged = 0;
    // stateOf() the files when the command read them; when given, the write is refused if another
    // program replaced or changed them since, instead of losing what it wrote.
    QByteArray readState = {};
};

// What the files `paths` are now (which file, its size, when it was last written), to be compared
// with what they are later.
QByteArray stateOf(const QList<QString> &paths);

// Replaces each file of `paths` by the bytes at the same index of `contents`, as described above;
// the journal goes into the folder of the first path. Refuses a target that is not a regular
// file or that its owner may not write. Returns false and sets *error (path and the system's
// reason) on failure, and then no file was replaced.
bool replaceFiles(const QList<QString> &paths, const QList<QByteArray> &contents, QString *error);

// Replaces the dictionary files `paths` (all in `folder`) likewise and keeps the folder's
// previous files in its history as `change`; without the previous files there is nothing to
// keep.
bool replaceFolderFiles(const QString &folder,
                        const QList<QString> &paths,
                        const QList<QByteArray> &contents,
                        const Change &change,
                        QString *error);

enum class Recovery {
    Nothing, // no write was interrupted
    Finished, // a committed write was interrupted and is now complete: the files are the new ones
    RolledBack, // an uncommitted write was interrupted and its new files removed: the old ones
    CannotMend, // a record of an interrupted write that cannot be followed; *message says why
};

// Finishes or rolls back a write in `folder` interrupted by a kill or a power loss.
Recovery recover(const QString &folder, QString *message);

// One kept write: the files as they were before it.
struct Snapshot
{
    int number = 0; // counts up from 1, one per write
    QDateTime time;
    Change change;
    QString folder; // where its files are
    // False when a file of it changed since (a program that writes files in place, not by
    // renaming, changes the hard link too): then it no longer holds the old files.
    bool intact = true;
};

// The kept writes, oldest first.
QList<Snapshot> history(const QString &folder);

} // namespace safewrite

#endif // SAFEWRITE_H

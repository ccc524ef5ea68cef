#ifndef SAFEWRITE_H
#define SAFEWRITE_H

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>

// The one way the dictionary's files are replaced, so that no kill, crash or power loss at any
// moment leaves a folder that mixes old and new files:
//   1. a record of the write (the journal, ".varnell-journal" in the folder) names every new
//      file and the file it replaces, relative to the folder (so that a copied, moved or synced
//      folder finishes or rolls back its own write, never another folder's), and is flushed to
//      disk;
//   2. every new file is written in full beside the one it replaces and flushed to disk;
//   3. the files are compared once more with what the command read: a file another program
//      saved in the meantime refuses the write, which then writes nothing and keeps that change;
//      otherwise the journal is marked committed and flushed: from here on the write is
//      finished, not undone, by whoever finds it interrupted;
//   4. the new files are renamed over the old ones and the folders flushed;
//   5. the journal is removed.
// recover() finishes a committed write or rolls back one that was not committed; every program
// that changes a folder calls it before it reads the folder.
//
// A write of a whole dictionary folder also keeps what it changed in the hidden folder
// ".varnell-history" beside the files, one numbered folder per write, the newest `keptWrites`
// writes: the lines it replaced and the lines it wrote, each file's bytes as they were (line ends,
// byte-order mark, a missing last line end). Undo puts back the lines of one write where the files
// still hold what it wrote, and keeps every other line as it is now. Folders of an earlier version
// hold whole files instead (hard links or copies); they are still listed and restored. The window
// never reads the history.
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
    // The caller holds the folder for a change (FolderAccess::Purpose::Change), which mended an
    // interrupted write already: the write takes no lock of its own.
    bool folderHeld = false;
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

// A dictionary folder held by a command while it reads the files (shared with other readers, so
// that a write waits until they are read whole) or while it reads and changes them (alone, so that
// two commands that change a folder take turns instead of one refusing the other). Opening it
// first finishes or rolls back an interrupted write. The hold ends with the object.
class FolderAccess
{
public:
    enum class Purpose { Read, Change };

    FolderAccess(const QString &folder, Purpose purpose);
    ~FolderAccess();
    Q_DISABLE_COPY_MOVE(FolderAccess)

    // Held: false when another program held the folder longer than the wait allows (message()
    // says so). A folder with an interrupted write that cannot be mended is held all the same
    // (recovery() says so), for the commands that read it to say what is wrong.
    bool isHeld() const;
    Recovery recovery() const { return m_recovery; }
    QString message() const { return m_message; }
    // Gives the folder up before the object ends.
    void release();

private:
    class Lock;
    std::unique_ptr<Lock> m_lock;
    Recovery m_recovery = Recovery::Nothing;
    QString m_message;
};

// One kept write: the lines it changed, or (kept by an earlier version) the files as they were
// before it.
struct Snapshot
{
    int number = 0; // counts up from 1, one per write
    QDateTime time;
    Change change;
    QString folder; // where its record is
    // False when a file of it changed since (a program that writes files in place, not by
    // renaming, changes the hard link too): then it no longer holds the old files. Records of
    // lines cannot change so.
    bool intact = true;
    // Kept by an earlier version: whole files (hard links or copies), restored whole.
    bool wholeFiles = false;
};

// The kept writes, oldest first.
QList<Snapshot> history(const QString &folder);

// Lines a kept write changed that hold something else now (changed since by another write or
// program), per file: entry numbers, from 1.
struct ChangedSince
{
    QString file; // the file's name
    QList<qsizetype> lines;
};

// What undoing a kept write writes: the files whose lines it changed, each with those lines put
// back as they were before the write and every other line as it is now.
struct Undoing
{
    QList<QString> paths;
    QList<QByteArray> contents;
    // Lines the write changed that were changed again since; unless forced, nothing is to be
    // written then.
    QList<ChangedSince> changedSince;
    qsizetype linesRestored = 0; // lines put back, counted once across the files
};

// Works out the undoing of `snapshot` in `folder` from the files as they are now. Lines changed
// since are put back too when `force` is true; otherwise `undoing->paths` stays empty. A snapshot
// of whole files (an earlier version's) restores the files whole, unless a file of it changed
// since. Returns false and sets *error when the record or a file cannot be read.
bool undoing(
    const QString &folder, const Snapshot &snapshot, bool force, Undoing *undoing, QString *error);

} // namespace safewrite

#endif // SAFEWRITE_H

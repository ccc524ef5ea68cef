// Writing and reading a dictionary folder through its one writer and the loader's reader.

#include "DictionaryFiles.h"
#include "DictionaryFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <unistd.h>

using dictionaryformat::File;

namespace {

// In keys.txt's place, or what meets the write.
enum class Obstacle {
    None,
    FolderForFile,
    SymbolicLink,
    NoOldFiles,
    NewFileFlushFails, // the flush of keys.txt's new file
    FolderFlushFails, // the first flush of the folder, after the journal
    CommitFlushFails, // the journal's second flush, of its commit line
    ChangedSinceRead, // keys.txt written by another program after the files were read
    HeldByAnother, // another write holds the folder's lock for a while
};

// The flush that fails with EIO: the `call`-th fsync of `path` in this process, as strace's
// fault injection would fail it, so that what a write does then is tested where no process may
// be traced.
struct FailingFlush
{
    QByteArray path;
    int call = 0;
    int seen = 0;
};
FailingFlush failingFlush;

// The permissions a file's owner gave it (not what they mean to the user running the test).
QFile::Permissions modeOf(const QString &path)
{
    return QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// Every flush of this program passes here: the dictionary library's calls of fsync bind to the
// program's own definition before the C library's.
extern "C" int fsync(int handle)
{
    if (!failingFlush.path.isEmpty()) {
        char target[4096];
        const QByteArray link = "/proc/self/fd/" + QByteArray::number(handle);
        const ssize_t size = ::readlink(link.constData(), target, sizeof target);
        if (size > 0 && QByteArrayView(target, size) == failingFlush.path
            && ++failingFlush.seen == failingFlush.call) {
            errno = EIO;
            return -1;
        }
    }
    return int(::syscall(SYS_fsync, handle));
}

class TestDictionaryFormat : public QObject
{
    Q_OBJECT

private slots:
    void writeFolder_data();
    void writeFolder();
};

void TestDictionaryFormat::writeFolder_data()
{
    QTest::addColumn<QList<QString>>("lines"); // of every file
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<QByteArray>("expected"); // every file's bytes; empty: left as it was
    // Of the old files, kept by the new ones; without old files, what the new ones get.
    QTest::addColumn<QFile::Permissions>("mode");
    QTest::addColumn<QString>("refusal"); // the error's end when the write is refused

    const QFile::Permissions usual
        = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    const QList<QString> newLine{"new"};
    const QByteArray none;
    QTest::newRow("lines as given")
        << QList<QString>{"tavu", "", " 禾岚 ", "a\tb"} << Obstacle::None
        << QByteArray("tavu\n\n 禾岚 \na\tb\n") << usual << "";
    QTest::newRow("no lines") << QList<QString>{} << Obstacle::None << none << usual << "";
    QTest::newRow("a folder in a file's place")
        << newLine << Obstacle::FolderForFile << none << usual << "keys.txt: not a regular file";
    QTest::newRow("a link is followed")
        << newLine << Obstacle::SymbolicLink << QByteArray("new\n") << usual << "";
    QTest::newRow("files the group may write keep that")
        << newLine << Obstacle::None << QByteArray("new\n") << (usual | QFile::WriteGroup) << "";
    QTest::newRow("new files readable by all")
        << newLine << Obstacle::NoOldFiles << QByteArray("new\n") << usual << "";
    // A write refused before its commit leaves the folder as it was, and nothing beside it.
    QTest::newRow("a new file's flush fails")
        << newLine << Obstacle::NewFileFlushFails << none << usual
        << "/keys.txt: Input/output error (nothing was written)";
    QTest::newRow("the folder's flush fails")
        << newLine << Obstacle::FolderFlushFails << none << usual
        << ": Input/output error (nothing was written)";
    QTest::newRow("the commit's flush fails")
        << newLine << Obstacle::CommitFlushFails << none << usual
        << ".varnell-journal: Input/output error (nothing was written)";
    QTest::newRow("files changed since they were read")
        << newLine << Obstacle::ChangedSinceRead << none << usual
        << "another program changed the files since they were read; nothing was written, run "
           "the command again";
    QTest::newRow("another write holds the folder: this one waits")
        << newLine << Obstacle::HeldByAnother << QByteArray("new\n") << usual << "";
}

void TestDictionaryFormat::writeFolder()
{
    QFETCH(QList<QString>, lines);
    QFETCH(Obstacle, obstacle);
    QFETCH(QByteArray, expected);
    QFETCH(QFile::Permissions, mode);
    QFETCH(QString, refusal);
    const QTemporaryDir folder;
    const QList<QString> paths = dictionaryformat::filePaths(folder.path());
    for (const QString &path : paths) {
        if (obstacle != Obstacle::NoOldFiles)
            QVERIFY(writeBytes(path, "old\n") && QFile::setPermissions(path, mode));
    }
    const QString keys = dictionaryformat::filePath(folder.path(), File::Translations);
    const QString linkTarget = folder.filePath("elsewhere.txt");
    if (obstacle == Obstacle::FolderForFile)
        QVERIFY(QFile::remove(keys) && QDir(folder.path()).mkdir("keys.txt"));
    if (obstacle == Obstacle::SymbolicLink)
        QVERIFY(QFile::remove(keys) && writeBytes(linkTarget, "old\n")
                && QFile::link(linkTarget, keys));
    const QString canonical = QFileInfo(folder.path()).canonicalFilePath();
    if (obstacle == Obstacle::NewFileFlushFails)
        failingFlush = {QFile::encodeName(canonical + "/.keys.txt.varnell-new"), 1};
    if (obstacle == Obstacle::FolderFlushFails)
        failingFlush = {QFile::encodeName(canonical), 1};
    if (obstacle == Obstacle::CommitFlushFails)
        failingFlush = {QFile::encodeName(canonical + "/.varnell-journal"), 2};
    const QByteArray readState = safewrite::stateOf(paths);
    if (obstacle == Obstacle::ChangedSinceRead)
        QVERIFY(writeBytes(keys, "other\n"));

    const dictionaryformat::Texts texts{lines, lines, lines, lines, lines};
    QString error;
    bool written = false;
    const auto write = [&] {
        written = dictionaryformat::writeFolder(
            folder.path(), texts, {QStringLiteral("write"), 1, readState}, &error);
    };
    if (obstacle == Obstacle::HeldByAnother) {
        const int held
            = ::open(QFile::encodeName(folder.path()).constData(), O_RDONLY | O_DIRECTORY);
        QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);
        std::thread writer(write);
        QThread::msleep(300);
        // Nothing was written while the folder was held, not even the journal.
        const QStringList meanwhile = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
        const QByteArray keysMeanwhile = bytesOf(keys);
        ::close(held);
        writer.join();
        QCOMPARE(meanwhile.size(), paths.size());
        QCOMPARE(keysMeanwhile, QByteArray("old\n"));
    } else {
        write();
    }
    failingFlush = {};
    QCOMPARE(written, refusal.isEmpty());
    if (!refusal.isEmpty()) {
        QVERIFY2(error.endsWith(refusal), qPrintable(error));
        for (const QString &path : paths) {
            if (path != keys)
                QCOMPARE(bytesOf(path), QByteArray("old\n"));
        }
        dictionaryformat::Texts read;
        if (obstacle == Obstacle::FolderForFile) {
            QVERIFY(error.startsWith(keys));
            QVERIFY(!dictionaryformat::readFolder(folder.path(), &read, &error));
            QCOMPARE(error, keys + ": not a regular file");
        } else {
            QCOMPARE(bytesOf(keys),
                     QByteArray(obstacle == Obstacle::ChangedSinceRead ? "other\n" : "old\n"));
        }
    } else {
        for (const QString &path : paths) {
            QCOMPARE(bytesOf(path), lines.isEmpty() ? QByteArray() : expected);
            if (path != keys || obstacle == Obstacle::None)
                QCOMPARE(modeOf(path), mode);
        }
        dictionaryformat::Texts read;
        QVERIFY(dictionaryformat::readFolder(folder.path(), &read, &error));
        QCOMPARE(read.phraseTranslations, lines);
    }
    if (obstacle == Obstacle::SymbolicLink)
        QVERIFY(QFileInfo(keys).isSymLink() && bytesOf(linkTarget) == expected);
    // No new file or journal is left beside the old ones.
    const bool noKeys = obstacle == Obstacle::FolderForFile;
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(),
             paths.size() - (noKeys ? 1 : 0) + (obstacle == Obstacle::SymbolicLink ? 1 : 0));
}

QTEST_GUILESS_MAIN(TestDictionaryFormat)
#include "tst_dictionary_format.moc"

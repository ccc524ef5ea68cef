// Writing and reading a dictionary folder through its one writer and the loader's reader.

#include "DictionaryFiles.h"
#include "DictionaryFormat.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using dictionaryformat::File;

namespace {

enum class Obstacle { None, FolderForFile, SymbolicLink, NoOldFiles };

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
    QTest::addColumn<Obstacle>("obstacle"); // in keys.txt's place
    QTest::addColumn<QByteArray>("expected"); // every file's bytes; empty: left as it was
    // Of the old files, kept by the new ones; without old files, what the new ones get.
    QTest::addColumn<QFile::Permissions>("mode");

    const QFile::Permissions usual
        = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    QTest::newRow("lines as given")
        << QList<QString>{"tavu", "", " 禾岚 ", "a\tb"} << Obstacle::None
        << QByteArray("tavu\n\n 禾岚 \na\tb\n") << usual;
    QTest::newRow("no lines") << QList<QString>{} << Obstacle::None << QByteArray() << usual;
    QTest::newRow("a folder in a file's place")
        << QList<QString>{"new"} << Obstacle::FolderForFile << QByteArray() << usual;
    QTest::newRow("a link is followed")
        << QList<QString>{"new"} << Obstacle::SymbolicLink << QByteArray("new\n") << usual;
    QTest::newRow("files the group may write keep that")
        << QList<QString>{"new"} << Obstacle::None << QByteArray("new\n")
        << (usual | QFile::WriteGroup);
    QTest::newRow("new files readable by all")
        << QList<QString>{"new"} << Obstacle::NoOldFiles << QByteArray("new\n") << usual;
}

void TestDictionaryFormat::writeFolder()
{
    QFETCH(QList<QString>, lines);
    QFETCH(Obstacle, obstacle);
    QFETCH(QByteArray, expected);
    QFETCH(QFile::Permissions, mode);
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

    const dictionaryformat::Texts texts{lines, lines, lines, lines, lines};
    QString error;
    const bool written = dictionaryformat::writeFolder(folder.path(), texts, &error);
    const bool refused = obstacle == Obstacle::FolderForFile;
    QCOMPARE(written, !refused);
    if (refused) {
        QVERIFY2(error.contains(keys), qPrintable(error));
        for (const QString &path : paths) {
            if (path != keys)
                QCOMPARE(bytesOf(path), QByteArray("old\n"));
        }
        dictionaryformat::Texts read;
        QVERIFY(!dictionaryformat::readFolder(folder.path(), &read, &error));
        QCOMPARE(error, keys + ": not a regular file");
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
    // No new file is left beside the old ones.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(),
             paths.size() - (refused ? 1 : 0) + (obstacle == Obstacle::SymbolicLink ? 1 : 0));
}

QTEST_GUILESS_MAIN(TestDictionaryFormat)
#include "tst_dictionary_format.moc"

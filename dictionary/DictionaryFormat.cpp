#include "DictionaryFormat.h"

#include "ConlangDictionary.h"
#include "LineReader.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <unistd.h>

namespace dictionaryformat {

namespace {

QString notRegularFile(const QString &path)
{
    return path + QStringLiteral(": ")
        + QCoreApplication::translate("DictionaryFormat", "not a regular file");
}

// A symbolic link is replaced where it points, so the link itself survives the rename.
QString renameTarget(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        return info.canonicalFilePath();
    return path;
}

// The new file, written in full and on disk, in the same folder as `target` (so the rename
// cannot cross file systems); nullptr and *error set when it could not be written.
std::unique_ptr<QTemporaryFile>
writeBeside(const QString &target, const QByteArray &content, QString *error)
{
    const QFileInfo info(target);
    auto file = std::make_unique<QTemporaryFile>(info.absolutePath() + QStringLiteral("/.")
                                                 + info.fileName() + QStringLiteral(".XXXXXX"));
    const bool written = file->open() && file->write(content) == content.size() && file->flush()
        && ::fsync(file->handle()) == 0;
    if (!written) {
        if (error)
            *error = target + QStringLiteral(": ") + file->errorString();
        return nullptr;
    }
    // A new file keeps the old one's permissions; the temporary file's are the owner's only.
    file->setPermissions(info.exists() ? QFile::permissions(target)
                                       : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                 | QFile::ReadOther);
    file->close();
    return file;
}

} // namespace

QString fileName(File file)
{
    switch (file) {
    case File::Words:
        return QStringLiteral("values.txt");
    case File::Translations:
        return QStringLiteral("keys.txt");
    case File::PartsOfSpeech:
        return QStringLiteral("wordtype.txt");
    case File::Phrases:
        return QStringLiteral("phrases.txt");
    case File::PhraseTranslations:
        return QStringLiteral("cn_phrases.txt");
    }
    return {};
}

QList<QString> fileNames()
{
    QList<QString> names;
    for (int i = 0; i < fileCount; ++i)
        names.append(fileName(fileAt(i)));
    return names;
}

QString filePath(const QString &folder, File file)
{
    if (folder.isEmpty())
        return fileName(file);
    if (folder.endsWith(u'/'))
        return folder + fileName(file);
    return folder + u'/' + fileName(file);
}

QList<QString> filePaths(const QString &folder)
{
    QList<QString> paths;
    for (int i = 0; i < fileCount; ++i)
        paths.append(filePath(folder, fileAt(i)));
    return paths;
}

QString defaultFolder()
{
    return QStringLiteral("./texts");
}

bool loadFolder(ConlangDictionary &dictionary, const QString &folder)
{
    return dictionary.loadDictionaryFiles(filePath(folder, File::Words),
                                          filePath(folder, File::Translations),
                                          filePath(folder, File::PartsOfSpeech),
                                          filePath(folder, File::Phrases),
                                          filePath(folder, File::PhraseTranslations));
}

QList<QString> &Texts::operator[](File file)
{
    return const_cast<QList<QString> &>(std::as_const(*this)[file]);
}

const QList<QString> &Texts::operator[](File file) const
{
    switch (file) {
    case File::Words:
        return words;
    case File::Translations:
        return translations;
    case File::PartsOfSpeech:
        return partsOfSpeech;
    case File::Phrases:
        return phrases;
    case File::PhraseTranslations:
        break;
    }
    return phraseTranslations;
}

QByteArray normalForm(const QList<QString> &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += line.toUtf8();
        bytes += '\n';
    }
    return bytes;
}

bool replaceFiles(const QList<QString> &paths, const QList<QByteArray> &contents, QString *error)
{
    Q_ASSERT(paths.size() == contents.size());
    std::vector<std::unique_ptr<QTemporaryFile>> newFiles;
    QList<QString> targets;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        targets.append(renameTarget(paths.at(i)));
        // A rename over a folder or a FIFO would fail only after the files before it were
        // replaced; found now, nothing is.
        const QFileInfo target(targets.last());
        if (target.exists() && !target.isFile()) {
            if (error)
                *error = notRegularFile(targets.last());
            return false;
        }
        newFiles.push_back(writeBeside(targets.last(), contents.value(i), error));
        if (!newFiles.back())
            return false; // the files written so far are removed with their QTemporaryFile
    }
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QByteArray from = QFile::encodeName(newFiles[i]->fileName());
        if (std::rename(from.constData(), QFile::encodeName(targets.at(i)).constData()) != 0) {
            if (error)
                *error = targets.at(i) + QStringLiteral(": ")
                    + QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        newFiles[i]->setAutoRemove(false);
    }
    return true;
}

bool writeFolder(const QString &folder, const Texts &texts, QString *error)
{
    QList<QByteArray> contents;
    for (int i = 0; i < fileCount; ++i)
        contents.append(normalForm(texts[fileAt(i)]));
    return replaceFiles(filePaths(folder), contents, error);
}

bool readLines(const QString &path, QList<QString> *lines, QString *error)
{
    lines->clear();
    LineReader reader;
    if (!reader.open(path)) {
        if (error) {
            const QFileInfo info(path);
            if (!info.exists())
                *error = path + QStringLiteral(": ")
                    + QCoreApplication::translate("DictionaryFormat", "no such file");
            else if (!info.isFile())
                *error = notRegularFile(path);
            else
                *error = path + QStringLiteral(": ")
                    + QCoreApplication::translate("DictionaryFormat", "cannot be read");
        }
        return false;
    }
    while (!reader.atEnd())
        lines->append(reader.readLine());
    return true;
}

bool readFolder(const QString &folder, Texts *texts, QString *error)
{
    for (int i = 0; i < fileCount; ++i) {
        if (!readLines(filePath(folder, fileAt(i)), &(*texts)[fileAt(i)], error))
            return false;
    }
    return true;
}

} // namespace dictionaryformat

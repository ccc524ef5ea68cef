#include "DictionaryFormat.h"

#include "ConlangDictionary.h"
#include "LineReader.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace dictionaryformat {

namespace {

QString notRegularFile(const QString &path)
{
    return path + QStringLiteral(": ")
        + QCoreApplication::translate("DictionaryFormat", "not a regular file");
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

QList<QString> partOfSpeechTags(const QString &partOfSpeech)
{
    QList<QString> tags;
    for (const QString &piece : partOfSpeech.split(tagSeparator, Qt::SkipEmptyParts)) {
        const QString tag = piece.trimmed();
        if (!tag.isEmpty())
            tags.append(tag);
    }
    return tags;
}

QList<QString> legendTags()
{
    return {QStringLiteral("ko."),
            QStringLiteral("kiu."),
            QStringLiteral("koler."),
            QStringLiteral("koos."),
            QStringLiteral("ka."),
            QStringLiteral("kei."),
            QStringLiteral("n.")};
}

QString legendMeaning(const QString &tag)
{
    static const QHash<QString, QString> meanings = {
        {QStringLiteral("ko."), QStringLiteral("名词")},
        {QStringLiteral("kiu."), QStringLiteral("形容词和副词")},
        {QStringLiteral("koler."), QStringLiteral("代词")},
        {QStringLiteral("koos."), QStringLiteral("介词")},
        {QStringLiteral("ka."), QStringLiteral("动词")},
        {QStringLiteral("kei."), QStringLiteral("助词和疑问词")},
        {QStringLiteral("n."), QStringLiteral("专有名词")},
    };
    return meanings.value(tag);
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
    return safewrite::replaceFiles(paths, contents, error);
}

QList<QByteArray> normalForms(const Texts &texts)
{
    QList<QByteArray> contents;
    for (int i = 0; i < fileCount; ++i)
        contents.append(normalForm(texts[fileAt(i)]));
    return contents;
}

bool writeFolder(const QString &folder, const Texts &texts, QString *error)
{
    return writeFolder(folder, texts, {QStringLiteral("write"), 0}, error);
}

bool writeFolder(const QString &folder,
                 const Texts &texts,
                 const safewrite::Change &change,
                 QString *error)
{
    return safewrite::replaceFolderFiles(
        folder, filePaths(folder), normalForms(texts), change, error);
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
            else {
                // The system's reason: "Permission denied", "Input/output error" ...
                QFile file(path);
                *error = path + QStringLiteral(": ")
                    + (file.open(QIODevice::ReadOnly)
                           ? QCoreApplication::translate("DictionaryFormat", "cannot be read")
                           : file.errorString());
            }
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

#include "DictionaryFiles.h"

#include <algorithm>

#include <QDir>
#include <QFile>

namespace {

bool writeLines(const QString &path,
                const QList<DictionaryRow> &rows,
                QString DictionaryRow::*field)
{
    QByteArray content;
    for (const DictionaryRow &row : rows)
        content += (row.*field).toUtf8() + '\n';
    return writeBytes(path, content);
}

void discardMessage(QtMsgType, const QMessageLogContext &, const QString &) { }

} // namespace

const QList<QString> &dictionaryFileNames()
{
    static const QList<QString> names = {QStringLiteral("values.txt"),
                                         QStringLiteral("keys.txt"),
                                         QStringLiteral("wordtype.txt"),
                                         QStringLiteral("phrases.txt"),
                                         QStringLiteral("cn_phrases.txt")};
    return names;
}

QByteArray RawDictionaryFiles::*const RawDictionaryFiles::fields[]
    = {&RawDictionaryFiles::words,
       &RawDictionaryFiles::translations,
       &RawDictionaryFiles::tags,
       &RawDictionaryFiles::phrases,
       &RawDictionaryFiles::phraseTranslations};

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

DictionaryFilePaths dictionaryFilePaths(const QString &folder)
{
    const QDir dir(folder);
    const QList<QString> &names = dictionaryFileNames();
    return {dir.filePath(names[0]),
            dir.filePath(names[1]),
            dir.filePath(names[2]),
            dir.filePath(names[3]),
            dir.filePath(names[4])};
}

DictionaryFilePaths writeDictionaryFiles(const QString &folder, const QList<DictionaryRow> &rows)
{
    const DictionaryFilePaths paths = dictionaryFilePaths(folder);
    const bool written = writeLines(paths.words, rows, &DictionaryRow::word)
        && writeLines(paths.translations, rows, &DictionaryRow::translation)
        && writeLines(paths.partsOfSpeech, rows, &DictionaryRow::partOfSpeech)
        && writeLines(paths.phrases, rows, &DictionaryRow::phrases)
        && writeLines(paths.phraseTranslations, rows, &DictionaryRow::phraseTranslations);
    return written ? paths : DictionaryFilePaths{};
}

bool loadDictionaryFiles(ConlangDictionary &dictionary, const DictionaryFilePaths &paths)
{
    return dictionary.loadDictionaryFiles(paths.words,
                                          paths.translations,
                                          paths.partsOfSpeech,
                                          paths.phrases,
                                          paths.phraseTranslations);
}

TemporaryDictionary::TemporaryDictionary(const QList<DictionaryRow> &rows, bool quiet)
{
    if (!m_folder.isValid())
        return;
    m_paths = writeDictionaryFiles(m_folder.path(), rows);
    if (m_paths.words.isEmpty())
        return;
    const QtMessageHandler previous = quiet ? qInstallMessageHandler(&discardMessage) : nullptr;
    m_loaded = loadDictionaryFiles(m_dictionary, m_paths);
    if (quiet)
        qInstallMessageHandler(previous);
}

QString describeResult(const SearchResult &result)
{
    return QStringLiteral("%1|%2|%3|%4")
        .arg(result.entry->word, result.matchType)
        .arg(result.score)
        .arg(result.highlightInfo);
}

QList<QString> describeResults(const QList<SearchResult> &results)
{
    QList<QString> lines;
    lines.reserve(results.size());
    for (const SearchResult &result : results)
        lines.append(describeResult(result));
    return lines;
}

QList<QString> describeResultsSorted(const QList<SearchResult> &results)
{
    QList<QString> lines = describeResults(results);
    lines.sort();
    return lines;
}

QString describeRecord(const DictionaryEntry &entry)
{
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
        .arg(QString::number(entry.number),
             entry.word,
             entry.translation,
             entry.partOfSpeech,
             entry.phrases.join(QLatin1Char('/')),
             entry.phraseTranslations.join(QLatin1Char('/')));
}

QList<int> sortedEntryNumbers(const ConlangDictionary &dictionary)
{
    QList<int> numbers = dictionary.getAllIndices();
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

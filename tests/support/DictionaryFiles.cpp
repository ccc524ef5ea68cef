#include "DictionaryFiles.h"

#include "DictionaryFormat.h"

#include <algorithm>

#include <QDir>
#include <QFile>

namespace {

void discardMessage(QtMsgType, const QMessageLogContext &, const QString &) { }

} // namespace

const QList<QString> &dictionaryFileNames()
{
    static const QList<QString> names = dictionaryformat::fileNames();
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

bool copyDictionaryFiles(const QString &from, const QString &folder)
{
    if (!QDir(folder).mkpath(QStringLiteral("texts")))
        return false;
    for (const QString &name : dictionaryformat::fileNames()) {
        if (!QFile::copy(from + u'/' + name, folder + QStringLiteral("/texts/") + name))
            return false;
    }
    return true;
}

DictionaryFilePaths dictionaryFilePaths(const QString &folder)
{
    using dictionaryformat::File;
    return {dictionaryformat::filePath(folder, File::Words),
            dictionaryformat::filePath(folder, File::Translations),
            dictionaryformat::filePath(folder, File::PartsOfSpeech),
            dictionaryformat::filePath(folder, File::Phrases),
            dictionaryformat::filePath(folder, File::PhraseTranslations)};
}

DictionaryFilePaths writeDictionaryFiles(const QString &folder, const QList<DictionaryRow> &rows)
{
    dictionaryformat::Texts texts;
    for (const DictionaryRow &row : rows) {
        texts.words.append(row.word);
        texts.translations.append(row.translation);
        texts.partsOfSpeech.append(row.partOfSpeech);
        texts.phrases.append(row.phrases);
        texts.phraseTranslations.append(row.phraseTranslations);
    }
    QString error;
    if (!dictionaryformat::writeFolder(folder, texts, &error)) {
        qWarning("%s", qUtf8Printable(error));
        return {};
    }
    return dictionaryFilePaths(folder);
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

QList<DictionaryRow> rowsFromLines(const QStringList &lines)
{
    QList<DictionaryRow> rows;
    for (const QString &line : lines) {
        const QStringList f = line.split(u'|');
        rows.append({f.value(0), f.value(1), f.value(2), f.value(3), f.value(4)});
    }
    return rows;
}

QList<DictionaryRow> rowsThatTie()
{
    QList<DictionaryRow> rows = {{"zeno", "星光甲", "ko.", "mira zeno", "米拉甲"},
                                 {"yeno", "星光乙", "ko.", "mira yeno", "米拉乙"},
                                 {"xeno", "星光丙", "ko.", "mira xeno", "米拉丙"}};
    const QStringList more
        = QStringLiteral("wabe vobi ukka tiro sela repo qadu pino omar nilu mobe "
                         "lira jelo hemu gosa fipa duro bexi")
              .split(u' ');
    const QString branches = QStringLiteral("丁戊己庚辛壬癸子丑寅卯辰巳午未申酉戌");
    for (qsizetype i = 0; i < more.size(); ++i)
        rows.append({more.at(i),
                     QStringLiteral("星光") + branches.at(i),
                     "ka.",
                     "mira " + more.at(i),
                     QStringLiteral("米拉") + branches.at(i)});
    rows.append(
        {{"kalo", "门", "ko.", "", ""}, {"kale", "窗", "ko.", "", ""}, {"Kalo", "墙", "", "", ""}});
    return rows;
}

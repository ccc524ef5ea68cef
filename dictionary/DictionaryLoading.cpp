#include "ConlangDictionary.h"
#include "ConlangDictionary_p.h"
#include "DictionaryFormat.h"
#include "LineReader.h"

#include <QDebug>

#include <algorithm>
#include <array>

const QSet<QString> ConlangDictionary::chineseStopWords = {
    QStringLiteral("的"),
    QStringLiteral("之"),
    QStringLiteral("与"),
    QStringLiteral("和"),
    QStringLiteral("或"),
    QStringLiteral("在"),
    QStringLiteral("于"),
    QStringLiteral("对"),
    QStringLiteral("从"),
    QStringLiteral("而"),
    QStringLiteral("但"),
};

namespace {

// The readers and lines of one load are arrays indexed by file, in the format's order.
constexpr int dictionaryFileCount = dictionaryformat::fileCount;
constexpr int WordFile = int(dictionaryformat::File::Words);
constexpr int TranslationFile = int(dictionaryformat::File::Translations);
constexpr int PartOfSpeechFile = int(dictionaryformat::File::PartsOfSpeech);
constexpr int PhraseFile = int(dictionaryformat::File::Phrases);
constexpr int PhraseTranslationFile = int(dictionaryformat::File::PhraseTranslations);

// QString::split with empty pieces skipped, but every piece and the list allocated at its exact
// size: the loader keeps them all, and growth room would be a fifth of the dictionary's memory.
QList<QString> splitPieces(QStringView text, QChar separator)
{
    QList<QString> pieces;
    if (text.isEmpty())
        return pieces;
    const char16_t *const begin = text.utf16();
    const char16_t *const end = begin + text.size();
    const char16_t unit = separator.unicode();
    const qsizetype count = std::count(begin, end, unit) + 1;
    pieces.reserve(count);
    for (const char16_t *start = begin;; ++start) {
        const char16_t *const stop = std::find(start, end, unit);
        if (stop != start)
            pieces.append(QString(reinterpret_cast<const QChar *>(start), stop - start));
        if (stop == end)
            break;
        start = stop;
    }
    if (pieces.size() < count)
        pieces.squeeze();
    return pieces;
}

// The posIndex keys of a part-of-speech text: its tags, lower-cased.
QList<QString> partOfSpeechTagKeys(const QString &partOfSpeech)
{
    QList<QString> keys = dictionaryformat::partOfSpeechTags(partOfSpeech);
    for (QString &key : keys)
        key = key.toLower();
    return keys;
}

// QString::toLower, without a new string for the usual word that is lower-case ASCII already.
QString lowerCased(const QString &text)
{
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit >= 0x80 || (unit >= u'A' && unit <= u'Z'))
            return text.toLower();
    }
    return text;
}

using DictionaryFiles = std::array<LineReader, dictionaryFileCount>;
using DictionaryLines = std::array<QString, dictionaryFileCount>;

// Reads the next line of every file after the word file into `lines`; false if one of them has
// no line left (the lines read before it are kept).
bool readOtherLines(DictionaryFiles &files, DictionaryLines &lines)
{
    for (int i = TranslationFile; i < dictionaryFileCount; ++i) {
        if (files[i].atEnd())
            return false;
        files[i].readLineInto(&lines[i]);
    }
    return true;
}

} // namespace

struct ConlangDictionary::LoadScratch
{
    // A part-of-speech line is split into tag keys once, however many records share it.
    QHash<QString, QList<QString>> tagKeysOfLine;
    // Found while each word is still in the cache; the report would otherwise read every word
    // again from scattered memory.
    QList<QString> wordKeysWithTavu;
    // Each word key and each translation once, in the order of their first line: the searches
    // walk them in this order, so that equal scores come out the same in every process rather
    // than in the order of the hash's per-process seed.
    QList<QString> wordKeysInFileOrder;
    QList<QString> translationsInFileOrder;
};

ConlangDictionary::ConlangDictionary()
    : m_searchTables(std::make_unique<SearchTables>())
{
}

ConlangDictionary::~ConlangDictionary() = default;

void ConlangDictionary::clearAllData()
{
    wordIndex.clear();
    chineseIndex.clear();
    posIndex.clear();
    wordSet.clear();
    letterIndex.clear();
    // A reload must never keep records of the previous dictionary.
    numberIndex.clear();
    m_searchTables = std::make_unique<SearchTables>();
}

QList<QString> ConlangDictionary::splitString(const QString &text, QChar separator) const
{
    return splitPieces(text, separator);
}

bool ConlangDictionary::isInteger(const QString &text)
{
    bool ok = false;
    text.toInt(&ok, 10);
    return ok;
}

bool ConlangDictionary::loadDictionaryFiles(const QString &wordFile,
                                            const QString &translationFile,
                                            const QString &partOfSpeechFile,
                                            const QString &phraseFile,
                                            const QString &phraseTranslationFile)
{
    clearAllData();

    const std::array<QString, dictionaryFileCount> paths{
        wordFile, translationFile, partOfSpeechFile, phraseFile, phraseTranslationFile};
    DictionaryFiles files;
    for (int i = 0; i < dictionaryFileCount; ++i) {
        if (!files[i].open(paths[i])) {
            qDebug() << "错误：无法打开文件" << paths[i];
            return false;
        }
    }
    reserveRoomFor(qMin(LineReader::countLines(wordFile), qsizetype(1) << 22));

    int lineNumber = 0;
    int loadedRecords = 0;
    // Lines are read into buffers that are reused; only the trimmed text is kept, at its size.
    DictionaryLines lines;
    LoadScratch scratch;
    while (!files[WordFile].atEnd()) {
        files[WordFile].readLineInto(&lines[WordFile]);
        ++lineNumber;
        if (!readOtherLines(files, lines)) {
            qDebug() << "警告：文件行数不匹配（第" << lineNumber << "行）";
            break;
        }
        const QStringView word = QStringView(lines[WordFile]).trimmed();
        const QStringView translation = QStringView(lines[TranslationFile]).trimmed();
        // A gap keeps its line number but holds no entry.
        if (word.isEmpty() && translation.isEmpty())
            continue;

        QList<QString> phrases = splitPieces(QStringView(lines[PhraseFile]).trimmed(),
                                             dictionaryformat::phraseSeparator);
        QList<QString> phraseTranslations = splitPieces(
            QStringView(lines[PhraseTranslationFile]).trimmed(), dictionaryformat::phraseSeparator);
        if (phrases.size() != phraseTranslations.size()) {
            qDebug() << "警告：词组与翻译数量不匹配（第" << lineNumber << "行）";
            const qsizetype common = qMin(phrases.size(), phraseTranslations.size());
            phrases.resize(common);
            phraseTranslations.resize(common);
            phrases.squeeze();
            phraseTranslations.squeeze();
        }
        searchtables::addPhraseRows(
            m_searchTables->phraseTables, lineNumber, phrases, phraseTranslations);
        fileEntry(DictionaryEntry{word.toString(),
                                  translation.toString(),
                                  QStringView(lines[PartOfSpeechFile]).trimmed().toString(),
                                  std::move(phrases),
                                  std::move(phraseTranslations),
                                  lineNumber},
                  scratch);
        if (lineNumber % 100 == 0)
            qDebug() << "已加载" << lineNumber << "行...";
        ++loadedRecords;
    }
    searchtables::linkPhraseRows(m_searchTables->phraseTables, wordIndex);
    squeezeLongLists();
    searchtables::buildFuzzyTables(m_searchTables->fuzzyTables,
                                   wordSet,
                                   letterIndex,
                                   scratch.wordKeysInFileOrder,
                                   wordIndex.size() != loadedRecords);
    searchtables::buildTranslationTable(
        m_searchTables->translationTable, chineseIndex, scratch.translationsInFileOrder);
    writeLoadReport(loadedRecords, scratch);
    return loadedRecords > 0;
}

// Room for every record at once: growing rehashes every key, reading each from scattered memory.
void ConlangDictionary::reserveRoomFor(qsizetype records)
{
    wordIndex.reserve(records);
    numberIndex.reserve(records);
    wordSet.reserve(records);
    chineseIndex.reserve(records);
}

// The few long lists grew by doubling; giving back the unused room is cheap.
void ConlangDictionary::squeezeLongLists()
{
    for (QList<QString> &wordKeys : posIndex)
        wordKeys.squeeze();
    for (QList<QString> &wordKeys : letterIndex)
        wordKeys.squeeze();
}

void ConlangDictionary::fileEntry(DictionaryEntry entry, LoadScratch &scratch)
{
    const QString wordKey = lowerCased(entry.word);
    // Only ASCII letters fold to t, a, v or u, so this is the report's case-insensitive test.
    if (wordKey.contains(QLatin1String("tavu")))
        scratch.wordKeysWithTavu.append(wordKey);
    if (!wordKey.isEmpty())
        letterIndex[wordKey.front()].append(wordKey);
    if (!entry.translation.isEmpty()) {
        auto translation = chineseIndex.find(entry.translation);
        if (translation == chineseIndex.end()) {
            translation = chineseIndex.insert(entry.translation, QList<QString>{wordKey});
            scratch.translationsInFileOrder.append(translation.key());
        } else
            translation->append(wordKey);
        // Records sharing a translation share its text.
        entry.translation = translation.key();
    }
    if (!entry.partOfSpeech.isEmpty()) {
        auto tagKeys = scratch.tagKeysOfLine.find(entry.partOfSpeech);
        if (tagKeys == scratch.tagKeysOfLine.end())
            tagKeys = scratch.tagKeysOfLine.insert(entry.partOfSpeech,
                                                   partOfSpeechTagKeys(entry.partOfSpeech));
        entry.partOfSpeech = tagKeys.key();
        for (const QString &tagKey : std::as_const(*tagKeys)) {
            auto tag = posIndex.find(tagKey);
            if (tag == posIndex.end())
                posIndex.insert(tagKey, QList<QString>{wordKey});
            else
                tag->append(wordKey);
        }
    }
    const qsizetype knownWords = wordSet.size();
    wordSet.insert(wordKey);
    if (wordSet.size() != knownWords)
        scratch.wordKeysInFileOrder.append(wordKey);
    numberIndex.insert(entry.number, entry);
    wordIndex.insert(wordKey, std::move(entry));
}

void ConlangDictionary::writeLoadReport(int loadedRecords, const LoadScratch &scratch) const
{
    qDebug() << "\n=== 词典加载完成 ===";
    qDebug() << "总词条数:" << loadedRecords;
    qDebug() << "单词索引大小:" << wordIndex.size();
    qDebug() << "中文翻译索引大小:" << chineseIndex.size();
    qDebug() << "词性索引大小:" << posIndex.size();
    qDebug() << "首字母索引大小:" << letterIndex.size();
    if (wordIndex.size() != loadedRecords)
        qDebug() << "警告：存在大小写不敏感的重复单词！";

    if (loadedRecords > 0) {
        qDebug() << "词典加载成功！";
        qDebug() << "\n示例数据（前3个词条）:";
        int shown = 0;
        for (auto it = wordIndex.cbegin(); it != wordIndex.cend() && shown < 3; ++it, ++shown) {
            const DictionaryEntry &entry = it.value();
            qDebug() << "单词:" << entry.word;
            qDebug() << "翻译:" << entry.translation;
            qDebug() << "词性:" << entry.partOfSpeech;
            if (!entry.phrases.isEmpty()) {
                qDebug() << "词组:";
                for (qsizetype i = 0; i < entry.phrases.size(); ++i)
                    qDebug() << "  " << entry.phrases.at(i) << " -> "
                             << entry.phraseTranslations.value(i);
            }
            qDebug() << "---";
        }
        int phraseCount = 0;
        for (const DictionaryEntry &entry : wordIndex)
            phraseCount += int(entry.phrases.size());
        qDebug() << "总词组数:" << phraseCount;
        qDebug() << "平均每个词条词组数:" << double(phraseCount) / loadedRecords;
    }

    qDebug() << "\n=== 完整词条列表 ===";
    QSet<const DictionaryEntry *> entriesWithTavu;
    for (const QString &wordKey : scratch.wordKeysWithTavu)
        entriesWithTavu.insert(&*wordIndex.constFind(wordKey));
    int position = 0;
    for (const DictionaryEntry &entry : wordIndex) {
        if (entriesWithTavu.contains(&entry)) {
            qDebug() << "找到包含'tavu'的词条:";
            qDebug() << "  单词:" << entry.word;
            qDebug() << "  翻译:" << entry.translation;
            qDebug() << "  词组:" << entry.phrases;
        }
        if (position < 10)
            qDebug() << position + 1 << ". 单词:" << entry.word << " 翻译:" << entry.translation;
        ++position;
    }
}

#include "ConlangDictionary.h"
#include "DictionaryFormat.h"

#include <QDebug>
#include <QMap>

namespace {

void reportWordLookup(const QHash<QString, DictionaryEntry> &wordIndex)
{
    const auto found = wordIndex.constFind(QStringLiteral("tavu").toLower());
    if (found == wordIndex.constEnd()) {
        qDebug() << "✗ 单词查询测试失败";
        return;
    }
    const DictionaryEntry &entry = found.value();
    qDebug() << "✓ 单词查询测试通过:" << entry.word << "->" << entry.translation;
    if (entry.phrases.isEmpty())
        return;
    qDebug() << "  包含词组:";
    // value() keeps a hand-built entry with a short translation list from reading past its end.
    for (qsizetype i = 0; i < entry.phrases.size(); ++i)
        qDebug() << "    " << entry.phrases.at(i) << "->" << entry.phraseTranslations.value(i);
}

void reportSearchResultsBrief(const QList<SearchResult> &results)
{
    for (const SearchResult &result : results) {
        if (result.entry)
            qDebug() << "  结果:" << result.entry->word << "->" << result.entry->translation;
    }
}

QString wordOf(const SearchResult &result)
{
    return result.entry ? result.entry->word : QString();
}

// The smart search's answer to `query`, one line per result; `detailed` adds each result's
// score and highlight.
void reportListedSearch(const ConlangDictionary &dictionary, const QString &query, bool detailed)
{
    const QList<SearchResult> results = dictionary.smartSearch(query, 10);
    if (results.isEmpty()) {
        qDebug() << "   没有找到结果";
        return;
    }
    qDebug() << "   找到 " << results.size() << (detailed ? " 个结果:" : " 个结果");
    int position = 1;
    for (const SearchResult &result : results) {
        {
            QDebug line = qDebug();
            line << "   " << position++ << ". " << wordOf(result) << " [" << result.matchType
                 << "]";
            if (detailed)
                line << " 分数: " << result.score;
        }
        if (detailed)
            qDebug() << "       高亮信息: " << result.highlightInfo;
    }
}

void reportCountedSearch(const ConlangDictionary &dictionary, const QString &query)
{
    const QList<SearchResult> results = dictionary.smartSearch(query, 10);
    if (results.isEmpty())
        qDebug() << "   没有找到结果";
    else
        qDebug() << "   找到 " << results.size() << " 个结果";
}

} // namespace

void ConlangDictionary::printStatistics() const
{
    qDebug() << "\n=== 词典统计信息 ===";
    qDebug() << "总词条数:" << wordIndex.size();
    qDebug() << "中文翻译数:" << chineseIndex.size();
    qDebug() << "词性索引数:" << posIndex.size();
    qDebug() << "首字母索引数:" << letterIndex.size();
    qDebug() << "所有单词数:" << wordSet.size();

    qDebug() << "\n首字母分布:";
    // QMap orders the letters by code unit, which the hash cannot.
    QMap<QChar, int> wordsPerLetter;
    for (auto it = letterIndex.constBegin(); it != letterIndex.constEnd(); ++it)
        wordsPerLetter.insert(it.key(), int(it.value().size()));
    for (auto it = wordsPerLetter.constBegin(); it != wordsPerLetter.constEnd(); ++it)
        qDebug() << "  " << it.key() << ":" << it.value() << "个单词";
}

void ConlangDictionary::runTests() const
{
    qDebug() << "\n=== 运行词典测试 ===";

    reportWordLookup(wordIndex);

    const QList<std::pair<QString, double>> suggestions
        = fuzzyWordSearch(QStringLiteral("tauv"), 3, 50.0);
    if (suggestions.isEmpty()) {
        qDebug() << "✗ 模糊查询测试失败";
    } else {
        qDebug() << "✓ 模糊查询测试通过，找到" << suggestions.size() << "个建议";
        for (const auto &suggestion : suggestions)
            qDebug() << "  建议:" << suggestion.first << "(" << suggestion.second << "%)";
    }

    const QList<const DictionaryEntry *> nouns = lookupByPartOfSpeech(QStringLiteral("n."));
    if (nouns.isEmpty())
        qDebug() << "✗ 词性搜索测试失败";
    else
        qDebug() << "✓ 词性搜索测试通过，找到" << nouns.size() << "个结果";

    const QList<SearchResult> phraseHits = findExactPhrase(QStringLiteral("tavu huhuhu"));
    if (phraseHits.isEmpty()) {
        qDebug() << "✗ 词组搜索测试失败";
    } else {
        qDebug() << "✓ 词组搜索测试通过，找到" << phraseHits.size() << "个结果";
        reportSearchResultsBrief(phraseHits);
    }

    const QList<SearchResult> translationHits = findPhraseTranslation(QStringLiteral("禾岚航空"));
    if (translationHits.isEmpty())
        qDebug() << "✗ 中文词组搜索测试失败";
    else
        qDebug() << "✓ 中文词组搜索测试通过，找到" << translationHits.size() << "个结果";

    qDebug() << "=== 测试完成 ===";
}

void ConlangDictionary::testSearchFunctions()
{
    ConlangDictionary dictionary;
    if (!dictionaryformat::loadFolder(dictionary, QStringLiteral(".."))) {
        qDebug() << "加载词典失败";
        return;
    }

    qDebug() << "\n=== 测试搜索功能 ===";

    qDebug() << "\n1. 测试搜索 'tavu':";
    reportListedSearch(dictionary, QStringLiteral("tavu"), true);

    qDebug() << "\n2. 测试搜索 'tavu huhuhu':";
    reportListedSearch(dictionary, QStringLiteral("tavu huhuhu"), false);

    qDebug() << "\n3. 测试搜索 '禾岚':";
    reportCountedSearch(dictionary, QStringLiteral("禾岚"));
}

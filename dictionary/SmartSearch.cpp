#include "ConlangDictionary.h"
#include "SearchRanking.h"

#include <QDebug>

#include <algorithm>

namespace {

// The results of one search, each entry at most once: the first stage to find an entry keeps it.
class ResultCollector
{
public:
    bool add(const SearchResult &result)
    {
        if (m_addedEntries.contains(result.entry))
            return false;
        m_addedEntries.insert(result.entry);
        m_results.append(result);
        return true;
    }
    void addAll(const QList<SearchResult> &results)
    {
        for (const SearchResult &result : results)
            add(result);
    }
    bool contains(const DictionaryEntry *entry) const { return m_addedEntries.contains(entry); }
    bool isEmpty() const { return m_results.isEmpty(); }
    const QList<SearchResult> &results() const { return m_results; }

private:
    QList<SearchResult> m_results;
    QSet<const DictionaryEntry *> m_addedEntries;
};

const DictionaryEntry *storedEntry(const ConlangDictionary &dictionary, const QString &wordKey)
{
    const auto &wordIndex = dictionary.wordIndexData();
    const auto found = wordIndex.constFind(wordKey);
    return found == wordIndex.cend() ? nullptr : &found.value();
}

QList<SearchResult> searchByEntryNumber(const ConlangDictionary &dictionary, int number)
{
    qDebug() << "已经进入if";
    const DictionaryEntry *entry = dictionary.lookupByNumIndex(number);
    if (!entry) {
        qDebug() << "   ✗ 索引" << number << "无对应词条";
        return {};
    }
    qDebug() << "   ✓ 通过索引找到词条: " << entry->word;
    ResultCollector collector;
    collector.add(
        {entry, QStringLiteral("index_match"), 100.0, QStringLiteral("索引 %1 匹配").arg(number)});
    qDebug() << "已经return allResults";
    return collector.results();
}

void addExactWord(const ConlangDictionary &dictionary,
                  const QString &trimmedQuery,
                  ResultCollector &collector)
{
    qDebug() << "\n1. 尝试单词精确匹配...";
    const DictionaryEntry *entry = storedEntry(dictionary, trimmedQuery.toLower());
    if (!entry) {
        qDebug() << "   ✗ 未找到精确匹配单词";
        return;
    }
    qDebug() << "   ✓ 找到精确匹配单词: " << entry->word << " -> " << entry->translation;
    collector.add({entry, QStringLiteral("word_exact"), 100.0, QStringLiteral("单词完全匹配")});
}

void addPhrasesContainingWord(const QList<SearchResult> &found, ResultCollector &collector)
{
    for (const SearchResult &result : found) {
        if (collector.add(result))
            qDebug() << "   添加词组结果: " << result.entry->word << " [" << result.matchType
                     << "]";
    }
}

// A stage's results, after the trace line that counts them ("找到 n" and `what`).
void addCounted(const QList<SearchResult> &found, const char *what, ResultCollector &collector)
{
    qDebug() << "   找到 " << found.size() << what;
    collector.addAll(found);
}

void addChineseTranslations(const ConlangDictionary &dictionary,
                            const QString &trimmedQuery,
                            ResultCollector &collector)
{
    qDebug() << "\n3. 尝试中文翻译搜索...";
    addCounted(dictionary.searchChineseDynamic(trimmedQuery), " 个中文翻译结果", collector);
}

void addWholePhrase(const ConlangDictionary &dictionary,
                    const QString &trimmedQuery,
                    bool isChinese,
                    ResultCollector &collector)
{
    qDebug() << "\n4. 尝试完整词组匹配...";
    const QList<SearchResult> phrases = dictionary.findExactPhrase(trimmedQuery);
    addCounted(phrases, " 个完整词组匹配", collector);
    if (!isChinese || !phrases.isEmpty())
        return;

    qDebug() << "   尝试中文词组翻译匹配...";
    addCounted(dictionary.findPhraseTranslation(trimmedQuery), " 个中文词组翻译匹配", collector);
}

// Stage 5: each similar word whose entry is new, followed by the phrases of that word.
void addSimilarWords(const ConlangDictionary &dictionary,
                     const QString &trimmedQuery,
                     int maxResults,
                     ResultCollector &collector)
{
    const QList<std::pair<QString, double>> similar
        = dictionary.fuzzyWordSearch(trimmedQuery, maxResults, 50.0);
    qDebug() << "   找到 " << similar.size() << " 个模糊匹配";
    for (const auto &[word, score] : similar) {
        const DictionaryEntry *entry = storedEntry(dictionary, word.toLower());
        if (!entry || collector.contains(entry))
            continue;
        collector.add(
            {entry, QStringLiteral("word_fuzzy"), score, QStringLiteral("模糊匹配: %1").arg(word)});
        collector.addAll(dictionary.findPhrasesContainingWord(word));
    }
}

// Best first by kind of match, then score; only the first maxResults are kept.
QList<SearchResult> rankAndCut(const QList<SearchResult> &collected, int maxResults)
{
    qDebug() << "\n6. 排序和去重...";
    qDebug() << "   原始结果数: " << collected.size();
    QList<SearchResult> ranked = keepFirstResultPerEntry(collected);
    qDebug() << "   去重后结果数: " << ranked.size();

    const SearchRankingOrder ranksBefore;
    if (ranked.size() > maxResults) {
        // Ordering only the head that is kept gives the same answer as a full sort and a cut.
        if (maxResults > 0)
            std::partial_sort(
                ranked.begin(), ranked.begin() + maxResults, ranked.end(), ranksBefore);
        ranked.resize(maxResults);
    } else {
        std::sort(ranked.begin(), ranked.end(), ranksBefore);
    }
    qDebug() << "=== smartSearch: 搜索完成，返回 " << ranked.size() << " 个结果 ===";
    return ranked;
}

} // namespace

QList<SearchResult> ConlangDictionary::smartSearch(const QString &query, int maxResults) const
{
    // A negative limit asks for nothing; it is answered before any work is done.
    if (maxResults < 0)
        return {};

    qDebug() << "\n=== smartSearch: 开始搜索 \"" << query << "\" ===";
    if (query.isEmpty()) {
        qDebug() << "查询为空，返回空结果";
        return {};
    }
    if (isInteger(query)) {
        const int number = query.toInt();
        if (number > 0)
            return searchByEntryNumber(*this, number);
    }

    qDebug() << "==================词语搜索==================";
    const QString trimmedQuery = query.trimmed();
    const bool isChinese = isMainlyChinese(trimmedQuery);
    qDebug() << "修剪后查询: \"" << trimmedQuery << "\", 是否中文: " << isChinese;

    ResultCollector collector;
    addExactWord(*this, trimmedQuery, collector);

    qDebug() << "\n2. 查找包含该单词的词组...";
    addPhrasesContainingWord(findPhrasesContainingWord(trimmedQuery), collector);

    if (isChinese || collector.isEmpty())
        addChineseTranslations(*this, trimmedQuery, collector);
    if (trimmedQuery.contains(u' '))
        addWholePhrase(*this, trimmedQuery, isChinese, collector);

    if (collector.isEmpty()) {
        qDebug() << "\n5. 尝试模糊搜索...";
        // Chinese text is never matched by spelling.
        if (!isChinese)
            addSimilarWords(*this, trimmedQuery, maxResults, collector);
    }
    return rankAndCut(collector.results(), maxResults);
}

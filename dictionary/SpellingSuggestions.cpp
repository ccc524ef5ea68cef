#include "ConlangDictionary.h"
#include "ConlangDictionary_p.h"

#include <QStringView>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

// An alignment's cost: editWeight per edit, plus one for each edit that types a letter the word
// does not have there (a letter substituted or added, unless typed twice). Of two words equally
// many edits away, the one reached by leaving letters out or swapping two is likelier: a typist
// who adds or changes a letter picks one of some thirty, so any one such typo is that much rarer.
constexpr int editWeight = 16;
constexpr int omitted = editWeight;
constexpr int swapped = editWeight;
constexpr int substituted = editWeight + 1;
constexpr int added = editWeight + 1;
constexpr int beyondReach = 1 << 28;

// The edits a query of `length` characters may be away from a word: two, three from nine on, and
// always fewer than its length (as many edits could turn it into any word that long).
int editsAllowed(qsizetype length)
{
    return int(std::min<qsizetype>(length >= 9 ? 3 : 2, length - 1));
}

// The Unicode character at the start of a text that is not empty.
char32_t firstCodePoint(QStringView text)
{
    const char16_t unit = text.front().unicode();
    if (QChar::isHighSurrogate(unit) && text.size() > 1 && QChar::isLowSurrogate(text[1].unicode()))
        return QChar::surrogateToUcs4(unit, text[1].unicode());
    return unit;
}

// The text's Unicode characters; a lone surrogate counts as one character.
void appendCodePoints(QStringView text, std::vector<char32_t> &points)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size()
            && QChar::isLowSurrogate(text[i + 1].unicode())) {
            points.push_back(QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
            ++i;
        } else {
            points.push_back(unit);
        }
    }
}

std::vector<char32_t> codePoints(QStringView text)
{
    std::vector<char32_t> points;
    points.reserve(size_t(text.size()));
    appendCodePoints(text, points);
    return points;
}

struct Candidate
{
    qint32 word = 0;
    int cost = 0;
};

// Every word of the trie at most `maxEdits` edits from the query (optimal string alignment: a
// swap of two neighbouring letters is one edit), in trie order, where cost = editWeight * edits +
// the letters typed that the word lacks. Row d of the table aligns a prefix of d letters with
// every prefix of the query; only the cells at most maxEdits off the diagonal can stay within
// reach, so a row keeps those 2 * maxEdits + 1 (cell k: query prefix d - maxEdits + k) and one
// more that is always out of reach. A cell outside the query is never written, and the first
// column (letters left out) is the same for every word.
std::vector<Candidate> wordsWithinEdits(const searchtables::WordTrie &trie,
                                        const std::vector<char32_t> &query,
                                        int maxEdits)
{
    std::vector<Candidate> found;
    const qsizetype m = qsizetype(query.size());
    if (maxEdits < 0 || m > qsizetype(trie.longestWord) + maxEdits)
        return found;
    const qsizetype width = 2 * maxEdits + 1;
    const qsizetype stride = width + 1;
    const int reach = editWeight * maxEdits + editWeight - 1;
    const qsizetype deepest = std::min<qsizetype>(m + maxEdits, trie.longestWord);
    std::vector<int> rows(size_t((deepest + 1) * stride), beyondReach);
    std::vector<char32_t> path(size_t(deepest + 1));
    path[0] = char32_t(-1); // no letter: a swap needs two
    // The cost of typing query[j - 1] where the word has no letter: a letter typed twice in a
    // row is as common a slip as one left out.
    std::vector<int> addedAt(size_t(m + 1), 0);
    for (qsizetype j = 1; j <= m; ++j)
        addedAt[size_t(j)]
            = j >= 2 && query[size_t(j - 1)] == query[size_t(j - 2)] ? omitted : added;
    for (qsizetype j = 0, cost = 0; j <= std::min<qsizetype>(m, maxEdits); ++j) {
        cost += addedAt[size_t(j)];
        rows[size_t(maxEdits + j)] = int(cost);
    }
    for (qsizetype depth = 1; depth <= std::min<qsizetype>(maxEdits, deepest); ++depth)
        rows[size_t(depth * stride + maxEdits - depth)] = omitted * int(depth);

    const searchtables::TrieNode *const nodes = trie.nodes.constData();
    const qsizetype count = trie.nodes.size();
    for (qsizetype n = 0; n < count;) {
        const searchtables::TrieNode &node = nodes[n];
        const qsizetype depth = node.depth;
        if (depth > deepest || qsizetype(node.longestBelow) + maxEdits < m) {
            n = node.end;
            continue;
        }
        const char32_t letter = node.letter;
        const char32_t previous = path[size_t(depth - 1)];
        path[size_t(depth)] = letter;
        int *const row = rows.data() + depth * stride;
        const int *const above = row - stride;
        // Row d - 2, read only where a swap is possible (from depth 2 on).
        const auto twoAbove = [&](qsizetype k) { return rows[size_t((depth - 2) * stride + k)]; };
        const qsizetype first = std::max<qsizetype>(maxEdits + 1 - depth, 0); // query prefix 1
        const qsizetype last = std::min(m + maxEdits - depth, width - 1); // the whole query
        int best = depth <= maxEdits ? omitted * int(depth) : beyondReach;
        int left = first > 0 ? row[first - 1] : beyondReach;
        for (qsizetype k = first, j = depth - maxEdits + first; k <= last; ++k, ++j) {
            int cost = above[k] + (letter == query[size_t(j - 1)] ? 0 : substituted);
            cost = std::min(cost, above[k + 1] + omitted);
            cost = std::min(cost, left + addedAt[size_t(j)]);
            if (j >= 2 && letter == query[size_t(j - 2)] && previous == query[size_t(j - 1)])
                cost = std::min(cost, twoAbove(k) + swapped);
            row[k] = cost;
            left = cost;
            best = std::min(best, cost);
        }
        if (best > reach) {
            n = node.end;
            continue;
        }
        const qsizetype end = m + maxEdits - depth;
        if (node.word >= 0 && end >= 0 && end < width && row[end] <= reach)
            found.push_back({node.word, row[end]});
        ++n;
    }
    return found;
}

// The suggestions of one query, each entry once: the first stage to find an entry keeps it.
class SuggestionCollector
{
public:
    explicit SuggestionCollector(int maxResults)
        : m_maxResults(maxResults)
    {
    }
    int maxResults() const { return m_maxResults; }
    bool isFull() const { return m_suggestions.size() >= m_maxResults; }
    bool contains(const DictionaryEntry *entry) const { return m_entries.contains(entry); }
    void add(const DictionaryEntry *entry, const QString &kind, int distance, int phrase)
    {
        if (isFull() || contains(entry))
            return;
        m_entries.insert(entry);
        m_suggestions.append({entry, kind, distance, phrase});
    }
    const QList<SpellingSuggestion> &suggestions() const { return m_suggestions; }

private:
    int m_maxResults;
    QList<SpellingSuggestion> m_suggestions;
    QSet<const DictionaryEntry *> m_entries;
};

// The `limit` best of the entries offered, each once, by the length of their text that holds the
// query, then the order they were offered in.
class ShortestHolders
{
public:
    struct Holder
    {
        qsizetype length = 0;
        const DictionaryEntry *entry = nullptr;
        int phrase = -1;
    };
    explicit ShortestHolders(int limit)
        : m_limit(size_t(limit))
    {
    }
    void offer(qsizetype length, const DictionaryEntry *entry, int phrase)
    {
        const auto known = std::find_if(m_kept.begin(), m_kept.end(), [&](const Holder &holder) {
            return holder.entry == entry;
        });
        if (known != m_kept.end()) {
            if (known->length <= length)
                return;
            m_kept.erase(known);
        }
        if (m_kept.size() >= m_limit && length >= m_kept.back().length)
            return;
        const auto at = std::upper_bound(
            m_kept.begin(), m_kept.end(), length, [](qsizetype value, const Holder &holder) {
                return value < holder.length;
            });
        m_kept.insert(at, {length, entry, phrase});
        if (m_kept.size() > m_limit)
            m_kept.pop_back();
    }
    const std::vector<Holder> &kept() const { return m_kept; }

private:
    size_t m_limit;
    std::vector<Holder> m_kept;
};

} // namespace

void searchtables::buildWordTrie(WordTrie &wordTrie,
                                 const QList<const QString *> &wordKeysInFileOrder)
{
    // Every key's characters in one buffer, key i at [starts[i], starts[i + 1]).
    std::vector<char32_t> letters;
    std::vector<size_t> starts{0};
    starts.reserve(size_t(wordKeysInFileOrder.size()) + 1);
    for (const QString *wordKey : wordKeysInFileOrder) {
        appendCodePoints(*wordKey, letters);
        starts.push_back(letters.size());
    }
    const auto wordAt = [&](qint32 word) {
        return std::make_pair(letters.cbegin() + qsizetype(starts[size_t(word)]),
                              letters.cbegin() + qsizetype(starts[size_t(word) + 1]));
    };
    std::vector<qint32> sorted(size_t(wordKeysInFileOrder.size()));
    std::iota(sorted.begin(), sorted.end(), 0);
    sorted.erase(std::remove_if(
                     sorted.begin(),
                     sorted.end(),
                     [&](qint32 word) { return starts[size_t(word)] == starts[size_t(word) + 1]; }),
                 sorted.end());
    std::sort(sorted.begin(), sorted.end(), [&](qint32 a, qint32 b) {
        const auto [aBegin, aEnd] = wordAt(a);
        const auto [bBegin, bEnd] = wordAt(b);
        return std::lexicographical_compare(aBegin, aEnd, bBegin, bEnd);
    });

    QList<TrieNode> &nodes = wordTrie.nodes;
    nodes.clear();
    nodes.reserve(qsizetype(letters.size() / 2));
    std::vector<qsizetype> open{0}; // open[d]: the node at depth d on the path to the current word
    qsizetype previousLength = 0;
    qint32 previous = -1;
    for (const qint32 word : sorted) {
        const auto [begin, end] = wordAt(word);
        const qsizetype length = end - begin;
        qsizetype common = 0;
        if (previous >= 0) {
            const auto previousBegin = wordAt(previous).first;
            while (common < length && common < previousLength
                   && begin[common] == previousBegin[common])
                ++common;
        }
        for (qsizetype depth = previousLength; depth > common; --depth)
            nodes[open[size_t(depth)]].end = quint32(nodes.size());
        open.resize(size_t(length) + 1);
        for (qsizetype depth = common + 1; depth <= length; ++depth) {
            open[size_t(depth)] = nodes.size();
            nodes.append({begin[depth - 1], quint32(depth), 0, -1, 0});
        }
        nodes[open[size_t(length)]].word = word;
        wordTrie.longestWord = std::max(wordTrie.longestWord, quint32(length));
        previous = word;
        previousLength = length;
    }
    for (qsizetype depth = previousLength; depth > 0; --depth)
        nodes[open[size_t(depth)]].end = quint32(nodes.size());
    // The longest word of each subtree, from the last node back: a node's children follow it.
    for (qsizetype n = nodes.size() - 1; n >= 0; --n) {
        TrieNode &node = nodes[n];
        quint32 longest = node.word >= 0 ? node.depth : 0;
        for (quint32 child = quint32(n) + 1; child < node.end; child = nodes.at(child).end)
            longest = std::max(longest, nodes.at(child).longestBelow);
        node.longestBelow = longest;
    }
    nodes.squeeze();
}

namespace {

using WordIndex = QHash<QString, DictionaryEntry>;

const DictionaryEntry *storedEntry(const WordIndex &wordIndex, const QString &wordKey)
{
    const auto found = wordIndex.constFind(wordKey);
    return found == wordIndex.cend() ? nullptr : &found.value();
}

// The words within reach of the lowered query: fewest edits, then fewest letters typed that the
// word lacks, then a word that keeps the query's first letter (typists seldom miss the first),
// then the word's first line.
void addSpellingSuggestions(const searchtables::WordTrie &trie,
                            const QList<const QString *> &wordKeys,
                            const WordIndex &wordIndex,
                            const QString &loweredQuery,
                            SuggestionCollector &collector)
{
    const std::vector<char32_t> query = codePoints(loweredQuery);
    struct Ranked
    {
        int cost = 0;
        bool otherFirstLetter = false;
        qint32 word = 0;
    };
    std::vector<Ranked> ranked;
    for (const Candidate &candidate :
         wordsWithinEdits(trie, query, editsAllowed(qsizetype(query.size())))) {
        const bool otherFirstLetter = firstCodePoint(*wordKeys.at(candidate.word)) != query.front();
        ranked.push_back({candidate.cost, otherFirstLetter, candidate.word});
    }
    std::sort(ranked.begin(), ranked.end(), [](const Ranked &a, const Ranked &b) {
        if (a.cost != b.cost)
            return a.cost < b.cost;
        if (a.otherFirstLetter != b.otherFirstLetter)
            return b.otherFirstLetter;
        return a.word < b.word;
    });
    const QString kind = QStringLiteral("spelling");
    for (const Ranked &word : ranked) {
        if (collector.isFull())
            return;
        if (const DictionaryEntry *entry = storedEntry(wordIndex, *wordKeys.at(word.word)))
            collector.add(entry, kind, word.cost / editWeight, -1);
    }
}

using TranslationIndex = QHash<QString, QList<QString>>;

// The entries listed under the whole translation `text`.
void addWholeTranslation(const TranslationIndex &chineseIndex,
                         const WordIndex &wordIndex,
                         const QString &text,
                         SuggestionCollector &collector)
{
    const auto listed = chineseIndex.constFind(text);
    if (listed == chineseIndex.cend())
        return;
    const QString kind = QStringLiteral("translation");
    for (const QString &wordKey : listed.value()) {
        if (const DictionaryEntry *entry = storedEntry(wordIndex, wordKey.toLower()))
            collector.add(entry, kind, 0, -1);
    }
}

// The entries with a phrase translation that is `text` whole, in line order, with that phrase.
void addWholePhraseTranslation(const ConlangDictionary &dictionary,
                               const QString &text,
                               SuggestionCollector &collector)
{
    QList<const DictionaryEntry *> entries;
    for (const SearchResult &result : dictionary.findPhraseTranslation(text))
        entries.append(result.entry);
    std::sort(
        entries.begin(), entries.end(), [](const DictionaryEntry *a, const DictionaryEntry *b) {
            return a->number < b->number;
        });
    const QString kind = QStringLiteral("phrase_translation");
    for (const DictionaryEntry *entry : std::as_const(entries)) {
        const auto &translations = entry->phraseTranslations;
        const auto phrase = std::find_if(
            translations.cbegin(), translations.cend(), [&](const QString &translation) {
                return QStringView(translation).trimmed() == text;
            });
        collector.add(entry, kind, 0, int(phrase - translations.cbegin()));
    }
}

// The entries whose translation holds `text`, by their shortest such translation, then by its
// first line.
void addTranslationsContaining(const searchtables::TranslationTable &table,
                               const WordIndex &wordIndex,
                               const QString &text,
                               SuggestionCollector &collector)
{
    ShortestHolders holders(collector.maxResults());
    const QStringView all(table.text);
    qsizetype at = all.indexOf(text);
    while (at >= 0) {
        // The translation holding `at` is the last one that starts at or before it.
        const auto next = std::upper_bound(table.starts.cbegin(), table.starts.cend(), at);
        const qsizetype index = next - table.starts.cbegin() - 1;
        const qsizetype start = table.starts.at(index);
        const qsizetype end = next == table.starts.cend() ? all.size() - 1 : *next - 1;
        if (at + text.size() <= end) {
            for (const QString &wordKey : *table.wordKeys.at(index)) {
                const DictionaryEntry *entry = storedEntry(wordIndex, wordKey.toLower());
                if (entry && !collector.contains(entry))
                    holders.offer(end - start, entry, -1);
            }
        }
        at = next == table.starts.cend() ? -1 : all.indexOf(text, *next);
    }
    const QString kind = QStringLiteral("translation_partial");
    for (const ShortestHolders::Holder &holder : holders.kept())
        collector.add(holder.entry, kind, 0, -1);
}

// The entries with a phrase translation holding `text`, each by its shortest such phrase
// translation (the first of equal ones): the shortest first, then in line order.
void addPhraseTranslationsContaining(const searchtables::PhraseTables &tables,
                                     const QString &text,
                                     SuggestionCollector &collector)
{
    const QStringView all(tables.trimmedTranslations);
    const searchtables::PhraseRow *const rows = tables.rows.constData();
    const qsizetype rowCount = tables.rows.size();
    // Each row's text is followed by a blank.
    const auto rowText = [&](qsizetype row) {
        const qsizetype start = rows[row].translationOffset;
        const qsizetype end = row + 1 == rowCount ? all.size() : rows[row + 1].translationOffset;
        return all.sliced(start, end - start - 1);
    };
    ShortestHolders holders(collector.maxResults());
    qsizetype row = 0;
    qsizetype at = all.indexOf(text);
    while (at >= 0) {
        while (row + 1 < rowCount && rows[row + 1].translationOffset <= at)
            ++row;
        const DictionaryEntry *entry = rows[row].entry;
        qsizetype last = row;
        while (last + 1 < rowCount && rows[last + 1].entry == entry)
            ++last;
        const qsizetype rowEnd = rows[row].translationOffset + rowText(row).size();
        if (!entry || at + text.size() > rowEnd) {
            // Runs past the end of its row, or the row's record was replaced: look on.
            at = all.indexOf(text, at + 1);
            continue;
        }
        if (!collector.contains(entry)) {
            qsizetype shortest = -1;
            int phrase = -1;
            for (qsizetype i = row; i <= last; ++i) {
                const QStringView translation = rowText(i);
                if (translation.contains(text) && (shortest < 0 || translation.size() < shortest)) {
                    shortest = translation.size();
                    phrase = int(searchtables::phraseIndexOf(tables, rows + i));
                }
            }
            holders.offer(shortest, entry, phrase);
        }
        at = last + 1 < rowCount ? all.indexOf(text, rows[last + 1].translationOffset) : -1;
    }
    const QString kind = QStringLiteral("phrase_translation_partial");
    for (const ShortestHolders::Holder &holder : holders.kept())
        collector.add(holder.entry, kind, 0, holder.phrase);
}

} // namespace

QList<SpellingSuggestion> ConlangDictionary::spellingSuggestions(
    const QString &query, int maxResults, const QString &simplifiedQuery) const
{
    const QString text = query.trimmed();
    if (maxResults <= 0 || text.isEmpty() || isInteger(text))
        return {};
    if (wordIndex.contains(text.toLower()) || chineseIndex.contains(text))
        return {};
    const QString simplified = simplifiedQuery.trimmed();
    const bool variant = !simplified.isEmpty() && simplified != text;
    SuggestionCollector collector(maxResults);
    if (variant) {
        addWholeTranslation(chineseIndex, wordIndex, simplified, collector);
        addWholePhraseTranslation(*this, simplified, collector);
    }
    addWholePhraseTranslation(*this, text, collector);
    if (!isMainlyChinese(text)) {
        SearchTables &tables = *m_searchTables;
        std::call_once(tables.wordTrieBuilt, [&] {
            searchtables::buildWordTrie(tables.wordTrie, tables.fuzzyTables.allWordKeys);
        });
        addSpellingSuggestions(
            tables.wordTrie, tables.fuzzyTables.allWordKeys, wordIndex, text.toLower(), collector);
    }
    if (variant && isMainlyChinese(simplified)) {
        addTranslationsContaining(
            m_searchTables->translationTable, wordIndex, simplified, collector);
        addPhraseTranslationsContaining(m_searchTables->phraseTables, simplified, collector);
    }
    if (isMainlyChinese(text))
        addPhraseTranslationsContaining(m_searchTables->phraseTables, text, collector);
    return collector.suggestions();
}

#include "ConlangDictionary.h"
#include "ConlangDictionary_p.h"

#include <algorithm>
#include <utility>

namespace {

// After Qt's string hash the upper halves of the vector registers are dirty, which slows SSE code
// about threefold; the AVX2 build of the sweep does not pay that.
#if defined(__has_attribute)
#if __has_attribute(target_clones) && defined(__x86_64__) && !defined(__AVX2__)
#define WITH_AVX2_CLONE __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef WITH_AVX2_CLONE
#define WITH_AVX2_CLONE
#endif

// Start of the first occurrence of `key` (not empty) in `text` at or after `from`, or -1.
// Few starts hold the key's first, middle and last units at the right distances: blocks of 32
// starts are tested for that without a branch, which the compiler vectorises, and only the
// rare block that passes is searched one start at a time.
WITH_AVX2_CLONE qsizetype findKey(QStringView text, QStringView key, qsizetype from)
{
    const char16_t *units = text.utf16();
    const qsizetype length = key.size();
    const qsizetype starts = text.size() - length + 1; // the last start, plus one
    const qsizetype middle = length / 2;
    const char16_t firstUnit = key.front().unicode();
    const char16_t middleUnit = key[middle].unicode();
    const char16_t lastUnit = key.back().unicode();
    const auto keyAt = [&](qsizetype i) {
        return units[i] == firstUnit && units[i + middle] == middleUnit
            && units[i + length - 1] == lastUnit && QStringView(units + i, length) == key;
    };

    constexpr int block = 32;
    qsizetype i = from;
    for (; i + block <= starts; i += block) {
        const char16_t *firsts = units + i;
        const char16_t *middles = firsts + middle;
        const char16_t *lasts = firsts + length - 1;
        char16_t candidates = 0;
        for (int j = 0; j < block; ++j)
            candidates |= char16_t(firsts[j] == firstUnit) & char16_t(middles[j] == middleUnit)
                & char16_t(lasts[j] == lastUnit);
        if (!candidates)
            continue;
        for (qsizetype j = i; j < i + block; ++j) {
            if (keyAt(j))
                return j;
        }
    }
    for (; i < starts; ++i) {
        if (keyAt(i))
            return i;
    }
    return -1;
}

// text += phrase.toLower(), lowering plain ASCII in place without a temporary string.
void appendLowerCased(QString &text, const QString &phrase)
{
    const qsizetype start = text.size();
    text += phrase;
    char16_t *unit = reinterpret_cast<char16_t *>(text.data()) + start;
    char16_t *const end = unit + phrase.size();
    for (; unit != end; ++unit) {
        if (*unit >= 0x80) {
            text.truncate(start);
            text += phrase.toLower();
            return;
        }
        if (*unit >= u'A' && *unit <= u'Z')
            *unit += u'a' - u'A';
    }
}

// Calls visit with each blank-separated piece of a lowered phrase.
template<typename Visit> void forEachPiece(QStringView text, Visit visit)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u' ')
            continue;
        if (i > start)
            visit(text.sliced(start, i - start));
        start = i + 1;
    }
}

bool hasPiece(QStringView text, QStringView key)
{
    bool found = false;
    forEachPiece(text, [&](QStringView piece) { found = found || piece == key; });
    return found;
}

quint32 pieceBucket(QStringView piece, quint32 buckets)
{
    return quint32(qHash(piece, 0)) & (buckets - 1);
}

} // namespace

namespace searchtables {

void addPhraseRows(PhraseTables &phraseTables,
                   int lineNumber,
                   const QList<QString> &phrases,
                   const QList<QString> &phraseTranslations)
{
    PhraseTables &tables = phraseTables;
    tables.firstRowOfLine.resize(lineNumber + 1, -1);
    tables.firstRowOfLine[lineNumber] = tables.rows.size();
    for (qsizetype i = 0; i < phrases.size(); ++i) {
        tables.rows.append(
            {nullptr, tables.loweredPhrases.size(), tables.trimmedTranslations.size()});
        // Each text is followed by a blank: a row's ends then bound its pieces the way blanks do.
        appendLowerCased(tables.loweredPhrases, phrases.at(i));
        tables.loweredPhrases += u' ';
        tables.trimmedTranslations += QStringView(phraseTranslations.at(i)).trimmed();
        tables.trimmedTranslations += u' ';
    }
}

void linkPhraseRows(PhraseTables &phraseTables, const QHash<QString, DictionaryEntry> &wordIndex)
{
    PhraseTables &tables = phraseTables;
    tables.wordIndexPosition.resize(tables.firstRowOfLine.size(), -1);
    int position = 0;
    for (const DictionaryEntry &entry : std::as_const(wordIndex)) {
        tables.wordIndexPosition[entry.number] = position++;
        PhraseRow *row = tables.rows.data() + tables.firstRowOfLine.at(entry.number);
        for (qsizetype i = 0; i < entry.phrases.size(); ++i, ++row)
            row->entry = &entry;
    }
    indexPhrasePieces(phraseTables);
    // Growing by doubling may have left up to half of each buffer unused.
    tables.loweredPhrases.squeeze();
    tables.trimmedTranslations.squeeze();
    tables.rows.squeeze();
    tables.firstRowOfLine.squeeze();
    tables.wordIndexPosition.squeeze();
}

// Two passes over the phrase text: count the rows of each bucket, then place them. A row is
// listed once per bucket however many of its pieces fall into it.
void indexPhrasePieces(PhraseTables &phraseTables)
{
    PhraseTables &tables = phraseTables;
    const QStringView text(tables.loweredPhrases);
    const qsizetype rows = tables.rows.size();
    const auto rowText = [&](qsizetype row) {
        const qsizetype start = tables.rows.at(row).phraseOffset;
        const qsizetype end = row + 1 == rows ? text.size() : tables.rows.at(row + 1).phraseOffset;
        return text.sliced(start, end - start - 1);
    };
    qsizetype pieces = 0;
    for (qsizetype row = 0; row < rows; ++row)
        forEachPiece(rowText(row), [&](QStringView) { ++pieces; });
    quint32 buckets = 16;
    while (buckets < 1u << 30 && buckets < pieces / 4)
        buckets *= 2;

    QList<quint32> bucketsOfRows; // each row's distinct buckets, row after row
    bucketsOfRows.reserve(pieces);
    QList<qsizetype> rowEnds(rows);
    tables.pieceBucketStart = QList<quint32>(buckets + 1, 0);
    for (qsizetype row = 0; row < rows; ++row) {
        const qsizetype first = bucketsOfRows.size();
        forEachPiece(rowText(row), [&](QStringView piece) {
            const quint32 bucket = pieceBucket(piece, buckets);
            if (std::find(bucketsOfRows.cbegin() + first, bucketsOfRows.cend(), bucket)
                != bucketsOfRows.cend())
                return;
            bucketsOfRows.append(bucket);
            ++tables.pieceBucketStart[bucket + 1];
        });
        rowEnds[row] = bucketsOfRows.size();
    }
    for (quint32 bucket = 0; bucket < buckets; ++bucket)
        tables.pieceBucketStart[bucket + 1] += tables.pieceBucketStart[bucket];
    QList<quint32> next(tables.pieceBucketStart.cbegin(), tables.pieceBucketStart.cend() - 1);
    tables.pieceRows.resize(bucketsOfRows.size());
    qsizetype at = 0;
    for (qsizetype row = 0; row < rows; ++row) {
        for (; at < rowEnds.at(row); ++at)
            tables.pieceRows[next[bucketsOfRows.at(at)]++] = quint32(row);
    }
}

// The first row of each entry that holds the key as a piece (a key with a blank: that is the
// whole row), from the rows listed under the bucket of the key's first piece.
QList<RowHit> firstRowsWithPiece(const PhraseTables &phraseTables, QStringView key)
{
    const PhraseTables &tables = phraseTables;
    QList<RowHit> found;
    if (tables.pieceBucketStart.isEmpty())
        return found;
    const qsizetype blank = key.indexOf(u' ');
    const QStringView firstPiece = blank < 0 ? key : key.first(blank);
    const quint32 bucket = pieceBucket(firstPiece, quint32(tables.pieceBucketStart.size() - 1));
    const QStringView text(tables.loweredPhrases);
    const DictionaryEntry *answered = nullptr;
    for (quint32 i = tables.pieceBucketStart.at(bucket); i < tables.pieceBucketStart.at(bucket + 1);
         ++i) {
        const qsizetype index = tables.pieceRows.at(i);
        const PhraseRow &row = tables.rows.at(index);
        if (!row.entry || row.entry == answered)
            continue;
        const qsizetype end = index + 1 == tables.rows.size()
            ? text.size()
            : tables.rows.at(index + 1).phraseOffset;
        const RowHit hit{&row, row.phraseOffset, end - 1 - row.phraseOffset};
        const QStringView lowered = text.sliced(hit.offset, hit.length);
        if (blank < 0 ? hasPiece(lowered, key) : lowered == key) {
            found.append(hit);
            answered = row.entry;
        }
    }
    sortByWordIndexOrder(phraseTables, found);
    return found;
}

void sortByWordIndexOrder(const PhraseTables &phraseTables, QList<RowHit> &hits)
{
    const QList<int> &position = phraseTables.wordIndexPosition;
    std::sort(hits.begin(), hits.end(), [&](const RowHit &a, const RowHit &b) {
        return position.at(a.row->entry->number) < position.at(b.row->entry->number);
    });
}

qsizetype phraseIndexOf(const PhraseTables &phraseTables, const PhraseRow *row)
{
    return row
        - (phraseTables.rows.constData() + phraseTables.firstRowOfLine.at(row->entry->number));
}

// One sweep of the key over the whole text finds its occurrences in line order. With
// `betweenBlanksOnly`, an occurrence counts only with a blank or an end of the text on both sides,
// which every occurrence filling a whole row or a blank-separated piece has; that test needs no
// row. An occurrence that runs past the end of its row is none. The first row of an entry whose
// occurrence `accepts` is the entry's answer, and its later rows are skipped. The answers come in
// wordIndex's iteration order, as a walk through wordIndex would find them.
template<typename Accepts>
QList<RowHit> firstRowsHolding(const PhraseTables &phraseTables,
                               const QString &text,
                               RowOffset offset,
                               QStringView key,
                               bool betweenBlanksOnly,
                               Accepts accepts)
{
    QList<RowHit> found;
    const auto isBetweenBlanks = [&](qsizetype at) {
        const qsizetype after = at + key.size();
        return (at == 0 || text[at - 1] == u' ') && (after == text.size() || text[after] == u' ');
    };
    const auto startsAfter
        = [offset](qsizetype at, const PhraseRow &row) { return at < row.*offset; };
    const PhraseRow *row = phraseTables.rows.constData();
    const PhraseRow *const end = row + phraseTables.rows.size();
    qsizetype at = findKey(text, key, 0);
    while (at >= 0) {
        if (betweenBlanksOnly && !isBetweenBlanks(at)) {
            at = findKey(text, key, at + 1);
            continue;
        }
        // The row holding `at` is the last one that starts at or before it.
        row = std::upper_bound(row, end, at, startsAfter) - 1;
        const qsizetype rowEnd = (row + 1 == end ? text.size() : (row + 1)->*offset) - 1;
        const RowHit hit{row, row->*offset, rowEnd - row->*offset};
        if (!row->entry || at + key.size() > rowEnd || !accepts(hit, at)) {
            at = findKey(text, key, at + 1);
            continue;
        }
        found.append(hit);
        const DictionaryEntry *entry = row->entry;
        while (row != end && row->entry == entry)
            ++row;
        at = row == end ? -1 : findKey(text, key, row->*offset);
    }
    sortByWordIndexOrder(phraseTables, found);
    return found;
}

} // namespace searchtables

using searchtables::PhraseRow;
using searchtables::RowHit;

QList<SearchResult> ConlangDictionary::findPhrasesContainingWord(const QString &word) const
{
    const QString key = word.trimmed().toLower();
    if (key.isEmpty())
        return {};

    const searchtables::PhraseTables &phraseTables = m_searchTables->phraseTables;
    const QString &text = phraseTables.loweredPhrases;
    const QString exactWord = QStringLiteral("phrase_exact_word");
    const QString containsWord = QStringLiteral("phrase_contains_word");
    const QString leadingPiece = key + u' ';
    QList<SearchResult> results;
    for (const RowHit &hit : firstRowsWithPiece(phraseTables, key)) {
        const QStringView lowered = QStringView(text).sliced(hit.offset, hit.length);
        const DictionaryEntry *entry = hit.row->entry;
        const QString &phrase = entry->phrases.at(phraseIndexOf(phraseTables, hit.row));
        if (lowered == key)
            results.append(
                {entry, exactWord, 100.0, QStringLiteral("词组等于单词: %1").arg(phrase)});
        else
            results.append({entry,
                            containsWord,
                            lowered.startsWith(leadingPiece) ? 98.0 : 95.0,
                            QStringLiteral("词组包含: %1").arg(phrase)});
    }
    return results;
}

QList<SearchResult> ConlangDictionary::findExactPhrase(const QString &phrase) const
{
    const QString key = phrase.trimmed().toLower();
    if (key.isEmpty())
        return {};

    const searchtables::PhraseTables &phraseTables = m_searchTables->phraseTables;
    const QString &text = phraseTables.loweredPhrases;
    const auto isWholePhrase = [&](const RowHit &hit, qsizetype) {
        return QStringView(text).sliced(hit.offset, hit.length).trimmed() == key;
    };
    const QString matchType = QStringLiteral("phrase_exact_match");
    const QString highlight = QStringLiteral("完全匹配词组: %1").arg(phrase);
    QList<SearchResult> results;
    for (const RowHit &hit :
         firstRowsHolding(phraseTables, text, &PhraseRow::phraseOffset, key, false, isWholePhrase))
        results.append({hit.row->entry, matchType, 100.0, highlight});
    return results;
}

QList<SearchResult> ConlangDictionary::findPhraseTranslation(const QString &chinese) const
{
    const QString key = chinese.trimmed();
    if (key.isEmpty())
        return {};

    const searchtables::PhraseTables &phraseTables = m_searchTables->phraseTables;
    // The rows are trimmed already: one as long as the key that holds it equals it.
    const auto isWholeTranslation
        = [&](const RowHit &hit, qsizetype) { return hit.length == key.size(); };
    const QString matchType = QStringLiteral("phrase_translation_exact");
    const QString highlight = QStringLiteral("词组翻译: %1").arg(chinese);
    QList<SearchResult> results;
    for (const RowHit &hit : firstRowsHolding(phraseTables,
                                              phraseTables.trimmedTranslations,
                                              &PhraseRow::translationOffset,
                                              key,
                                              true,
                                              isWholeTranslation))
        results.append({hit.row->entry, matchType, 100.0, highlight});
    return results;
}

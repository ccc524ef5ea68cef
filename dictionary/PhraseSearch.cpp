#include "ConlangDictionary.h"

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

} // namespace

void ConlangDictionary::buildPhraseTables()
{
    loweredPhrases = {};
    trimmedTranslations = {};
    // Each row is followed by a blank: a row's ends then bound its pieces the way blanks do.
    const auto append =
        [](PhraseTable &table, const DictionaryEntry &entry, qsizetype index, const QString &text) {
            table.rows.append({&entry, index, table.text.size(), text.size()});
            table.text += text;
            table.text += u' ';
        };
    for (const DictionaryEntry &entry : std::as_const(wordIndex)) {
        for (qsizetype i = 0; i < entry.phrases.size(); ++i)
            append(loweredPhrases, entry, i, entry.phrases.at(i).toLower());
        for (qsizetype i = 0; i < entry.phraseTranslations.size(); ++i)
            append(trimmedTranslations, entry, i, entry.phraseTranslations.at(i).trimmed());
    }
    // Growing by doubling may have left up to half of each buffer unused.
    for (PhraseTable *table : {&loweredPhrases, &trimmedTranslations}) {
        table->text.squeeze();
        table->rows.squeeze();
    }
}

// One sweep of the key over the whole text finds its occurrences in table order. With
// `betweenBlanksOnly`, an occurrence counts only with a blank or an end of the text on both sides,
// which every occurrence filling a whole row or a blank-separated piece has; that test needs no
// row. An occurrence that runs past the end of its row is none. The first row of an entry whose
// occurrence `accepts` is the entry's answer, and its later rows are skipped.
template<typename Accepts>
QList<const ConlangDictionary::PhraseRow *> ConlangDictionary::firstRowsHolding(
    const PhraseTable &table, QStringView key, bool betweenBlanksOnly, Accepts accepts)
{
    QList<const PhraseRow *> found;
    const QStringView text(table.text);
    const auto isBetweenBlanks = [&](qsizetype at) {
        const qsizetype after = at + key.size();
        return (at == 0 || text[at - 1] == u' ') && (after == text.size() || text[after] == u' ');
    };
    const auto startsAfter = [](qsizetype at, const PhraseRow &row) { return at < row.offset; };
    const PhraseRow *row = table.rows.constData();
    const PhraseRow *const end = row + table.rows.size();
    qsizetype at = findKey(text, key, 0);
    while (at >= 0) {
        if (betweenBlanksOnly && !isBetweenBlanks(at)) {
            at = findKey(text, key, at + 1);
            continue;
        }
        // The row holding `at` is the last one that starts at or before it.
        row = std::upper_bound(row, end, at, startsAfter) - 1;
        if (at + key.size() > row->offset + row->length || !accepts(*row, at)) {
            at = findKey(text, key, at + 1);
            continue;
        }
        found.append(row);
        const DictionaryEntry *entry = row->entry;
        while (row != end && row->entry == entry)
            ++row;
        at = row == end ? -1 : findKey(text, key, row->offset);
    }
    return found;
}

QList<SearchResult> ConlangDictionary::findPhrasesContainingWord(const QString &word) const
{
    const QString key = word.trimmed().toLower();
    if (key.isEmpty())
        return {};

    // Between blanks, a key without a blank is a piece of its row; a key with a blank can only
    // be the whole row.
    const bool wholePhraseOnly = key.contains(u' ');
    const auto isPiece = [&](const PhraseRow &row, qsizetype at) {
        return !wholePhraseOnly || (at == row.offset && key.size() == row.length);
    };

    const QStringView text(loweredPhrases.text);
    const QString exactWord = QStringLiteral("phrase_exact_word");
    const QString containsWord = QStringLiteral("phrase_contains_word");
    const QString leadingPiece = key + u' ';
    QList<SearchResult> results;
    for (const PhraseRow *row : firstRowsHolding(loweredPhrases, key, true, isPiece)) {
        const QStringView lowered = text.sliced(row->offset, row->length);
        const QString &phrase = row->entry->phrases.at(row->phraseIndex);
        if (lowered == key)
            results.append(
                {row->entry, exactWord, 100.0, QStringLiteral("词组等于单词: %1").arg(phrase)});
        else
            results.append({row->entry,
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

    const QStringView text(loweredPhrases.text);
    const auto isWholePhrase = [&](const PhraseRow &row, qsizetype) {
        return text.sliced(row.offset, row.length).trimmed() == key;
    };
    const QString matchType = QStringLiteral("phrase_exact_match");
    const QString highlight = QStringLiteral("完全匹配词组: %1").arg(phrase);
    QList<SearchResult> results;
    for (const PhraseRow *row : firstRowsHolding(loweredPhrases, key, false, isWholePhrase))
        results.append({row->entry, matchType, 100.0, highlight});
    return results;
}

QList<SearchResult> ConlangDictionary::findPhraseTranslation(const QString &chinese) const
{
    const QString key = chinese.trimmed();
    if (key.isEmpty())
        return {};

    // The rows are trimmed already: one as long as the key that holds it equals it.
    const auto isWholeTranslation
        = [&](const PhraseRow &row, qsizetype) { return row.length == key.size(); };
    const QString matchType = QStringLiteral("phrase_translation_exact");
    const QString highlight = QStringLiteral("词组翻译: %1").arg(chinese);
    QList<SearchResult> results;
    for (const PhraseRow *row :
         firstRowsHolding(trimmedTranslations, key, true, isWholeTranslation))
        results.append({row->entry, matchType, 100.0, highlight});
    return results;
}

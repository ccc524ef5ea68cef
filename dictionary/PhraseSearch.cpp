#include "ConlangDictionary.h"

#include <QStringView>
#include <QVarLengthArray>
#include <QtAlgorithms>

#include <algorithm>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Every phrase search reads every phrase of the dictionary, and a smart search makes several of
// them, so this file is written for speed:
// - the lists and texts of the entries a few steps ahead are requested early, because the scan
//   is bound by memory latency (the texts of consecutive entries lie far apart);
// - nearly all phrases are ASCII, and lower-casing ASCII only maps A-Z to a-z, so ASCII phrases
//   are split and compared in place, folding the case on the fly, without a lower-cased copy;
// - several searches share one pass (findPhrasesInOnePass), each keeping its own first match.

namespace {

inline void prefetch(const void *address)
{
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    Q_UNUSED(address);
#endif
}

// The entries of the word index, in its iteration order. Taking their addresses reads only the
// hash's bookkeeping, not the entries.
QList<const DictionaryEntry *> entriesInOrder(const QHash<QString, DictionaryEntry> &wordIndex)
{
    QList<const DictionaryEntry *> entries;
    entries.reserve(wordIndex.size());
    for (const DictionaryEntry &entry : wordIndex)
        entries.append(&entry);
    return entries;
}

// Calls visit(entry) for every entry, in order. The entries some steps ahead are requested
// early in three stages, each reading what the one before requested: the entry itself, then
// its list, then the list's texts.
template<typename Visit>
void forEachEntry(const QList<const DictionaryEntry *> &entries,
                  QList<QString> DictionaryEntry::*texts,
                  Visit visit)
{
    constexpr qsizetype entryLead = 16;
    constexpr qsizetype listLead = 10;
    constexpr qsizetype textLead = 5;
    const qsizetype count = entries.size();
    for (qsizetype i = 0; i < count; ++i) {
        if (i + entryLead < count)
            prefetch(entries[i + entryLead]);
        if (i + listLead < count)
            prefetch((entries[i + listLead]->*texts).constData());
        if (i + textLead < count) {
            for (const QString &text : entries[i + textLead]->*texts)
                prefetch(text.constData());
        }
        visit(*entries[i]);
    }
}

bool isAscii(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// Whether ASCII text, lower-cased, equals `lowered`.
bool asciiLowerCasedEquals(QStringView asciiText, QStringView lowered)
{
    if (asciiText.size() != lowered.size())
        return false;
    for (qsizetype i = 0; i < asciiText.size(); ++i) {
        char16_t c = asciiText[i].unicode();
        if (c >= u'A' && c <= u'Z')
            c += u'a' - u'A';
        if (c != lowered[i].unicode())
            return false;
    }
    return true;
}

struct Piece
{
    qsizetype start;
    qsizetype length;
};
using Pieces = QVarLengthArray<Piece, 32>;

#if defined(__SSE2__)
// For the 8 units at `units`: false when one is not ASCII; otherwise bit i of `blanks` tells
// whether unit i is a blank.
inline bool asciiBlankMask(const char16_t *units, unsigned *blanks)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(units));
    const __m128i highBits = _mm_and_si128(v, _mm_set1_epi16(short(0xFF80)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(highBits, _mm_setzero_si128())) != 0xFFFF)
        return false;
    const __m128i isBlank = _mm_cmpeq_epi16(v, _mm_set1_epi16(' '));
    *blanks = unsigned(_mm_movemask_epi8(_mm_packs_epi16(isBlank, _mm_setzero_si128())));
    return true;
}
#endif

// Splits an ASCII phrase at blanks (U+0020), dropping empty pieces. False, with `pieces`
// unusable, when the phrase holds a unit that is not ASCII.
bool splitAsciiAtBlanks(QStringView phrase, Pieces &pieces)
{
    const char16_t *units = phrase.utf16();
    const qsizetype size = phrase.size();
    qsizetype start = 0;
    const auto blankAt = [&](qsizetype i) {
        if (i > start)
            pieces.append({start, i - start});
        start = i + 1;
    };

    qsizetype next = 0;
#if defined(__SSE2__)
    for (; next + 8 <= size; next += 8) {
        unsigned blanks;
        if (!asciiBlankMask(units + next, &blanks))
            return false;
        for (; blanks; blanks &= blanks - 1)
            blankAt(next + qCountTrailingZeroBits(blanks));
    }
    if (next < size && size >= 8) {
        // The last 8 units, overlapping what was seen: drop the bits of the units seen before.
        unsigned blanks;
        if (!asciiBlankMask(units + size - 8, &blanks))
            return false;
        for (blanks >>= next - (size - 8); blanks; blanks &= blanks - 1)
            blankAt(next + qCountTrailingZeroBits(blanks));
        next = size;
    }
#endif
    for (; next < size; ++next) {
        if (units[next] >= 0x80)
            return false;
        if (units[next] == u' ')
            blankAt(next);
    }
    if (size > start)
        pieces.append({start, size - start});
    return true;
}

enum class Kind { WordPiece, WordWithBlank, WholePhrase };
enum class Place { WholePhrase, FirstPiece, LaterPiece };

// The searches of one pass. A word without a blank is found as a blank-separated piece of a
// phrase; a word with a blank can only be the whole phrase; the exact phrase is compared with
// each phrase trimmed. All comparisons are with the phrase lower-cased.
class PhraseMatchers
{
public:
    PhraseMatchers(const QList<QString> &words, const QString &exactPhrase)
    {
        for (const QString &word : words) {
            const QString key = word.trimmed().toLower();
            add(key, key.contains(u' ') ? Kind::WordWithBlank : Kind::WordPiece);
        }
        if (!exactPhrase.isEmpty())
            add(exactPhrase.trimmed().toLower(), Kind::WholePhrase);
    }

    int count() const { return int(m_keys.size()); }
    int activeCount() const { return m_active; }

    // Calls hit(i, place) for every search i not yet `done` that the phrase answers, the
    // leftmost piece first. Returns whether a piece of the phrase, lower-cased, begins with
    // `initial`.
    template<typename Hit>
    bool match(const QString &phrase, const std::vector<char> &done, QChar initial, Hit hit) const
    {
        Pieces pieces;
        if (splitAsciiAtBlanks(phrase, pieces)) {
            matchAscii(phrase, pieces, done, hit);
            return std::any_of(pieces.cbegin(), pieces.cend(), [&](const Piece &piece) {
                char16_t c = phrase.at(piece.start).unicode();
                if (c >= u'A' && c <= u'Z')
                    c += u'a' - u'A';
                return c == initial.unicode();
            });
        }
        return matchLowerCased(phrase, done, initial, hit);
    }

private:
    void add(const QString &key, Kind kind)
    {
        const int index = int(m_keys.size());
        m_keys.append(key);
        m_kinds.append(kind);
        if (key.isEmpty())
            return; // an empty or blank argument finds nothing
        ++m_active;
        // Lower-cased ASCII is ASCII: other keys can never match an ASCII phrase.
        if (kind == Kind::WordPiece && isAscii(key)) {
            if (m_asciiWordsByLength.size() <= size_t(key.size()))
                m_asciiWordsByLength.resize(size_t(key.size()) + 1);
            m_asciiWordsByLength[size_t(key.size())].push_back(index);
        } else if (kind != Kind::WordPiece) {
            m_wholeMatchers.push_back(index);
        }
        if (kind == Kind::WordPiece)
            m_pieceMatchers.push_back(index);
    }

    template<typename Hit>
    void matchAscii(QStringView phrase,
                    const Pieces &pieces,
                    const std::vector<char> &done,
                    Hit hit) const
    {
        for (const Piece &piece : pieces) {
            if (size_t(piece.length) >= m_asciiWordsByLength.size())
                continue;
            for (int i : m_asciiWordsByLength[size_t(piece.length)]) {
                if (!done[size_t(i)]
                    && asciiLowerCasedEquals(phrase.sliced(piece.start, piece.length), m_keys[i]))
                    hit(i, placeOf(piece.start, piece.length, phrase.size()));
            }
        }
        for (int i : m_wholeMatchers) {
            const QStringView compared
                = m_kinds[i] == Kind::WholePhrase ? phrase.trimmed() : phrase;
            if (!done[size_t(i)] && asciiLowerCasedEquals(compared, m_keys[i]))
                hit(i, Place::WholePhrase);
        }
    }

    template<typename Hit>
    bool matchLowerCased(const QString &phrase,
                         const std::vector<char> &done,
                         QChar initial,
                         Hit hit) const
    {
        const QString lowered = phrase.toLower();
        bool hasInitial = false;
        for (QStringView piece : QStringView(lowered).tokenize(u' ', Qt::SkipEmptyParts)) {
            hasInitial = hasInitial || piece.front() == initial;
            const qsizetype start = piece.data() - lowered.data();
            for (int i : m_pieceMatchers) {
                if (!done[size_t(i)] && piece == m_keys[i])
                    hit(i, placeOf(start, piece.size(), lowered.size()));
            }
        }
        for (int i : m_wholeMatchers) {
            if (done[size_t(i)])
                continue;
            const bool equal = m_kinds[i] == Kind::WholePhrase
                ? phrase.trimmed().toLower() == m_keys[i]
                : lowered == m_keys[i];
            if (equal)
                hit(i, Place::WholePhrase);
        }
        return hasInitial;
    }

    static Place placeOf(qsizetype start, qsizetype length, qsizetype phraseLength)
    {
        if (start > 0)
            return Place::LaterPiece;
        return length == phraseLength ? Place::WholePhrase : Place::FirstPiece;
    }

    QList<QString> m_keys;
    QList<Kind> m_kinds;
    int m_active = 0;
    std::vector<std::vector<int>> m_asciiWordsByLength;
    std::vector<int> m_pieceMatchers;
    std::vector<int> m_wholeMatchers;
};

} // namespace

QList<QList<SearchResult>>
ConlangDictionary::findPhrasesInOnePass(const QList<QString> &words,
                                        const QString &exactPhrase,
                                        const PhraseRefs *onlyPhrases,
                                        QChar initial,
                                        PhraseRefs *phrasesWithInitial) const
{
    const PhraseMatchers matchers(words, exactPhrase);
    QList<QList<SearchResult>> results(matchers.count());
    if (matchers.activeCount() == 0 && !phrasesWithInitial)
        return results;

    const QString exactWord = QStringLiteral("phrase_exact_word");
    const QString containsWord = QStringLiteral("phrase_contains_word");
    const QString exactMatch = QStringLiteral("phrase_exact_match");
    const QString exactMatchText = QStringLiteral("完全匹配词组: %1").arg(exactPhrase);
    const int exactIndex = exactPhrase.isEmpty() ? -1 : matchers.count() - 1;

    // Each search keeps the first phrase of an entry that answers it.
    std::vector<char> done(size_t(matchers.count()));
    int pending = 0;
    const auto startEntry = [&] {
        std::fill(done.begin(), done.end(), 0);
        pending = matchers.activeCount();
    };
    const auto examine = [&](const DictionaryEntry &entry, const QString &phrase) {
        return matchers.match(phrase, done, initial, [&](int i, Place place) {
            done[size_t(i)] = 1;
            --pending;
            if (i == exactIndex)
                results[i].append({&entry, exactMatch, 100.0, exactMatchText});
            else if (place == Place::WholePhrase)
                results[i].append(
                    {&entry, exactWord, 100.0, QStringLiteral("词组等于单词: %1").arg(phrase)});
            else
                results[i].append({&entry,
                                   containsWord,
                                   place == Place::FirstPiece ? 98.0 : 95.0,
                                   QStringLiteral("词组包含: %1").arg(phrase)});
        });
    };

    if (onlyPhrases) {
        // The phrases are independent of each other: ask for them well ahead.
        constexpr qsizetype phraseLead = 24;
        const qsizetype count = onlyPhrases->size();
        const DictionaryEntry *current = nullptr;
        for (qsizetype i = 0; i < count; ++i) {
            if (i + phraseLead < count)
                prefetch(onlyPhrases->at(i + phraseLead).second->constData());
            const auto &[entry, phrase] = onlyPhrases->at(i);
            if (entry != current) {
                current = entry;
                startEntry();
            }
            if (pending > 0)
                examine(*entry, *phrase);
        }
        return results;
    }

    const auto visit = [&](const DictionaryEntry &entry) {
        startEntry();
        for (const QString &phrase : entry.phrases) {
            if (pending == 0 && !phrasesWithInitial)
                break;
            if (examine(entry, phrase) && phrasesWithInitial)
                phrasesWithInitial->append({&entry, &phrase});
        }
    };
    if (phrasesWithInitial)
        phrasesWithInitial->reserve(wordIndex.size());
    forEachEntry(entriesInOrder(wordIndex), &DictionaryEntry::phrases, visit);
    return results;
}

QList<SearchResult> ConlangDictionary::findPhrasesContainingWord(const QString &word) const
{
    return findPhrasesInOnePass({word}, QString()).constFirst();
}

QList<SearchResult> ConlangDictionary::findExactPhrase(const QString &phrase) const
{
    if (phrase.isEmpty())
        return {};
    return findPhrasesInOnePass({}, phrase).constLast();
}

QList<SearchResult> ConlangDictionary::findPhraseTranslation(const QString &chinese) const
{
    const QString trimmedQuery = chinese.trimmed();
    if (trimmedQuery.isEmpty())
        return {};

    const QString matchType = QStringLiteral("phrase_translation_exact");
    const QString highlight = QStringLiteral("词组翻译: %1").arg(chinese);
    // A shorter text cannot equal the query once trimmed; one of equal length must equal it as is.
    const auto matches = [&](const QString &translation) {
        const qsizetype size = translation.size();
        if (size == trimmedQuery.size())
            return translation == trimmedQuery;
        return size > trimmedQuery.size() && QStringView(translation).trimmed() == trimmedQuery;
    };
    QList<SearchResult> results;
    const auto visit = [&](const DictionaryEntry &entry) {
        const auto &translations = entry.phraseTranslations;
        if (std::any_of(translations.cbegin(), translations.cend(), matches))
            results.append({&entry, matchType, 100.0, highlight});
    };
    forEachEntry(entriesInOrder(wordIndex), &DictionaryEntry::phraseTranslations, visit);
    return results;
}

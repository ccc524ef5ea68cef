#include "ConlangDictionary.h"
#include "ConlangDictionary_p.h"

#include "WeightedRatio.h"

#include <QSemaphore>
#include <QStringEncoder>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <numeric>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// Converts words to UTF-8 into one reused buffer instead of a new byte array each.
class Utf8Buffer
{
public:
    std::string_view encode(const QString &text)
    {
        m_bytes.resize(size_t(m_encoder.requiredSpace(text.size())));
        char *end = m_encoder.appendToBuffer(m_bytes.data(), text);
        return std::string_view(m_bytes.data(), size_t(end - m_bytes.data()));
    }

private:
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    std::string m_bytes;
};

class CandidateTableWriter
{
public:
    explicit CandidateTableWriter(qsizetype words) { m_table.ends.reserve(words); }
    void append(const QString &wordKey)
    {
        const std::string_view bytes = m_utf8.encode(wordKey);
        m_table.bytes.append(bytes.data(), qsizetype(bytes.size()));
        m_table.ends.append(quint32(m_table.bytes.size()));
        m_table.byteKinds.append(similarity::byteKinds(bytes));
    }
    template<typename Table> Table finish()
    {
        m_table.bytes.squeeze();
        m_table.byteKinds.squeeze();
        Table table;
        table.bytes = m_table.bytes;
        table.ends = m_table.ends;
        table.byteKinds = m_table.byteKinds;
        return table;
    }

private:
    struct
    {
        QByteArray bytes;
        QList<quint32> ends;
        QList<quint64> byteKinds;
    } m_table;
    Utf8Buffer m_utf8;
};

// A table of candidate words as the scoring loop reads it.
struct CandidateView
{
    const char *bytes = nullptr;
    const quint32 *ends = nullptr;
    const quint64 *byteKinds = nullptr;
    const quint32 *tieRanks = nullptr; // none: the position is the rank
    qsizetype count = 0;
    // Every this many words are looked at first (0: none); see bestCandidates.
    qsizetype sampleStride = 0;

    qsizetype rank(qsizetype i) const { return tieRanks ? qsizetype(tieRanks[i]) : i; }

    std::string_view word(qsizetype i) const
    {
        const quint32 start = i == 0 ? 0 : ends[i - 1];
        return std::string_view(bytes + start, ends[i] - start);
    }
};

// A candidate's score, its rank among equal scores (the word's first line) and its place in the
// table. Of two equal scores the lower rank goes first, so the best `limit` are one
// well-defined set whatever order the table is scanned in.
struct RankedCandidate
{
    double score = 0.0;
    qsizetype rank = 0;
    qsizetype position = 0;
};

bool ranksBefore(const RankedCandidate &a, const RankedCandidate &b)
{
    return a.score > b.score || (a.score == b.score && a.rank < b.rank);
}

// The lowest score kept by any part of a search split over threads, once that part holds its
// full list: a candidate scoring strictly below it is beaten by a whole list and cannot be
// among the best. Strictly below only, as an equal score may still enter by an earlier place.
class SharedBar
{
public:
    double value() const { return m_lowestKept.load(std::memory_order_relaxed); }
    void raise(double lowestKept)
    {
        double current = value();
        while (lowestKept > current
               && !m_lowestKept.compare_exchange_weak(
                   current, lowestKept, std::memory_order_relaxed)) { }
    }

private:
    std::atomic<double> m_lowestKept{0.0};
};

// The best `limit` candidates at or above the threshold seen so far; the worst of them on top.
class BestCandidates
{
public:
    BestCandidates(qsizetype limit, double threshold, SharedBar &shared)
        : m_limit(size_t(limit))
        , m_threshold(threshold)
        , m_shared(shared)
    {
    }
    // A score at or below this cannot be among the best, whatever its position.
    double bar() const
    {
        const double lowest = m_heap.size() < m_limit ? m_threshold : m_heap.front().score;
        // Just below: a score equal to the lowest kept may still enter by a lower rank.
        const double own = lowest > 0.0 ? lowest * (1.0 - 1e-9) : -1.0;
        return std::max(own, m_shared.value() * (1.0 - 1e-9));
    }
    // Whether a candidate whose score is at most `bound` could still be among the best.
    bool admits(double bound, qsizetype rank) const
    {
        if (!(bound >= m_threshold) || bound < m_shared.value())
            return false;
        return m_heap.size() < m_limit || ranksBefore({bound, rank, 0}, m_heap.front());
    }
    void offer(double score, qsizetype rank, qsizetype position)
    {
        if (!admits(score, rank))
            return;
        if (m_heap.size() == m_limit) {
            std::pop_heap(m_heap.begin(), m_heap.end(), ranksBefore);
            m_heap.pop_back();
        }
        m_heap.push_back({score, rank, position});
        std::push_heap(m_heap.begin(), m_heap.end(), ranksBefore);
        if (m_heap.size() == m_limit)
            m_shared.raise(m_heap.front().score);
    }
    std::vector<RankedCandidate> bestFirst()
    {
        std::sort_heap(m_heap.begin(), m_heap.end(), ranksBefore);
        return std::move(m_heap);
    }

private:
    std::size_t m_limit;
    double m_threshold;
    SharedBar &m_shared;
    std::vector<RankedCandidate> m_heap;
};

// The most a candidate of `length` bytes can score against a query of `queryLength` bytes:
// the partial ratio's scale caps the score of lengths 1.5 and 8 times apart or more.
double lengthCap(std::size_t queryLength, std::size_t length)
{
    const std::size_t shorter = std::min(queryLength, length);
    if (shorter == 0)
        return 0.0;
    const double lengthRatio = double(std::max(queryLength, length)) / double(shorter);
    if (lengthRatio < 1.5)
        return 100.0;
    return 100.0 * (lengthRatio <= 8.0 ? 0.9 : 0.6);
}

// The best-scoring candidates of a table, exactly as scoring every one and keeping the best
// would give them. A first pass reads only lengths and kinds of byte and settles the words that
// occur in the query (or hold it); the others wait with an upper bound of their score, and are
// scored, highest bound first, only while that bound could still make the list.
std::vector<RankedCandidate> bestCandidates(const CandidateView &table,
                                            qsizetype begin,
                                            qsizetype end,
                                            const similarity::WeightedRatioScorer &scorer,
                                            int maxResults,
                                            double threshold,
                                            SharedBar &shared)
{
    BestCandidates best(maxResults, threshold, shared);
    const std::size_t queryLength = scorer.query().size();
    const quint64 queryKinds = similarity::byteKinds(scorer.query());
    std::vector<std::pair<double, qsizetype>> waiting;
    // Inlined into both loops: a call per word would cost the one-letter queries a third more.
    const auto lookAt = [&](qsizetype i) __attribute__((always_inline))
    {
        const std::string_view word = table.word(i);
        // No byte in common, not even white space: every ratio is 0.
        if (!(table.byteKinds[i] & queryKinds)) {
            best.offer(0.0, table.rank(i), i);
            return;
        }
        if (!best.admits(lengthCap(queryLength, word.size()), table.rank(i)))
            return;
        const similarity::ScoreBound bound = scorer.bound(word);
        if (bound.exact)
            best.offer(bound.bound, table.rank(i), i);
        else if (best.admits(bound.bound, table.rank(i)))
            waiting.emplace_back(bound.bound, i);
    };
    // A table in rank order passes over a word that only ties with the kept ones at once, which
    // matters where hundreds tie. But the good words of a pasted text may all lie in one part of
    // the files: a sample spread over the table first lets the bar rise before the scan gets
    // there. Which words are looked at first changes no answer, only the work.
    const qsizetype stride = table.sampleStride;
    if (stride > 0) {
        for (qsizetype i = begin; i < end; i += stride)
            lookAt(i);
    }
    qsizetype sampled = stride > 0 ? begin : end;
    for (qsizetype i = begin; i < end; ++i) {
        if (i == sampled) {
            sampled += stride;
            continue;
        }
        lookAt(i);
    }
    // Highest bounds first, a point of score at a time (a counting sort into 102 bands): once a
    // band lies below every kept score, so do all that remain.
    constexpr int bands = 102;
    const auto bandOf = [](double bound) { return std::clamp(int(bound), 0, bands - 1); };
    std::vector<qsizetype> bandStart(bands + 1, 0);
    for (const auto &[bound, position] : waiting)
        ++bandStart[bandOf(bound) + 1];
    for (int band = 0; band < bands; ++band)
        bandStart[band + 1] += bandStart[band];
    std::vector<std::pair<double, qsizetype>> byBand(waiting.size());
    std::vector<qsizetype> next(bandStart.begin(), bandStart.end() - 1);
    for (const auto &entry : waiting)
        byBand[size_t(next[bandOf(entry.first)]++)] = entry;
    for (int band = bands - 1; band >= 0; --band) {
        if (!best.admits(double(band + 1), -1))
            break;
        for (qsizetype i = bandStart[band]; i < bandStart[band + 1]; ++i) {
            const auto [bound, position] = byBand[size_t(i)];
            const qsizetype rank = table.rank(position);
            if (best.admits(bound, rank))
                best.offer(scorer.score(table.word(position), best.bar()), rank, position);
        }
    }
    return best.bestFirst();
}

// The whole vocabulary is looked at one word in this many first (bestCandidates).
constexpr qsizetype wholeVocabularySampleStride = 64;

// Below this many candidates a second thread costs more than it saves.
constexpr qsizetype wordsWorthAThread = 16384;

// The best candidates of the whole table; a large table is searched in two halves at once, on
// this thread and one of the thread pool's. The best of the table are among the best of their
// half, with exact scores there, so the answer does not depend on the split; each half passes
// over what the other's full list already beats. Where the pool has no free thread, this thread
// searches both halves in turn rather than wait for one.
std::vector<RankedCandidate> bestCandidatesOfTable(const CandidateView &table,
                                                   const similarity::WeightedRatioScorer &scorer,
                                                   int maxResults,
                                                   double threshold,
                                                   qsizetype worthAThread)
{
    SharedBar shared;
    if (table.count < worthAThread)
        return bestCandidates(table, 0, table.count, scorer, maxResults, threshold, shared);
    const qsizetype half = table.count / 2;
    std::vector<RankedCandidate> second;
    QSemaphore secondDone;
    const auto searchSecondHalf = [&] {
        second = bestCandidates(table, half, table.count, scorer, maxResults, threshold, shared);
        secondDone.release();
    };
    if (!QThreadPool::globalInstance()->tryStart(searchSecondHalf))
        searchSecondHalf();
    std::vector<RankedCandidate> found
        = bestCandidates(table, 0, half, scorer, maxResults, threshold, shared);
    secondDone.acquire();
    found.insert(found.end(), second.begin(), second.end());
    std::sort(found.begin(), found.end(), ranksBefore);
    found.resize(std::min(found.size(), std::size_t(maxResults)));
    return found;
}

} // namespace

using searchtables::CandidateWords;

namespace {

// The rank of each place of a letterIndex list among equal scores: its place, except that each
// word's repeats follow its first place, so a repeated word's pairs stay together. Empty when
// that changes nothing, as in every dictionary without repeated words.
QList<quint32> ranksWithRepeatsGrouped(const QList<QString> &wordKeys)
{
    // Two flat arrays and one hash rather than a list per word: the load's memory stays flat.
    QHash<QString, quint32> firstPlaceOfWord;
    firstPlaceOfWord.reserve(wordKeys.size());
    std::vector<quint32> firstPlace(size_t(wordKeys.size()));
    for (qsizetype i = 0; i < wordKeys.size(); ++i) {
        auto known = firstPlaceOfWord.constFind(wordKeys.at(i));
        if (known == firstPlaceOfWord.cend())
            known = firstPlaceOfWord.insert(wordKeys.at(i), quint32(i));
        firstPlace[size_t(i)] = *known;
    }
    if (std::is_sorted(firstPlace.cbegin(), firstPlace.cend()))
        return {};
    std::vector<quint32> byRank(firstPlace.size());
    std::iota(byRank.begin(), byRank.end(), quint32(0));
    std::stable_sort(byRank.begin(), byRank.end(), [&](quint32 a, quint32 b) {
        return firstPlace[a] < firstPlace[b];
    });
    QList<quint32> ranks(wordKeys.size());
    for (size_t rank = 0; rank < byRank.size(); ++rank)
        ranks[byRank[rank]] = quint32(rank);
    return ranks;
}

} // namespace

void searchtables::buildFuzzyTables(FuzzyTables &fuzzyTables,
                                    const QSet<QString> &wordSet,
                                    const QHash<QChar, QList<QString>> &letterIndex,
                                    const QList<QString> &wordKeysInFileOrder,
                                    bool hasRepeatedWords)
{
    // Each word once, by its first line: the table's order is the order of equal scores.
    CandidateTableWriter all(wordKeysInFileOrder.size());
    QList<const QString *> allKeys;
    allKeys.reserve(wordKeysInFileOrder.size());
    for (const QString &wordKey : wordKeysInFileOrder) {
        all.append(wordKey);
        allKeys.append(&*wordSet.constFind(wordKey));
    }
    fuzzyTables.allWords = all.finish<CandidateWords>();
    fuzzyTables.allWordKeys = std::move(allKeys);
    fuzzyTables.byFirstLetter.reserve(letterIndex.size());
    for (auto bucket = letterIndex.cbegin(); bucket != letterIndex.cend(); ++bucket) {
        CandidateTableWriter words(bucket->size());
        for (const QString &wordKey : *bucket)
            words.append(wordKey);
        CandidateWords table = words.finish<CandidateWords>();
        if (hasRepeatedWords)
            table.tieRanks = ranksWithRepeatsGrouped(*bucket);
        fuzzyTables.byFirstLetter.insert(bucket.key(), std::move(table));
    }
}

QList<std::pair<QString, double>>
ConlangDictionary::fuzzyWordSearch(const QString &query, int maxResults, double threshold) const
{
    QList<std::pair<QString, double>> matches;
    if (query.isEmpty() || maxResults <= 0)
        return matches;

    const QString loweredQuery = query.toLower();
    const similarity::WeightedRatioScorer scorer(loweredQuery.toStdString());
    const searchtables::FuzzyTables &fuzzyTables = m_searchTables->fuzzyTables;

    // Only words sharing the first letter are compared, unless no word starts with it.
    const auto bucket = fuzzyTables.byFirstLetter.constFind(loweredQuery.at(0));
    const bool inBucket = bucket != fuzzyTables.byFirstLetter.cend();
    const CandidateWords &table = inBucket ? bucket.value() : fuzzyTables.allWords;
    const QList<QString> *bucketKeys = inBucket ? &*letterIndex.constFind(bucket.key()) : nullptr;
    const CandidateView view{table.bytes.constData(),
                             table.ends.constData(),
                             table.byteKinds.constData(),
                             table.tieRanks.isEmpty() ? nullptr : table.tieRanks.constData(),
                             table.ends.size(),
                             inBucket ? 0 : wholeVocabularySampleStride};
    for (const RankedCandidate &found :
         bestCandidatesOfTable(view, scorer, maxResults, threshold, wordsWorthAThread)) {
        const QString &wordKey = bucketKeys ? bucketKeys->at(found.position)
                                            : *fuzzyTables.allWordKeys.at(found.position);
        matches.append({wordKey, found.score});
    }
    return matches;
}

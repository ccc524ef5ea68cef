#include "WeightedRatio.h"

#include "BitParallelLcs.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#ifdef SIMILARITY_WITH_RAPIDFUZZ
#include <rapidfuzz/fuzz.hpp>
#endif

// Every score below is built from indel distances (insertions and deletions only),
// d(a, b) = |a| + |b| - 2 * LCS(a, b). The two normalisations are deliberately
// different floating-point expressions: scores must equal RapidFuzz's to the last bit.

namespace similarity {
namespace {

constexpr bool isWhitespace(unsigned char byte)
{
    return (byte >= 0x09 && byte <= 0x0D) || (byte >= 0x1C && byte <= 0x20);
}

// isWhitespace of every byte value, for the loops over whole texts.
constexpr std::array<bool, 256> whitespaceBytes = [] {
    std::array<bool, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte)
        table[byte] = isWhitespace(static_cast<unsigned char>(byte));
    return table;
}();

bool containsWhitespace(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        return isWhitespace(static_cast<unsigned char>(c));
    });
}

// (1 - d / (|a| + |b|)) * 100, in this order.
double ratioFromLcs(std::size_t lcs, std::size_t length1, std::size_t length2)
{
    const std::size_t total = length1 + length2;
    if (total == 0)
        return 100.0;
    const std::size_t distance = total - 2 * lcs;
    return (1.0 - static_cast<double>(distance) / static_cast<double>(total)) * 100.0;
}

// 100 - 100 * d / total, in this order.
double normalisedSimilarity(std::size_t distance, std::size_t total)
{
    if (total == 0)
        return 100.0;
    return 100.0 - 100.0 * static_cast<double>(distance) / static_cast<double>(total);
}

// Scores computed in other orders may differ from these bounds in the last bits; a bound is
// raised by this factor so that it stays above every score it bounds, and a floor lowered by
// the other so that it stays below.
constexpr double boundSlack = 1.0 + 1e-9;
constexpr double belowOne = 1.0 - 1e-9;

// The better of `best` and the ratio of the needle (n bytes, whose masks `lcs` reads from
// `forward`) against every window of n bytes of the haystack but the last. Two windows one start
// apart share all but one byte at either end, so their LCS differ by at most one, and a window
// lying between two measured ones holds at most what both allow. A coarse grid of windows is
// measured first; a stretch between two measured windows is halved, and its middle measured,
// only while what it allows could beat the best so far.
template<typename Lcs> class WindowSearch
{
public:
    WindowSearch(
        Lcs &lcs, const MaskTable &forward, std::size_t n, std::string_view haystack, double best)
        : m_lcs(lcs)
        , m_forward(forward)
        , m_n(n)
        , m_haystack(haystack)
        , m_best(best)
    {
    }

    double best()
    {
        const std::size_t windows = m_haystack.size() - m_n;
        constexpr std::size_t stride = 16;
        // A few short windows (a word in a word) are cheaper to measure than to reason about.
        if (windows <= 2 || windows * m_n <= 96) {
            for (std::size_t start = 0; start < windows && m_best != 100.0; ++start)
                m_best = std::max(m_best, ratioFromLcs(windowLcs(start), m_n, m_n));
            return m_best;
        }
        raiseNeeded();
        // The whole grid first: the better its best, the fewer stretches need a closer look.
        const std::size_t points = (windows - 1 + stride - 1) / stride + 1;
        std::size_t nearGrid[64]; // LCS at the points of short haystacks, left uninitialised
        std::vector<std::size_t> farGrid(points > std::size(nearGrid) ? points : 0);
        std::size_t *const grid = farGrid.empty() ? nearGrid : farGrid.data();
        const auto pointStart = [&](std::size_t k) { return std::min(k * stride, windows - 1); };
        for (std::size_t k = 0; k < points && m_best != 100.0; ++k)
            grid[k] = measure(pointStart(k));
        for (std::size_t k = 0; k + 1 < points && m_best != 100.0; ++k)
            refine(pointStart(k), grid[k], pointStart(k + 1), grid[k + 1]);
        return m_best;
    }

private:
    std::size_t windowLcs(std::size_t start)
    {
        m_lcs.reset();
        for (std::size_t j = start; j < start + m_n; ++j)
            m_lcs.advance(m_forward, byteAt(m_haystack, j));
        return m_lcs.length();
    }

    std::size_t measure(std::size_t start)
    {
        const std::size_t common = windowLcs(start);
        const double ratio = ratioFromLcs(common, m_n, m_n);
        if (ratio > m_best) {
            m_best = ratio;
            raiseNeeded();
        }
        return common;
    }

    // The fewest common bytes with which a window beats the best so far (n + 1: none can).
    void raiseNeeded()
    {
        // Start just below where the ratio crosses the best, then step to the exact place.
        const auto estimate = static_cast<std::size_t>(m_best / 100.0 * static_cast<double>(m_n));
        m_needed = std::max(m_needed, estimate > 0 ? estimate - 1 : 0);
        while (m_needed > 0 && ratioFromLcs(m_needed - 1, m_n, m_n) > m_best)
            --m_needed;
        while (m_needed <= m_n && !(ratioFromLcs(m_needed, m_n, m_n) > m_best))
            ++m_needed;
    }

    void
    refine(std::size_t left, std::size_t leftCommon, std::size_t right, std::size_t rightCommon)
    {
        if (right - left < 2 || m_best == 100.0)
            return;
        const std::size_t allowed = (leftCommon + rightCommon + (right - left)) / 2;
        if (std::min(allowed, m_n) < m_needed)
            return;
        const std::size_t middle = left + (right - left) / 2;
        const std::size_t middleCommon = measure(middle);
        refine(left, leftCommon, middle, middleCommon);
        refine(middle, middleCommon, right, rightCommon);
    }

    Lcs &m_lcs;
    MaskTable m_forward;
    std::size_t m_n;
    std::string_view m_haystack;
    double m_best;
    std::size_t m_needed = 0;
};

// Best ratio of the needle against the places of the haystack where it may fit:
// every window of the needle's length except the last, the prefixes shorter than
// the needle that end in one of its bytes, and the suffixes up to its length that
// begin with one; for equal lengths also the same with the two roles exchanged.
// Places that cannot beat `floor` may be passed over: an answer above the floor is exact, any
// other is at most the floor. Requires 0 < |needle| <= |haystack|.
template<typename Lcs>
double partialRatioWith(const BitPattern &pattern,
                        std::string_view needle,
                        const ByteSet &needleBytes,
                        std::string_view haystack,
                        double floor)
{
    const std::size_t n = needle.size();
    const std::size_t m = haystack.size();
    const MaskTable forward = pattern.forwardTable();
    const MaskTable reversed = pattern.reversedTable();
    Lcs lcs(pattern.blocks());
    double best = floor;
    // Keeps the better score; true once nothing can beat it.
    const auto improve = [&best, n](std::size_t common, std::size_t length) {
        best = std::max(best, ratioFromLcs(common, n, length));
        return best == 100.0;
    };

    // A prefix or suffix is tried only where its LCS grows: its new byte then matches one of
    // the needle, and one that does not grow it scores below the shorter one that reached it.
    lcs.reset();
    std::size_t reached = 0;
    for (std::size_t length = 1; length < n; ++length) {
        const unsigned char last = byteAt(haystack, length - 1);
        lcs.advance(forward, last);
        if (!needleBytes.contains(last))
            continue;
        const std::size_t common = lcs.length();
        if (common > reached && improve(reached = common, length))
            return best;
    }

    // Suffixes grow by feeding the haystack backwards to the reversed needle.
    lcs.reset();
    reached = 0;
    for (std::size_t length = 1; length <= n; ++length) {
        const unsigned char first = byteAt(haystack, m - length);
        lcs.advance(reversed, first);
        if (!needleBytes.contains(first))
            continue;
        const std::size_t common = lcs.length();
        if (common > reached && improve(reached = common, length))
            return best;
    }
    if (n != m)
        return WindowSearch<Lcs>(lcs, forward, n, haystack, best).best();

    // With the roles exchanged the needle's prefixes and suffixes are matched
    // against the whole haystack: read them off the state's low bits.
    const ByteSet haystackBytes(haystack);
    lcs.reset();
    for (std::size_t j = 0; j < m; ++j)
        lcs.advance(forward, byteAt(haystack, j));
    for (std::size_t length = 1; length < n; ++length) {
        if (haystackBytes.contains(byteAt(needle, length - 1))
            && improve(lcs.prefixLength(length), length))
            return best;
    }
    lcs.reset();
    for (std::size_t j = m; j-- > 0;)
        lcs.advance(reversed, byteAt(haystack, j));
    for (std::size_t length = 1; length <= n; ++length) {
        if (haystackBytes.contains(byteAt(needle, n - length))
            && improve(lcs.prefixLength(length), length))
            return best;
    }
    return best;
}

double partialRatio(const BitPattern &pattern,
                    std::string_view needle,
                    const ByteSet &needleBytes,
                    std::string_view haystack,
                    double floor = 0.0)
{
    if (pattern.blocks() == 1)
        return partialRatioWith<SingleWordLcs>(pattern, needle, needleBytes, haystack, floor);
    return withLcsFor(pattern.blocks(), [&](auto lcs) {
        return partialRatioWith<decltype(lcs)>(pattern, needle, needleBytes, haystack, floor);
    });
}

// Partial ratio of any two strings, exact above `floor` (see partialRatioWith);
// `firstPattern` and `firstBytes`, when given, describe a.
double partialRatioOf(std::string_view first,
                      std::string_view second,
                      double floor,
                      const BitPattern *firstPattern = nullptr,
                      const ByteSet *firstBytes = nullptr)
{
    if (first.size() > second.size()) {
        std::swap(first, second);
        firstPattern = nullptr;
        firstBytes = nullptr;
    }
    if (first.empty())
        return second.empty() ? 100.0 : 0.0;
    const ByteSet bytes = firstBytes ? *firstBytes : ByteSet(first);
    if (firstPattern)
        return partialRatio(*firstPattern, first, bytes, second, floor);
    return partialRatio(BitPattern(first), first, bytes, second, floor);
}

// Tokens sort by signed char comparison (plain char on x86-64) on every platform,
// which puts bytes >= 0x80 first.
struct TokenLess
{
    bool operator()(std::string_view left, std::string_view right) const
    {
        const std::size_t common = std::min(left.size(), right.size());
        for (std::size_t i = 0; i < common; ++i) {
            if (left[i] != right[i])
                return static_cast<signed char>(left[i]) < static_cast<signed char>(right[i]);
        }
        return left.size() < right.size();
    }
};

// A token with a key that orders it as TokenLess does, with one integer comparison in nearly
// every case: the first eight bytes big-endian, each with its top bit flipped (the unsigned order
// of the flipped bytes is the signed order of the bytes), a shorter token padded with zeros. The
// first differing byte decides between two keys, and a token that runs out first, where zero
// stands against a byte of the other, is a prefix of it. Only equal keys (the same first eight
// bytes, or 0x80 bytes against the padding) need the bytes themselves.
struct Token
{
    std::uint64_t key;
    std::string_view text;
};

// The key of the token of `length` bytes at `begin`, in a text that ends at `end`.
std::uint64_t tokenKey(const char *begin, std::size_t length, const char *end)
{
    const std::size_t used = std::min<std::size_t>(length, 8);
    std::uint64_t key = 0;
    if (end - begin >= 8) {
        // Eight bytes in one load (the compiler joins the loop); what lies past the token masked.
        for (std::size_t i = 0; i < 8; ++i)
            key = key << 8 | static_cast<unsigned char>(begin[i]);
        key ^= 0x8080808080808080;
        return used == 8 ? key : key & ~(~std::uint64_t(0) >> (8 * used));
    }
    for (std::size_t i = 0; i < 8; ++i)
        key = key << 8 | (i < used ? static_cast<unsigned char>(begin[i]) ^ 0x80u : 0u);
    return key;
}

Token keyedToken(std::string_view word)
{
    return {tokenKey(word.data(), word.size(), word.data() + word.size()), word};
}

// -1, 0 or 1 as `left` comes before, equals or comes after `right` in TokenLess's order.
int tokenOrder(const Token &left, const Token &right)
{
    if (left.key != right.key)
        return left.key < right.key ? -1 : 1;
    if (left.text == right.text)
        return 0;
    // Equal keys mean equal bytes as far as both tokens reach within their first eight.
    const std::size_t skip = std::min({left.text.size(), right.text.size(), std::size_t(8)});
    return TokenLess()(left.text.substr(skip), right.text.substr(skip)) ? -1 : 1;
}

struct TokenBefore
{
    bool operator()(const Token &left, const Token &right) const
    {
        return left.key != right.key ? left.key < right.key : tokenOrder(left, right) < 0;
    }
};

using TokenList = std::vector<Token>;

std::size_t joinedLength(const TokenList &tokens)
{
    std::size_t length = tokens.empty() ? 0 : tokens.size() - 1;
    for (const Token &token : tokens)
        length += token.text.size();
    return length;
}

// Tokens parted by single blanks, written straight into the final string. A short token moves
// as one 16-byte block where its text has that many bytes left (a call of memcpy per token would
// cost more than the copy): the bytes carried along are overwritten by what follows, and the
// string keeps 16 bytes to spare until it is taken.
class JoinWriter
{
public:
    // `capacity`: the length of the join or more.
    explicit JoinWriter(std::size_t capacity)
        : m_text(capacity > 0 ? capacity + 16 : 0, ' ')
        , m_out(m_text.data())
    {
    }

    // `textEnd`: the end of the text that holds the token.
    void add(std::string_view token, const char *textEnd)
    {
        if (token.size() <= 16 && textEnd - token.data() >= 16)
            std::memcpy(m_out, token.data(), 16);
        else
            std::memcpy(m_out, token.data(), token.size());
        m_out[token.size()] = ' ';
        m_out += token.size() + 1;
    }

    std::string take()
    {
        // The blank after the last token goes too.
        const auto length = static_cast<std::size_t>(m_out - m_text.data());
        m_text.resize(length > 0 ? length - 1 : 0);
        return std::move(m_text);
    }

private:
    std::string m_text;
    char *m_out;
};

// The tokens, all from `text`, joined by blanks.
std::string joined(const TokenList &tokens, std::string_view text)
{
    JoinWriter join(joinedLength(tokens));
    for (const Token &token : tokens)
        join.add(token.text, text.data() + text.size());
    return join.take();
}

// Calls `onToken(start, stop)` for each run of bytes other than white space, in order. The
// bytes are classified 64 at a time into a mask whose edges mark the runs, so that the branches
// follow the tokens rather than every byte.
template<typename OnToken> void forEachToken(std::string_view text, OnToken onToken)
{
    bool inToken = false;
    std::size_t start = 0;
    std::uint64_t blankBefore = 1;
    for (std::size_t base = 0; base < text.size(); base += 64) {
        const std::size_t chunk = std::min<std::size_t>(64, text.size() - base);
        // Past the end counts as white space, which closes a last token in a short chunk.
        std::uint64_t blank = chunk < 64 ? ~std::uint64_t(0) << chunk : 0;
        for (std::size_t j = 0; j < chunk; ++j)
            blank |= std::uint64_t(whitespaceBytes[byteAt(text, base + j)]) << j;
        for (std::uint64_t edges = blank ^ (blank << 1 | blankBefore); edges != 0;
             edges &= edges - 1) {
            const std::size_t at = base + static_cast<std::size_t>(__builtin_ctzll(edges));
            if (inToken)
                onToken(start, at);
            else
                start = at;
            inToken = !inToken;
        }
        blankBefore = blank >> 63;
    }
    if (inToken)
        onToken(start, text.size());
}

// The white-space separated words of a text (views into it), sorted.
struct TokenizedText
{
    explicit TokenizedText(std::string_view text)
        : text(text)
    {
        // Tokens and the blanks between them alternate at most: one allocation.
        unique.reserve((text.size() + 1) / 2);
        const char *const end = text.data() + text.size();
        forEachToken(text, [&](std::size_t start, std::size_t stop) {
            unique.push_back({tokenKey(text.data() + start, stop - start, end),
                              text.substr(start, stop - start)});
        });
        count = unique.size();
        std::sort(unique.begin(), unique.end(), TokenBefore());
        sortedJoin = joined(unique, text);
        unique.erase(std::unique(unique.begin(),
                                 unique.end(),
                                 [](const Token &left, const Token &right) {
                                     return left.key == right.key && left.text == right.text;
                                 }),
                     unique.end());
    }

    std::string_view text;
    std::size_t count = 0; // repeats counted
    TokenList unique; // sorted
    std::string sortedJoin; // all tokens, repeats kept
};

// Walks two sorted lists of distinct tokens in step and hands each token to `shared` (once for
// both lists), `firstOnly` or `secondOnly`.
template<typename Shared, typename FirstOnly, typename SecondOnly>
void splitTokens(const TokenList &first,
                 const TokenList &second,
                 Shared shared,
                 FirstOnly firstOnly,
                 SecondOnly secondOnly)
{
    auto left = first.begin();
    auto right = second.begin();
    while (left != first.end() && right != second.end()) {
        const int order = tokenOrder(*left, *right);
        if (order < 0) {
            firstOnly(*left++);
        } else if (order > 0) {
            secondOnly(*right++);
        } else {
            shared(*left++);
            ++right;
        }
    }
    for (; left != first.end(); ++left)
        firstOnly(*left);
    for (; right != second.end(); ++right)
        secondOnly(*right);
}

// The distinct tokens of two texts split into shared ones and those of one side only: how many
// there are of each and how long they are joined, and, when asked for, the joins of the rests.
struct TokenDecomposition
{
    struct Part
    {
        std::size_t count = 0;
        std::size_t bytes = 0; // of the tokens, without blanks

        void add(const Token &token)
        {
            ++count;
            bytes += token.text.size();
        }
        bool empty() const { return count == 0; }
        std::size_t joinedLength() const { return count == 0 ? 0 : bytes + count - 1; }
    };

    TokenDecomposition(const TokenizedText &first, const TokenizedText &second, bool joinRests)
    {
        // A rest is at most every token of its side.
        JoinWriter firstJoin(joinRests ? first.sortedJoin.size() : 0);
        JoinWriter secondJoin(joinRests ? second.sortedJoin.size() : 0);
        const char *const firstEnd = first.text.data() + first.text.size();
        const char *const secondEnd = second.text.data() + second.text.size();
        splitTokens(
            first.unique,
            second.unique,
            [&](const Token &token) { shared.add(token); },
            [&](const Token &token) {
                firstOnly.add(token);
                if (joinRests)
                    firstJoin.add(token.text, firstEnd);
            },
            [&](const Token &token) {
                secondOnly.add(token);
                if (joinRests)
                    secondJoin.add(token.text, secondEnd);
            });
        firstRest = firstJoin.take();
        secondRest = secondJoin.take();
    }

    Part shared;
    Part firstOnly;
    Part secondOnly;
    std::string firstRest; // the tokens of the first side only, joined (when asked for)
    std::string secondRest;
};

// The fewest common bytes (0..most) with which `ratioOf` exceeds `beat`; most + 1 where none
// does. Every ratio here grows with the common bytes, in floating point too.
template<typename Ratio> std::size_t fewestToBeat(double beat, std::size_t most, Ratio ratioOf)
{
    std::size_t low = 0;
    std::size_t high = most + 1;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (ratioOf(middle) > beat)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

// Texts of similar length (less than 1.5 times apart) score the better of their plain ratio and
// 0.95 times their token ratio: the ratio of the sorted token lists, or better, of the shared
// tokens followed by each side's rest. Each LCS is needed only where its ratio could beat what
// the cheaper ones already give (and the floor): it is asked for that many common bytes at
// least, which spares the parts of the comparison no such alignment passes through. Exact above
// `floor`, otherwise at most the floor. `firstPattern` and `firstJoinPattern`, when given,
// describe the first text and its sorted join.
double similarLengthScore(std::string_view firstText,
                          const TokenizedText &first,
                          const BitPattern *firstPattern,
                          const BitPattern *firstJoinPattern,
                          std::string_view secondText,
                          double floor)
{
    const TokenizedText second(secondText);
    const TokenDecomposition parts(first, second, true);
    double result = 0.0;
    const auto beat = [&] { return std::max(result, floor); };
    // The LCS of two strings where its ratio (`ratioOf`) beats the score so far.
    const auto raiseBy
        = [&](std::string_view a, const BitPattern *pattern, std::string_view b, auto ratioOf) {
              // The LCS of a pattern of one word costs less than finding how much of it matters.
              const bool oneWord = a.size() <= 64;
              const std::size_t most = std::min(a.size(), b.size());
              const std::size_t needed = oneWord ? 0 : fewestToBeat(beat(), most, ratioOf);
              if (needed > most)
                  return;
              const auto lcsWith = [&](const BitPattern &of) {
                  return oneWord ? lcsLength(of, b) : lcsAtLeast(of, b, needed);
              };
              // Built only where no pattern was given (an empty std::optional of one would
              // already clear all of its tables).
              const std::size_t common = pattern
                  ? lcsWith(*pattern)
                  : lcsWith(BitPattern(a, BitPattern::Direction::ForwardOnly));
              if (common >= needed)
                  result = std::max(result, ratioOf(common));
          };

    if (!parts.shared.empty() && (parts.firstOnly.empty() || parts.secondOnly.empty())) {
        result = 100.0 * 0.95;
    } else {
        const std::size_t sharedLength = parts.shared.joinedLength();
        const std::size_t separator = sharedLength > 0 ? 1 : 0;
        const std::size_t firstRest = parts.firstOnly.joinedLength();
        const std::size_t secondRest = parts.secondOnly.joinedLength();
        const std::size_t firstLength = sharedLength + separator + firstRest;
        const std::size_t secondLength = sharedLength + separator + secondRest;
        if (sharedLength > 0) {
            result = std::max(
                         normalisedSimilarity(separator + firstRest, sharedLength + firstLength),
                         normalisedSimilarity(separator + secondRest, sharedLength + secondLength))
                * 0.95;
        }
        raiseBy(first.sortedJoin, firstJoinPattern, second.sortedJoin, [&](std::size_t common) {
            return ratioFromLcs(common, first.sortedJoin.size(), second.sortedJoin.size()) * 0.95;
        });
        raiseBy(parts.firstRest, nullptr, parts.secondRest, [&](std::size_t common) {
            return normalisedSimilarity(firstRest + secondRest - 2 * common,
                                        firstLength + secondLength)
                * 0.95;
        });
    }
    raiseBy(firstText, firstPattern, secondText, [&](std::size_t common) {
        return ratioFromLcs(common, firstText.size(), secondText.size());
    });
    return result;
}

// Exact above `floor`, otherwise at most the floor (see partialRatioWith).
double partialTokenRatio(const TokenizedText &first,
                         const BitPattern &firstJoinPattern,
                         const TokenizedText &second,
                         const TokenDecomposition &parts,
                         double floor)
{
    if (!parts.shared.empty())
        return 100.0;
    if (floor >= 100.0)
        return floor;
    const double result
        = partialRatioOf(first.sortedJoin, second.sortedJoin, floor, &firstJoinPattern);
    // No token is shared: the rests are the distinct tokens of each side.
    const bool repeatsDropped
        = first.count != parts.firstOnly.count || second.count != parts.secondOnly.count;
    if (!repeatsDropped)
        return result;
    return std::max(result,
                    partialRatioOf(joined(first.unique, first.text),
                                   joined(second.unique, second.text),
                                   result));
}

// With one token on each side the token ratios reduce to the plain ones:
// the token ratio to the better of two normalisations of the same distance,
// the partial token ratio to the partial ratio of the two words.
template<typename PartialRatio>
double combineSingleTokens(std::string_view first,
                           std::string_view second,
                           std::size_t lcs,
                           double floor,
                           PartialRatio partialRatioOfWords)
{
    const std::size_t total = first.size() + second.size();
    const double plain = ratioFromLcs(lcs, first.size(), second.size());
    const double lengthRatio = static_cast<double>(std::max(first.size(), second.size()))
        / static_cast<double>(std::min(first.size(), second.size()));
    if (lengthRatio < 1.5) {
        const double tokens = first == second
            ? 100.0
            : std::max(plain, normalisedSimilarity(total - 2 * lcs, total));
        return std::max(plain, tokens * 0.95);
    }
    const double partialScale = lengthRatio <= 8.0 ? 0.9 : 0.6;
    const double partial = partialRatioOfWords(std::max(plain, floor) / partialScale * belowOne);
    return std::max(std::max(plain, partial * partialScale), partial * 0.95 * partialScale);
}

// One bit per kind of byte: letters and digits each their own, the other bytes shared among
// the remaining bits, all white space one kind (token joins replace it by blanks).
unsigned byteKindOf(unsigned char byte)
{
    if (isWhitespace(byte))
        return 63;
    if (byte >= 'a' && byte <= 'z')
        return byte - 'a';
    if (byte >= '0' && byte <= '9')
        return 26 + (byte - '0');
    return 36 + byte % 27;
}

// The best ratio the partial ratio can give when the shorter string (length `shorter`) shares
// `common` bytes with the other and does not occur in it whole: a window with one byte lost, or
// a prefix or suffix one byte short, is the best case; no window can match more bytes than the
// two strings share.
double partialRatioBound(std::size_t shorter, std::size_t common, bool mayOccur)
{
    const auto s = static_cast<double>(shorter);
    const auto c = static_cast<double>(std::min(common, shorter));
    const double byShared = common == 0 ? 0.0 : 200.0 * c / (s + c);
    if (mayOccur)
        return byShared;
    return std::min(byShared, 200.0 * (s - 1.0) / (2.0 * s - 1.0));
}

// The best partial ratio of a word of m bytes, `pairs` of whose neighbouring pairs stand side
// by side in the other string: against a piece of t <= m bytes its LCS is at most
// min(t, (pairs + m + 1 + t) / 3), and 2 LCS / (m + t) peaks where the two meet.
double pairBoundOfPartial(std::size_t m, std::size_t pairs)
{
    const auto b = static_cast<double>(pairs);
    const auto w = static_cast<double>(m);
    return 200.0 * (b + w + 1.0) / (b + 3.0 * w + 1.0);
}

// Everything about one side of the comparison that does not depend on the other side.
// Holds views into the text it was made from.
class QueryProfile
{
public:
    explicit QueryProfile(std::string_view text)
        : m_text(text)
        , m_singleToken(!containsWhitespace(text))
        , m_pattern(text)
        , m_bytes(text)
        , m_tokens(text)
    {
        if (m_tokens.sortedJoin != text)
            m_joinPattern.emplace(m_tokens.sortedJoin);
        for (const char c : text)
            ++m_byteCounts[static_cast<unsigned char>(c)];
        m_pairs.assign(65536 / 64, 0);
        for (std::size_t i = 0; i + 1 < text.size(); ++i) {
            const unsigned pair = byteAt(text, i) << 8 | byteAt(text, i + 1);
            m_pairs[pair >> 6] |= std::uint64_t(1) << (pair & 63);
        }
        m_uniqueJoin = joined(m_tokens.unique, text);
        for (unsigned byte = 0; byte < 256; ++byte) {
            if (m_bytes.contains(static_cast<unsigned char>(byte)) || byte == ' ')
                m_bytesOfJoins.push_back(static_cast<char>(byte));
        }
    }
    QueryProfile(const QueryProfile &) = delete;
    QueryProfile &operator=(const QueryProfile &) = delete;

    // Exact where the score exceeds `floor`; otherwise at most the floor.
    double score(std::string_view candidate, double floor = 0.0) const
    {
        if (m_text.empty() || candidate.empty())
            return 0.0;
        const bool candidateIsWord = !containsWhitespace(candidate);
        if (m_singleToken && candidateIsWord)
            return scoreWords(candidate, floor);
        const double lengthRatio
            = static_cast<double>(m_text.size()) / static_cast<double>(candidate.size());
        if (candidateIsWord && lengthRatio >= 1.5)
            return scoreWordInText(candidate, floor);
        return scoreTokens(candidate, floor);
    }

    // Upper bound of score(candidate). Which strings it compares follows the definition: the
    // plain ratio of the two; for lengths 1.5 times apart or more, the partial ratios scaled by
    // 0.9 or 0.6 (there the score reaches that scale exactly when the shorter string occurs in
    // the longer, since 0.95 times it and the plain ratio stay below); for closer lengths the
    // token ratios, which only two single words keep within the plain ratio.
    ScoreBound bound(std::string_view candidate) const
    {
        if (m_text.empty() || candidate.empty())
            return {0.0, true};
        const std::size_t n = m_text.size();
        const std::size_t m = candidate.size();
        const std::size_t shorter = std::min(n, m);
        const auto total = static_cast<double>(n + m);
        const double lengthRatio
            = static_cast<double>(std::max(n, m)) / static_cast<double>(shorter);
        const bool candidateIsWord = !containsWhitespace(candidate);
        if (lengthRatio < 1.5) {
            if (!m_singleToken || !candidateIsWord)
                return {100.0, false};
            const std::size_t common
                = std::min(sharedBytes(candidate), (sharedPairs(candidate) + n + m + 1) / 3);
            return {200.0 * static_cast<double>(common) / total * boundSlack, false};
        }
        const double partialScale = lengthRatio <= 8.0 ? 0.9 : 0.6;
        const std::string_view longer = n > m ? m_text : candidate;
        const std::string_view shortest = n > m ? candidate : m_text;
        // A word inside the query keeps every pair of its neighbouring bytes; only such a word
        // is looked for.
        const std::size_t pairs = m < n ? sharedPairs(candidate) : 0;
        const bool mayOccur = m >= n || pairs + 1 == m;
        if (mayOccur && longer.find(shortest) != std::string_view::npos)
            return {100.0 * partialScale, true};
        // A word shorter than every join of the query's tokens is the needle of each partial
        // ratio, and shares with each join at most the bytes it shares with the query (a word
        // that is one of the query's tokens occurs in it, so there is no shared token).
        const bool wordInsideQuery = candidateIsWord && m < n && m <= m_uniqueJoin.size();
        if (wordInsideQuery || (m_singleToken && candidateIsWord)) {
            // Against a text four times its length nearly every byte of a word occurs, and
            // counting them would bound nothing.
            std::size_t common = n >= 4 * m ? m : sharedBytes(candidate);
            double partial = partialRatioBound(shorter, common, false);
            if (m < n) {
                // Lost pairs of neighbouring bytes cap the LCS of the word against any piece
                // of the query (see pairBoundOfPartial).
                common = std::min(common, (pairs + n + m + 1) / 3);
                partial = std::min(partial, pairBoundOfPartial(m, pairs));
            }
            const double plain = 200.0 * static_cast<double>(common) / total;
            return {std::max(plain, partialScale * partial) * boundSlack, false};
        }
        const double plain = 200.0 * static_cast<double>(shorter) / total;
        const double partial = partialRatioBound(shorter, shorter, false);
        // A shared token or a repeated one can still bring the partial token ratio to 100.
        return {std::max({plain, partialScale * partial, 95.0 * partialScale}) * boundSlack, false};
    }

private:
    // How many of the candidate's pairs of neighbouring bytes (by position) stand side by side
    // somewhere in the query. An alignment with L matched bytes against a text of t bytes keeps
    // at least (m - 1) - 2 (m - L) - (t - L) of the m - 1 pairs side by side (each unmatched byte
    // of the candidate breaks two, each gap in the text one), so L <= (pairs + m + t + 1) / 3.
    std::size_t sharedPairs(std::string_view candidate) const
    {
        std::size_t pairs = 0;
        for (std::size_t i = 0; i + 1 < candidate.size(); ++i) {
            const unsigned pair = byteAt(candidate, i) << 8 | byteAt(candidate, i + 1);
            pairs += (m_pairs[pair >> 6] >> (pair & 63)) & 1;
        }
        return pairs;
    }

    // How many bytes of the candidate can be matched by bytes of the query, counted with
    // multiplicity: a bound of every common subsequence of the two.
    std::size_t sharedBytes(std::string_view candidate) const
    {
        if (candidate.size() < 256)
            return sharedBytesCountedIn<std::uint8_t>(candidate);
        return sharedBytesCountedIn<std::uint32_t>(candidate);
    }
    // The counts of a short candidate fit in bytes, whose table is quicker to clear.
    template<typename Count> std::size_t sharedBytesCountedIn(std::string_view candidate) const
    {
        std::array<Count, 256> used{};
        std::size_t common = 0;
        for (const char c : candidate) {
            const auto byte = static_cast<unsigned char>(c);
            if (used[byte] < m_byteCounts[byte]) {
                ++used[byte];
                ++common;
            }
        }
        return common;
    }

    const BitPattern &joinPattern() const { return m_joinPattern ? *m_joinPattern : m_pattern; }

    double scoreWords(std::string_view candidate, double floor) const
    {
        const std::size_t lcs = lcsLength(m_pattern, candidate);
        return combineSingleTokens(m_text, candidate, lcs, floor, [&](double partialFloor) {
            if (m_text.size() <= candidate.size())
                return partialRatio(m_pattern, m_text, m_bytes, candidate, partialFloor);
            return partialRatio(
                BitPattern(candidate), candidate, ByteSet(candidate), m_text, partialFloor);
        });
    }

    // A word at least 1.5 times shorter than this text of several tokens: the token sets need
    // no splitting, since the word is one of the text's tokens or shares none with it. The
    // partial ratios then compare the word with the text, its sorted tokens and (when some
    // repeat) its distinct tokens, all with one pattern of the word.
    double scoreWordInText(std::string_view word, double floor) const
    {
        const std::size_t n = m_text.size();
        const std::size_t m = word.size();
        const double partialScale
            = static_cast<double>(n) / static_cast<double>(m) <= 8.0 ? 0.9 : 0.6;
        // The word's tables are read only at bytes of the query and its joins.
        const BitPattern pattern(word, m_bytesOfJoins);
        const ByteSet bytes(word);
        const auto partialAgainst = [&](std::string_view text, double partialFloor) {
            if (text.size() >= m)
                return partialRatio(pattern, word, bytes, text, partialFloor);
            return partialRatioOf(text, word, partialFloor);
        };
        double result = ratioFromLcs(lcsLength(m_pattern, word), n, m);
        const double partial
            = partialAgainst(m_text, std::max(result, floor) / partialScale * belowOne);
        result = std::max(result, partial * partialScale);
        const auto &tokens = m_tokens.unique;
        double partialTokens = 100.0;
        if (!std::binary_search(tokens.begin(), tokens.end(), keyedToken(word), TokenBefore())) {
            const double tokensFloor = std::max(result, floor) / (0.95 * partialScale) * belowOne;
            // Lost pairs of neighbouring bytes cap the partial ratios against the joins as they
            // do against the text: a word's pairs lie inside tokens, which the joins keep whole.
            // Most words are settled by that alone.
            if (m <= m_uniqueJoin.size()
                && pairBoundOfPartial(m, sharedPairs(word)) * boundSlack <= tokensFloor)
                return result;
            partialTokens = partialAgainst(m_tokens.sortedJoin, tokensFloor);
            if (m_tokens.count != tokens.size())
                partialTokens
                    = std::max(partialTokens, partialAgainst(m_uniqueJoin, partialTokens));
        }
        return std::max(result, partialTokens * 0.95 * partialScale);
    }

    double scoreTokens(std::string_view candidate, double floor) const
    {
        const double lengthRatio = static_cast<double>(std::max(m_text.size(), candidate.size()))
            / static_cast<double>(std::min(m_text.size(), candidate.size()));
        if (lengthRatio < 1.5)
            return similarLengthScore(
                m_text, m_tokens, &m_pattern, &joinPattern(), candidate, floor);
        double result
            = ratioFromLcs(lcsLength(m_pattern, candidate), m_text.size(), candidate.size());
        const TokenizedText candidateTokens(candidate);
        const TokenDecomposition parts(m_tokens, candidateTokens, false);

        // Each partial ratio needs to be exact only where, scaled, it could raise the score so
        // far; the floors stay a little below that so that rounding cannot hide a raise.
        const double partialScale = lengthRatio <= 8.0 ? 0.9 : 0.6;
        const double partial = partialRatioOf(m_text,
                                              candidate,
                                              std::max(result, floor) / partialScale * belowOne,
                                              &m_pattern,
                                              &m_bytes);
        result = std::max(result, partial * partialScale);
        const double partialTokens
            = partialTokenRatio(m_tokens,
                                joinPattern(),
                                candidateTokens,
                                parts,
                                std::max(result, floor) / (0.95 * partialScale) * belowOne);
        return std::max(result, partialTokens * 0.95 * partialScale);
    }

    std::string_view m_text;
    bool m_singleToken;
    BitPattern m_pattern;
    ByteSet m_bytes;
    TokenizedText m_tokens;
    std::optional<BitPattern> m_joinPattern; // only when the sorted tokens differ from the text
    std::array<std::uint32_t, 256> m_byteCounts{};
    std::string m_uniqueJoin; // the distinct tokens, joined
    std::string m_bytesOfJoins; // every byte value of the text and its joins, once
    std::vector<std::uint64_t> m_pairs; // a bit for each pair of neighbouring bytes
};

[[maybe_unused]] double ownWeightedRatio(std::string_view s1, std::string_view s2)
{
    if (s1.empty() || s2.empty())
        return 0.0;
    if (!containsWhitespace(s1) && !containsWhitespace(s2)) {
        // Two words: one pattern of the shorter on the stack serves every step.
        const bool firstIsShorter = s1.size() <= s2.size();
        const std::string_view needle = firstIsShorter ? s1 : s2;
        const std::string_view haystack = firstIsShorter ? s2 : s1;
        const BitPattern pattern(needle);
        return combineSingleTokens(
            s1, s2, lcsLength(pattern, haystack), 0.0, [&](double partialFloor) {
                return partialRatio(pattern, needle, ByteSet(needle), haystack, partialFloor);
            });
    }
    const double lengthRatio = static_cast<double>(std::max(s1.size(), s2.size()))
        / static_cast<double>(std::min(s1.size(), s2.size()));
    if (lengthRatio < 1.5) {
        // Only the LCS are needed, each pattern built once, read forwards, and only if asked for.
        const TokenizedText first(s1);
        return similarLengthScore(s1, first, nullptr, nullptr, s2, 0.0);
    }
    return QueryProfile(s1).score(s2);
}

} // namespace

// Where RapidFuzz is installed, its own function is called instead (dictionary/CMakeLists.txt).
double weightedRatio(std::string_view s1, std::string_view s2)
{
#ifdef SIMILARITY_WITH_RAPIDFUZZ
    return rapidfuzz::fuzz::WRatio(s1, s2, 0.0);
#else
    return ownWeightedRatio(s1, s2);
#endif
}

struct WeightedRatioScorer::PreparedQuery
{
    explicit PreparedQuery(std::string_view text)
        : query(text)
        , profile(query)
    {
    }

    const std::string query;
    const QueryProfile profile;
};

WeightedRatioScorer::WeightedRatioScorer(std::string_view query)
    : m_prepared(std::make_unique<const PreparedQuery>(query))
{
}

WeightedRatioScorer::WeightedRatioScorer(const WeightedRatioScorer &other)
    : WeightedRatioScorer(other.query())
{
}

WeightedRatioScorer::WeightedRatioScorer(WeightedRatioScorer &&other) noexcept = default;

WeightedRatioScorer &WeightedRatioScorer::operator=(const WeightedRatioScorer &other)
{
    if (this != &other)
        m_prepared = std::make_unique<const PreparedQuery>(other.query());
    return *this;
}

WeightedRatioScorer &WeightedRatioScorer::operator=(WeightedRatioScorer &&other) noexcept = default;

WeightedRatioScorer::~WeightedRatioScorer() = default;

std::uint64_t byteKinds(std::string_view text)
{
    std::uint64_t kinds = 0;
    for (const char c : text)
        kinds |= std::uint64_t(1) << byteKindOf(static_cast<unsigned char>(c));
    return kinds;
}

ScoreBound WeightedRatioScorer::bound(std::string_view candidate) const
{
    if (!m_prepared)
        return {0.0, true};
    return m_prepared->profile.bound(candidate);
}

std::string_view WeightedRatioScorer::query() const
{
    return m_prepared ? std::string_view(m_prepared->query) : std::string_view();
}

double WeightedRatioScorer::score(std::string_view candidate, double floor) const
{
    if (!m_prepared)
        return 0.0;
#ifdef SIMILARITY_WITH_RAPIDFUZZ
    return score(candidate);
#else
    return m_prepared->profile.score(candidate, floor);
#endif
}

double WeightedRatioScorer::score(std::string_view candidate) const
{
    // A moved-from scorer has no query and scores 0 like an empty one.
    if (!m_prepared)
        return 0.0;
#ifdef SIMILARITY_WITH_RAPIDFUZZ
    return rapidfuzz::fuzz::WRatio(std::string_view(m_prepared->query), candidate, 0.0);
#else
    return m_prepared->profile.score(candidate);
#endif
}

} // namespace similarity

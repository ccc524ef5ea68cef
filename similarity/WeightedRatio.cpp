#include "WeightedRatio.h"

#include "BitParallelLcs.h"

#include <algorithm>
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

bool isWhitespace(unsigned char byte)
{
    return (byte >= 0x09 && byte <= 0x0D) || (byte >= 0x1C && byte <= 0x20);
}

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

// LCS of a and b; `firstPattern`, when given, holds the masks of a.
std::size_t
lcsOf(std::string_view first, std::string_view second, const BitPattern *firstPattern = nullptr)
{
    if (first.empty() || second.empty())
        return 0;
    if (firstPattern)
        return lcsLength(*firstPattern, second);
    if (first.size() > second.size())
        std::swap(first, second);
    return lcsLength(BitPattern(first), second);
}

// Best ratio of the needle against the places of the haystack where it may fit:
// every window of the needle's length except the last, the prefixes shorter than
// the needle that end in one of its bytes, and the suffixes up to its length that
// begin with one; for equal lengths also the same with the two roles exchanged.
// Requires 0 < |needle| <= |haystack|.
template<typename Lcs>
double partialRatioWith(const BitPattern &pattern,
                        std::string_view needle,
                        const ByteSet &needleBytes,
                        std::string_view haystack)
{
    const std::size_t n = needle.size();
    const std::size_t m = haystack.size();
    const std::uint64_t *forward = pattern.forwardTable();
    const std::uint64_t *reversed = pattern.reversedTable();
    Lcs lcs(pattern.blocks());
    double best = 0.0;
    // Keeps the better score; true once nothing can beat it.
    const auto improve = [&best, n](std::size_t common, std::size_t length) {
        best = std::max(best, ratioFromLcs(common, n, length));
        return best == 100.0;
    };

    for (std::size_t start = 0; start + n < m; ++start) {
        lcs.reset();
        for (std::size_t j = start; j < start + n; ++j)
            lcs.advance(forward, byteAt(haystack, j));
        if (improve(lcs.length(), n))
            return best;
    }

    lcs.reset();
    for (std::size_t length = 1; length < n; ++length) {
        const unsigned char last = byteAt(haystack, length - 1);
        lcs.advance(forward, last);
        if (needleBytes.contains(last) && improve(lcs.length(), length))
            return best;
    }

    // Suffixes grow by feeding the haystack backwards to the reversed needle.
    lcs.reset();
    for (std::size_t length = 1; length <= n; ++length) {
        const unsigned char first = byteAt(haystack, m - length);
        lcs.advance(reversed, first);
        if (needleBytes.contains(first) && improve(lcs.length(), length))
            return best;
    }
    if (n != m)
        return best;

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
                    std::string_view haystack)
{
    return pattern.blocks() == 1
        ? partialRatioWith<SingleWordLcs>(pattern, needle, needleBytes, haystack)
        : partialRatioWith<MultiWordLcs>(pattern, needle, needleBytes, haystack);
}

// Partial ratio of any two strings; `firstPattern` and `firstBytes`, when given, describe a.
double partialRatioOf(std::string_view first,
                      std::string_view second,
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
        return partialRatio(*firstPattern, first, bytes, second);
    return partialRatio(BitPattern(first), first, bytes, second);
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

using TokenList = std::vector<std::string_view>;

std::size_t joinedLength(const TokenList &tokens)
{
    std::size_t length = tokens.empty() ? 0 : tokens.size() - 1;
    for (const std::string_view token : tokens)
        length += token.size();
    return length;
}

std::string joined(const TokenList &tokens)
{
    std::string text;
    text.reserve(joinedLength(tokens));
    for (const std::string_view token : tokens) {
        if (!text.empty())
            text += ' ';
        text.append(token.data(), token.size());
    }
    return text;
}

// The white-space separated words of a text (views into it), sorted.
struct TokenizedText
{
    explicit TokenizedText(std::string_view text)
    {
        std::size_t start = 0;
        for (std::size_t i = 0; i <= text.size(); ++i) {
            if (i < text.size() && !isWhitespace(byteAt(text, i)))
                continue;
            if (i > start)
                sorted.push_back(text.substr(start, i - start));
            start = i + 1;
        }
        std::sort(sorted.begin(), sorted.end(), TokenLess());
        std::unique_copy(sorted.begin(), sorted.end(), std::back_inserter(unique));
        sortedJoin = joined(sorted);
    }

    TokenList sorted; // repeats kept
    TokenList unique;
    std::string sortedJoin;
};

// The distinct tokens of two texts split into shared ones and those of one side only.
struct TokenDecomposition
{
    TokenDecomposition(const TokenizedText &first, const TokenizedText &second)
    {
        std::set_intersection(first.unique.begin(),
                              first.unique.end(),
                              second.unique.begin(),
                              second.unique.end(),
                              std::back_inserter(shared),
                              TokenLess());
        std::set_difference(first.unique.begin(),
                            first.unique.end(),
                            second.unique.begin(),
                            second.unique.end(),
                            std::back_inserter(firstOnly),
                            TokenLess());
        std::set_difference(second.unique.begin(),
                            second.unique.end(),
                            first.unique.begin(),
                            first.unique.end(),
                            std::back_inserter(secondOnly),
                            TokenLess());
    }

    TokenList shared;
    TokenList firstOnly;
    TokenList secondOnly;
};

// Ratio of the sorted token lists, or better, of the shared part followed by each side's rest.
double tokenRatio(const TokenizedText &first,
                  const BitPattern &firstJoinPattern,
                  const TokenizedText &second,
                  const TokenDecomposition &parts)
{
    if (!parts.shared.empty() && (parts.firstOnly.empty() || parts.secondOnly.empty()))
        return 100.0;

    const std::size_t sortedLcs = lcsOf(first.sortedJoin, second.sortedJoin, &firstJoinPattern);
    double result = ratioFromLcs(sortedLcs, first.sortedJoin.size(), second.sortedJoin.size());

    const std::size_t sharedLength = joinedLength(parts.shared);
    const std::size_t separator = sharedLength > 0 ? 1 : 0;
    const std::size_t firstRest = joinedLength(parts.firstOnly);
    const std::size_t secondRest = joinedLength(parts.secondOnly);
    const std::size_t firstLength = sharedLength + separator + firstRest;
    const std::size_t secondLength = sharedLength + separator + secondRest;

    const std::size_t restLcs = lcsOf(joined(parts.firstOnly), joined(parts.secondOnly));
    const std::size_t restDistance = firstRest + secondRest - 2 * restLcs;
    result = std::max(result, normalisedSimilarity(restDistance, firstLength + secondLength));
    if (sharedLength == 0)
        return result;
    return std::max({result,
                     normalisedSimilarity(separator + firstRest, sharedLength + firstLength),
                     normalisedSimilarity(separator + secondRest, sharedLength + secondLength)});
}

double partialTokenRatio(const TokenizedText &first,
                         const BitPattern &firstJoinPattern,
                         const TokenizedText &second,
                         const TokenDecomposition &parts)
{
    if (!parts.shared.empty())
        return 100.0;
    const double result = partialRatioOf(first.sortedJoin, second.sortedJoin, &firstJoinPattern);
    const bool repeatsDropped = first.sorted.size() != parts.firstOnly.size()
        || second.sorted.size() != parts.secondOnly.size();
    if (!repeatsDropped)
        return result;
    return std::max(result, partialRatioOf(joined(parts.firstOnly), joined(parts.secondOnly)));
}

// With one token on each side the token ratios reduce to the plain ones:
// the token ratio to the better of two normalisations of the same distance,
// the partial token ratio to the partial ratio of the two words.
template<typename PartialRatio>
double combineSingleTokens(std::string_view first,
                           std::string_view second,
                           std::size_t lcs,
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
    const double partial = partialRatioOfWords();
    return std::max(std::max(plain, partial * partialScale), partial * 0.95 * partialScale);
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
    }
    QueryProfile(const QueryProfile &) = delete;
    QueryProfile &operator=(const QueryProfile &) = delete;

    double score(std::string_view candidate) const
    {
        if (m_text.empty() || candidate.empty())
            return 0.0;
        if (m_singleToken && !containsWhitespace(candidate))
            return scoreWords(candidate);
        return scoreTokens(candidate);
    }

private:
    const BitPattern &joinPattern() const { return m_joinPattern ? *m_joinPattern : m_pattern; }

    double scoreWords(std::string_view candidate) const
    {
        return combineSingleTokens(m_text, candidate, lcsLength(m_pattern, candidate), [&] {
            if (m_text.size() <= candidate.size())
                return partialRatio(m_pattern, m_text, m_bytes, candidate);
            return partialRatio(BitPattern(candidate), candidate, ByteSet(candidate), m_text);
        });
    }

    double scoreTokens(std::string_view candidate) const
    {
        const double lengthRatio = static_cast<double>(std::max(m_text.size(), candidate.size()))
            / static_cast<double>(std::min(m_text.size(), candidate.size()));
        double result
            = ratioFromLcs(lcsLength(m_pattern, candidate), m_text.size(), candidate.size());
        const TokenizedText candidateTokens(candidate);
        const TokenDecomposition parts(m_tokens, candidateTokens);
        if (lengthRatio < 1.5)
            return std::max(result,
                            tokenRatio(m_tokens, joinPattern(), candidateTokens, parts) * 0.95);

        const double partialScale = lengthRatio <= 8.0 ? 0.9 : 0.6;
        result = std::max(result,
                          partialRatioOf(m_text, candidate, &m_pattern, &m_bytes) * partialScale);
        const double partialTokens
            = partialTokenRatio(m_tokens, joinPattern(), candidateTokens, parts);
        return std::max(result, partialTokens * 0.95 * partialScale);
    }

    std::string_view m_text;
    bool m_singleToken;
    BitPattern m_pattern;
    ByteSet m_bytes;
    TokenizedText m_tokens;
    std::optional<BitPattern> m_joinPattern; // only when the sorted tokens differ from the text
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
        return combineSingleTokens(s1, s2, lcsLength(pattern, haystack), [&] {
            return partialRatio(pattern, needle, ByteSet(needle), haystack);
        });
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

std::string_view WeightedRatioScorer::query() const
{
    return m_prepared ? std::string_view(m_prepared->query) : std::string_view();
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

#ifndef BITPARALLELLCS_H
#define BITPARALLELLCS_H

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <vector>

// Longest-common-subsequence lengths by Hyyrö's bit-parallel method: the pattern's
// positions are bits of 64-bit words, so one text byte costs a few word operations
// per 64 pattern bytes instead of one step per pattern byte.

namespace similarity {

inline std::size_t countBits(std::uint64_t word)
{
#if defined(__POPCNT__) || defined(__aarch64__)
    return static_cast<std::size_t>(__builtin_popcountll(word));
#else
    // Without a population-count instruction the builtin becomes a library call.
    word = word - ((word >> 1) & 0x5555555555555555ull);
    word = (word & 0x3333333333333333ull) + ((word >> 2) & 0x3333333333333333ull);
    word = (word + (word >> 4)) & 0x0f0f0f0f0f0f0f0full;
    return static_cast<std::size_t>((word * 0x0101010101010101ull) >> 56);
#endif
}

inline unsigned char byteAt(std::string_view text, std::size_t index)
{
    return static_cast<unsigned char>(text[index]);
}

// The set of byte values occurring in a string.
class ByteSet
{
public:
    ByteSet() = default;
    explicit ByteSet(std::string_view text)
    {
        for (const char c : text)
            insert(static_cast<unsigned char>(c));
    }
    void insert(unsigned char byte) { m_bits[byte >> 6] |= std::uint64_t(1) << (byte & 63); }
    bool contains(unsigned char byte) const { return (m_bits[byte >> 6] >> (byte & 63)) & 1; }

private:
    std::array<std::uint64_t, 4> m_bits{};
};

// Match masks of a pattern string, for the pattern read forwards and backwards:
// bit j of forward(c) is set when pattern[j] == c, bit j of reversed(c) when
// pattern[size - 1 - j] == c. A table holds blocks() words per byte value.
// Patterns of up to 64 bytes live inside the object, longer ones on the heap.
class BitPattern
{
public:
    // A pattern that is only read forwards (a plain LCS) needs no reversed table.
    enum class Direction { Both, ForwardOnly };

    explicit BitPattern(std::string_view pattern, Direction direction = Direction::Both)
        : m_size(pattern.size())
        , m_blocks(std::max<std::size_t>(1, (pattern.size() + 63) / 64))
    {
        const bool reversed = direction == Direction::Both;
        if (m_blocks == 1) {
            m_forwardWord.fill(0);
            for (std::size_t j = 0; j < m_size; ++j)
                m_forwardWord[byteAt(pattern, j)] |= std::uint64_t(1) << j;
            if (!reversed)
                return;
            m_reversedWord.fill(0);
            for (std::size_t j = 0; j < m_size; ++j)
                m_reversedWord[byteAt(pattern, m_size - 1 - j)] |= std::uint64_t(1) << j;
            return;
        }
        m_forwardBlocks.assign(256 * m_blocks, 0);
        for (std::size_t j = 0; j < m_size; ++j)
            m_forwardBlocks[byteAt(pattern, j) * m_blocks + j / 64] |= std::uint64_t(1) << (j & 63);
        if (!reversed)
            return;
        m_reversedBlocks.assign(256 * m_blocks, 0);
        for (std::size_t j = 0; j < m_size; ++j)
            m_reversedBlocks[byteAt(pattern, m_size - 1 - j) * m_blocks + j / 64]
                |= std::uint64_t(1) << (j & 63);
    }

    std::size_t size() const { return m_size; }
    std::size_t blocks() const { return m_blocks; }
    const std::uint64_t *forwardTable() const
    {
        return m_blocks == 1 ? m_forwardWord.data() : m_forwardBlocks.data();
    }
    const std::uint64_t *reversedTable() const
    {
        return m_blocks == 1 ? m_reversedWord.data() : m_reversedBlocks.data();
    }

private:
    std::size_t m_size;
    std::size_t m_blocks;
    // Filled by the constructor as needed; a table it leaves alone is never read.
    std::array<std::uint64_t, 256> m_forwardWord;
    std::array<std::uint64_t, 256> m_reversedWord;
    std::vector<std::uint64_t> m_forwardBlocks;
    std::vector<std::uint64_t> m_reversedBlocks;
};

// The running LCS of a pattern of up to 64 bytes against the text bytes fed so far.
// A zero bit j of the state marks the place where the LCS of the pattern prefix of
// length j + 1 grows by one; bits above the pattern stay set.
class SingleWordLcs
{
public:
    explicit SingleWordLcs(std::size_t /*blocks*/) { }
    void reset() { m_state = ~std::uint64_t(0); }
    void advance(const std::uint64_t *table, unsigned char byte)
    {
        const std::uint64_t matches = m_state & table[byte];
        m_state = (m_state + matches) | (m_state - matches);
    }
    std::size_t length() const { return countBits(~m_state); }
    // LCS of the pattern's first `patternBytes` bytes against the text fed so far.
    std::size_t prefixLength(std::size_t patternBytes) const
    {
        if (patternBytes >= 64)
            return length();
        return countBits(~m_state & ((std::uint64_t(1) << patternBytes) - 1));
    }

private:
    std::uint64_t m_state = ~std::uint64_t(0);
};

// The same for longer patterns: one word per 64 pattern bytes, the addition's carry running
// from the low word to the high one. `Words` is a std::vector, or a std::array where the number
// of words is known when compiling (then the state stays in registers).
template<typename Words> class BlockLcs
{
public:
    explicit BlockLcs(std::size_t blocks)
    {
        if constexpr (std::is_same_v<Words, std::vector<std::uint64_t>>)
            m_state.resize(blocks);
        reset();
    }
    void reset() { std::fill(m_state.begin(), m_state.end(), ~std::uint64_t(0)); }
    void advance(const std::uint64_t *table, unsigned char byte)
    {
        const std::size_t blocks = m_state.size();
        const std::uint64_t *masks = table + byte * blocks;
        bool carry = false;
        for (std::size_t w = 0; w < blocks; ++w) {
            const std::uint64_t state = m_state[w];
            const std::uint64_t matches = state & masks[w];
            unsigned long long sum = 0;
            const bool overflow = __builtin_uaddll_overflow(state, matches, &sum);
            const bool carried = __builtin_uaddll_overflow(sum, carry ? 1 : 0, &sum);
            carry = overflow || carried;
            m_state[w] = sum | (state - matches);
        }
    }
    std::size_t length() const
    {
        std::size_t total = 0;
        for (const std::uint64_t state : m_state)
            total += countBits(~state);
        return total;
    }
    std::size_t prefixLength(std::size_t patternBytes) const
    {
        std::size_t total = 0;
        std::size_t w = 0;
        for (; w < m_state.size() && patternBytes >= 64; ++w, patternBytes -= 64)
            total += countBits(~m_state[w]);
        if (w < m_state.size() && patternBytes > 0)
            total += countBits(~m_state[w] & ((std::uint64_t(1) << patternBytes) - 1));
        return total;
    }

private:
    Words m_state;
};

using MultiWordLcs = BlockLcs<std::vector<std::uint64_t>>;
template<std::size_t Words> using FixedWordsLcs = BlockLcs<std::array<std::uint64_t, Words>>;

// Calls run with a fresh LCS state of the kind that suits a pattern of `blocks` words; run
// reads the kind from its argument.
template<typename Run> auto withLcsFor(std::size_t blocks, Run &&run)
{
    switch (blocks) {
    case 1:
        return run(SingleWordLcs(1));
    case 2:
        return run(FixedWordsLcs<2>(2));
    case 3:
        return run(FixedWordsLcs<3>(3));
    case 4:
        return run(FixedWordsLcs<4>(4));
    case 5:
        return run(FixedWordsLcs<5>(5));
    case 6:
        return run(FixedWordsLcs<6>(6));
    case 7:
        return run(FixedWordsLcs<7>(7));
    case 8:
        return run(FixedWordsLcs<8>(8));
    default:
        return run(MultiWordLcs(blocks));
    }
}

template<typename Lcs> std::size_t lcsLengthWith(const BitPattern &pattern, std::string_view text)
{
    Lcs lcs(pattern.blocks());
    const std::uint64_t *table = pattern.forwardTable();
    for (const char c : text)
        lcs.advance(table, static_cast<unsigned char>(c));
    return lcs.length();
}

inline std::size_t lcsLength(const BitPattern &pattern, std::string_view text)
{
    // The one-word case, by far the most frequent, without the dispatch.
    if (pattern.blocks() == 1)
        return lcsLengthWith<SingleWordLcs>(pattern, text);
    return withLcsFor(pattern.blocks(),
                      [&](auto lcs) { return lcsLengthWith<decltype(lcs)>(pattern, text); });
}

} // namespace similarity

#endif // BITPARALLELLCS_H

#ifndef BITPARALLELLCS_H
#define BITPARALLELLCS_H

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <vector>

#include "WideLcs.h"

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

// One step of the LCS state word `state` (see SingleWordLcs) whose pattern bytes match the text
// byte at the bits of `mask`, with the carry (0 or 1) of the word below; returns its own carry.
inline std::uint64_t advanceWord(std::uint64_t &state, std::uint64_t mask, std::uint64_t carry)
{
    const std::uint64_t matches = state & mask;
    std::uint64_t partial = 0;
    std::uint64_t sum = 0;
    const bool overflow = __builtin_add_overflow(state, matches, &partial);
    const bool carried = __builtin_add_overflow(partial, carry, &sum);
    state = sum | (state - matches);
    return std::uint64_t(overflow || carried);
}

// The same for four words at once. On x86-64 the four additions form one chain of
// add-with-carry instructions, with the other operations before and after it so that nothing
// in between clears the carry flag (compilers keep saving and restoring it). `state - matches`
// is `state ^ matches`, since the matches are bits of the state. Always inlined: called from
// several loops, compilers otherwise make it a call per group.
[[gnu::always_inline]] inline std::uint64_t
advanceFourWords(std::uint64_t *state, const std::uint64_t *masks, std::uint64_t carry)
{
#if defined(__x86_64__) && defined(__GNUC__)
    std::uint64_t s0, s1, s2, s3, m0, m1, m2, m3;
    // The four words as operands too, so that the compiler knows which memory is read and written.
    using FourWords = std::uint64_t[4];
    auto &words = *reinterpret_cast<FourWords *>(state);
    const auto &maskWords = *reinterpret_cast<const FourWords *>(masks);
    __asm__("mov (%[state]), %[s0]\n\t"
            "mov 8(%[state]), %[s1]\n\t"
            "mov 16(%[state]), %[s2]\n\t"
            "mov 24(%[state]), %[s3]\n\t"
            "mov (%[masks]), %[m0]\n\t"
            "mov 8(%[masks]), %[m1]\n\t"
            "mov 16(%[masks]), %[m2]\n\t"
            "mov 24(%[masks]), %[m3]\n\t"
            "and %[s0], %[m0]\n\t"
            "and %[s1], %[m1]\n\t"
            "and %[s2], %[m2]\n\t"
            "and %[s3], %[m3]\n\t"
            "xor %[m0], (%[state])\n\t"
            "xor %[m1], 8(%[state])\n\t"
            "xor %[m2], 16(%[state])\n\t"
            "xor %[m3], 24(%[state])\n\t"
            "add $-1, %[carry]\n\t" // the carry flag from the carry (0 or 1)
            "adc %[m0], %[s0]\n\t"
            "adc %[m1], %[s1]\n\t"
            "adc %[m2], %[s2]\n\t"
            "adc %[m3], %[s3]\n\t"
            "mov $0, %[carry]\n\t"
            "adc $0, %[carry]\n\t"
            "or %[s0], (%[state])\n\t"
            "or %[s1], 8(%[state])\n\t"
            "or %[s2], 16(%[state])\n\t"
            "or %[s3], 24(%[state])"
            : [carry] "+&r"(carry),
              [s0] "=&r"(s0),
              [s1] "=&r"(s1),
              [s2] "=&r"(s2),
              [s3] "=&r"(s3),
              [m0] "=&r"(m0),
              [m1] "=&r"(m1),
              [m2] "=&r"(m2),
              [m3] "=&r"(m3),
              "+m"(words)
            : [state] "r"(state), [masks] "r"(masks), "m"(maskWords)
            : "cc");
    return carry;
#else
    for (int w = 0; w < 4; ++w)
        carry = advanceWord(state[w], masks[w], carry);
    return carry;
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

// Where a pattern's masks for each byte value are: `blocks` words at words + row(byte) * blocks,
// the rows in byte order where `rows` is null, otherwise row rows[byte] (row 0 matching nothing).
struct MaskTable
{
    const std::uint64_t *words = nullptr;
    const std::uint16_t *rows = nullptr;
    std::size_t blocks = 1;

    const std::uint64_t *masksOf(unsigned char byte) const
    {
        return words + (rows ? rows[byte] : byte) * blocks;
    }
};

// Match masks of a pattern string, for the pattern read forwards and backwards:
// bit j of forward(c) is set when pattern[j] == c, bit j of reversed(c) when
// pattern[size - 1 - j] == c. A table holds blocks() words per byte value.
// Patterns of up to 64 bytes live inside the object, longer ones on the heap, where they hold a
// row of masks only for each byte value they contain and one row for all the others: clearing
// 256 rows of a long pattern cost as much as a third of its LCS against a text of its length.
class BitPattern
{
public:
    // A pattern that is only read forwards (a plain LCS) needs no reversed table.
    enum class Direction { Both, ForwardOnly };

    explicit BitPattern(std::string_view pattern, Direction direction = Direction::Both)
        : m_size(pattern.size())
        , m_blocks(blocksFor(pattern.size()))
    {
        const bool reversed = direction == Direction::Both;
        if (m_blocks == 1) {
            m_forwardWord.fill(0);
            if (reversed)
                m_reversedWord.fill(0);
        }
        fill(pattern, reversed);
    }

    // A pattern read in both directions, but only ever at the bytes of `lookedUp` (the texts it
    // will be compared with hold no others): a short pattern then clears only those entries of
    // its tables and its own bytes' instead of all 256. Such a pattern is not to be copied.
    BitPattern(std::string_view pattern, std::string_view lookedUp)
        : m_size(pattern.size())
        , m_blocks(blocksFor(pattern.size()))
    {
        if (m_blocks == 1) {
            for (const std::string_view bytes : {lookedUp, pattern}) {
                for (const char c : bytes) {
                    m_forwardWord[static_cast<unsigned char>(c)] = 0;
                    m_reversedWord[static_cast<unsigned char>(c)] = 0;
                }
            }
        }
        fill(pattern, true);
    }

    std::size_t size() const { return m_size; }
    std::size_t blocks() const { return m_blocks; }

    // One word per 64 pattern bytes; a pattern of more than eight words has its words padded to
    // groups of four (words of no byte), so that every step of it runs on whole groups.
    static std::size_t blocksFor(std::size_t patternBytes)
    {
        const std::size_t words = std::max<std::size_t>(1, (patternBytes + 63) / 64);
        return words <= 8 ? words : (words + 3) / 4 * 4;
    }
    MaskTable forwardTable() const
    {
        if (m_blocks == 1)
            return {m_forwardWord.data(), nullptr, 1};
        return {m_forwardBlocks.data(), m_rowOfByte.data(), m_blocks};
    }
    MaskTable reversedTable() const
    {
        if (m_blocks == 1)
            return {m_reversedWord.data(), nullptr, 1};
        return {m_reversedBlocks.data(), m_rowOfByte.data(), m_blocks};
    }

private:
    // Sets the pattern's bits; a one-word table's entries that may be read are already clear.
    void fill(std::string_view pattern, bool reversed)
    {
        if (m_blocks == 1) {
            for (std::size_t j = 0; j < m_size; ++j)
                m_forwardWord[byteAt(pattern, j)] |= std::uint64_t(1) << j;
            if (!reversed)
                return;
            for (std::size_t j = 0; j < m_size; ++j)
                m_reversedWord[byteAt(pattern, m_size - 1 - j)] |= std::uint64_t(1) << j;
            return;
        }
        m_rowOfByte.fill(0);
        std::size_t rows = 1;
        for (const char c : pattern) {
            std::uint16_t &row = m_rowOfByte[static_cast<unsigned char>(c)];
            if (row == 0)
                row = static_cast<std::uint16_t>(rows++);
        }
        m_forwardBlocks.assign(rows * m_blocks, 0);
        for (std::size_t j = 0; j < m_size; ++j)
            m_forwardBlocks[m_rowOfByte[byteAt(pattern, j)] * m_blocks + j / 64] |= std::uint64_t(1)
                << (j & 63);
        if (!reversed)
            return;
        m_reversedBlocks.assign(rows * m_blocks, 0);
        for (std::size_t j = 0; j < m_size; ++j)
            m_reversedBlocks[m_rowOfByte[byteAt(pattern, m_size - 1 - j)] * m_blocks + j / 64]
                |= std::uint64_t(1) << (j & 63);
    }

    std::size_t m_size;
    std::size_t m_blocks;
    // Filled by the constructor as needed; a table it leaves alone is never read.
    std::array<std::uint64_t, 256> m_forwardWord;
    std::array<std::uint64_t, 256> m_reversedWord;
    std::vector<std::uint64_t> m_forwardBlocks;
    std::vector<std::uint64_t> m_reversedBlocks;
    std::array<std::uint16_t, 256> m_rowOfByte; // the rows of a pattern of several words
};

// The running LCS of a pattern of up to 64 bytes against the text bytes fed so far.
// A zero bit j of the state marks the place where the LCS of the pattern prefix of
// length j + 1 grows by one; bits above the pattern stay set.
class SingleWordLcs
{
public:
    explicit SingleWordLcs(std::size_t /*blocks*/) { }
    void reset() { m_state = ~std::uint64_t(0); }
    void advance(const MaskTable &table, unsigned char byte)
    {
        const std::uint64_t matches = m_state & table.words[byte];
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
    void advance(const MaskTable &table, unsigned char byte)
    {
        if constexpr (std::is_same_v<Words, std::vector<std::uint64_t>>) {
            advanceWords(table, byte, 0, m_state.size());
        } else {
            // A number of words known when compiling: the whole step unrolled.
            constexpr std::size_t words = std::tuple_size<Words>::value;
            // A pattern of several words has rows; their length is known here too.
            const std::uint64_t *masks = table.words + table.rows[byte] * words;
            std::uint64_t carry = 0;
            if constexpr (words >= 4)
                carry = advanceFourWords(m_state.data(), masks, carry);
            if constexpr (words >= 8)
                carry = advanceFourWords(m_state.data() + 4, masks + 4, carry);
            for (std::size_t w = words / 4 * 4; w < words; ++w)
                carry = advanceWord(m_state[w], masks[w], carry);
        }
    }
    // The same for the pattern's words first..last - 1 only: the words above stay as if their
    // bytes matched nothing yet, those below as if they matched nothing more (see lcsAtLeast).
    void
    advanceWords(const MaskTable &table, unsigned char byte, std::size_t first, std::size_t last)
    {
        const std::uint64_t *masks = table.masksOf(byte);
        last = std::min(last, m_state.size()); // tells the compiler the words end there
        if (first >= last)
            return;
        std::uint64_t carry = 0;
        if constexpr (std::is_same_v<Words, std::vector<std::uint64_t>>) {
            if (m_state.size() % 4 == 0) {
                // Whole groups of four: more words than asked may be advanced, those below with
                // their matches (the LCS of a superset of the allowed matches, still within the
                // true one), those above up to the group's end. The end only ever grows with
                // the caller's, so every word above it is still untouched (all ones), as a
                // dropped carry requires.
                first &= ~std::size_t(3);
                last = (last + 3) & ~std::size_t(3);
                for (std::size_t w = first; w < last; w += 4)
                    carry = advanceFourWords(m_state.data() + w, masks + w, carry);
                return;
            }
        }
        std::size_t groups = 0;
        if constexpr (mayHoldFourWords()) {
            groups = (last - first) / 4;
            for (std::size_t group = 0; group < groups; ++group) {
                const std::size_t w = first + 4 * group;
                carry = advanceFourWords(m_state.data() + w, masks + w, carry);
            }
        }
        for (std::size_t w = first + 4 * groups; w < last; ++w)
            carry = advanceWord(m_state[w], masks[w], carry);
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
    static constexpr bool mayHoldFourWords()
    {
        if constexpr (std::is_same_v<Words, std::vector<std::uint64_t>>)
            return true;
        else
            return std::tuple_size<Words>::value >= 4;
    }

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
    const MaskTable table = pattern.forwardTable();
    for (const char c : text)
        lcs.advance(table, static_cast<unsigned char>(c));
    return lcs.length();
}

inline std::size_t lcsLength(const BitPattern &pattern, std::string_view text)
{
    // The one-word case, by far the most frequent, without the dispatch.
    if (pattern.blocks() == 1)
        return lcsLengthWith<SingleWordLcs>(pattern, text);
    if (wideLcsAvailable(pattern.blocks()))
        return wideLcsAtLeast(pattern.forwardTable(), pattern.size(), text, 0);
    return withLcsFor(pattern.blocks(),
                      [&](auto lcs) { return lcsLengthWith<decltype(lcs)>(pattern, text); });
}

// The pattern bytes an alignment of at least `needed` matches can pair with each text byte: it
// leaves at most |pattern| - needed pattern bytes and |text| - needed text bytes unmatched, so text
// byte i can only match pattern bytes i - (|text| - needed) .. i + (|pattern| - needed).
class LcsBand
{
public:
    LcsBand(std::size_t patternSize, std::size_t textSize, std::size_t needed)
        : m_lastByte(patternSize - 1)
        , m_patternSlack(patternSize - needed)
        , m_textSlack(textSize - needed)
    {
    }
    // The units of `unitBytes` pattern bytes (words, vectors) holding the band at text byte i:
    // first..last - 1, none where first == last. Both only ever grow with i.
    void unitsAt(std::size_t i, std::size_t unitBytes, std::size_t &first, std::size_t &last) const
    {
        const std::size_t low = i > m_textSlack ? i - m_textSlack : 0;
        const std::size_t high = std::min(m_lastByte, i + m_patternSlack);
        first = low / unitBytes;
        last = low <= high ? high / unitBytes + 1 : first;
    }

private:
    std::size_t m_lastByte;
    std::size_t m_patternSlack;
    std::size_t m_textSlack;
};

// The LCS of the pattern's bytes and the text where it is at least `needed`; where it is not,
// some smaller value. Only the words holding the band (LcsBand) are advanced. Skipping a word is
// the same as removing its matches, which can only lower the result, and no alignment of
// `needed` or more matches uses a removed one.
template<typename Lcs>
std::size_t lcsAtLeastWith(const BitPattern &pattern, std::string_view text, std::size_t needed)
{
    const LcsBand band(pattern.size(), text.size(), needed);
    Lcs lcs(pattern.blocks());
    const MaskTable table = pattern.forwardTable();
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t first = 0;
        std::size_t last = 0;
        band.unitsAt(i, 64, first, last);
        if (first < last)
            lcs.advanceWords(table, byteAt(text, i), first, last);
    }
    return lcs.length();
}

inline std::size_t lcsAtLeast(const BitPattern &pattern, std::string_view text, std::size_t needed)
{
    if (needed > std::min(pattern.size(), text.size()))
        return 0;
    if (wideLcsAvailable(pattern.blocks()))
        return wideLcsAtLeast(pattern.forwardTable(), pattern.size(), text, needed);
    if (pattern.blocks() == 1 || needed == 0)
        return lcsLength(pattern, text);
    return withLcsFor(pattern.blocks(), [&](auto lcs) {
        if constexpr (std::is_same_v<decltype(lcs), SingleWordLcs>)
            return lcsLengthWith<SingleWordLcs>(pattern, text);
        else
            return lcsAtLeastWith<decltype(lcs)>(pattern, text, needed);
    });
}

} // namespace similarity

#endif // BITPARALLELLCS_H

#include "WideLcs.h"

#include "BitParallelLcs.h"

#include <algorithm>
#include <array>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define SIMILARITY_WIDE_LCS
#endif

namespace similarity {

#ifdef SIMILARITY_WIDE_LCS

namespace {

// The carry into each of a vector's four 64-bit lanes, from the four bits of one number.
constexpr auto laneCarries = [] {
    std::array<std::array<std::uint64_t, 4>, 16> carries{};
    for (unsigned bits = 0; bits < 16; ++bits) {
        for (unsigned lane = 0; lane < 4; ++lane)
            carries[bits][lane] = (bits >> lane) & 1;
    }
    return carries;
}();

__attribute__((target("avx2"))) inline __m256i loadWords(const std::uint64_t *words)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(words));
}

// One step of four words of the state (see BlockLcs::advance), `carry` the carry from the words
// below and then to the words above. The four additions run side by side; which lanes then
// receive a carry follows from two four-bit numbers, the lanes whose sum overflowed (they
// generate a carry) and those whose sum is all ones (they pass an incoming carry on): adding the
// second to the first shifted up by one lane gives, XOR the second, every lane a carry reaches,
// and above the top lane the carry out of the vector.
__attribute__((target("avx2"), always_inline)) inline __m256i
advanceVector(__m256i bits, const std::uint64_t *masks, unsigned &carry)
{
    const __m256i matches = _mm256_and_si256(bits, loadWords(masks));
    const __m256i sum = _mm256_add_epi64(bits, matches);
    // A lane overflows where the top bit of (a & b) | ((a | b) & ~sum) is set; the matches are
    // bits of the state, so a & b is the matches and a | b the state.
    const __m256i overflow = _mm256_or_si256(matches, _mm256_andnot_si256(sum, bits));
    const auto generated = static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(overflow)));
    const auto passing = static_cast<unsigned>(
        _mm256_movemask_pd(_mm256_castsi256_pd(_mm256_cmpeq_epi64(sum, _mm256_set1_epi64x(-1)))));
    const unsigned reached = (((generated << 1) | carry) + passing) ^ passing;
    carry = reached >> 4;
    const __m256i carried = loadWords(laneCarries[reached & 15].data());
    // state - matches is state ^ matches, the matches being bits of the state.
    return _mm256_or_si256(_mm256_add_epi64(sum, carried), _mm256_xor_si256(bits, matches));
}

std::size_t commonBytes(const std::uint64_t *state, std::size_t words)
{
    std::size_t common = 0;
    for (std::size_t w = 0; w < words; ++w)
        common += countBits(~state[w]);
    return common;
}

// The state stays in registers from one step to the next: a step of a few vectors is otherwise
// mostly waiting for the state just stored.
template<std::size_t Vectors>
__attribute__((target("avx2"))) std::size_t lcsInRegisters(const MaskTable &table,
                                                           std::size_t patternSize,
                                                           std::string_view text,
                                                           std::size_t needed)
{
    __m256i state[Vectors];
    for (__m256i &vector : state)
        vector = _mm256_set1_epi64x(-1);
    // The band of lcsAtLeastWith in whole vectors: those below it are advanced with their matches
    // too, which only adds allowed matches, and its end only grows, so every vector above it is
    // still untouched, as a dropped carry requires.
    const LcsBand band(patternSize, text.size(), needed);
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t first = 0;
        std::size_t last = 0;
        band.unitsAt(i, 256, first, last);
        const std::uint64_t *masks = table.masksOf(byteAt(text, i));
        unsigned carry = 0;
#pragma GCC unroll 8
        for (std::size_t v = 0; v < Vectors; ++v) {
            if (v >= first && v < last)
                state[v] = advanceVector(state[v], masks + 4 * v, carry);
        }
    }
    std::array<std::uint64_t, 4 * Vectors> words;
    for (std::size_t v = 0; v < Vectors; ++v)
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(words.data() + 4 * v), state[v]);
    return commonBytes(words.data(), words.size());
}

} // namespace

bool wideLcsAvailable(std::size_t blocks)
{
    static const bool available = __builtin_cpu_supports("avx2");
    return available && blocks >= 12 && blocks <= 32;
}

std::size_t wideLcsAtLeast(const MaskTable &table,
                           std::size_t patternSize,
                           std::string_view text,
                           std::size_t needed)
{
    switch (table.blocks / 4) {
    case 3:
        return lcsInRegisters<3>(table, patternSize, text, needed);
    case 4:
        return lcsInRegisters<4>(table, patternSize, text, needed);
    case 5:
        return lcsInRegisters<5>(table, patternSize, text, needed);
    case 6:
        return lcsInRegisters<6>(table, patternSize, text, needed);
    case 7:
        return lcsInRegisters<7>(table, patternSize, text, needed);
    case 8:
        return lcsInRegisters<8>(table, patternSize, text, needed);
    default:
        return lcsInRegisters<8>(table, patternSize, text, needed);
    }
}

#else

bool wideLcsAvailable(std::size_t)
{
    return false;
}

std::size_t wideLcsAtLeast(const MaskTable &, std::size_t, std::string_view, std::size_t)
{
    return 0;
}

#endif

} // namespace similarity

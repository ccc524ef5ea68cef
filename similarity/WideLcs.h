#ifndef WIDELCS_H
#define WIDELCS_H

#include <cstddef>
#include <cstdint>
#include <string_view>

// The LCS of a long pattern four words at a time, in 256-bit vectors, on processors that have
// them (x86-64 with AVX2, found when the program runs). A long pattern's step is otherwise one
// chain of 64-bit additions, each waiting for the carry of the word below.

namespace similarity {

struct MaskTable;

// Whether this processor runs wideLcsAtLeast for a pattern of `blocks` words (blocks() of a
// pattern of 513 to 2,048 bytes: the state of a longer one would not stay in registers).
bool wideLcsAvailable(std::size_t blocks);

// lcsAtLeast of a pattern of `patternSize` bytes whose forward table is `table`, of a multiple
// of four words per byte value: the LCS where it is at least `needed`, otherwise some smaller
// value (needed 0: the LCS). Only where wideLcsAvailable(table.blocks).
std::size_t wideLcsAtLeast(const MaskTable &table,
                           std::size_t patternSize,
                           std::string_view text,
                           std::size_t needed);

} // namespace similarity

#endif // WIDELCS_H

// Layer III Huffman code tables, typed from ISO/IEC 11172-3 Annex B, Table B.7.
//
// The standard lists each big-values table as rows (x, y, hlen, hcod); here each table keeps
// its code words and lengths in that row order, indexed by x * size + y. Tables 16 to 23 share
// the code of table 16 and tables 24 to 31 that of table 24; they differ only in linbits.
// Tables 4 and 14 do not exist; table 0 codes nothing (all pairs are zero).
#pragma once

#include <cstdint>
#include <span>

namespace velt::mpeg::layer3 {

// One code of the standard: `size` x `size` pairs, each with its code word and length in bits.
struct HuffmanCode {
    int size = 0;                      // values per axis (0 for "no code")
    std::span<const uint16_t> codes;   // hcod, right-aligned
    std::span<const uint8_t> lengths;  // hlen in bits
};

// A big-values table as the side information names it (table_select 0..31).
struct BigValuesTable {
    bool exists = false;                // false for tables 4 and 14
    int linbits = 0;                    // extra bits after a value of 15
    const HuffmanCode* code = nullptr;  // null for table 0 (every pair is zero)
};

inline constexpr int kBigValuesTableCount = 32;

const BigValuesTable& bigValuesTable(int tableSelect);

// Count1 tables A (0) and B (1): quadruples v, w, x, y indexed by v*8 + w*4 + x*2 + y.
const HuffmanCode& count1Code(int tableSelect);

}  // namespace velt::mpeg::layer3

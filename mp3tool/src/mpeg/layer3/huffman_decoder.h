// Huffman decoding of one granule and channel's spectral values (ISO/IEC 11172-3 2.4.2.7,
// 2.4.3.4): the big-values pairs in up to three regions, then count1 quadruples.
#pragma once

#include <array>
#include <cstddef>

#include "mpeg/layer3/huffman_tables.h"
#include "mpeg/layer3/main_data_bits.h"
#include "mpeg/layer3/side_info.h"

namespace velt::mpeg::layer3 {

inline constexpr int kGranuleLines = 576;

// Decodes one pair (or quadruple, for the count1 codes) by walking the code's binary tree one
// bit at a time. Returns the value index x * size + y (v*8 + w*4 + x*2 + y for count1), or -1
// when the bits are no code word of the table.
int decodeHuffmanValue(MainDataBits& bits, const HuffmanCode& code);

// Decodes the spectral values into `values` (signed integers, the standard's order) reading no
// further than `endBit`. A pair or quadruple whose bits would end past `endBit` is dropped and
// ends the spectrum; so does a bit pattern that is no code word. Lines not decoded are 0.
// Returns the count of lines decoded (every line at or past it is 0).
int decodeSpectrum(MainDataBits& bits, const GranuleChannel& gc, size_t endBit,
                   std::array<int, kGranuleLines>& values);

}  // namespace velt::mpeg::layer3

// Tables of Layers I and II: scale factors, quantisation classes and bit allocation tables.
#pragma once

#include <array>
#include <cstdint>

namespace velt::mpeg {

// ISO/IEC 11172-3, Table 3-B.1 "Layer I, II scalefactors": 2 x 2^(-i/3) for index i = 0..62;
// index 63 is not a scale factor and gives 0 here.
float scaleFactor(int index);

// One quantisation class of ISO/IEC 11172-3, Table 3-B.4 "Layer II classes of quantization".
// A sample code v (degrouped for grouped classes) of `sampleBits` bits requantises to
// C x ((v - 2^(sampleBits-1)) / 2^(sampleBits-1) + D).
struct QuantClass {
    std::uint32_t levels;     // number of steps
    std::uint8_t codeBits;    // bits of one code word (three samples when grouped)
    std::uint8_t sampleBits;  // bits of one sample value
    bool grouped;             // three samples share one code word
    float c;
    float d;
};

inline constexpr int kQuantClassCount = 17;
extern const std::array<QuantClass, kQuantClassCount> kQuantClasses;

// A Layer II bit allocation table: per subband, the width of the allocation field and, for each
// allocation value 1 .. 2^width - 1, the index of its quantisation class (value 0: no samples).
struct AllocationTable {
    int subbandLimit;
    std::array<std::uint8_t, 32> allocationBits;
    std::array<const std::uint8_t*, 32> classes;  // per subband: 2^width - 1 class indices
};

enum class AllocationTableId { A, B, C, D, LowSamplingRate };

// ISO/IEC 11172-3 Tables 3-B.2a to 3-B.2d and ISO/IEC 13818-3 Table B.1.
const AllocationTable& allocationTable(AllocationTableId id);

// Table choice of ISO/IEC 11172-3, Annex B (3-B.2): by sampling index (0 44.1, 1 48, 2 32 kHz)
// and the bit rate per channel, given as an MPEG-1 Layer II bitrate index (1 = 32 kbit/s ...).
AllocationTableId mpeg1AllocationTable(int samplingIndex, int perChannelBitrateIndex);

}  // namespace velt::mpeg

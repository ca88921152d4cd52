// Scale factors, quantisation classes and bit allocation tables of Layers I and II.
#include "mpeg/layer12_tables.h"

#include <cmath>

namespace velt::mpeg {

float scaleFactor(int index) {
    static const std::array<float, 64> table = [] {
        std::array<float, 64> t{};
        for (int i = 0; i < 63; ++i) t[i] = static_cast<float>(2.0 * std::exp2(-i / 3.0));
        t[63] = 0.0f;
        return t;
    }();
    return index >= 0 && index < 64 ? table[index] : 0.0f;
}

// ISO/IEC 11172-3, Table 3-B.4: number of steps, bits per code word, grouping, C and D
// (the bits per sample value are those of one ungrouped value of the class).
const std::array<QuantClass, kQuantClassCount> kQuantClasses = {{
    {3, 5, 2, true, 1.33333333333f, 0.50000000000f},
    {5, 7, 3, true, 1.60000000000f, 0.50000000000f},
    {7, 3, 3, false, 1.14285714286f, 0.25000000000f},
    {9, 10, 4, true, 1.77777777777f, 0.50000000000f},
    {15, 4, 4, false, 1.06666666666f, 0.12500000000f},
    {31, 5, 5, false, 1.03225806452f, 0.06250000000f},
    {63, 6, 6, false, 1.01587301587f, 0.03125000000f},
    {127, 7, 7, false, 1.00787401575f, 0.01562500000f},
    {255, 8, 8, false, 1.00392156863f, 0.00781250000f},
    {511, 9, 9, false, 1.00195694716f, 0.00390625000f},
    {1023, 10, 10, false, 1.00097751711f, 0.00195312500f},
    {2047, 11, 11, false, 1.00048851979f, 0.00097656250f},
    {4095, 12, 12, false, 1.00024420024f, 0.00048828125f},
    {8191, 13, 13, false, 1.00012208522f, 0.00024414063f},
    {16383, 14, 14, false, 1.00006103888f, 0.00012207031f},
    {32767, 15, 15, false, 1.00003051851f, 0.00006103516f},
    {65535, 16, 16, false, 1.00001525902f, 0.00003051758f},
}};

namespace {

// Class indices into kQuantClasses: 0 = 3 steps, 1 = 5, 2 = 7, 3 = 9, 4 = 15, 5 = 31, 6 = 63,
// 7 = 127, 8 = 255, 9 = 511, 10 = 1023, 11 = 2047, 12 = 4095, 13 = 8191, 14 = 16383,
// 15 = 32767, 16 = 65535. Each row lists the classes of allocation values 1, 2, 3, ...

// Tables 3-B.2a and b, subbands 0-2: 3, 7, 15, 31, ..., 65535 steps.
constexpr std::uint8_t kRowAB0[15] = {0, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
// Tables 3-B.2a and b, subbands 3-10: 3, 5, 7, 9, 15, ..., 8191, 65535 steps.
constexpr std::uint8_t kRowAB1[15] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16};
// Tables 3-B.2a and b, subbands 11-22: 3, 5, 7, 9, 15, 31, 65535 steps.
constexpr std::uint8_t kRowAB2[7] = {0, 1, 2, 3, 4, 5, 16};
// Tables 3-B.2a and b, subbands 23 up: 3, 5, 65535 steps.
constexpr std::uint8_t kRowAB3[3] = {0, 1, 16};
// Tables 3-B.2c and d, subbands 0-1: 3, 5, 9, 15, ..., 32767 steps.
constexpr std::uint8_t kRowCD0[15] = {0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
// Tables 3-B.2c and d from subband 2, and ISO/IEC 13818-3 Table B.1 subbands 4-10:
// 3, 5, 9, 15, 31, 63, 127 steps.
constexpr std::uint8_t kRowCD1[7] = {0, 1, 3, 4, 5, 6, 7};
// ISO/IEC 13818-3 Table B.1, subbands 0-3: 3, 5, 7, 9, 15, ..., 16383 steps.
constexpr std::uint8_t kRowLsf0[15] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
// ISO/IEC 13818-3 Table B.1, subbands 11-29: 3, 5, 9 steps.
constexpr std::uint8_t kRowLsf2[3] = {0, 1, 3};

struct Band {
    int firstSubband;
    int bits;
    const std::uint8_t* row;
};

template <std::size_t N>
AllocationTable makeTable(int limit, const Band (&bands)[N]) {
    AllocationTable t{limit, {}, {}};
    for (std::size_t b = 0; b < N; ++b) {
        const int end = b + 1 < N ? bands[b + 1].firstSubband : limit;
        for (int sb = bands[b].firstSubband; sb < end; ++sb) {
            t.allocationBits[sb] = static_cast<std::uint8_t>(bands[b].bits);
            t.classes[sb] = bands[b].row;
        }
    }
    return t;
}

}  // namespace

const AllocationTable& allocationTable(AllocationTableId id) {
    static const AllocationTable a =
        makeTable(27, {{0, 4, kRowAB0}, {3, 4, kRowAB1}, {11, 3, kRowAB2}, {23, 2, kRowAB3}});
    static const AllocationTable b =
        makeTable(30, {{0, 4, kRowAB0}, {3, 4, kRowAB1}, {11, 3, kRowAB2}, {23, 2, kRowAB3}});
    static const AllocationTable c = makeTable(8, {{0, 4, kRowCD0}, {2, 3, kRowCD1}});
    static const AllocationTable d = makeTable(12, {{0, 4, kRowCD0}, {2, 3, kRowCD1}});
    static const AllocationTable lsf =
        makeTable(30, {{0, 4, kRowLsf0}, {4, 3, kRowCD1}, {11, 2, kRowLsf2}});
    switch (id) {
        case AllocationTableId::A:
            return a;
        case AllocationTableId::B:
            return b;
        case AllocationTableId::C:
            return c;
        case AllocationTableId::D:
            return d;
        default:
            return lsf;
    }
}

AllocationTableId mpeg1AllocationTable(int samplingIndex, int perChannelBitrateIndex) {
    // Per channel 32 and 48 kbit/s: the narrow tables (c at 44.1 and 48 kHz, d at 32 kHz).
    if (perChannelBitrateIndex <= 2) {
        return samplingIndex == 2 ? AllocationTableId::D : AllocationTableId::C;
    }
    // 56 to 80 kbit/s per channel, and every higher rate at 48 kHz: table a.
    if (perChannelBitrateIndex <= 5 || samplingIndex == 1) return AllocationTableId::A;
    return AllocationTableId::B;
}

}  // namespace velt::mpeg

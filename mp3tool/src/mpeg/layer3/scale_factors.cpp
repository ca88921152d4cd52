#include "mpeg/layer3/scale_factors.h"

#include "mpeg/layer3/scale_factor_tables.h"

namespace velt::mpeg::layer3 {
namespace {

int maxOf(int slen) {
    return (1 << slen) - 1;
}

}  // namespace

int readScaleFactorsMpeg1(MainDataBits& bits, const GranuleChannel& gc,
                          const std::array<bool, 4>& scfsi, int granule, ScaleFactors& sf) {
    const int slen1 = kSlen1[static_cast<size_t>(gc.scalefacCompress & 15)];
    const int slen2 = kSlen2[static_cast<size_t>(gc.scalefacCompress & 15)];
    const size_t start = bits.position();
    sf.preflag = gc.preflag;
    sf.longMax.fill(7);
    sf.shortMax.fill(7);

    if (gc.shortBlocks()) {
        int firstShort = 0;
        if (gc.mixedBlock) {
            for (int b = 0; b < 8; ++b) sf.longBand[b] = static_cast<int>(bits.read(slen1));
            for (int b = 8; b < kLongBands; ++b) sf.longBand[b] = 0;
            firstShort = 3;
        }
        for (int b = firstShort; b < 12; ++b) {
            const int slen = b < 6 ? slen1 : slen2;
            for (int w = 0; w < 3; ++w) sf.shortBand[b][w] = static_cast<int>(bits.read(slen));
        }
        sf.shortBand[12] = {0, 0, 0};
        return static_cast<int>(bits.position() - start);
    }

    static constexpr int kGroupStart[5] = {0, 6, 11, 16, 21};
    for (int group = 0; group < 4; ++group) {
        if (granule == 1 && scfsi[static_cast<size_t>(group)]) continue;
        const int slen = group < 2 ? slen1 : slen2;
        for (int b = kGroupStart[group]; b < kGroupStart[group + 1]; ++b)
            sf.longBand[b] = static_cast<int>(bits.read(slen));
    }
    sf.longBand[21] = 0;
    return static_cast<int>(bits.position() - start);
}

int readScaleFactorsLsf(MainDataBits& bits, const GranuleChannel& gc, bool intensityRight,
                        ScaleFactors& sf) {
    const LsfScaleFactorLayout layout = lsfScaleFactorLayout(gc.scalefacCompress, intensityRight);
    const int kind = gc.shortBlocks() ? (gc.mixedBlock ? kMixedBlock : kShortBlock) : kLongBlock;
    const uint8_t* counts = kLsfBandsPerPartition[layout.table][kind];
    const size_t start = bits.position();
    sf = ScaleFactors{};
    sf.preflag = layout.preflag;

    int longBand = 0;
    int shortBand = kind == kMixedBlock ? 3 : 0;
    for (int p = 0; p < 4; ++p) {
        const int slen = layout.slen[static_cast<size_t>(p)];
        int values = counts[p];
        // Long blocks count bands; the long part of a mixed block is the first six bands of
        // partition 0; short bands count three window values each.
        if (kind == kLongBlock) {
            for (int i = 0; i < values && longBand < kLongBands - 1; ++i, ++longBand) {
                sf.longBand[longBand] = static_cast<int>(bits.read(slen));
                sf.longMax[longBand] = maxOf(slen);
            }
            continue;
        }
        if (kind == kMixedBlock && p == 0) {
            for (int i = 0; i < 6; ++i, ++longBand) {
                sf.longBand[longBand] = static_cast<int>(bits.read(slen));
                sf.longMax[longBand] = maxOf(slen);
            }
            values -= 6;
        }
        for (int i = 0; i < values / 3 && shortBand < kShortBands - 1; ++i, ++shortBand) {
            for (int w = 0; w < 3; ++w)
                sf.shortBand[shortBand][w] = static_cast<int>(bits.read(slen));
            sf.shortMax[shortBand] = maxOf(slen);
        }
    }
    // The last band is never coded; its intensity position follows the band before it.
    sf.longMax[kLongBands - 1] = sf.longMax[kLongBands - 2];
    sf.shortMax[kShortBands - 1] = sf.shortMax[kShortBands - 2];
    return static_cast<int>(bits.position() - start);
}

}  // namespace velt::mpeg::layer3

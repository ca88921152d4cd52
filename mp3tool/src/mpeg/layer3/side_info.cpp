#include "mpeg/layer3/side_info.h"

#include <algorithm>

#include "mpeg/layer3/band_tables.h"
#include "mpeg/layer3/huffman_tables.h"
#include "mpeg/layer3/main_data_bits.h"

namespace velt::mpeg::layer3 {
namespace {

constexpr int kMaxBigValues = 288;

// Region boundaries. With window switching the regions are implicit and there is no region 2:
// region 1 begins after the first three short bands (short blocks) or the first eight long
// bands (start and stop blocks): line 36 at the MPEG-1 rates, 36 or 54 at 16..24 kHz, 36 or 54
// at 11.025 and 12 kHz and 72 or 108 at 8 kHz. Mixed blocks count as short, except at the
// MPEG 2.5 rates, where they count as long (108 at 8 kHz), as the common decoders read them.
void setRegions(GranuleChannel& gc, const FrameFormat& format, const BandTable& bands) {
    if (gc.windowSwitching) {
        const bool shortRegions = gc.blockType == 2 && !(format.versionCode == 2 && gc.mixedBlock);
        gc.region1Start = shortRegions ? bands.shortStart[3] * 3 : bands.longStart[8];
        gc.region2Start = 576;
        return;
    }
    gc.region1Start = bands.longStart[static_cast<size_t>(gc.region0Count + 1)];
    const int second = gc.region0Count + gc.region1Count + 2;
    gc.region2Start = second >= kLongBands ? 576 : bands.longStart[static_cast<size_t>(second)];
}

bool tablesValid(const GranuleChannel& gc) {
    const int bigEnd = gc.bigValues * 2;
    const int starts[3] = {0, std::min(gc.region1Start, bigEnd), std::min(gc.region2Start, bigEnd)};
    const int ends[3] = {starts[1], starts[2], bigEnd};
    for (int r = 0; r < 3; ++r) {
        if (ends[r] > starts[r] && !bigValuesTable(gc.tableSelect[static_cast<size_t>(r)]).exists)
            return false;
    }
    return true;
}

}  // namespace

bool parseSideInfo(std::span<const uint8_t> bytes, const FrameFormat& format, SideInfo& info) {
    MainDataBits bits(bytes);
    const int channels = format.channels();
    const bool lsf = format.lsf();
    const BandTable& bands = bandTable(rateIndex(format.versionCode, format.samplingIndex));

    info = SideInfo{};
    info.mainDataBegin = static_cast<int>(bits.read(lsf ? 8 : 9));
    info.privateBits =
        static_cast<int>(bits.read(lsf ? (channels == 1 ? 1 : 2) : (channels == 1 ? 5 : 3)));
    if (!lsf) {
        for (int ch = 0; ch < channels; ++ch)
            for (int band = 0; band < 4; ++band) info.scfsi[ch][band] = bits.read(1) != 0;
    }
    bool valid = true;
    for (int gr = 0; gr < format.granules(); ++gr) {
        for (int ch = 0; ch < channels; ++ch) {
            GranuleChannel& gc = info.granule[gr][ch];
            gc.part23Length = static_cast<int>(bits.read(12));
            gc.bigValues = static_cast<int>(bits.read(9));
            gc.globalGain = static_cast<int>(bits.read(8));
            gc.scalefacCompress = static_cast<int>(bits.read(lsf ? 9 : 4));
            gc.windowSwitching = bits.read(1) != 0;
            if (gc.windowSwitching) {
                gc.blockType = static_cast<int>(bits.read(2));
                gc.mixedBlock = bits.read(1) != 0;
                for (int r = 0; r < 2; ++r) gc.tableSelect[r] = static_cast<int>(bits.read(5));
                for (int w = 0; w < 3; ++w) gc.subblockGain[w] = static_cast<int>(bits.read(3));
            } else {
                for (int r = 0; r < 3; ++r) gc.tableSelect[r] = static_cast<int>(bits.read(5));
                gc.region0Count = static_cast<int>(bits.read(4));
                gc.region1Count = static_cast<int>(bits.read(3));
            }
            if (!lsf) gc.preflag = bits.read(1) != 0;
            gc.scalefacScale = static_cast<int>(bits.read(1));
            gc.count1TableSelect = static_cast<int>(bits.read(1));

            if (gc.bigValues > kMaxBigValues) valid = false;
            if (gc.windowSwitching && gc.blockType == 0) valid = false;
            if (!valid) continue;
            setRegions(gc, format, bands);
            if (!tablesValid(gc)) valid = false;
            info.part23Sum += gc.part23Length;
        }
    }
    return valid && !bits.overrun();
}

}  // namespace velt::mpeg::layer3

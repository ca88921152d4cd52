// Layer III side information: the fields of ISO/IEC 11172-3 2.4.1.7 (MPEG-1) and
// ISO/IEC 13818-3 2.4.1.7 (low sampling rates), with the region boundaries worked out.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace velt::mpeg::layer3 {

// What the frame header tells the Layer III decoder.
struct FrameFormat {
    int versionCode = 1;    // 1 MPEG-1, 0 MPEG-2, 2 MPEG 2.5
    int samplingIndex = 0;  // 0..2
    int mode = 0;           // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    int modeExtension = 0;  // joint stereo: bit 2 mid/side, bit 1 intensity

    bool lsf() const { return versionCode != 1; }
    int channels() const { return mode == 3 ? 1 : 2; }
    int granules() const { return lsf() ? 1 : 2; }
    bool midSide() const { return mode == 1 && (modeExtension & 2) != 0; }
    bool intensity() const { return mode == 1 && (modeExtension & 1) != 0; }
    // Bytes of side information after the header (and after the CRC word, if any).
    int sideInfoBytes() const {
        if (lsf()) return channels() == 1 ? 9 : 17;
        return channels() == 1 ? 17 : 32;
    }
};

struct GranuleChannel {
    int part23Length = 0;  // bits of scale factors and Huffman data
    int bigValues = 0;     // pairs in the big-values region
    int globalGain = 0;
    int scalefacCompress = 0;
    bool windowSwitching = false;
    int blockType = 0;  // 0 normal, 1 start, 2 short, 3 stop
    bool mixedBlock = false;
    std::array<int, 3> tableSelect{};
    std::array<int, 3> subblockGain{};
    int region0Count = 0;  // without window switching only
    int region1Count = 0;
    int region1Start = 0;  // first line of region 1
    int region2Start = 0;  // first line of region 2 (576: no region 2)
    bool preflag = false;
    int scalefacScale = 0;
    int count1TableSelect = 0;

    bool shortBlocks() const { return windowSwitching && blockType == 2; }
};

struct SideInfo {
    int mainDataBegin = 0;  // bytes back into the reservoir
    int privateBits = 0;
    std::array<std::array<bool, 4>, 2> scfsi{};
    std::array<std::array<GranuleChannel, 2>, 2> granule{};  // [granule][channel]
    int part23Sum = 0;                                       // all part2_3_length bits of the frame
};

// Parses `bytes` (exactly the side information) into `info`. Returns false for side
// information that cannot describe a valid frame: big_values above 288, window switching with
// block type 0, or a table that does not exist (4, 14) selected for a region that holds lines.
bool parseSideInfo(std::span<const uint8_t> bytes, const FrameFormat& format, SideInfo& info);

}  // namespace velt::mpeg::layer3

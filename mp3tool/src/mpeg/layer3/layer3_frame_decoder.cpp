#include "mpeg/layer3/layer3_frame_decoder.h"

#include <algorithm>

#include "mpeg/result_codes.h"

namespace velt::mpeg::layer3 {
namespace {

FrameFormat formatOf(const FrameHeader& header) {
    FrameFormat format;
    format.versionCode = static_cast<int>(header.version);
    format.samplingIndex = header.samplingIndex;
    format.mode = header.mode;
    format.modeExtension = header.modeExtension;
    return format;
}

// Silent slots for the synthesis channels the routing uses; their history stays as it is.
void silentSlots(FrameContext& frame, int slots) {
    const bool stereo = frame.header.channels() == 2;
    const bool left = !stereo || frame.routing != kRouteRight;
    const bool right = stereo && (frame.routing == kRouteStereo || frame.routing == kRouteRight);
    for (int s = 0; s < slots; ++s) {
        if (left) frame.left.silentSlot();
        if (right) frame.right.silentSlot();
    }
}

}  // namespace

int Layer3FrameDecoder::decode(FrameContext& frame) {
    const FrameFormat format = formatOf(frame.header);
    BitReader& bits = frame.reader.bits();
    std::array<uint8_t, 32> sideBytes{};
    const size_t sideCount = static_cast<size_t>(format.sideInfoBytes());
    bits.readBytes(sideBytes.data(), sideCount);

    if (!parseSideInfo(std::span<const uint8_t>(sideBytes.data(), sideCount), format, side_)) {
        // The frame's own main data still belongs to the reservoir.
        frame.reader.loadMainData(0, 0);
        return kInvalidFrame;
    }
    if (!frame.reader.loadMainData(side_.mainDataBegin, side_.part23Sum)) {
        silentSlots(frame, format.granules() * kSlots);
        granules_.clearOverlap();
        return kOk;
    }
    BitReader& main = frame.reader.bits();
    const size_t needed = (static_cast<size_t>(side_.part23Sum) + 7) / 8;
    if (main.sizeBits() < static_cast<size_t>(side_.part23Sum) || needed > mainData_.size())
        return kInvalidFrame;  // more bits than the reservoir and the frame hold
    main.readBytes(mainData_.data(), needed);

    const int limit = 32 >> std::clamp(frame.shift, 0, 2);
    granules_.decodeGranules(format, side_, std::span<const uint8_t>(mainData_.data(), needed),
                             limit, output_);
    for (int gr = 0; gr < output_.granules; ++gr) {
        synthesiseSubbands(frame, &output_.slots[gr][0][0][0], &output_.slots[gr][1][0][0],
                           kSlotStride, kSlots);
    }
    return kOk;
}

}  // namespace velt::mpeg::layer3

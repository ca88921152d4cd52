// Test helper: decodes an MPEG audio stream held in memory through the MPEG decoder core (frame
// reader, bit reservoir, Layer III frame decoder, synthesis), as the codec module does.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "mpeg/byte_input.h"
#include "mpeg/layer3/layer3_frame_decoder.h"
#include "mpeg/mpeg_decoder.h"
#include "mpeg/result_codes.h"
#include "mpeg_test_util.h"

namespace velt::mpeg::layer3::test {

struct DecodedStream {
    int channels = 0;
    int sampleRate = 0;
    int frames = 0;                // frames that gave samples
    int refused = 0;               // decode calls that returned -700
    int endCode = 0;               // the code that ended decoding
    std::vector<int16_t> samples;  // interleaved
};

inline DecodedStream decodeLayer3Stream(std::vector<uint8_t> bytes, int routing = 0,
                                        int reduction = 0) {
    MemoryInput input(std::move(bytes));
    MpegDecoder decoder(input);
    decoder.setLayer3(std::make_unique<Layer3FrameDecoder>());
    decoder.setRouting(routing);
    decoder.setRateReduction(reduction);
    velt::mpeg::test::Decoded decoded = velt::mpeg::test::drainDecoder(decoder);
    DecodedStream out;
    out.channels = decoded.channels;
    out.sampleRate = decoded.sampleRate;
    out.frames = decoded.frames;
    out.refused = decoded.refused;
    out.endCode = decoded.endCode;
    out.samples = std::move(decoded.pcm);
    return out;
}

}  // namespace velt::mpeg::layer3::test

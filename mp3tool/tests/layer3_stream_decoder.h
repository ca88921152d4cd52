// Test helper: decodes a Layer III stream held in memory with the Layer III decoder and the
// polyphase synthesis, without the codec module: a plain frame walk that skips an ID3v2 tag
// and junk between frames and stops at a cut frame.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "mpeg/frame_header.h"
#include "mpeg/layer3/layer3_decoder.h"
#include "mpeg/synthesis.h"

namespace velt::mpeg::layer3::test {

struct DecodedStream {
    int channels = 0;
    int sampleRate = 0;
    int frames = 0;                // frames handed to the decoder
    int damagedFrames = 0;         // frames the decoder refused
    int silentFrames = 0;          // frames whose main data was missing
    std::vector<int16_t> samples;  // interleaved
};

inline FrameFormat formatOf(const FrameHeader& header) {
    FrameFormat format;
    format.versionCode = static_cast<int>(header.version);
    format.samplingIndex = header.samplingIndex;
    format.mode = header.mode;
    format.modeExtension = header.modeExtension;
    return format;
}

inline DecodedStream decodeLayer3Stream(std::span<const uint8_t> bytes) {
    DecodedStream result;
    size_t at = 0;
    if (bytes.size() >= 10 && bytes[0] == 'I' && bytes[1] == 'D' && bytes[2] == '3') {
        at = 10 + ((bytes[6] & 0x7fu) << 21 | (bytes[7] & 0x7fu) << 14 | (bytes[8] & 0x7fu) << 7 |
                   (bytes[9] & 0x7fu));
    }
    Layer3Decoder decoder;
    SynthesisChannel synthesis[2];
    Layer3Output output;
    std::vector<int16_t> pcm(1152 * 2);
    bool inSync = true;
    while (at + 4 <= bytes.size()) {
        const uint32_t word = uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 |
                              uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
        const FrameHeader header = parseFrameHeader(word);
        if (!isValidHeader(header) || header.layer != 3) {
            ++at;
            inSync = false;
            continue;
        }
        const size_t length = static_cast<size_t>(header.frameBytes());
        if (at + length > bytes.size()) break;
        if (!inSync) decoder.resetReservoir();
        inSync = true;
        const size_t bodyStart = at + 4 + (header.crcProtected ? 2 : 0);
        const FrameFormat format = formatOf(header);
        ++result.frames;
        const Layer3Status status = decoder.decodeFrame(
            format, bytes.subspan(bodyStart, at + length - bodyStart), 32, output);
        at += length;
        if (status == Layer3Status::Damaged) {
            ++result.damagedFrames;
            continue;
        }
        if (status == Layer3Status::Silent) ++result.silentFrames;
        result.channels = format.channels();
        result.sampleRate = header.sampleRate();
        for (int ch = 0; ch < result.channels; ++ch)
            synthesis[ch].setOutput(pcm.data() + ch, result.channels);
        for (int gr = 0; gr < output.granules; ++gr)
            for (int slot = 0; slot < kSlots; ++slot)
                for (int ch = 0; ch < result.channels; ++ch)
                    synthesis[ch].synthesize(output.slots[gr][ch][slot].data());
        result.samples.insert(result.samples.end(), pcm.begin(),
                              pcm.begin() + output.granules * 576 * result.channels);
    }
    return result;
}

}  // namespace velt::mpeg::layer3::test

// Frame header fields, validity and derived sizes.
#include "mpeg/frame_header.h"

#include "mpeg/header_tables.h"

namespace velt::mpeg {

FrameHeader parseFrameHeader(std::uint32_t word) {
    FrameHeader h;
    h.word = word;
    const int extension = (word >> 20) & 1;
    const int id = (word >> 19) & 1;
    h.version = static_cast<Version>(extension ? id : id + 2);
    const int layerCode = (word >> 17) & 3;
    h.layer = layerCode == 0 ? 0 : 4 - layerCode;
    h.crcProtected = ((word >> 16) & 1) == 0;
    h.bitrateIndex = (word >> 12) & 15;
    h.samplingIndex = (word >> 10) & 3;
    h.padding = ((word >> 9) & 1) != 0;
    h.mode = (word >> 6) & 3;
    h.modeExtension = (word >> 4) & 3;
    return h;
}

bool isValidHeader(const FrameHeader& h) {
    if (!hasSync(h.word)) return false;
    if (h.bitrateIndex == 0 || h.bitrateIndex == 15) return false;
    if (h.layer == 0) return false;
    if (h.samplingIndex == 3) return false;
    if (h.version == Version::Invalid) return false;
    if (h.version == Version::Mpeg25 && h.layer != 3) return false;
    if (h.version == Version::Mpeg1 && h.layer == 2) {
        const int b = h.bitrateIndex;
        const bool monoOnly = b == 1 || b == 2 || b == 3 || b == 5;
        const bool stereoOnly = b >= 11 && b <= 14;
        if (monoOnly && h.mode != kSingleChannel) return false;
        if (stereoOnly && h.mode == kSingleChannel) return false;
    }
    return true;
}

int FrameHeader::level() const {
    switch (version) {
        case Version::Mpeg1:
            return 1;
        case Version::Mpeg2:
            return 2;
        default:
            return 0;
    }
}

int FrameHeader::bitrateKbps() const {
    if (layer < 1 || layer > 3) return 0;
    return kBitrateKbps[version == Version::Mpeg1 ? 1 : 0][layer - 1][bitrateIndex];
}

int FrameHeader::sampleRate() const {
    if (version == Version::Invalid) return 0;
    return static_cast<int>(kSampleRateHz[static_cast<int>(version)][samplingIndex]);
}

int FrameHeader::frameBytes() const {
    const int rate = sampleRate();
    if (rate == 0) return 0;
    const int kbps = bitrateKbps();
    switch (layer) {
        case 1:
            return (kbps * 12000 / rate) * 4 + (padding ? 4 : 0);
        case 2:
            return kbps * 144000 / rate + (padding ? 1 : 0);
        case 3: {
            int bytes = kbps * 144000 / rate;
            if (lowSamplingRate()) bytes /= 2;
            return bytes + (padding ? 1 : 0);
        }
        default:
            return 0;
    }
}

int FrameHeader::samplesPerFrame() const {
    switch (layer) {
        case 1:
            return 384;
        case 2:
            return 1152;
        case 3:
            return lowSamplingRate() ? 576 : 1152;
        default:
            return 0;
    }
}

int FrameHeader::sideInfoBytes() const {
    if (version == Version::Mpeg1) return mode == kSingleChannel ? 17 : 32;
    return mode == kSingleChannel ? 9 : 17;
}

}  // namespace velt::mpeg

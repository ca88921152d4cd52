// Layer I: 4-bit allocations, 6-bit scale factors, 12 slots of (allocation + 1)-bit samples.
#include "mpeg/layer1.h"

#include "mpeg/layer12_tables.h"
#include "mpeg/result_codes.h"

namespace velt::mpeg {

int decodeLayer1(FrameContext& frame) {
    BitReader& bits = frame.reader.bits();
    const FrameHeader& h = frame.header;
    const int channels = h.channels();
    // Joint stereo: from the bound up one allocation and one sample serve both channels.
    const int bound = h.mode == kJointStereo ? 4 * h.modeExtension + 4 : 32;

    int allocation[2][32] = {};
    for (int sb = 0; sb < 32; ++sb) {
        const int readChannels = sb < bound ? channels : 1;
        for (int ch = 0; ch < readChannels; ++ch) {
            allocation[ch][sb] = static_cast<int>(bits.read(4));
            if (allocation[ch][sb] == 15) return kInvalidFrame;
        }
        if (readChannels < channels) allocation[1][sb] = allocation[0][sb];
    }

    float scale[2][32] = {};
    for (int sb = 0; sb < 32; ++sb) {
        for (int ch = 0; ch < channels; ++ch) {
            if (allocation[ch][sb] == 0) continue;
            const int index = static_cast<int>(bits.read(6));
            if (index == 63) return kInvalidFrame;
            scale[ch][sb] = scaleFactor(index);
        }
    }

    float samples[2][12][32] = {};
    for (int slot = 0; slot < 12; ++slot) {
        for (int sb = 0; sb < 32; ++sb) {
            const int readChannels = sb < bound ? channels : 1;
            for (int ch = 0; ch < readChannels; ++ch) {
                const int nb = allocation[ch][sb];
                if (nb == 0) continue;
                const int bitsPerSample = nb + 1;
                const std::uint32_t code = bits.read(bitsPerSample);
                // C x (fraction + D) with 2^nb - 1 steps: C = 2^nb / (2^nb - 1), D = 2^(1-nb).
                const double full = static_cast<double>(1u << bitsPerSample);
                const double half = full / 2;
                const double value =
                    full / (full - 1) * ((static_cast<double>(code) - half) / half + 2 / full);
                samples[ch][slot][sb] = static_cast<float>(value) * scale[ch][sb];
                if (readChannels < channels) {
                    samples[1][slot][sb] = static_cast<float>(value) * scale[1][sb];
                }
            }
        }
    }
    if (bits.overrun()) return kInvalidFrame;

    synthesiseSlots(frame, samples[0], samples[1], 12);
    return kOk;
}

}  // namespace velt::mpeg

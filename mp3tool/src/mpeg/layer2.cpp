// Layer II: allocations by table, scale-factor selection, grouped and plain sample codes.
#include "mpeg/layer2.h"

#include <algorithm>
#include <bit>

#include "mpeg/result_codes.h"

namespace velt::mpeg {
namespace {

// Half the code range is a power of two, so dividing by it is the same as multiplying by its
// reciprocal, built straight from the exponent bits: no division per sample.
float requantise(const QuantClass& q, std::uint32_t value) {
    const int halfBits = q.sampleBits - 1;
    const float half = static_cast<float>(1u << halfBits);
    const float inverse = std::bit_cast<float>(static_cast<std::uint32_t>(127 - halfBits) << 23);
    return q.c * ((static_cast<float>(value) - half) * inverse + q.d);
}

// Three values of a grouped code with a step count the compiler knows: its divisions become
// multiplications.
template <std::uint32_t Levels>
bool degroupBy(std::uint32_t code, std::uint32_t values[3]) {
    if (code >= Levels * Levels * Levels) return false;
    values[0] = code % Levels;
    code /= Levels;
    values[1] = code % Levels;
    values[2] = code / Levels;
    return true;
}

}  // namespace

const AllocationTable& layer2Table(const FrameHeader& h) {
    if (h.lowSamplingRate()) return allocationTable(AllocationTableId::LowSamplingRate);
    int perChannel = h.bitrateIndex;
    if (h.mode != kSingleChannel) perChannel = h.bitrateIndex == 4 ? 1 : h.bitrateIndex - 4;
    return allocationTable(mpeg1AllocationTable(h.samplingIndex, std::max(1, perChannel)));
}

bool degroup(std::uint32_t code, std::uint32_t levels, std::uint32_t values[3]) {
    // The grouped classes have 3, 5 or 9 steps.
    switch (levels) {
        case 3:
            return degroupBy<3>(code, values);
        case 5:
            return degroupBy<5>(code, values);
        case 9:
            return degroupBy<9>(code, values);
        default:
            break;
    }
    if (code >= levels * levels * levels) return false;
    values[0] = code % levels;
    code /= levels;
    values[1] = code % levels;
    values[2] = code / levels;
    return true;
}

int decodeLayer2(FrameContext& frame) {
    BitReader& bits = frame.reader.bits();
    const FrameHeader& h = frame.header;
    const AllocationTable& table = layer2Table(h);
    const int limit = table.subbandLimit;
    const int channels = h.channels();
    const int bound = h.mode == kJointStereo ? std::min(4 * h.modeExtension + 4, limit) : limit;

    // Allocations as class indices; -1 for "no samples".
    int classOf[2][32];
    std::fill(&classOf[0][0], &classOf[0][0] + 64, -1);
    for (int sb = 0; sb < limit; ++sb) {
        const int readChannels = sb < bound ? channels : 1;
        for (int ch = 0; ch < readChannels; ++ch) {
            const std::uint32_t a = bits.read(table.allocationBits[sb]);
            if (a != 0) classOf[ch][sb] = table.classes[sb][a - 1];
        }
        if (readChannels < channels) classOf[1][sb] = classOf[0][sb];
    }

    int selection[2][32] = {};
    for (int sb = 0; sb < limit; ++sb) {
        for (int ch = 0; ch < channels; ++ch) {
            if (classOf[ch][sb] >= 0) selection[ch][sb] = static_cast<int>(bits.read(2));
        }
    }

    // Three scale factors per subband and channel, one for each third of the frame.
    float scale[2][32][3] = {};
    for (int sb = 0; sb < limit; ++sb) {
        for (int ch = 0; ch < channels; ++ch) {
            if (classOf[ch][sb] < 0) continue;
            float* s = scale[ch][sb];
            switch (selection[ch][sb]) {
                case 0:
                    s[0] = scaleFactor(static_cast<int>(bits.read(6)));
                    s[1] = scaleFactor(static_cast<int>(bits.read(6)));
                    s[2] = scaleFactor(static_cast<int>(bits.read(6)));
                    break;
                case 1:
                    s[0] = s[1] = scaleFactor(static_cast<int>(bits.read(6)));
                    s[2] = scaleFactor(static_cast<int>(bits.read(6)));
                    break;
                case 2:
                    s[0] = s[1] = s[2] = scaleFactor(static_cast<int>(bits.read(6)));
                    break;
                default:
                    s[0] = scaleFactor(static_cast<int>(bits.read(6)));
                    s[1] = s[2] = scaleFactor(static_cast<int>(bits.read(6)));
                    break;
            }
        }
    }

    float samples[2][36][32] = {};
    for (int granule = 0; granule < 12; ++granule) {
        const int part = granule / 4;
        for (int sb = 0; sb < limit; ++sb) {
            const int readChannels = sb < bound ? channels : 1;
            for (int ch = 0; ch < readChannels; ++ch) {
                if (classOf[ch][sb] < 0) continue;
                const QuantClass& q = kQuantClasses[classOf[ch][sb]];
                float values[3] = {};
                if (q.grouped) {
                    std::uint32_t v[3];
                    if (degroup(bits.read(q.codeBits), q.levels, v)) {
                        for (int i = 0; i < 3; ++i) values[i] = requantise(q, v[i]);
                    }
                } else {
                    for (int i = 0; i < 3; ++i) values[i] = requantise(q, bits.read(q.codeBits));
                }
                for (int i = 0; i < 3; ++i) {
                    samples[ch][granule * 3 + i][sb] = values[i] * scale[ch][sb][part];
                    if (readChannels < channels) {
                        samples[1][granule * 3 + i][sb] = values[i] * scale[1][sb][part];
                    }
                }
            }
        }
    }
    if (bits.overrun()) return kInvalidFrame;

    synthesiseSlots(frame, samples[0], samples[1], 36);
    return kOk;
}

}  // namespace velt::mpeg

// Layer II: allocations by table, scale-factor selection, grouped and plain sample codes.
#include "mpeg/layer2.h"

#include <algorithm>
#include <bit>

#include "mpeg/result_codes.h"
#include "mpeg/simd_path.h"

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

// The requantised values (before the scale factor) of every code word of a grouped class: three
// per code, zeros for the codes past the last step combination (as a failed degrouping gives).
struct GroupedValues {
    std::array<float, 3 * 1024> values{};  // up to 10-bit codes
};

const GroupedValues& groupedValues(int classIndex) {
    static const std::array<GroupedValues, kQuantClassCount> tables = [] {
        std::array<GroupedValues, kQuantClassCount> t{};
        for (int c = 0; c < kQuantClassCount; ++c) {
            const QuantClass& q = kQuantClasses[c];
            if (!q.grouped) continue;
            for (std::uint32_t code = 0; code < (1u << q.codeBits); ++code) {
                std::uint32_t v[3];
                if (!degroup(code, q.levels, v)) continue;
                for (int i = 0; i < 3; ++i) t[c].values[3 * code + i] = requantise(q, v[i]);
            }
        }
        return t;
    }();
    return tables[classIndex];
}

// How the codes of one subband of one channel become samples in this frame: a grouped code
// through its table times the scale factor of the frame's third; a plain code v as
// v x factor + offset, the class's requantisation and the scale factor folded together.
// Plain data without default values: a frame's table of 64 is filled only where subbands
// have samples, and only those entries are read.
struct SubbandDequantiser {
    int codeBits;
    const float* grouped;  // null for plain codes
    float factor[3];
    float offset[3];
};

SubbandDequantiser dequantiser(int classIndex, const float scale[3]) {
    SubbandDequantiser d{};
    const QuantClass& q = kQuantClasses[classIndex];
    d.codeBits = q.codeBits;
    if (q.grouped) {
        d.grouped = groupedValues(classIndex).values.data();
        for (int p = 0; p < 3; ++p) d.factor[p] = scale[p];
        return d;
    }
    // c ((v - half) / half + d) = v (c / half) + c (d - 1), with 1 / half a power of two.
    const float inverse =
        std::bit_cast<float>(static_cast<std::uint32_t>(127 - (q.sampleBits - 1)) << 23);
    for (int p = 0; p < 3; ++p) {
        d.factor[p] = q.c * inverse * scale[p];
        d.offset[p] = q.c * (q.d - 1.0f) * scale[p];
    }
    return d;
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

namespace {

[[gnu::always_inline]] inline int decodeFrame(FrameContext& frame) {
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

    SubbandDequantiser dq[2][32];
    for (int sb = 0; sb < limit; ++sb) {
        for (int ch = 0; ch < channels; ++ch) {
            if (classOf[ch][sb] >= 0) dq[ch][sb] = dequantiser(classOf[ch][sb], scale[ch][sb]);
        }
    }

    // Subband-major, as the synthesis reads it: the 36 slots of a subband side by side, then
    // four unused ones. Rows of subbands without samples (and the unused slots) are zeros.
    constexpr int kStride = 40;
    float samples[2][32][kStride];
    for (int ch = 0; ch < channels; ++ch) {
        for (int sb = 0; sb < 32; ++sb) {
            float* row = samples[ch][sb];
            if (sb >= limit || classOf[ch][sb] < 0) {
                std::fill_n(row, kStride, 0.0f);
            } else {
                std::fill_n(row + 36, kStride - 36, 0.0f);
            }
        }
    }
    // The codes of a granule in their order in the frame, worked out once: which rows they
    // fill, how, and the second channel's row of an intensity-coded subband.
    struct Code {
        const SubbandDequantiser* d;
        float* row;
        const SubbandDequantiser* otherD;  // null unless intensity-coded
        float* otherRow;
    };
    Code codes[64];
    int codeCount = 0;
    for (int sb = 0; sb < limit; ++sb) {
        const int readChannels = sb < bound ? channels : 1;
        for (int ch = 0; ch < readChannels; ++ch) {
            if (classOf[ch][sb] < 0) continue;
            const bool shared = readChannels < channels;
            codes[codeCount++] = {&dq[ch][sb], samples[ch][sb], shared ? &dq[1][sb] : nullptr,
                                  shared ? samples[1][sb] : nullptr};
        }
    }
    for (int granule = 0; granule < 12; ++granule) {
        const int part = granule / 4;
        const int at = 3 * granule;
        for (int c = 0; c < codeCount; ++c) {
            const Code& code = codes[c];
            const SubbandDequantiser& d = *code.d;
            float* out = code.row + at;
            if (d.grouped) {
                const float* v = d.grouped + 3 * bits.read(d.codeBits);
                for (int i = 0; i < 3; ++i) out[i] = v[i] * d.factor[part];
                if (code.otherD) {
                    // Intensity-coded subband: the same values, the other channel's scale.
                    const float f = code.otherD->factor[part];
                    for (int i = 0; i < 3; ++i) code.otherRow[at + i] = v[i] * f;
                }
                continue;
            }
            float v[3];
            const int n = d.codeBits;
            if (3 * n <= 32) {
                // Three short codes in one read.
                const std::uint32_t all = bits.read(3 * n);
                const std::uint32_t mask = (1u << n) - 1;
                v[0] = static_cast<float>(all >> (2 * n));
                v[1] = static_cast<float>((all >> n) & mask);
                v[2] = static_cast<float>(all & mask);
            } else {
                for (int i = 0; i < 3; ++i) v[i] = static_cast<float>(bits.read(n));
            }
            for (int i = 0; i < 3; ++i) out[i] = v[i] * d.factor[part] + d.offset[part];
            if (code.otherD) {
                const SubbandDequantiser& e = *code.otherD;
                for (int i = 0; i < 3; ++i) {
                    code.otherRow[at + i] = v[i] * e.factor[part] + e.offset[part];
                }
            }
        }
    }
    if (bits.overrun()) return kInvalidFrame;

    synthesiseSubbands(frame, &samples[0][0][0], channels == 2 ? &samples[1][0][0] : nullptr,
                       kStride, 36);
    return kOk;
}

// Built for x86-64-v3 and for the baseline processor on x86-64 (simd_path.h chooses): the
// clearing of silent rows and the sample arithmetic use the wider vectors.
#ifdef VELT_SIMD_DISPATCH
VELT_V3 int decodeFrameV3(FrameContext& frame) {
    return decodeFrame(frame);
}
#endif

}  // namespace

int decodeLayer2(FrameContext& frame) {
#ifdef VELT_SIMD_DISPATCH
    if (useV3Build()) return decodeFrameV3(frame);
#endif
    return decodeFrame(frame);
}

}  // namespace velt::mpeg

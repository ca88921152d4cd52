// Test helper: crafts random but well-formed Layer III frames (any version, rate and channel
// mode; long, start, short, stop and mixed blocks; scfsi, preflag, subblock gain; mid/side and
// intensity stereo), so that our decoder can be held against another decoder on features that
// no available encoder writes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "layer3_bit_writer.h"
#include "mpeg/frame_header.h"
#include "mpeg/layer3/band_tables.h"
#include "mpeg/layer3/huffman_tables.h"
#include "mpeg/layer3/scale_factor_tables.h"
#include "mpeg/layer3/side_info.h"

namespace velt::mpeg::layer3::test {

struct CraftOptions {
    int versionCode = 1;  // 1 MPEG-1, 0 MPEG-2, 2 MPEG 2.5
    int samplingIndex = 0;
    int mode = 1;
    int modeExtension = 0;
    bool mixedBlocks = true;     // allow mixed short blocks
    bool blockSwitching = true;  // allow start, short and stop blocks
    int onlyBlockType = -1;      // >= 0: every granule uses this block type
    int frames = 12;
};

class FrameCrafter {
  public:
    FrameCrafter(const CraftOptions& options, unsigned seed) : o_(options), random_(seed) {
        format_.versionCode = o_.versionCode;
        format_.samplingIndex = o_.samplingIndex;
        format_.mode = o_.mode;
        format_.modeExtension = o_.modeExtension;
    }

    std::vector<uint8_t> stream() {
        std::vector<uint8_t> out;
        for (int f = 0; f < o_.frames; ++f) {
            const std::vector<uint8_t> frame = craftFrame();
            out.insert(out.end(), frame.begin(), frame.end());
        }
        return out;
    }

  private:
    int uniform(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }

    uint32_t headerWord() const {
        const uint32_t versionBits = o_.versionCode == 1 ? 3u : (o_.versionCode == 0 ? 2u : 0u);
        return 0xFFE00000u | versionBits << 19 | 1u << 17 | 1u << 16 | 14u << 12 |
               static_cast<uint32_t>(o_.samplingIndex) << 10 | static_cast<uint32_t>(o_.mode) << 6 |
               static_cast<uint32_t>(o_.modeExtension) << 4;
    }

    // One granule-channel: side information and its main data bits.
    struct Part {
        GranuleChannel gc;
        BitWriter data;
    };

    void pickBlock(GranuleChannel& gc) {
        int kind = o_.blockSwitching ? uniform(0, 5) : 0;
        if (o_.onlyBlockType >= 0)
            kind = o_.onlyBlockType == 0
                       ? 0
                       : (o_.onlyBlockType == 1 ? 2 : (o_.onlyBlockType == 2 ? 3 : 5));
        gc.windowSwitching = kind >= 2;
        gc.blockType = kind < 2 ? 0 : (kind == 2 ? 1 : (kind == 5 ? 3 : 2));
        gc.mixedBlock = gc.blockType == 2 && o_.mixedBlocks && uniform(0, 1) == 1;
        for (int& g : gc.subblockGain) g = gc.blockType == 2 ? uniform(0, 2) : 0;
    }

    static bool shortBlocks(const GranuleChannel& gc) {
        return gc.windowSwitching && gc.blockType == 2;
    }

    // Writes scale factors the way the decoder reads them; values up to `limit` (intensity
    // positions of the right channel may reach the illegal value).
    void writeScaleFactors(BitWriter& w, const GranuleChannel& gc, int granule,
                           const std::array<bool, 4>& scfsi, bool intensityRight) {
        if (!format_.lsf()) {
            const int slen1 = kSlen1[static_cast<size_t>(gc.scalefacCompress)];
            const int slen2 = kSlen2[static_cast<size_t>(gc.scalefacCompress)];
            // Intensity positions of MPEG-1 run from 0 to 7 (none).
            const int cap = intensityRight ? 7 : 15;
            auto put = [&](int slen) {
                w.put(static_cast<uint32_t>(uniform(0, std::min(cap, (1 << slen) - 1))), slen);
            };
            if (shortBlocks(gc)) {
                if (gc.mixedBlock) {
                    for (int b = 0; b < 8; ++b) put(slen1);
                    for (int v = 0; v < 9; ++v) put(slen1);
                } else {
                    for (int v = 0; v < 18; ++v) put(slen1);
                }
                for (int v = 0; v < 18; ++v) put(slen2);
                return;
            }
            static constexpr int kGroup[5] = {0, 6, 11, 16, 21};
            for (int g = 0; g < 4; ++g) {
                if (granule == 1 && scfsi[static_cast<size_t>(g)]) continue;
                for (int b = kGroup[g]; b < kGroup[g + 1]; ++b) put(g < 2 ? slen1 : slen2);
            }
            return;
        }
        const LsfScaleFactorLayout layout =
            lsfScaleFactorLayout(gc.scalefacCompress, intensityRight);
        const int kind = shortBlocks(gc) ? (gc.mixedBlock ? kMixedBlock : kShortBlock) : kLongBlock;
        for (int p = 0; p < 4; ++p) {
            const int slen = layout.slen[static_cast<size_t>(p)];
            // Intensity positions stay below the illegal value (the largest one, or 7).
            const int top = intensityRight ? std::min(6, (1 << slen) - 2) : (1 << slen) - 1;
            for (int i = 0; i < kLsfBandsPerPartition[layout.table][kind][p]; ++i)
                w.put(static_cast<uint32_t>(uniform(0, std::max(0, top))), slen);
        }
    }

    // Largest value a table codes (15 + 2^linbits - 1 with linbits; kept small here).
    static int tableMax(int table) {
        const BigValuesTable& t = bigValuesTable(table);
        if (!t.code) return 0;
        return t.linbits ? 15 + std::min((1 << t.linbits) - 1, 40) : t.code->size - 1;
    }

    int randomValue(int max) {
        const int roll = uniform(0, 9);
        if (roll < 4) return 0;
        if (roll < 8) return std::min(max, uniform(1, 2));
        return uniform(0, max);
    }

    void writePair(BitWriter& w, int table, int x, int y) {
        const BigValuesTable& t = bigValuesTable(table);
        if (!t.code) return;
        const int size = t.code->size;
        const int cx = std::min(x, 15), cy = std::min(y, 15);
        const size_t index = static_cast<size_t>(cx * size + cy);
        w.put(t.code->codes[index], t.code->lengths[index]);
        for (int pass = 0; pass < 2; ++pass) {
            const int v = pass ? y : x;
            const int c = pass ? cy : cx;
            if (t.linbits && c == 15) w.put(static_cast<uint32_t>(v - 15), t.linbits);
            if (v) w.put(static_cast<uint32_t>(uniform(0, 1)), 1);
        }
    }

    int pickTable(int max) {
        static constexpr int kTables[] = {1,  2,  3,  5,  6,  7,  8,  9,  10,
                                          11, 12, 13, 15, 16, 17, 18, 24, 25};
        for (;;) {
            const int t = kTables[uniform(0, 17)];
            if (tableMax(t) >= max) return t;
        }
    }

    // Spectral data: big values up to `lineLimit`, then some count1 quadruples below it.
    // The first line is non-zero when `audible`: a granule without coded lines is read
    // differently by different decoders in intensity stereo.
    void writeSpectrum(Part& part, int lineLimit, bool audible) {
        GranuleChannel& gc = part.gc;
        const int pairs = std::min(lineLimit / 2, uniform(audible ? 1 : 0, 100));
        gc.bigValues = pairs;
        const int regionMax[3] = {uniform(1, 40), uniform(1, 20), uniform(1, 8)};
        for (int r = 0; r < 3; ++r)
            gc.tableSelect[static_cast<size_t>(r)] = pickTable(regionMax[r]);
        if (!gc.windowSwitching) {
            gc.region0Count = uniform(0, 15);
            gc.region1Count = uniform(0, 7);
        }
        // Region starts as the decoder derives them.
        const BandTable& bands = bandTable(rateIndex(format_.versionCode, format_.samplingIndex));
        int r1, r2;
        if (gc.windowSwitching) {
            const bool shortRegions =
                gc.blockType == 2 && !(format_.versionCode == 2 && gc.mixedBlock);
            r1 = shortRegions ? bands.shortStart[3] * 3 : bands.longStart[8];
            r2 = 576;
        } else {
            r1 = bands.longStart[static_cast<size_t>(gc.region0Count + 1)];
            const int second = gc.region0Count + gc.region1Count + 2;
            r2 = second >= kLongBands ? 576 : bands.longStart[static_cast<size_t>(second)];
        }
        for (int line = 0; line < pairs * 2; line += 2) {
            const int region = line < r1 ? 0 : (line < r2 ? 1 : 2);
            const int table = gc.tableSelect[static_cast<size_t>(region)];
            const int max = std::min(tableMax(table), regionMax[region]);
            const int x = line == 0 && audible ? std::max(1, randomValue(max)) : randomValue(max);
            writePair(part.data, table, x, randomValue(max));
        }
        gc.count1TableSelect = uniform(0, 1);
        const HuffmanCode& quads = count1Code(gc.count1TableSelect);
        const int quadCount = std::max(0, std::min((lineLimit - pairs * 2) / 4, uniform(0, 20)));
        for (int q = 0; q < quadCount; ++q) {
            const int v = uniform(0, 15);
            part.data.put(quads.codes[static_cast<size_t>(v)],
                          quads.lengths[static_cast<size_t>(v)]);
            for (int i = 3; i >= 0; --i)
                if ((v >> i) & 1) part.data.put(static_cast<uint32_t>(uniform(0, 1)), 1);
        }
    }

    std::vector<uint8_t> craftFrame() {
        const int channels = format_.channels();
        const int granules = format_.granules();
        std::array<std::array<bool, 4>, 2> scfsi{};
        std::vector<Part> parts;  // granule-major
        for (int gr = 0; gr < granules; ++gr) {
            for (int ch = 0; ch < channels; ++ch) {
                Part part;
                GranuleChannel& gc = part.gc;
                pickBlock(gc);
                if (ch == 1 && format_.mode == 1) {
                    // Joint stereo combines the channels line by line: same block layout.
                    const GranuleChannel& left = parts.back().gc;
                    gc.windowSwitching = left.windowSwitching;
                    gc.blockType = left.blockType;
                    gc.mixedBlock = left.mixedBlock;
                }
                gc.globalGain = uniform(130, 165);
                gc.scalefacCompress = format_.lsf() ? uniform(0, 511) : uniform(0, 15);
                if (format_.lsf() && format_.intensity() && ch == 1) {
                    // Every partition with at least one bit, so that no band is illegal by
                    // having no bits (the decoders disagree there); the low bit is the
                    // intensity scale.
                    gc.scalefacCompress =
                        2 * (36 * uniform(1, 4) + 6 * uniform(1, 5) + uniform(1, 5)) +
                        uniform(0, 1);
                }
                gc.scalefacScale = uniform(0, 1);
                gc.preflag = !format_.lsf() && uniform(0, 1) == 1;
                if (gr == 0 && !format_.lsf())
                    for (bool& s : scfsi[static_cast<size_t>(ch)]) s = uniform(0, 1) == 1;
                // Scale-factor sharing needs long blocks in both granules; keep it simple.
                const bool intensityRight = format_.intensity() && ch == 1;
                std::array<bool, 4> useScfsi = scfsi[static_cast<size_t>(ch)];
                if (gr == 1) {
                    const GranuleChannel& first = parts[static_cast<size_t>(ch)].gc;
                    if (shortBlocks(first) || shortBlocks(gc)) useScfsi = {};
                    scfsi[static_cast<size_t>(ch)] = useScfsi;
                }
                writeScaleFactors(part.data, gc, gr, useScfsi, intensityRight);
                // The intensity channel keeps its lines low so that a bound exists.
                const int lineLimit = intensityRight ? uniform(8, 120) : 576;
                writeSpectrum(part, lineLimit, intensityRight);
                gc.part23Length = static_cast<int>(part.data.bits());
                parts.push_back(std::move(part));
            }
        }
        // granule 0's scfsi bits must be known before the side information is written; granule 1
        // may have cleared them, which is why they are written last.
        BitWriter side;
        side.put(0, format_.lsf() ? 8 : 9);
        side.put(0, format_.lsf() ? (channels == 1 ? 1 : 2) : (channels == 1 ? 5 : 3));
        if (!format_.lsf()) {
            for (int ch = 0; ch < channels; ++ch)
                for (bool s : scfsi[static_cast<size_t>(ch)]) side.put(s, 1);
        }
        for (const Part& part : parts) {
            const GranuleChannel& gc = part.gc;
            side.put(static_cast<uint32_t>(gc.part23Length), 12)
                .put(static_cast<uint32_t>(gc.bigValues), 9);
            side.put(static_cast<uint32_t>(gc.globalGain), 8);
            side.put(static_cast<uint32_t>(gc.scalefacCompress), format_.lsf() ? 9 : 4);
            side.put(gc.windowSwitching, 1);
            if (gc.windowSwitching) {
                side.put(static_cast<uint32_t>(gc.blockType), 2).put(gc.mixedBlock, 1);
                for (int r = 0; r < 2; ++r)
                    side.put(static_cast<uint32_t>(gc.tableSelect[static_cast<size_t>(r)]), 5);
                for (int g : gc.subblockGain) side.put(static_cast<uint32_t>(g), 3);
            } else {
                for (int t : gc.tableSelect) side.put(static_cast<uint32_t>(t), 5);
                side.put(static_cast<uint32_t>(gc.region0Count), 4)
                    .put(static_cast<uint32_t>(gc.region1Count), 3);
            }
            if (!format_.lsf()) side.put(gc.preflag, 1);
            side.put(static_cast<uint32_t>(gc.scalefacScale), 1)
                .put(static_cast<uint32_t>(gc.count1TableSelect), 1);
        }
        const FrameHeader header = parseFrameHeader(headerWord());
        const size_t length = static_cast<size_t>(header.frameBytes());
        const size_t sideBytes = static_cast<size_t>(format_.sideInfoBytes());
        BitWriter main;
        for (const Part& part : parts) {
            const std::vector<uint8_t> bytes = part.data.bytes(0);
            for (size_t bit = 0; bit < part.data.bits(); ++bit)
                main.put((bytes[bit / 8] >> (7 - bit % 8)) & 1u, 1);
        }
        std::vector<uint8_t> frame = {
            static_cast<uint8_t>(headerWord() >> 24), static_cast<uint8_t>(headerWord() >> 16),
            static_cast<uint8_t>(headerWord() >> 8), static_cast<uint8_t>(headerWord())};
        const std::vector<uint8_t> sideData = side.bytes(sideBytes);
        frame.insert(frame.end(), sideData.begin(), sideData.end());
        const size_t mainBytes = length - 4 - sideBytes;
        if (main.bits() > mainBytes * 8) return craftFrame();  // too much: try again
        const std::vector<uint8_t> mainData = main.bytes(mainBytes);
        frame.insert(frame.end(), mainData.begin(), mainData.end());
        return frame;
    }

    CraftOptions o_;
    FrameFormat format_;
    std::mt19937 random_;
};

}  // namespace velt::mpeg::layer3::test
